// The notice strip (the main window: its text, the slide in from the right
// and from the left, the sound rule) and the tray icon component with its
// hidden window, callback message, tip, clicks and popup menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <mmsystem.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "base/globals.h"
#include "app/main_window.h"
#include "base/notice.h"
#include "base/texts.h"
#include "base/files.h"
#include "harness.h"
#include "support/vorlix_test.h"
#include "ui/gdi.h"
#include "ui/tray_icon.h"

namespace {

// Every position the main window takes while a notice runs, read from the
// window itself each time it has moved.
std::vector<RECT> moves;
HHOOK moveHook = nullptr;

LRESULT CALLBACK RecordMoves(int code, WPARAM wParam, LPARAM lParam) {
    const auto* msg = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && msg->hwnd == MainWindow && msg->message == WM_WINDOWPOSCHANGED) {
        RECT r;
        GetWindowRect(MainWindow, &r);
        if (moves.empty() || std::memcmp(&moves.back(), &r, sizeof r) != 0) moves.push_back(r);
    }
    return CallNextHookEx(moveHook, code, wParam, lParam);
}

std::vector<int> Lefts() {
    std::vector<int> lefts;
    for (const RECT& r : moves) lefts.push_back(r.left);
    return lefts;
}

std::vector<int> Range(int from, int to) {  // from..to inclusive, either direction
    std::vector<int> v;
    for (int i = from;; i += from < to ? 1 : -1) {
        v.push_back(i);
        if (i == to) break;
    }
    return v;
}

std::vector<std::wstring> played;

class Notice : public ::testing::Test {
protected:
    void SetUp() override {
        harness::EnsureWindows();
        std::memset(&Config, 0, sizeof Config);
        Config.NoticeSlideIn = 1;
        oldFolder = ProgramFolder;
        ProgramFolder = vt::ScratchDir() + L"\\";
        oldPlayer = NoticeSoundPlayer;
        NoticeSoundPlayer = [](const std::wstring& path) {
            played.push_back(path);
            return true;
        };
        played.clear();
        HideNotice();
        vt::PumpMessages();
        moves.clear();
        moveHook = SetWindowsHookExW(WH_CALLWNDPROC, RecordMoves, nullptr, GetCurrentThreadId());
        ASSERT_TRUE(moveHook);
    }
    void TearDown() override {
        UnhookWindowsHookEx(moveHook);
        NoticeSoundPlayer = oldPlayer;
        ProgramFolder = oldFolder;
    }

    static int Screen() { return GetSystemMetrics(SM_CXSCREEN); }

    // Every recorded position keeps the strip's size and its Top of 3.
    static void ExpectShape() {
        for (const RECT& r : moves) {
            EXPECT_EQ(r.top, 3);
            EXPECT_EQ(r.right - r.left, NoticeWidth);
            EXPECT_EQ(r.bottom - r.top, NoticeHeight);
        }
    }

    std::wstring oldFolder;
    bool (*oldPlayer)(const std::wstring&) = nullptr;
};

TEST_F(Notice, TheTextIsCentredInTheNoticeFont) {
    LOGFONTW lf{};
    lf.lfHeight = -9;
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"Verdana");
    ui::FontHandle font(CreateFontIndirectW(&lf));
    ui::WindowDc dc(nullptr);
    ui::Selection select(dc, font.get());
    for (const wchar_t* text : {L"CANCELLED", L"Image sent to Clipboard", L"", L"Image sent to Printer/Fax and more"}) {
        SIZE size{};
        GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
        SetNoticeText(text);
        EXPECT_EQ(harness::Form().noticeText, text);
        EXPECT_EQ(harness::Form().noticeLeft, (NoticeWidth - size.cx) / 2) << vt::WindowText(MainWindow).size();
    }
}

TEST_F(Notice, ShowNoticeSlidesInFromTheRightWaitsAndHides) {
    SetNoticeText(L"Image sent to File");
    // While the strip waits in the corner, it is drawn there: yellow with
    // the blue text.
    std::atomic<bool> stop{false};
    vt::Pixels shown;
    std::thread watcher([&] {
        const int target = Screen() - NoticeWidth - 10;
        while (!stop) {
            RECT r;
            GetWindowRect(MainWindow, &r);
            if (r.left == target) {
                Sleep(150);
                shown = vt::CaptureScreen(RECT{target, 3, target + NoticeWidth, 3 + NoticeHeight});
                return;
            }
        }
    });
    ShowNotice();
    stop = true;
    watcher.join();

    std::vector<int> expected = Range(Screen(), Screen() - NoticeWidth - 10);
    expected.push_back(-NoticeWidth);
    EXPECT_EQ(Lefts(), expected);
    ExpectShape();
    ASSERT_FALSE(shown.Empty()) << "never reached the corner";
    const int yellow = shown.Count(RGB(255, 255, 0x80));
    EXPECT_GT(yellow, NoticeWidth * NoticeHeight / 2);
    int blue = 0;
    for (COLORREF c : shown.data) blue += GetBValue(c) > 160 && GetRValue(c) < 120 && GetGValue(c) < 120;
    EXPECT_GT(blue, 5) << "the text";
    EXPECT_TRUE(played.empty()) << "no sound unless NoticeSound";
}

