// Start-up, single instance, main window, tray icon and exit of the real
// program.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "support/vorlix_test.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";
const wchar_t kCaption[] = L"Vorlix Message";

struct Running {
    vt::Process process;
    HWND main = nullptr;
};

Running StartProgram(const std::wstring& exe = vt::BinFile(L"Vorlix.exe")) {
    Running r;
    r.process = vt::Process::Start(exe, L"", vt::BinDir());
    if (r.process) r.main = vt::WaitForWindow(r.process.Id(), L"TuMainForm", nullptr, 15000);
    return r;
}

class Startup : public ::testing::Test {
protected:
    void SetUp() override { vt::DeleteKeyTree(kRoot); }
    void TearDown() override { vt::DeleteKeyTree(kRoot); }
};

TEST_F(Startup, FirstStartParksTheMainWindowAndShowsTheTrayIcon) {
    Running r = StartProgram();
    ASSERT_TRUE(r.main) << "main window";
    const vt::WindowState main = vt::ReadWindow(r.main);
    EXPECT_EQ(main.title, L"Vorlix Tessavue");
    EXPECT_TRUE(main.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(main.exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(main.exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(main.rect.right - main.rect.left, 138);
    EXPECT_EQ(main.rect.bottom - main.rect.top, 15);
    EXPECT_EQ(main.rect.left, -138) << "parked left of the screen";
    EXPECT_EQ(main.rect.top, 3);
    // Owned by the hidden application window, so no taskbar button either.
    HWND owner = GetWindow(r.main, GW_OWNER);
    ASSERT_TRUE(owner);
    EXPECT_TRUE(vt::ReadWindow(owner).exStyle & WS_EX_TOOLWINDOW);

    HWND tray = vt::WaitForWindow(r.process.Id(), L"VorlixTrayIcon");
    ASSERT_TRUE(tray);
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::WindowText(tray) == L" Vorlix Tessavue "; }));

    // The first start seeded the settings and the nine favourites.
    EXPECT_TRUE(vt::WaitUntil([] { return vt::ValueNames(kSchema).size() == 10; }));
    for (const auto& name : vt::ValueNames(kSchema)) {
        auto value = vt::ReadValue(kSchema, name);
        ASSERT_TRUE(value);
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(value->data.size(), 6492u);
    }

    // Right click: the popup menu opens; Esc closes it again.
    ASSERT_TRUE(vt::Post(tray, WM_USER + 1, 0, WM_RBUTTONUP));
    HWND menu = vt::WaitForWindow(0, L"#32768");
    ASSERT_TRUE(menu) << "popup menu";
    EXPECT_TRUE(vt::WaitUntil([&] { return IsWindowVisible(menu) != FALSE; }));
    vt::Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(vt::WaitUntil([&] { return !IsWindowVisible(menu); }));

    // Exit in the menu ends the process.
    const UINT itExit = 110;
    ASSERT_TRUE(vt::Post(r.main, WM_COMMAND, itExit, 0));
    ASSERT_TRUE(r.process.Wait(10000));
    EXPECT_EQ(r.process.ExitCode(), 0u);
}

TEST_F(Startup, ASecondStartWarnsAndLeavesTheFirstAlone) {
    Running first = StartProgram();
    ASSERT_TRUE(first.main);

    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        vt::Process second = vt::Process::Start(vt::BinFile(exe), L"", vt::BinDir());
        ASSERT_TRUE(second);
        HWND box = vt::WaitForMessageBox(second.Id(), nullptr, 15000);
        ASSERT_TRUE(box) << "warning box";
        const vt::MessageBoxInfo info = vt::ReadMessageBox(box);
        if (std::wstring(exe) == L"Vorlix.exe") {
            EXPECT_EQ(info.caption, kCaption);
            EXPECT_EQ(info.text, L"Vorlix is already running.");
        } else {
            // The Chinese build: the same code with its own texts.
            EXPECT_EQ(info.text, L"Vorlix 已经在运行。");
        }
        EXPECT_TRUE(vt::FindWindows(second.Id(), L"TuMainForm").empty()) << "no second main window";
        ASSERT_TRUE(vt::PressButton(box, L"OK"));
        ASSERT_TRUE(second.Wait(10000));
        EXPECT_EQ(second.ExitCode(), 0u);
    }
    EXPECT_TRUE(first.process.Running());
    EXPECT_EQ(vt::FindWindows(0, L"TuMainForm").size(), 1u);
    vt::Post(first.main, WM_CLOSE);
    EXPECT_TRUE(first.process.Wait(10000));
}

