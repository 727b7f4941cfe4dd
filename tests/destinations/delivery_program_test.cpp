// The destinations in the real program: images handed over by another
// program (the hand-over file and message) reach the clipboard, a file, the
// graphic editor (Paint, found on the search path) and Zovozu (found in the
// registry); the folder check at start-up; the notice strip as seen from
// outside; the tray menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "base/configuration.h"
#include "harness.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kZovozuKey[] = L"Software\\Vorlix Zovozu";
const wchar_t kCaption[] = L"Vorlix Message";

std::wstring Wide(const std::string& s) {
    std::wstring out(s.size() + 1, L'\0');
    out.resize(MultiByteToWideChar(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size())));
    return out;
}

std::wstring Desktop() {
    wchar_t path[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOP, FALSE);
    return vt::WithSlash(path);
}

// Follows the main window's left edge from outside while the program runs.
class StripWatcher {
public:
    explicit StripWatcher(HWND main) : main_(main), thread_([this] { Run(); }) {}
    ~StripWatcher() {
        stop_ = true;
        thread_.join();
    }
    std::vector<int> Lefts() {
        std::lock_guard lock(mutex_);
        return lefts_;
    }
    bool Saw(int left) {
        auto l = Lefts();
        return std::find(l.begin(), l.end(), left) != l.end();
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        lefts_.clear();
    }

private:
    void Run() {
        while (!stop_) {
            RECT r;
            if (GetWindowRect(main_, &r)) {
                std::lock_guard lock(mutex_);
                if (lefts_.empty() || lefts_.back() != r.left) lefts_.push_back(r.left);
            }
        }
    }
    HWND main_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<int> lefts_;
    std::thread thread_;
};

class DeliveryProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vt::DeleteKeyTree(kZovozuKey);
        record.FileNaming = fnFixed;
        record.FileName = "handed";
        record.FileFormat = ifPNG;
        record.SendTo[dFile] = 1;  // the editor may reuse the File destination's file
        record.EditorFileName = "edited";
        record.EditorFormat = ifBMP;
        record.UseCustomEditor = 1;
        record.CustomEditorPath.clear();  // Paint is looked for
        record.CustomEditorCommandLine = "\"<CAPTURE>\"";
    }
    void TearDown() override {
        run.Stop();
        vt::DeleteKeyTree(kZovozuKey);
    }

    // Without the record the program starts as on its first run.
    void Start(const wchar_t* exe = L"Vorlix.exe", bool withRecord = true) {
        run.storeRecord = withRecord;
        ASSERT_TRUE(run.Launch(exe));
    }
    void WaitForMain() { ASSERT_TRUE(run.WaitStarted()); }
    TConfiguration Stored() { return run.Stored(); }

    // Hands an image over and waits until the strip has come and gone again.
    void HandOver(const vt::Pixels& image, UINT message, StripWatcher& strip) {
        ASSERT_TRUE(vt::SaveBmp(image, handOver));
        strip.Clear();
        ASSERT_TRUE(vt::Post(main, message));
        EXPECT_TRUE(vt::WaitUntil([&] {
            auto l = strip.Lefts();
            return l.size() >= 3 && l.back() == -138;
        }, 15000)) << "no notice";
        EXPECT_FALSE(vt::FileExists(handOver)) << "the hand-over file is deleted";
    }

    vt::Program run{{.files = {L"Vorlix.chm"}}};
    TConfiguration& record = run.record;
    const std::wstring& scratch = run.scratch;
    const std::wstring& program = run.folder;
    const std::wstring& out = run.out;
    const std::wstring handOver = run.HandOverFile();
    vt::Process& running = run.process;
    HWND& main = run.main;
    const std::wstring& log = run.recorderLog;
};

vt::Pixels Image(int seed) {
    vt::Pixels p(29, 17);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) p.At(x, y) = RGB(x * 8, y * 12 + seed, (seed * 40 + x + y) & 0xFF);
    return p;
}

