// Start-up, single instance, main window, tray icon and exit of the real
// program.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <utility>
#include <vector>

#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kCaption[] = L"Vorlix Message";

// The program as on its very first start: nothing of it stored, not even
// "Training" (so the tutorial comes up beside what these tests look at).
struct FirstStart : vt::Program {
    explicit FirstStart(vt::ProgramSetUp setUp = {}) : vt::Program(std::move(setUp)) {
        storeRecord = false;
        training.reset();
    }
};

TEST(Startup, FirstStartParksTheMainWindowAndShowsTheTrayIcon) {
    FirstStart run;
    ASSERT_TRUE(run.Launch());
    HWND window = vt::WaitForWindow(run.Pid(), L"TuMainForm", nullptr, 15000);
    ASSERT_TRUE(window) << "main window";
    const vt::WindowState main = vt::ReadWindow(window);
    EXPECT_EQ(main.title, L"Vorlix Tessavue");
    EXPECT_TRUE(main.exStyle & WS_EX_TOOLWINDOW);
    EXPECT_TRUE(main.exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(main.exStyle & WS_EX_APPWINDOW);
    EXPECT_EQ(main.rect.right - main.rect.left, 138);
    EXPECT_EQ(main.rect.bottom - main.rect.top, 15);
    EXPECT_EQ(main.rect.left, -138) << "parked left of the screen";
    EXPECT_EQ(main.rect.top, 3);
    // Owned by the hidden application window, so no taskbar button either.
    HWND owner = GetWindow(window, GW_OWNER);
    ASSERT_TRUE(owner);
    EXPECT_TRUE(vt::ReadWindow(owner).exStyle & WS_EX_TOOLWINDOW);

    HWND tray = vt::WaitForWindow(run.Pid(), L"VorlixTrayIcon");
    ASSERT_TRUE(tray);
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::WindowText(tray) == L" Vorlix Tessavue "; }));

    // The first start seeded the settings and the nine favourites.
    EXPECT_TRUE(vt::WaitUntil([] { return vt::ValueNames(vt::kSchemaKey).size() == 10; }));
    for (const auto& name : vt::ValueNames(vt::kSchemaKey)) {
        auto value = vt::ReadValue(vt::kSchemaKey, name);
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
    ASSERT_TRUE(vt::Post(window, WM_COMMAND, itExit, 0));
    ASSERT_TRUE(run.process.Wait(10000));
    EXPECT_EQ(run.process.ExitCode(), 0u);
}

TEST(Startup, ASecondStartWarnsAndLeavesTheFirstAlone) {
    FirstStart first;
    ASSERT_TRUE(first.Launch());
    ASSERT_TRUE(vt::WaitForWindow(first.Pid(), L"TuMainForm", nullptr, 15000));

    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        // Started by hand from the same copy: the fixture runs one instance,
        // and this one must meet the first's record and mutex as they are.
        vt::Process second = vt::Process::Start(first.Bin(exe), L"", first.folder);
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
    EXPECT_TRUE(first.Stop());
}

// However the program is asked to end (a task manager or taskkill closing
// any of its windows, the hidden application window included; the end of
// the session), it ends the one way Exit does: the process is gone, its
// hotkeys and their atoms are released, and the next start works.
TEST(Startup, EveryWayToEndItEndsTheProgram) {
    const wchar_t* const atoms[] = {L"Esc", L"Print Screen", L"Alt Print Screen", L"Free Hand",
                                    L"Rectangle", L"Window", L"Repeat", L"Timer"};
    // Atoms left by programs that were killed in other tests.
    for (const wchar_t* name : atoms)
        while (ATOM atom = GlobalFindAtomW(name)) GlobalDeleteAtom(atom);
    const auto closeWindow = [](const wchar_t* cls) {
        return [cls](DWORD pid) { EXPECT_TRUE(vt::Post(vt::FindWindowOf(pid, cls), WM_CLOSE)); };
    };
    const struct {
        const char* name;
        std::function<void(DWORD pid)> ask;
    } ways[] = {
        {"WM_CLOSE to the application window", closeWindow(L"TApplication")},
        {"WM_CLOSE to the freeze window", closeWindow(L"TuFreezeForm")},
        {"WM_CLOSE to the tray icon's window", closeWindow(L"VorlixTrayIcon")},
        {"WM_CLOSE to the main window", closeWindow(L"TuMainForm")},
        {"the session ends",
         [](DWORD pid) {
             // As the system does: every top-level window is asked, then told.
             const std::vector<HWND> windows = vt::FindWindows(pid);
             for (HWND w : windows) EXPECT_NE(vt::Send(w, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), 0) << vt::ClassOf(w);
             for (HWND w : windows)
                 if (IsWindow(w)) vt::Send(w, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
         }},
        {"taskkill",
         [](DWORD pid) {
             wchar_t system[MAX_PATH] = L"";
             GetSystemDirectoryW(system, MAX_PATH);
             vt::Process kill = vt::Process::Start(vt::Join(system, L"taskkill.exe"),
                                                   L"/pid " + std::to_wstring(pid));
             EXPECT_TRUE(kill.Wait(10000));
         }},
    };
    // No tutorial: any box would be a failed start.
    FirstStart run;
    run.training = 0;
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        ASSERT_TRUE(run.Start());
        EXPECT_EQ(vt::FindMessageBox(run.Pid()), nullptr) << "a start after the last end works";
        for (const wchar_t* name : atoms) EXPECT_NE(GlobalFindAtomW(name), 0) << vt::Utf8(name);
        way.ask(run.Pid());
        ASSERT_TRUE(run.process.Wait(10000));
        EXPECT_EQ(run.process.ExitCode(), 0u);
        for (const wchar_t* name : atoms) EXPECT_EQ(GlobalFindAtomW(name), 0) << vt::Utf8(name);
        EXPECT_TRUE(vt::HotkeyFree(0, VK_SNAPSHOT));
    }
}

TEST(Startup, AHookThatWillNotInstallEndsTheStartWithTheErrorBox) {
    FirstStart run{{.hook = L"failing-hook\\hovrak.dll"}};
    ASSERT_TRUE(run.Launch());
    HWND box = vt::WaitForMessageBox(run.Pid(), kCaption, 15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text,
              L"There was an error during startup process, please restart Vorlix Tessavue.");
    ASSERT_TRUE(vt::PressButton(box, L"OK"));
    ASSERT_TRUE(run.process.Wait(10000));
    EXPECT_EQ(run.process.ExitCode(), 0u);
    EXPECT_FALSE(vt::KeyExists(vt::kSchemaKey)) << "nothing else of the start-up ran";
}

}  // namespace
