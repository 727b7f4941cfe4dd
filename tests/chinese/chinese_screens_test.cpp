// The windows of the Chinese build on a Chinese system: the tutorial, the
// about box, the tray menu, a message box, a notice and every page of the
// options dialog. Each is saved as a screenshot (into VORLIX_SCREENSHOTS, for
// a person to look at); every control that draws its text in the dialog's
// own font is checked to hold its text without clipping, and the texts the
// dialogs show are written to window_texts.txt there, for the texts check to
// find any left in English.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "options/options_ids.h"
#include "options/options_program.h"
#include "support/program.h"
#include "support/vorlix_test.h"
#include "support/text_fit.h"

namespace {

const WPARAM kDown = VK_DOWN;

std::wstring ShotsFolder() {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VORLIX_SCREENSHOTS", folder, MAX_PATH)) return L"";
    vt::MakeDirs(folder);
    return folder;
}

void SaveShot(const RECT& area, const std::wstring& name) {
    const std::wstring folder = ShotsFolder();
    if (!folder.empty()) vt::SaveScreenBmp(area, vt::Join(folder, name + L".bmp"));
}

// Adds the texts a window shows to window_texts.txt, one "where<TAB>text" a
// line (line breaks written as \n).
void KeepTexts(const std::string& where, const std::vector<std::wstring>& texts) {
    const std::wstring folder = ShotsFolder();
    if (folder.empty()) return;
    std::string lines;
    for (const std::wstring& t : texts) {
        std::string text;
        for (char c : vt::Utf8(t)) {
            if (c == '\n') text += "\\n";
            else if (c == '\r') text += "\\r";
            else if (c == '\t') text += "\\t";
            else text += c;
        }
        lines += where + "\t" + text + "\n";
    }
    const std::wstring file = vt::Join(folder, L"window_texts.txt");
    ASSERT_TRUE(vt::WriteFileBytes(file, vt::ReadFileBytes(file) + lines));
}

// The texts of the window are written down for the check, none is clipped,
// and none is missing.
void LookAt(HWND window, const std::string& where, const wchar_t* face = L"MS Shell Dlg") {
    KeepTexts(where, look::ShownTexts(window));
    EXPECT_EQ(look::ClippedTexts(window, face), std::vector<std::string>{}) << where;
    EXPECT_EQ(look::EmptyTexts(window), std::vector<std::string>{}) << where;
    EXPECT_EQ(look::MissingGlyphs(window, face), std::vector<std::string>{}) << where;
}

// The first test to run starts the texts file afresh.
struct FreshTexts : ::testing::Environment {
    void SetUp() override {
        const std::wstring folder = ShotsFolder();
        if (!folder.empty()) vt::WriteFileBytes(vt::Join(folder, L"window_texts.txt"), "");
    }
};
const auto* const kFreshTexts = ::testing::AddGlobalTestEnvironment(new FreshTexts);

RECT WindowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

class ChineseScreens : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "this test needs the zh_CN.UTF-8 locale (ANSI code page 936)";
        run.storeRecord = false;  // the Chinese build's own first-start record
    }
    void Start(bool training) {
        run.training = training ? 1 : 0;
        ASSERT_TRUE(run.Start(L"Vorlix-cn.exe"));
    }
    HWND WaitForDialog(const wchar_t* caption) {
        HWND w = nullptr;
        vt::WaitUntil([&] {
            w = vt::FindWindowOf(program.Id(), L"#32770", caption);
            return w && IsWindowVisible(w);
        }, 10000);
        vt::PumpFor(300);  // painted
        return w;
    }

    vt::Program run{{.files = {L"Vorlix.chm"}}};
    const vt::Process& program = run.process;
    const HWND& main = run.main;
};

TEST_F(ChineseScreens, TutorialAndAboutBoxHoldTheirTexts) {
    Start(true);
    HWND tutorial = WaitForDialog(L"Vorlix - 只需两步，创建您的第一张屏幕截图。");
    ASSERT_TRUE(tutorial);
    SaveShot(WindowRect(tutorial), L"tutorial");
    LookAt(tutorial, "tutorial");
    ASSERT_TRUE(vt::PressButton(tutorial, L"关闭"));
    ASSERT_TRUE(vt::WaitGone(tutorial));

    ASSERT_TRUE(vt::ChooseFromTrayMenu(program.Id(), {kDown, kDown, kDown, kDown, kDown, kDown}));
    HWND about = WaitForDialog(L"关于 Vorlix Tessavue");
    ASSERT_TRUE(about);
    SaveShot(WindowRect(about), L"about");
    LookAt(about, "about");
    ASSERT_TRUE(vt::PressButton(about, L"关闭"));
}