TEST_F(DeliveryProgram, HandOversReachClipboardFileEditorAndZovozu) {
    // Paint is the graphic editor: found on the search path, beside the program.
    const std::wstring paint = vt::CopyRecorderAs(vt::Join(program, L"mspaint.exe"));
    const std::wstring zovozu = vt::Join(scratch, L"Vorlix Zovozu");
    ASSERT_FALSE(vt::CopyRecorderAs(vt::Join(zovozu, L"brannet.exe")).empty());
    ASSERT_TRUE(vt::WriteString(kZovozuKey, L"InstallPath", zovozu));
    Start();
    WaitForMain();
    StripWatcher strip(main);
    const int shown = GetSystemMetrics(SM_CXSCREEN) - 138 - 10;

    // Clipboard: another program (this one) reads the image.
    ASSERT_TRUE(vt::EmptyTheClipboard());
    const vt::Pixels first = Image(1);
    HandOver(first, WM_HANDOVER_CLIPBOARD, strip);
    EXPECT_TRUE(strip.Saw(shown)) << "the notice slid in";
    auto dib = vt::ClipboardDib();
    ASSERT_TRUE(dib);
    EXPECT_EQ(harness::MaxDifference(*dib, first), 0);

    // File: a PNG with the same pixels.
    HandOver(first, WM_HANDOVER_FILE, strip);
    auto png = harness::ReadImage(out + L"handed.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(png->format, L"PNG");
    EXPECT_EQ(harness::MaxDifference(png->pixels, first), 0);

    // Editor with the same image: Paint gets the File destination's file.
    HandOver(first, WM_HANDOVER_EDITOR, strip);
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= 1; }, 10000));
    auto records = vt::ReadRecorderLog(log);
    EXPECT_TRUE(vt::SamePath(records[0].exe, paint));
    ASSERT_EQ(vt::SplitCommandLine(records[0].commandLine).size(), 2u);
    EXPECT_TRUE(vt::SamePath(vt::SplitCommandLine(records[0].commandLine)[1], out + L"handed.png"));
    // The empty editor setting now names Paint, stored.
    const TConfiguration stored = Stored();
    EXPECT_TRUE(vt::SamePath(Wide(std::string(stored.CustomEditorPath.chars, stored.CustomEditorPath.length)), paint));

    // Editor with another image: a temporary copy of that image.
    const vt::Pixels second = Image(2);
    HandOver(second, WM_HANDOVER_EDITOR, strip);
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= 2; }, 10000));
    records = vt::ReadRecorderLog(log);
    auto args = vt::SplitCommandLine(records[1].commandLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_TRUE(vt::SamePath(run.Temp(L"edited1.bmp"), args[1])) << args[1].c_str();
    auto copy = harness::ReadImage(args[1]);
    ASSERT_TRUE(copy);
    EXPECT_EQ(harness::MaxDifference(copy->pixels, second), 0);

    // Zovozu: a numbered bitmap in the temporary folder.
    HandOver(second, WM_HANDOVER_ZOVOZU, strip);
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= 3; }, 10000));
    records = vt::ReadRecorderLog(log);
    EXPECT_TRUE(vt::SamePath(records[2].exe, vt::Join(zovozu, L"brannet.exe")));
    EXPECT_TRUE(vt::SamePath(records[2].workDir, zovozu));
    args = vt::SplitCommandLine(records[2].commandLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[1].substr(args[1].find_last_of(L'\\') + 1), L"screenshot1.bmp");
    auto bmp = harness::ReadImage(args[1]);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(bmp->format, L"BMP");
    EXPECT_EQ(harness::MaxDifference(bmp->pixels, second), 0);

    EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr) << "no error on the way";
    EXPECT_TRUE(running.Running());
}

TEST_F(DeliveryProgram, AnUnusableFileNameEndsInTheMessageAndTheCancelledNotice) {
    record.FileName = "..\\escape";
    Start();
    WaitForMain();
    StripWatcher strip(main);
    ASSERT_TRUE(vt::SaveBmp(Image(3), handOver));
    ASSERT_TRUE(vt::Post(main, WM_HANDOVER_FILE));
    HWND box = vt::WaitForMessageBox(running.Id(), kCaption, 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"Vorlix cannot save your screenshot to :\r" + out +
                                                L"..\\escape.png\rClose the application which is using the file "
                                                L"or choose another File Name/Location.");
    ASSERT_TRUE(vt::PressButton(box, L"OK"));
    // CANCELLED slides in from the left up to 10, then the strip is parked.
    EXPECT_TRUE(vt::WaitUntil([&] { return strip.Saw(10) && strip.Lefts().back() == -138; }, 15000));
    for (int left : strip.Lefts()) EXPECT_TRUE(left == -138 || (left > -138 && left <= 10)) << left;
    EXPECT_FALSE(vt::FileExists(vt::Join(scratch, L"escape.png")));
    EXPECT_TRUE(running.Running());
}