TEST_F(Notice, CancelledSlidesInFromTheLeftWithoutSound) {
    Config.NoticeSound = 1;
    Config.NoticeSlideIn = 0;  // shown all the same
    ASSERT_TRUE(vt::WriteFileBytes(ProgramFolder + L"Sound.wav", "RIFF"));
    NotifyCancelled();
    EXPECT_EQ(harness::Form().noticeText, L"CANCELLED");
    std::vector<int> expected = Range(-NoticeWidth + 1, 10);
    expected.push_back(-NoticeWidth);
    EXPECT_EQ(Lefts(), expected);
    ExpectShape();
    EXPECT_TRUE(played.empty());
}

TEST_F(Notice, WithoutSlideInOnlyTimerNoticesAreShown) {
    Config.NoticeSlideIn = 0;
    Config.NoticeSound = 1;
    ASSERT_TRUE(vt::WriteFileBytes(ProgramFolder + L"Sound.wav", "RIFF"));
    SetNoticeText(L"Image sent to File");
    ShowNotice();
    EXPECT_TRUE(moves.empty()) << "nothing slides in";
    EXPECT_EQ(played.size(), 1u) << "the sound plays all the same";

    for (auto notify : {&NotifyTimerOn, &NotifyTimerOff}) {
        moves.clear();
        notify();
        std::vector<int> expected = Range(Screen(), Screen() - NoticeWidth - 10);
        expected.push_back(-NoticeWidth);
        EXPECT_EQ(Lefts(), expected);
    }
    EXPECT_EQ(harness::Form().noticeText, L"Timer OFF");
    // Any letter case of "timer" counts.
    moves.clear();
    SetNoticeText(L"TIMER stopped");
    ShowNotice();
    EXPECT_FALSE(moves.empty());
}

TEST_F(Notice, TheSoundPlaysOnlyWhenSwitchedOnAndTheFileIsThere) {
    const std::wstring sound = ProgramFolder + L"Sound.wav";
    SetNoticeText(L"Image sent to Clipboard");
    Config.NoticeSlideIn = 0;
    Config.NoticeSound = 1;
    ShowNotice();  // no file: silent, no error
    EXPECT_TRUE(played.empty());
    ASSERT_TRUE(CreateDirectoryW(sound.c_str(), nullptr));  // a folder of that name is no sound
    ShowNotice();
    EXPECT_TRUE(played.empty());
    RemoveDirectoryW(sound.c_str());
    ASSERT_TRUE(vt::WriteFileBytes(sound, "RIFF"));
    Config.NoticeSound = 0;
    ShowNotice();
    EXPECT_TRUE(played.empty());
    Config.NoticeSound = 1;
    ShowNotice();
    EXPECT_EQ(played, std::vector<std::wstring>{sound});
}

TEST_F(Notice, TheRealPlayerTakesAnyFileWithoutComplaint) {
    // A valid, silent wave file, and one that is no sound at all: neither
    // blocks nor shows anything, sound device or not.
    NoticeSoundPlayer = oldPlayer;
    const std::wstring sound = ProgramFolder + L"Sound.wav";
    std::string wav = "RIFF____WAVEfmt ";
    auto u32 = [&](uint32_t v) { wav.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](uint16_t v) { wav.append(reinterpret_cast<const char*>(&v), 2); };
    u32(16); u16(1); u16(1); u32(8000); u32(8000); u16(1); u16(8);
    wav += "data";
    u32(80);
    wav.append(80, '\x80');
    const uint32_t riff = static_cast<uint32_t>(wav.size() - 8);
    std::memcpy(&wav[4], &riff, 4);
    for (const std::string& content : {wav, std::string("not a sound")}) {
        // The player may still hold the previous file open.
        sndPlaySoundW(nullptr, 0);
        ASSERT_TRUE(vt::WaitUntil([&] { return vt::WriteFileBytes(sound, content); }, 3000));
        const DWORD start = GetTickCount();
        PlayNotifySound();
        EXPECT_LT(GetTickCount() - start, 2000u);
        Sleep(100);
        EXPECT_EQ(vt::FindMessageBox(GetCurrentProcessId()), nullptr);
    }
    sndPlaySoundW(nullptr, 0);
}

