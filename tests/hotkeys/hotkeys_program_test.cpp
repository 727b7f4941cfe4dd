// The running program's hotkeys and start-up clean-up, seen from another
// process: which keys it holds, the box it shows when a key is taken, and
// what it leaves of its temporary folder.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>
#include <string>

#include "base/configuration.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

constexpr UINT kCtrlShift = MOD_CONTROL | MOD_SHIFT;

// Nobody holds key + modifiers: this process can register it.
const auto Free = vt::HotkeyFree;

class ProgramHotkeys : public ::testing::Test {
protected:
    void TearDown() override { Close(); }

    // Starts the program with these settings; returns its main window, which
    // is there before the start-up is over.
    HWND Start() {
        EXPECT_TRUE(run.Launch());
        HWND main = vt::WaitForWindow(program.Id(), L"TuMainForm");
        EXPECT_NE(main, nullptr);
        return main;
    }
    void WaitStarted() { EXPECT_TRUE(run.WaitStarted()); }
    void Close() { EXPECT_TRUE(run.Stop()); }

    vt::Program run;
    TConfiguration& config = run.record;
    const std::wstring& temp = run.temp;
    const vt::Process& program = run.process;
};

const wchar_t* const kAtomNames[] = {L"Esc", L"Print Screen", L"Alt Print Screen", L"Free Hand",
                                     L"Rectangle", L"Window", L"Repeat", L"Timer"};

TEST_F(ProgramHotkeys, HeldWhileRunningAndReleasedAtExit) {
    Start();
    WaitStarted();
    EXPECT_FALSE(Free(0, VK_SNAPSHOT));
    EXPECT_FALSE(Free(MOD_ALT, VK_SNAPSHOT));
    for (UINT f = VK_F1; f <= VK_F5; ++f) EXPECT_FALSE(Free(kCtrlShift, f)) << f;
    EXPECT_TRUE(Free(0, VK_ESCAPE));  // only while a selection runs
    for (const wchar_t* name : kAtomNames) EXPECT_NE(GlobalFindAtomW(name), 0) << name;
    EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);

    Close();
    EXPECT_TRUE(Free(0, VK_SNAPSHOT));
    EXPECT_TRUE(Free(MOD_ALT, VK_SNAPSHOT));
    for (UINT f = VK_F1; f <= VK_F5; ++f) EXPECT_TRUE(Free(kCtrlShift, f)) << f;
    for (const wchar_t* name : kAtomNames) EXPECT_EQ(GlobalFindAtomW(name), 0) << name;
}

TEST_F(ProgramHotkeys, HotkeysOffLeavesTheCaptureTypesFree) {
    config.HotkeysOn = 0;
    Start();
    WaitStarted();
    for (UINT f = VK_F1; f <= VK_F3; ++f) EXPECT_TRUE(Free(kCtrlShift, f)) << f;
    EXPECT_FALSE(Free(kCtrlShift, VK_F4));  // Repeat
    EXPECT_FALSE(Free(kCtrlShift, VK_F5));  // Timer
    EXPECT_FALSE(Free(0, VK_SNAPSHOT));
    EXPECT_FALSE(Free(MOD_ALT, VK_SNAPSHOT));
    Close();
    EXPECT_TRUE(Free(kCtrlShift, VK_F4));
}

TEST_F(ProgramHotkeys, KeysTakenByAnotherProgramAreReportedInOneBox) {
    // This process stands for the other program that got there first.
    const vt::HeldHotkey printScreen(0, VK_SNAPSHOT), rectangle(kCtrlShift, VK_F2);
    ASSERT_TRUE(printScreen.Held() && rectangle.Held());
    config.HkTimer = HotkeyAlt | 'T';

    Start();
    HWND box = vt::WaitForMessageBox(program.Id());
    ASSERT_NE(box, nullptr);
    const vt::MessageBoxInfo info = vt::ReadMessageBox(box);
    EXPECT_EQ(info.caption, L"Vorlix Message");
    EXPECT_EQ(info.text,
              L"The following hotkeys are not available to Vorlix:\r"
              L"Hotkey: PRINT SCREEN\t Function: Capture Desktop\r"
              L"Hotkey: CTRL + SHIFT + F2\t Function: Capture Rectangle\r"
              L"\r"
              L"You can either try other hotkeys or close the applications which are using them.");
    EXPECT_TRUE(vt::PressButton(box, L"OK"));
    EXPECT_TRUE(vt::WaitGone(box));
    WaitStarted();

    // The program runs on with the other hotkeys.
    EXPECT_EQ(vt::FindMessageBox(program.Id()), nullptr);
    EXPECT_FALSE(Free(MOD_ALT, VK_SNAPSHOT));
    EXPECT_FALSE(Free(kCtrlShift, VK_F1));
    EXPECT_FALSE(Free(kCtrlShift, VK_F3));
    EXPECT_FALSE(Free(MOD_ALT, 'T'));
    Close();
    // Its exit leaves the other program's keys alone.
    EXPECT_FALSE(Free(0, VK_SNAPSHOT));
}

