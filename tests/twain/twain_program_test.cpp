// The tray menu's scanner items in the real program, with our fake source
// manager in the Windows folder: a scan is finished and delivered like a
// capture; without a manager the items do nothing and the program goes on.
// One test runs against Wine's own source manager and its camera source
// instead (real_manager.sh prepares the camera; without it the test skips).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include "base/configuration.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kOverrides[] = L"Software\\Wine\\AppDefaults\\Vorlix.exe\\DllOverrides";
constexpr UINT kAcquire = 104, kSelectSource = 105, kExit = 110;  // tray menu command ids

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

std::wstring WindowsManager() {
    wchar_t folder[MAX_PATH];
    GetWindowsDirectoryW(folder, MAX_PATH);
    return vt::Join(folder, L"twain_32.dll");
}

vt::Pixels Picture(int w, int h, int seed) {
    vt::Pixels p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.At(x, y) = RGB((x * 29 + seed) & 0xFF, (y * 13) & 0xFF, (x + y * seed) & 0xFF);
    return p;
}

class ScanningProgram : public ::testing::Test {
protected:
    void SetUp() override {
        // The Windows folder's manager is set aside while ours stands in.
        manager = WindowsManager();
        saved = vt::Join(scratch, L"wine-twain_32.dll");
        hadManager = vt::FileExists(manager);
        if (hadManager) {
            ASSERT_TRUE(MoveFileW(manager.c_str(), saved.c_str()));
        }
    }
    void TearDown() override {
        run.Stop();
        vt::DeleteKeyTree(L"Software\\Wine\\AppDefaults\\Vorlix.exe");
        DeleteFileW(manager.c_str());
        if (hadManager) MoveFileW(saved.c_str(), manager.c_str());
    }

    // Wine's own manager back in the Windows folder, as a copy: the set-aside
    // original goes back when the test ends.
    void RestoreWinesManager() { ASSERT_TRUE(hadManager && CopyFileW(saved.c_str(), manager.c_str(), FALSE)); }

    void InstallFakeManager() {
        ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"fake-twain\\twain_32.dll"), manager));
        // Wine loads its own TWAIN_32.DLL unless told to take the file's; a
        // child process does not see WINEDLLOVERRIDES set by its parent, so
        // the program's own override goes into the registry.
        ASSERT_TRUE(vt::WriteString(kOverrides, L"twain_32", L"native"));
    }

    void Start(const TConfiguration& record) {
        run.record = record;
        ASSERT_TRUE(run.Start(L"Vorlix.exe", twain.Variables()));
    }

    // Scans straight into numbered bitmaps in `out`, unfinished.
    TConfiguration Record() {
        TConfiguration record = run.record;
        record.EdgeOn = 0;
        record.AnnotationOn = 0;
        record.WatermarkOn = 0;
        for (auto& d : record.SendTo) d = 0;
        record.SendTo[dFile] = 1;
        record.FileNaming = fnNumbered;
        record.FileName = "scan";
        record.FileFormat = ifBMP;
        return record;
    }

    vt::Program run{{.notices = vt::Notices::Still}};
    const std::wstring& scratch = run.scratch;
    const std::wstring& out = run.out;
    vt::Process& running = run.process;
    HWND& main = run.main;
    const vt::StandIn twain{run, L"TWAIN"};
    const std::wstring& log = twain.log;
    std::wstring manager, saved;
    bool hadManager = false;
};

