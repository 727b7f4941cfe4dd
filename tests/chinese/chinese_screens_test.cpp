// The windows of the Chinese build on a Chinese system: the tutorial, the
// about box, the tray menu, a message box and a notice. Each is saved as a
// screenshot (into VORLIX_SCREENSHOTS, for a person to look at), and every
// control that draws its text in the dialog's own font is checked to hold its
// text without clipping.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "support/vorlix_test.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const WPARAM kDown = VK_DOWN;

std::string Utf8(const std::wstring& s) {
    std::string out(s.size() * 3 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

void SaveShot(const RECT& area, const wchar_t* name) {
    wchar_t folder[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"VORLIX_SCREENSHOTS", folder, MAX_PATH)) return;
    vt::MakeDirs(folder);
    vt::SaveScreenBmp(area, vt::Join(folder, std::wstring(name) + L".bmp"));
}

RECT WindowRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

// The controls of a dialog drawn in its template font ("MS Shell Dlg", 8
// points) whose text needs more room than they have: static texts wrap at
// their width and must fit their height; buttons, check boxes and radio
// buttons keep to one line and must fit their width (after the box).
std::vector<std::string> ClippedTexts(HWND dialog) {
    std::vector<std::string> clipped;
    const LRESULT dialogFont = vt::Send(dialog, WM_GETFONT);
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    lf.lfCharSet = DEFAULT_CHARSET;
    wcscpy(lf.lfFaceName, L"MS Shell Dlg");
    HFONT font = CreateFontIndirectW(&lf);
    HGDIOBJ old = SelectObject(dc, font);
    for (HWND control : vt::ChildWindows(dialog)) {
        if (!IsWindowVisible(control) || vt::Send(control, WM_GETFONT) != dialogFont) continue;
        const std::wstring cls = vt::ClassOf(control), text = vt::WindowText(control);
        if (text.empty()) continue;
        RECT client{};
        GetClientRect(control, &client);
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        RECT need{0, 0, client.right, 0};
        bool fits = true;
        if (_wcsicmp(cls.c_str(), L"Static") == 0) {
            if ((style & SS_TYPEMASK) > SS_RIGHT && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP) continue;
            DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
            fits = need.bottom <= client.bottom && need.right <= client.right;
        } else if (_wcsicmp(cls.c_str(), L"Button") == 0) {
            const LONG type = style & BS_TYPEMASK;
            if (type == BS_GROUPBOX) continue;
            DrawTextW(dc, text.c_str(), -1, &need, DT_CALCRECT | DT_SINGLELINE);
            const bool box = type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
            const int room = client.right - (box ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 6);
            fits = need.right - need.left <= room && need.bottom <= client.bottom;
        } else {
            continue;
        }
        if (!fits)
            clipped.push_back(Utf8(text) + " needs " + std::to_string(need.right) + "x" + std::to_string(need.bottom) +
                              ", has " + std::to_string(client.right) + "x" + std::to_string(client.bottom));
    }
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(nullptr, dc);
    return clipped;
}

class ChineseScreens : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "this test needs the zh_CN.UTF-8 locale (ANSI code page 936)";
        vt::DeleteKeyTree(kRoot);
        log = vt::Join(vt::ScratchDir(), L"recorder.log");
    }
    void TearDown() override {
        if (program.Running()) {
            vt::Post(main, WM_CLOSE);
            program.Wait(10000);
        }
        vt::DeleteKeyTree(kRoot);
    }
    void Start(bool training) {
        ASSERT_TRUE(vt::WriteDword(kConfiguration, L"Training", training ? 1 : 0));
        program = vt::Process::Start(vt::BinFile(L"Vorlix-cn.exe"), L"", vt::BinDir(), {{L"VORLIX_RECORDER_LOG", log}});
        ASSERT_TRUE(program);
        main = vt::WaitForStartUp(program.Id());
        ASSERT_TRUE(main);
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

    std::wstring log;
    vt::Process program;
    HWND main = nullptr;
};

TEST_F(ChineseScreens, TutorialAndAboutBoxHoldTheirTexts) {
    Start(true);
    HWND tutorial = WaitForDialog(L"Vorlix - 只需两步，创建您的第一张屏幕截图。");
    ASSERT_TRUE(tutorial);
    SaveShot(WindowRect(tutorial), L"tutorial");
    EXPECT_EQ(ClippedTexts(tutorial), std::vector<std::string>{});
    ASSERT_TRUE(vt::PressButton(tutorial, L"关闭"));
    ASSERT_TRUE(vt::WaitGone(tutorial));

    ASSERT_TRUE(vt::ChooseFromTrayMenu(program.Id(), {kDown, kDown, kDown, kDown, kDown, kDown}));
    HWND about = WaitForDialog(L"关于 Vorlix Tessavue");
    ASSERT_TRUE(about);
    SaveShot(WindowRect(about), L"about");
    EXPECT_EQ(ClippedTexts(about), std::vector<std::string>{});
    ASSERT_TRUE(vt::PressButton(about, L"关闭"));
}

TEST_F(ChineseScreens, TrayMenuMessageBoxAndNotice) {
    Start(false);
    // The tray menu, opened and looked at, then closed again.
    HWND tray = vt::FindWindowOf(program.Id(), L"VorlixTrayIcon");
    ASSERT_TRUE(vt::Post(tray, WM_USER + 1, 0, WM_RBUTTONUP));
    HWND menu = nullptr;
    ASSERT_TRUE(vt::WaitUntil([&] {
        for (HWND w : vt::FindWindows(0, L"#32768"))
            if (IsWindowVisible(w)) menu = w;
        return menu != nullptr;
    }));
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

    // Help: the help file is missing here, which a message box says.
    ASSERT_TRUE(vt::ChooseFromTrayMenu(program.Id(), {kDown, kDown, kDown, kDown, kDown}));
    HWND box = vt::WaitForMessageBox(program.Id(), L"Vorlix 消息", 10000);
    ASSERT_TRUE(box);
    vt::PumpFor(300);
    SaveShot(WindowRect(box), L"message_box");
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"文件 Vorlix.chm 丢失。请重新安装 Vorlix。");
    EXPECT_EQ(ClippedTexts(box), std::vector<std::string>{});
    ASSERT_TRUE(vt::PressButton(box, L"确定"));
    ASSERT_TRUE(vt::WaitGone(box));

    // A notice: an image handed over to the clipboard; the strip is caught
    // while it stands still on the screen.
    const std::wstring handOver = vt::Join(vt::TempDir(), L"duridevazazu.bmp");
    ASSERT_TRUE(vt::SaveBmp(vt::Pixels(8, 8, RGB(1, 2, 3)), handOver));
    ASSERT_TRUE(vt::Post(main, WM_USER + 7));
    const int shown = GetSystemMetrics(SM_CXSCREEN) - 138 - 10;
    ASSERT_TRUE(vt::WaitUntil([&] { return WindowRect(main).left == shown; }, 10000));
    SaveShot(WindowRect(main), L"notice");
}

}  // namespace