// However the program is asked to end (a task manager or taskkill closing
// any of its windows, the hidden application window included; the end of
// the session), it ends the one way Exit does: the process is gone, its
// hotkeys and their atoms are released, and the next start works.
TEST_F(Startup, EveryWayToEndItEndsTheProgram) {
    const wchar_t* const atoms[] = {L"Esc", L"Print Screen", L"Alt Print Screen", L"Free Hand",
                                    L"Rectangle", L"Window", L"Repeat", L"Timer"};
    // Atoms left by programs that were killed in other tests.
    for (const wchar_t* name : atoms)
        while (ATOM atom = GlobalFindAtomW(name)) GlobalDeleteAtom(atom);
    const auto closeWindow = [](const wchar_t* cls) {
        return [cls](const Running& r) { EXPECT_TRUE(vt::Post(vt::FindWindowOf(r.process.Id(), cls), WM_CLOSE)); };
    };
    const struct {
        const char* name;
        std::function<void(const Running&)> ask;
    } ways[] = {
        {"WM_CLOSE to the application window", closeWindow(L"TApplication")},
        {"WM_CLOSE to the freeze window", closeWindow(L"TuFreezeForm")},
        {"WM_CLOSE to the tray icon's window", closeWindow(L"VorlixTrayIcon")},
        {"WM_CLOSE to the main window", closeWindow(L"TuMainForm")},
        {"the session ends",
         [](const Running& r) {
             // As the system does: every top-level window is asked, then told.
             const std::vector<HWND> windows = vt::FindWindows(r.process.Id());
             for (HWND w : windows) EXPECT_NE(vt::Send(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0) << vt::ClassOf(w);
             for (HWND w : windows)
                 if (IsWindow(w)) vt::Send(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
         }},
        {"taskkill",
         [](const Running& r) {
             wchar_t system[MAX_PATH] = L"";
             GetSystemDirectoryW(system, MAX_PATH);
             vt::Process kill = vt::Process::Start(vt::Join(system, L"taskkill.exe"),
                                                   L"/pid " + std::to_wstring(r.process.Id()));
             EXPECT_TRUE(kill.Wait(10000));
         }},
    };
    // No tutorial: any box would be a failed start.
    ASSERT_TRUE(vt::WriteDword(L"Software\\Vorlix Tessavue\\Configuration", L"Training", 0));
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        Running r = StartProgram();
        ASSERT_TRUE(r.main);
        ASSERT_TRUE(vt::WaitForStartUp(r.process.Id()));
        EXPECT_EQ(vt::FindMessageBox(r.process.Id()), nullptr) << "a start after the last end works";
        for (const wchar_t* name : atoms) EXPECT_NE(GlobalFindAtomW(name), 0) << vt::Utf8(name);
        way.ask(r);
        ASSERT_TRUE(r.process.Wait(10000));
        EXPECT_EQ(r.process.ExitCode(), 0u);
        for (const wchar_t* name : atoms) EXPECT_EQ(GlobalFindAtomW(name), 0) << vt::Utf8(name);
        HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        EXPECT_TRUE(RegisterHotKey(probe, 1, 0, VK_SNAPSHOT));
        UnregisterHotKey(probe, 1);
        DestroyWindow(probe);
    }
}

TEST_F(Startup, AHookThatWillNotInstallEndsTheStartWithTheErrorBox) {
    const std::wstring dir = vt::ScratchDir();
    ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"Vorlix.exe"), vt::Join(dir, L"Vorlix.exe")));
    ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"failing-hook\\hovrak.dll"), vt::Join(dir, L"hovrak.dll")));
    ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"stelmon.dll"), vt::Join(dir, L"stelmon.dll")));
    vt::Process p = vt::Process::Start(vt::Join(dir, L"Vorlix.exe"), L"", dir);
    ASSERT_TRUE(p);
    HWND box = vt::WaitForMessageBox(p.Id(), kCaption, 15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text,
              L"There was an error during startup process, please restart Vorlix Tessavue.");
    ASSERT_TRUE(vt::PressButton(box, L"OK"));
    ASSERT_TRUE(p.Wait(10000));
    EXPECT_EQ(p.ExitCode(), 0u);
    EXPECT_FALSE(vt::KeyExists(kSchema)) << "nothing else of the start-up ran";
}

}  // namespace