TEST_F(ScanningProgram, EveryScanOfAnAcquisitionIsDelivered) {
    InstallFakeManager();
    std::string s;
    for (int i = 0; i < 3; ++i) {
        const std::wstring path = vt::Join(scratch, L"in" + std::to_wstring(i) + L".bmp");
        ASSERT_TRUE(vt::SaveBmp(Picture(30 + i, 20, i), path));
        s += "image native " + Ansi(path) + "\n";
    }
    ASSERT_TRUE(twain.Play(s));
    TConfiguration record = Record();
    Start(record);
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kAcquire));
    for (int i = 0; i < 3; ++i) {
        const std::wstring file = vt::Join(out, L"scan" + std::to_wstring(i + 1) + L".bmp");
        ASSERT_TRUE(vt::WaitUntil([&] { return vt::FileExists(file); }, 15000)) << "scan " << i;
        std::optional<vt::Pixels> got;
        ASSERT_TRUE(vt::WaitUntil([&] { return (got = vt::LoadBmp(file)).has_value(); }, 5000));
        const vt::Pixels want = Picture(30 + i, 20, i);
        EXPECT_EQ(got->width, want.width);
        EXPECT_TRUE(got->data == want.data) << "scan " << i;
    }
    const std::string l = vt::ReadFileBytes(log);
    EXPECT_EQ(l.find("SEQERROR"), std::string::npos) << l;
    EXPECT_NE(l.find("MSG=0x0302"), std::string::npos) << "the manager was closed";
}

TEST_F(ScanningProgram, ExitDuringAScanEndsTheProgramWithTheSourceClosed) {
    InstallFakeManager();
    const std::wstring path = vt::Join(scratch, L"in.bmp");
    ASSERT_TRUE(vt::SaveBmp(Picture(5, 5, 1), path));
    ASSERT_TRUE(twain.Play("events\nimage native " + Ansi(path) + "\n"));  // never ready
    TConfiguration record = Record();
    Start(record);
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kAcquire));
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadFileBytes(log).find("ENABLE") != std::string::npos; }, 10000));
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kExit));
    EXPECT_TRUE(running.Wait(10000)) << "the program ended";
    const std::string l = vt::ReadFileBytes(log);
    EXPECT_NE(l.find("MSG=0x0302"), std::string::npos) << l;
    EXPECT_EQ(l.find("SEQERROR"), std::string::npos) << l;
    // The single-instance mutex is free again: a new instance starts.
    EXPECT_TRUE(run.Start());
}

TEST_F(ScanningProgram, ASourceThatDoesNotOpenIsTold) {
    InstallFakeManager();
    ASSERT_TRUE(twain.Play("fail 0x0003 0x0401 1\n"));
    TConfiguration record = Record();
    Start(record);
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kAcquire));
    HWND box = vt::WaitForMessageBox(running.Id(), nullptr, 10000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"The scanner or camera cannot be opened.");
    EXPECT_TRUE(vt::PressButton(box, L"OK"));
    EXPECT_TRUE(vt::WaitGone(box));
    const std::string l = vt::ReadFileBytes(log);
    EXPECT_NE(l.find("MSG=0x0302"), std::string::npos) << "the manager was closed: " << l;
}