// Presses and releases a key through the system's input.
void Press(WORD key) {
    std::vector<INPUT> in;
    auto add = [&in](WORD vk, DWORD flags) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.dwFlags = flags;
        in.push_back(i);
    };
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
}

// The image the program put on the clipboard, once it is there.
std::optional<vt::Pixels> ClipboardImage() {
    std::optional<vt::Pixels> image;
    vt::WaitUntil([&] { return (image = vt::ClipboardDib()).has_value(); }, 8000);
    return image;
}

// A window of this process in four known colours, one per quarter of its
// client area.
class QuarterWindow {
public:
    static constexpr COLORREF kColours[4] = {RGB(200, 30, 40), RGB(20, 160, 60), RGB(30, 60, 210), RGB(230, 200, 20)};
    QuarterWindow(DWORD style, int x, int y, int w, int h) {
        window = CreateWindowExW(WS_EX_TOPMOST, vt::RegisterWindowClass(L"HotkeysQuarterWindow", Proc), L"Active",
                                 style | WS_VISIBLE, x, y, w, h, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        SetForegroundWindow(window);
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
        vt::PumpFor(200);
    }
    ~QuarterWindow() { DestroyWindow(window); }
    RECT Rect() const {
        RECT r;
        GetWindowRect(window, &r);
        return r;
    }
    // The centre of quarter q (0 top left, 1 top right, 2 bottom left, 3
    // bottom right) in screen coordinates.
    POINT Centre(int q) const {
        RECT c;
        GetClientRect(window, &c);
        POINT p{(q % 2 ? 3 : 1) * c.right / 4, (q / 2 ? 3 : 1) * c.bottom / 4};
        ClientToScreen(window, &p);
        return p;
    }
    HWND window = nullptr;

private:
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        if (m != WM_PAINT) return DefWindowProcW(w, m, wp, lp);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT c;
        GetClientRect(w, &c);
        for (int q = 0; q < 4; ++q) {
            RECT r{q % 2 ? c.right / 2 : 0, q / 2 ? c.bottom / 2 : 0, q % 2 ? c.right : c.right / 2,
                   q / 2 ? c.bottom : c.bottom / 2};
            HBRUSH brush = CreateSolidBrush(kColours[q]);
            FillRect(dc, &r, brush);
            DeleteObject(brush);
        }
        EndPaint(w, &ps);
        return 0;
    }
};

// Number of pixels in which two images differ (all of them when the sizes do).
size_t Differing(const vt::Pixels& a, const vt::Pixels& b) {
    if (a.width != b.width || a.height != b.height) return std::max(a.data.size(), b.data.size()) + 1;
    size_t n = 0;
    for (size_t i = 0; i < a.data.size(); ++i) n += a.data[i] != b.data[i];
    return n;
}

TEST_F(ProgramHotkeys, PrintScreenAltPrintScreenAndRepeatDeliver) {
    for (int d = 0; d < DestinationCount; ++d) config.SendTo[d] = d == dClipboard;
    config.RepeatMode = 0;
    // Without the notice a delivery pumps no messages, so each hotkey below
    // arrives after the previous delivery has ended (one arriving during the
    // notice would rightly be ignored). It also leaves the screen still.
    config.NoticeSlideIn = 0;
    config.NoticeSound = 0;
    Start();
    WaitStarted();
    HWND main = vt::FindWindowOf(program.Id(), L"TuMainForm");

    // Print Screen: the whole screen as it is, the known window in it.
    {
        QuarterWindow known(WS_POPUP, 200, 150, 160, 100);
        const RECT screenRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        const vt::Pixels screen = vt::CaptureScreen(screenRect);
        ASSERT_TRUE(vt::EmptyTheClipboard());
        Press(VK_SNAPSHOT);
        const auto image = ClipboardImage();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, screenRect.right);
        EXPECT_EQ(image->height, screenRect.bottom);
        EXPECT_EQ(Differing(*image, screen), 0u);
        for (int q = 0; q < 4; ++q) {
            const POINT p = known.Centre(q);
            EXPECT_EQ(image->At(p.x, p.y), QuarterWindow::kColours[q]) << q;
        }
    }

    // Alt+Print Screen: the active window, one of this process, frame and all.
    vt::Pixels active;
    {
        QuarterWindow window(WS_OVERLAPPEDWINDOW, 150, 120, 260, 170);
        const RECT r = window.Rect();
        const vt::Pixels screen = vt::CaptureScreen(r);
        ASSERT_TRUE(vt::EmptyTheClipboard());
        // Under Wine injected input triggers only hotkeys without modifiers, so
        // this one arrives as the message the system would send.
        ASSERT_TRUE(vt::Post(main, WM_HOTKEY, GlobalFindAtomW(L"Alt Print Screen")));
        const auto image = ClipboardImage();
        ASSERT_TRUE(image);
        EXPECT_EQ(image->width, r.right - r.left);
        EXPECT_EQ(image->height, r.bottom - r.top);
        EXPECT_EQ(Differing(*image, screen), 0u);
        for (int q = 0; q < 4; ++q) {
            const POINT p = window.Centre(q);
            EXPECT_EQ(image->At(p.x - r.left, p.y - r.top), QuarterWindow::kColours[q]) << q;
        }
        active = *image;
    }

    // Repeat (Ctrl+Shift+F4) delivers the last image once more: the window
    // is gone from the screen, but not from the image.
    vt::PumpFor(200);
    ASSERT_TRUE(vt::EmptyTheClipboard());
    ASSERT_TRUE(vt::Post(main, WM_HOTKEY, GlobalFindAtomW(L"Repeat")));
    const auto again = ClipboardImage();
    ASSERT_TRUE(again);
    EXPECT_EQ(Differing(*again, active), 0u);
}