TEST_F(DeliveryProgram, StartUpMovesAMissingOutputFolderToTheDesktop) {
    struct Case { const wchar_t* exe; const wchar_t* text; };
    for (const Case& c : {Case{L"Vorlix.exe", L"Destination folder no longer exists.\rDestination is now set to desktop."},
                          Case{L"Vorlix-cn.exe", L"目标文件夹已不存在。\r目标现已设置为桌面。"}}) {
        SCOPED_TRACE(vt::Ansi(c.exe));
        record.FileFolder = vt::Ansi(vt::Join(scratch, L"gone\\"));
        Start(c.exe);
        HWND box = vt::WaitForMessageBox(running.Id(), nullptr, 15000);
        ASSERT_TRUE(box);
        EXPECT_EQ(vt::ReadMessageBox(box).text, c.text);
        ASSERT_TRUE(vt::PressButton(box, L"OK"));
        WaitForMain();
        EXPECT_TRUE(vt::WaitUntil([&] {
            const TConfiguration stored = Stored();
            return std::string(stored.FileFolder.chars, stored.FileFolder.length) == vt::Ansi(Desktop());
        })) << "stored at once";
        vt::Post(main, WM_CLOSE);
        ASSERT_TRUE(running.Wait(10000));
        running = vt::Process();
    }
}

// The user's desktop folder, for the programs started while it lives.
class ScopedDesktop {
public:
    explicit ScopedDesktop(const std::wstring& folder) : old_(vt::ReadString(kShellFolders, L"Desktop")) {
        EXPECT_TRUE(vt::WriteString(kShellFolders, L"Desktop", folder));
    }
    ~ScopedDesktop() {
        if (old_) vt::WriteString(kShellFolders, L"Desktop", *old_);
        else vt::DeleteValue(kShellFolders, L"Desktop");
    }

private:
    static constexpr wchar_t kShellFolders[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    std::optional<std::wstring> old_;
};

// The folder a stored path names, in its long form.
std::wstring LongFormOf(const std::string& stored) {
    const std::wstring wide = Wide(stored);
    std::wstring out(32768, L'\0');
    out.resize(GetLongPathNameW(wide.c_str(), out.data(), DWORD(out.size())));
    return out;
}

TEST_F(DeliveryProgram, ADesktopNamedOutsideTheCodePageKeepsReceivingTheFiles) {
    // The English build, code page 1252, a Chinese user's desktop.
    if (GetACP() == 936) GTEST_SKIP() << "the code page holds Chinese";
    const std::wstring desktop = vt::WithSlash(vt::Join(scratch, L"\u684c\u9762"));
    ASSERT_TRUE(vt::MakeDirs(desktop));
    ScopedDesktop user(desktop);
    // The first start stores the default folder in a form that names the
    // desktop again, and says nothing.
    Start(L"Vorlix.exe", false);
    ASSERT_TRUE(vt::WaitUntil([&] {
        return vt::FindMessageBox(running.Id()) || vt::WaitForStartUp(running.Id(), 100);
    }, 20000));
    EXPECT_EQ(vt::ReadMessageBox(vt::FindMessageBox(running.Id())).text, L"") << "no message at start-up";
    WaitForMain();
    const std::string stored = Stored().FileFolder.str();
    EXPECT_EQ(stored.find('?'), std::string::npos) << stored;
    EXPECT_TRUE(vt::SamePath(LongFormOf(stored), desktop)) << stored;
    vt::Post(main, WM_CLOSE);
    ASSERT_TRUE(running.Wait(10000));

    // The next start finds the folder; a capture lands on the desktop.
    record = Stored();
    record.FileNaming = fnFixed;
    record.FileName = "handed";
    record.FileFormat = ifPNG;
    Start();
    ASSERT_TRUE(vt::WaitUntil([&] {
        return vt::FindMessageBox(running.Id()) || vt::WaitForStartUp(running.Id(), 100);
    }, 20000));
    EXPECT_EQ(vt::ReadMessageBox(vt::FindMessageBox(running.Id())).text, L"") << "no message at start-up";
    WaitForMain();
    StripWatcher strip(main);
    const vt::Pixels image = Image(4);
    HandOver(image, WM_HANDOVER_FILE, strip);
    auto png = harness::ReadImage(desktop + L"handed.png");
    ASSERT_TRUE(png);
    EXPECT_EQ(harness::MaxDifference(png->pixels, image), 0);
    EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr);
}