TEST_F(Notice, TheNoticePlaysTheSoundShippedBesideTheProgram) {
    // The program's folder as it is built: Sound.wav beside the program.
    ProgramFolder = vt::BinDir() + L"\\";
    const std::wstring sound = vt::BinFile(L"Sound.wav");
    // The system's own reader of sound files takes it: a RIFF WAVE file
    // whose format is PCM and whose samples follow.
    HMMIO file = mmioOpenW(const_cast<wchar_t*>(sound.c_str()), nullptr, MMIO_READ | MMIO_DENYWRITE);
    ASSERT_TRUE(file) << "no Sound.wav beside the program";
    MMCKINFO riff{}, chunk{};
    riff.fccType = mmioFOURCC('W', 'A', 'V', 'E');
    EXPECT_EQ(mmioDescend(file, &riff, nullptr, MMIO_FINDRIFF), MMSYSERR_NOERROR);
    chunk.ckid = mmioFOURCC('f', 'm', 't', ' ');
    EXPECT_EQ(mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    PCMWAVEFORMAT format{};
    EXPECT_EQ(mmioRead(file, reinterpret_cast<HPSTR>(&format), sizeof format), LONG(sizeof format));
    EXPECT_EQ(format.wf.wFormatTag, WAVE_FORMAT_PCM);
    mmioAscend(file, &chunk, 0);
    chunk.ckid = mmioFOURCC('d', 'a', 't', 'a');
    EXPECT_EQ(mmioDescend(file, &chunk, &riff, MMIO_FINDCHUNK), MMSYSERR_NOERROR);
    EXPECT_GT(chunk.cksize, format.wf.nAvgBytesPerSec / 10) << "a tenth of a second at least";
    mmioClose(file, 0);

    // A notice with the sound on hands exactly that file to the system's
    // player, which takes it.
    static bool (*real)(const std::wstring&);
    static bool taken;
    real = oldPlayer;
    taken = false;
    NoticeSoundPlayer = [](const std::wstring& path) {
        played.push_back(path);
        return taken = real(path);
    };
    Config.NoticeSound = 1;
    Config.NoticeSlideIn = 0;
    SetNoticeText(L"Image sent to Clipboard");
    ShowNotice();
    EXPECT_EQ(played, std::vector<std::wstring>{sound});
    EXPECT_TRUE(taken);
    EXPECT_EQ(vt::FindMessageBox(GetCurrentProcessId()), nullptr);
    sndPlaySoundW(nullptr, 0);
}

// ---- Tray icon ------------------------------------------------------------------

class CommandSink : public ui::Window {
public:
    std::vector<UINT> commands;

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_COMMAND) commands.push_back(LOWORD(wParam));
        return Default(message, wParam, lParam);
    }
};

TEST(TrayIcon, HiddenWindowTipAndClicks) {
    ui::TrayIcon icon;
    HWND w = icon.WindowHandle();
    ASSERT_TRUE(w);
    EXPECT_EQ(vt::ClassOf(w), L"VorlixTrayIcon");
    EXPECT_FALSE(IsWindowVisible(w));

    const std::wstring seventy(70, L'x');
    icon.SetToolTip(L"0123456789" + seventy);
    EXPECT_EQ(icon.ToolTip(), (L"0123456789" + seventy).substr(0, 62));
    EXPECT_EQ(vt::WindowText(w), icon.ToolTip());
    icon.SetToolTip(L" Vorlix Tessavue ");
    EXPECT_EQ(vt::WindowText(w), L" Vorlix Tessavue ");
    // WM_USER+2 applies the tip again.
    SetWindowTextW(w, L"changed");
    vt::Post(w, WM_USER + 2);
    vt::PumpFor(100);
    EXPECT_EQ(vt::WindowText(w), L" Vorlix Tessavue ");

    int clicks = 0, doubles = 0, rights = 0;
    POINT at{};
    icon.OnClick = [&] { ++clicks; };
    icon.OnDblClick = [&] { ++doubles; };
    icon.OnRightClick = [&](int x, int y) { ++rights; at = POINT{x, y}; };
    SetCursorPos(300, 200);
    for (LPARAM m : {WM_LBUTTONUP, WM_LBUTTONDOWN, WM_MOUSEMOVE, WM_LBUTTONDBLCLK, WM_RBUTTONDOWN, WM_RBUTTONUP})
        vt::Post(w, WM_USER + 1, 0, m);
    vt::Post(w, WM_USER + 3, 0, WM_LBUTTONUP);  // not the callback message
    vt::PumpFor(200);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(doubles, 1);
    EXPECT_EQ(rights, 1);
    POINT cursor;
    GetCursorPos(&cursor);
    EXPECT_EQ(at.x, cursor.x);
    EXPECT_EQ(at.y, cursor.y);
}