// Alt+Print Screen pressed again and again over another program's window:
// neither the notice that reports each delivery nor the program's save
// prompt leaves one of the program's own windows in the foreground, so every
// press takes the user's window and that window keeps the keyboard.
TEST_F(ProgramHotkeys, AltPrintScreenTakesTheUsersWindowEveryTime) {
    for (int d = 0; d < DestinationCount; ++d) config.SendTo[d] = d == dFile;
    config.FileFormat = ifBMP;
    config.FileName = "shot";
    config.NoticeSlideIn = 1;
    config.NoticeSound = 0;
    for (const TFileNaming naming : {fnNumbered, fnAsk}) {
        SCOPED_TRACE(naming == fnAsk ? "save prompt" : "numbered names");
        const std::wstring folder = vt::Join(temp, naming == fnAsk ? L"asked" : L"numbered");
        ASSERT_TRUE(vt::MakeDirs(folder));
        config.FileFolder = vt::Ansi(vt::WithSlash(folder));
        config.FileNaming = naming;
        QuarterWindow user(WS_OVERLAPPEDWINDOW, 300, 200, 420, 330);
        ASSERT_EQ(GetForegroundWindow(), user.window);
        HWND main = Start();
        WaitStarted();
        for (int n = 1; n <= 3; ++n) {
            ASSERT_TRUE(vt::Post(main, WM_HOTKEY, GlobalFindAtomW(L"Alt Print Screen")));
            const std::wstring file = vt::Join(folder, L"shot" + std::to_wstring(n) + L".bmp");
            if (naming == fnAsk) {
                // The prompt comes to the front; the name is typed and taken.
                HWND prompt = vt::WaitForVisibleWindow(program.Id(), L"#32770", nullptr, 10000);
                ASSERT_NE(prompt, nullptr) << n;
                HWND name = GetDlgItem(prompt, 0x47C);  // the file name field (cmb13, or edt1)
                if (!name) name = GetDlgItem(prompt, 0x480);
                vt::Send(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
                vt::Post(prompt, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED));
            }
            ASSERT_TRUE(vt::WaitUntil([&] { return vt::FileExists(file); }, 10000)) << n;
            EXPECT_EQ(vt::NoticeOutcome(main), "sent") << n;
            EXPECT_TRUE(vt::WaitUntil([&] { return vt::ReadWindow(main).rect.left <= -138; }, 10000)) << n;
            vt::PumpFor(200);
            EXPECT_EQ(GetForegroundWindow(), user.window) << n;
            std::optional<vt::Pixels> image;
            vt::WaitUntil([&] { return (image = vt::LoadBmp(file)).has_value(); }, 3000);
            ASSERT_TRUE(image.has_value()) << n;
            EXPECT_EQ(image->width, 420) << n;
            EXPECT_EQ(image->height, 330) << n;
        }
        Close();
    }
}

TEST_F(ProgramHotkeys, StartUpRemovesOnlyItsOwnTemporaryFiles) {
    const wchar_t* own[] = {L"screenshot3.bmp", L"screenshot4.gif", L"screenshot.gif", HandOverFileName};
    // client.eml: the name of the mail-program probe, which deletes its own at once.
    const wchar_t* foreign[] = {L"screenshot.bmp", L"screenshot3.png", L"holiday1.gif", L"report.txt", L"client.eml"};
    for (const wchar_t* n : own) ASSERT_TRUE(vt::WriteFileBytes(vt::Join(temp, n), "x"));
    for (const wchar_t* n : foreign) ASSERT_TRUE(vt::WriteFileBytes(vt::Join(temp, n), "x"));
    Start();
    WaitStarted();
    // The files go one after the other.
    vt::WaitUntil([&] {
        for (const wchar_t* n : own)
            if (vt::FileExists(vt::Join(temp, n))) return false;
        return true;
    });
    for (const wchar_t* n : own) EXPECT_FALSE(vt::FileExists(vt::Join(temp, n))) << n;
    for (const wchar_t* n : foreign) EXPECT_TRUE(vt::FileExists(vt::Join(temp, n))) << n;
}

}  // namespace