TEST_F(ScanningProgram, ACameraPictureArrivesThroughWinesOwnManager) {
    // Prepared by real_manager.sh: a camera in the mount table (libgphoto2's
    // "Mass Storage Camera") holding one JPEG, and that JPEG as ImageMagick
    // decodes it.
    wchar_t expectedPath[MAX_PATH];
    if (!GetEnvironmentVariableW(L"VORLIX_CAMERA_EXPECTED", expectedPath, MAX_PATH))
        GTEST_SKIP() << "no camera prepared (tests/twain/real_manager.sh)";
    const std::optional<vt::Pixels> expected = vt::LoadBmp(expectedPath);
    ASSERT_TRUE(expected);
    RestoreWinesManager();
    TConfiguration record = Record();
    Start(record);

    // Exit from the tray while the manager's Select Source dialog is open:
    // the program ends cleanly, the manager still loaded under its dialog.
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kSelectSource));
    ASSERT_TRUE(vt::WaitForVisibleWindow(running.Id(), L"#32770", L"Select Source", 20000));
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kExit));
    ASSERT_TRUE(running.Wait(15000));
    EXPECT_EQ(running.ExitCode(), 0u);
    Start(record);

    // Select Source: Wine's dialog lists the camera; the user picks it.
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kSelectSource));
    HWND select = vt::WaitForVisibleWindow(running.Id(), L"#32770", L"Select Source", 20000);
    ASSERT_TRUE(select);
    HWND list = nullptr;
    for (HWND child : vt::ChildWindows(select, L"ListBox")) list = child;
    ASSERT_TRUE(list);
    int camera = -1;
    std::string names;
    const int count = int(vt::Send(list, LB_GETCOUNT));
    for (int i = 0; i < count && camera < 0; ++i) {
        // A list box's texts are copied across processes by the system.
        wchar_t name[256] = {};
        if (vt::Send(list, LB_GETTEXTLEN, WPARAM(i)) < 255) vt::Send(list, LB_GETTEXT, WPARAM(i), LPARAM(name));
        names += vt::Utf8(name) + "; ";
        if (std::wstring(name).find(L"Mass Storage Camera") != std::wstring::npos) camera = i;
    }
    ASSERT_GE(camera, 0) << "sources listed: " << names;
    vt::Send(list, LB_SETCURSEL, WPARAM(camera));
    ASSERT_TRUE(vt::PressButton(select, L"OK"));
    ASSERT_TRUE(vt::WaitGone(select, 10000));

    // Acquire: the camera's own dialog; Import All starts the transfer.
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kAcquire));
    HWND files = vt::WaitForVisibleWindow(running.Id(), L"#32770", L"Files on Camera", 30000);
    ASSERT_TRUE(files);
    ASSERT_TRUE(vt::PressButton(files, L"Import All"));

    const std::wstring first = vt::Join(out, L"scan1.bmp");
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::FileExists(first); }, 30000));
    std::optional<vt::Pixels> got;
    ASSERT_TRUE(vt::WaitUntil([&] { return (got = vt::LoadBmp(first)).has_value(); }, 5000));
    // Two JPEG decoders (Wine's source brings its own) may round a few
    // pixels the other way; nothing else may differ.
    ASSERT_EQ(got->width, expected->width);
    ASSERT_EQ(got->height, expected->height);
    int rounded = 0, wrong = 0;
    for (size_t i = 0; i < got->data.size(); ++i) {
        const COLORREF a = got->data[i], b = expected->data[i];
        if (a == b) continue;
        const bool oneLevel = std::abs(GetRValue(a) - GetRValue(b)) <= 1 && std::abs(GetGValue(a) - GetGValue(b)) <= 1 &&
                          std::abs(GetBValue(a) - GetBValue(b)) <= 1;
        ++(oneLevel ? rounded : wrong);
    }
    EXPECT_EQ(wrong, 0) << "pixels unlike ImageMagick's decoding of the same JPEG";
    EXPECT_LE(rounded, int(got->data.size()) / 100) << "pixels a level off";

    // The source reports one more pending transfer after the last, for ever:
    // the acquisition still ends (a new one can start: Acquire does nothing
    // while a source is open), and the picture arrived once.
    ASSERT_TRUE(vt::WaitGone(files, 30000));
    EXPECT_FALSE(vt::FindMessageBox(running.Id()));
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kAcquire));
    HWND again = vt::WaitForVisibleWindow(running.Id(), L"#32770", L"Files on Camera", 30000);
    ASSERT_TRUE(again) << "the first acquisition never ended";
    EXPECT_FALSE(vt::FileExists(vt::Join(out, L"scan2.bmp"))) << "the picture was delivered again";
    EXPECT_TRUE(vt::PressButton(again, L"Exit"));
    EXPECT_TRUE(vt::WaitGone(again, 10000));
}

TEST_F(ScanningProgram, WithoutAManagerTheItemsDoNothing) {
    TConfiguration record = Record();
    record.SendTo[dClipboard] = 1;
    Start(record);
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kAcquire));
    ASSERT_TRUE(vt::Post(main, WM_COMMAND, kSelectSource));
    // The program answers at once and shows nothing.
    DWORD_PTR answer = 0;
    EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_FALSE(vt::FindMessageBox(running.Id()));
    // It still delivers: an image handed over reaches the clipboard.
    vt::EmptyTheClipboard();
    ASSERT_TRUE(run.PutHandOver(Picture(9, 9, 2), WM_HANDOVER_CLIPBOARD));
    std::optional<vt::Pixels> clip;
    EXPECT_TRUE(vt::WaitUntil([&] { return (clip = vt::ClipboardDib()).has_value(); }, 10000));
}

}  // namespace