// The web address of the n-th program the recorder saw started.
std::wstring OpenedAddress(const std::wstring& log, size_t n) {
    vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= n; }, 10000);
    const auto records = vt::ReadRecorderLog(log);
    if (records.size() < n) return L"(nothing opened)";
    const auto args = vt::SplitCommandLine(records[n - 1].commandLine);
    return args.size() == 2 ? args[1] : records[n - 1].commandLine;
}

TEST_F(DeliveryProgram, TheTrayMenuRunsItsItems) {
    Start();
    WaitForMain();
    // A left click opens the options dialog (tested on its own in tests/options);
    // closing it leaves the program running.
    HWND tray = vt::FindWindowOf(running.Id(), L"VorlixTrayIcon");
    ASSERT_TRUE(tray);
    ASSERT_TRUE(vt::Post(tray, WM_USER + 1, 0, WM_LBUTTONUP));
    HWND options = vt::WaitForWindow(running.Id(), L"#32770", L"Vorlix Tessavue - Options", 10000);
    ASSERT_TRUE(options);
    ASSERT_TRUE(vt::CloseDialog(options));
    ASSERT_TRUE(vt::WaitGone(options, 10000));
    const WPARAM down = VK_DOWN, right = VK_RIGHT;
    // Items: Options, Tools (Vorlix Zovozu, Vorlix Editor, Scanners & Cameras),
    // Tell a Friend, Check for new version, Help, About, Exit. Acquire and
    // Select Source are not part of this build yet.

    // Tools, Vorlix Zovozu: not installed, so the program offers the download.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, right}));
    HWND box = vt::WaitForMessageBox(running.Id(), L"Vorlix Tessavue", 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"Vorlix Zovozu is not installed. Do you want to download it now ?");
    ASSERT_TRUE(vt::PressButton(box, L"Yes"));
    EXPECT_EQ(OpenedAddress(log, 1), L"https://www.vorlix.com/zovozu/download");

    // Tools, Vorlix Editor: the same question; No opens nothing.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, right, down}));
    box = vt::WaitForMessageBox(running.Id(), L"Vorlix Tessavue", 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"Vorlix Editor is not installed. Do you want to download it now ?");
    ASSERT_TRUE(vt::PressButton(box, L"No"));

    // Tell a Friend and Check for new version open the maker's pages.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, down}));
    EXPECT_EQ(OpenedAddress(log, 2), L"https://www.vorlix.com/tessavue/recommend");
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, down, down}));
    EXPECT_EQ(OpenedAddress(log, 3), L"https://www.vorlix.com/tessavue/version?v=1.0");
    vt::PumpFor(300);
    EXPECT_EQ(vt::ReadRecorderLog(log).size(), 3u) << "the editor's No opened nothing";

    // Help: the help beside the program opens in the system's help viewer
    // (Wine's own hh.exe), which reads its contents.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, down, down, down}));
    HWND viewer = vt::WaitForHelpViewer(L"Vorlix Tessavue Help");
    ASSERT_TRUE(viewer) << "the help did not open";
    EXPECT_EQ(vt::HelpViewerContents(viewer).front(), L"Vorlix Tessavue Help");
    EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr);
    EXPECT_TRUE(vt::CloseHelpViewer(viewer));
    // A broken installation without it: the user is told.
    ASSERT_TRUE(DeleteFileW(vt::Join(program, L"Vorlix.chm").c_str()));
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, down, down, down}));
    box = vt::WaitForMessageBox(running.Id(), kCaption, 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"The file Vorlix.chm is missing. Please reinstall Vorlix.");
    ASSERT_TRUE(vt::PressButton(box, L"OK"));
    ASSERT_TRUE(vt::WaitGone(box));

    // About: the about box (tested on its own in tests/tutorial).
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, down, down, down, down}));
    HWND about = vt::WaitForWindow(running.Id(), L"#32770", L"About Vorlix Tessavue", 10000);
    ASSERT_TRUE(about);
    // Found as soon as it exists; its buttons are there once it shows.
    ASSERT_TRUE(vt::WaitUntil([&] { return IsWindowVisible(about) != FALSE; }, 10000));
    ASSERT_TRUE(vt::PressButton(about, L"Close"));
    ASSERT_TRUE(vt::WaitGone(about));

    // Exit ends the program.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(running.Id(), {down, down, down, down, down, down, down}));
    EXPECT_TRUE(running.Wait(10000));
    EXPECT_EQ(running.ExitCode(), 0u);
    running = vt::Process();
}

}  // namespace