TEST(TrayIcon, RightClickPopsTheMenuUpThenReports) {
    CommandSink owner;
    ASSERT_TRUE(owner.Create(L"VorlixTestMenuOwner", L"", WS_POPUP, 0, 0, 0, 0, 0));
    ui::MenuHandle menu(CreatePopupMenu());
    AppendMenuW(menu, MF_STRING, 101, L"First");
    AppendMenuW(menu, MF_STRING, 102, L"Second");
    ui::TrayIcon icon;
    icon.popupMenu = menu;
    icon.menuOwner = owner.Handle();
    std::atomic<int> menusSeen{0};
    bool menuBeforeReport = false;
    icon.OnRightClick = [&](int, int) { menuBeforeReport = menusSeen > 0; };

    // Esc closes the first menu; Down, Down, Return chooses "Second".
    for (const std::vector<WPARAM>& keys : {std::vector<WPARAM>{VK_ESCAPE},
                                            std::vector<WPARAM>{VK_DOWN, VK_DOWN, VK_RETURN}}) {
        std::thread driver([&] {
            HWND popup = vt::WaitForWindow(GetCurrentProcessId(), L"#32768");
            if (!popup) return;
            vt::WaitUntil([&] { return IsWindowVisible(popup) != FALSE; });
            ++menusSeen;
            for (WPARAM k : keys) {
                vt::Post(popup, WM_KEYDOWN, k, 0);
                Sleep(50);
            }
        });
        menuBeforeReport = false;
        vt::Post(icon.WindowHandle(), WM_USER + 1, 0, WM_RBUTTONUP);
        vt::PumpFor(1500);
        driver.join();
        EXPECT_TRUE(menuBeforeReport);
    }
    EXPECT_EQ(menusSeen, 2);
    vt::PumpFor(100);
    EXPECT_EQ(owner.commands, std::vector<UINT>{102});

    // During a delivery the menu is taken away: the right click only reports.
    icon.popupMenu = nullptr;
    menusSeen = 0;
    int reports = 0;
    icon.OnRightClick = [&](int, int) { ++reports; };
    vt::Post(icon.WindowHandle(), WM_USER + 1, 0, WM_RBUTTONUP);
    vt::PumpFor(300);
    EXPECT_EQ(reports, 1);
    EXPECT_EQ(vt::FindWindowOf(GetCurrentProcessId(), L"#32768") == nullptr ||
                  !IsWindowVisible(vt::FindWindowOf(GetCurrentProcessId(), L"#32768")),
              true);
}

TEST(TrayIcon, TheMainWindowsHandlersStopTimerAndAutoScrollOrOpenTheOptions) {
    static int options = 0, stops = 0;
    OpenOptionsDialogProc = [] { ++options; };
    StopTimerCaptureProc = [] { ++stops; };
    struct Case { bool autoScroll, timer; int clickOptions, clickStops, clickAutoStop, rightStops, rightAutoStop; };
    for (const Case& c : {Case{false, false, 1, 0, 0, 0, 0}, Case{false, true, 0, 1, 0, 1, 0},
                          Case{true, false, 0, 0, 2, 0, 2}, Case{true, true, 0, 0, 2, 1, 2}}) {
        SCOPED_TRACE(std::to_string(c.autoScroll) + std::to_string(c.timer));
        AutoScrollRunning = c.autoScroll;
        TimerRunning = c.timer;
        options = stops = 0;
        AutoScrollStop = 0;
        TrayIconClick();
        EXPECT_EQ(options, c.clickOptions);
        EXPECT_EQ(stops, c.clickStops);
        EXPECT_EQ(AutoScrollStop, c.clickAutoStop);
        options = stops = 0;
        AutoScrollStop = 0;
        TrayIconRightClick();
        EXPECT_EQ(options, 0);
        EXPECT_EQ(stops, c.rightStops);
        EXPECT_EQ(AutoScrollStop, c.rightAutoStop);
    }
    AutoScrollRunning = TimerRunning = false;
    OpenOptionsDialogProc = nullptr;
    StopTimerCaptureProc = nullptr;
}

}  // namespace