TEST_F(ChineseScreens, TrayMenuMessageBoxAndNotice) {
    Start(false);
    // The tray menu, opened and looked at, then closed again.
    HWND tray = vt::FindWindowOf(program.Id(), L"VorlixTrayIcon");
    ASSERT_TRUE(vt::Post(tray, WM_USER + 1, 0, WM_RBUTTONUP));
    HWND menu = vt::WaitForVisibleWindow(0, L"#32768");
    ASSERT_TRUE(menu);
    vt::PumpFor(300);
    vt::Post(menu, WM_KEYDOWN, VK_DOWN, 0);
    vt::Post(menu, WM_KEYDOWN, VK_DOWN, 0);
    vt::Post(menu, WM_KEYDOWN, VK_RIGHT, 0);  // the Tools submenu
    vt::PumpFor(400);
    RECT all{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SaveShot(all, L"tray_menu");
    vt::Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    vt::Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(vt::WaitUntil([&] { return !IsWindowVisible(menu); }));

    // Help: the one help file of both builds opens in the system's viewer.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(program.Id(), {kDown, kDown, kDown, kDown, kDown}));
    HWND viewer = vt::WaitForHelpViewer(L"Vorlix Tessavue Help");
    ASSERT_TRUE(viewer) << "the help did not open";
    EXPECT_EQ(vt::HelpViewerContents(viewer).front(), L"Vorlix Tessavue Help");
    vt::PumpFor(300);
    SaveShot(WindowRect(viewer), L"help");
    EXPECT_TRUE(vt::CloseHelpViewer(viewer));

    // A message box: an image handed over to Mail, whose SMTP settings (the
    // mail program of a first start here) are empty.
    ASSERT_TRUE(run.PutHandOver(vt::Pixels(8, 8, RGB(1, 2, 3)), WM_HANDOVER_MAIL));
    HWND box = vt::WaitForMessageBox(program.Id(), L"Vorlix 消息", 10000);
    ASSERT_TRUE(box);
    vt::PumpFor(300);
    SaveShot(WindowRect(box), L"message_box");
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"请输入收件人、电子邮件地址、SMTP 服务器和端口。");
    LookAt(box, "message box");
    ASSERT_TRUE(vt::PressButton(box, L"确定"));
    ASSERT_TRUE(vt::WaitGone(box));

    // A notice: an image handed over to the clipboard; the strip is caught
    // while it stands still on the screen.
    ASSERT_TRUE(run.PutHandOver(vt::Pixels(8, 8, RGB(1, 2, 3)), WM_HANDOVER_CLIPBOARD));
    const int shown = GetSystemMetrics(SM_CXSCREEN) - 138 - 10;
    ASSERT_TRUE(vt::WaitUntil([&] { return WindowRect(main).left == shown; }, 10000));
    SaveShot(WindowRect(main), L"notice");
}

// Every page of the options dialog, shown in turn.
TEST(ChineseOptions, EveryPageShowsItsTextsWhole) {
    ASSERT_EQ(GetACP(), 936u) << "this test needs the zh_CN.UTF-8 locale (ANSI code page 936)";
    opt::OptionsProgram p;
    ASSERT_TRUE(p.Start(L"Vorlix-cn.exe"));
    ASSERT_TRUE(p.Open());
    KeepTexts("options caption", {vt::WindowText(p.Dialog())});
    LookAt(p.Dialog(), "options frame", L"MS Shell Dlg 2");
    int i = 0;
    for (const opt::TreeNode& n : p.Tree()) {
        const std::string where = "options page " + vt::Utf8(n.caption);
        SCOPED_TRACE(where);
        ASSERT_TRUE(p.Select(n.caption));
        HWND page = p.ShownPage();
        ASSERT_TRUE(page);
        UpdateWindow(p.Dialog());
        vt::PumpFor(200);
        wchar_t name[32];
        wsprintfW(name, L"options-%02d", i++);
        SaveShot(WindowRect(p.Dialog()), name);
        KeepTexts(where, {p.Title()});
        LookAt(page, where, L"MS Shell Dlg 2");
        // Each choice of the page's drop-down lists, which may show other
        // controls; a box a choice brings up is looked at too.
        for (HWND combo : vt::ChildWindows(page, L"ComboBox")) {
            const LONG style = GetWindowLongW(combo, GWL_STYLE);
            if (!IsWindowVisible(combo) || (style & 3) != CBS_DROPDOWNLIST ||
                (style & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)))
                continue;
            const int id = GetDlgCtrlID(combo);
            const int was = p.ComboIndex(id), count = int(vt::Send(combo, CB_GETCOUNT));
            for (int choice = 0; choice <= count; ++choice) {
                const int index = choice < count ? choice : was;  // the last turn puts it back
                vt::Send(combo, CB_SETCURSEL, index);
                vt::Post(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(combo));
                vt::PumpFor(150);
                const std::string state = where + ", list " + std::to_string(id) + " at " + std::to_string(index);
                if (HWND box = vt::WaitForMessageBox(p.Pid(), L"Vorlix 消息", 50)) {
                    vt::PumpFor(200);
                    SaveShot(WindowRect(box), name + std::wstring(L"-box"));
                    LookAt(box, state + ", box");
                    vt::Post(box, WM_COMMAND, IDOK, 0);
                    vt::WaitGone(box);
                }
                if (choice < count) LookAt(page, state, L"MS Shell Dlg 2");
            }
        }
    }
    EXPECT_TRUE(p.Close());
}

}  // namespace
