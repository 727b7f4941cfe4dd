// The menu styler: inactive (as the program keeps it) it leaves every item
// to the system, so the real program's tray menu looks exactly like a
// standard menu; activated, it draws its items with the icon strip and hands
// every item its own drawing back when it detaches.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "base/texts.h"
#include "support/program.h"
#include "support/vorlix_test.h"
#include "ui/menu_styler.h"

namespace {

ui::TMenuStyler* gStyler = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if ((message == WM_MEASUREITEM || message == WM_DRAWITEM) && gStyler &&
        gStyler->HandleMessage(message, wParam, lParam))
        return TRUE;
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

HWND MakeOwner() {
    return CreateWindowExW(WS_EX_TOOLWINDOW, vt::RegisterWindowClass(L"MenuStylerTestOwner", OwnerProc), L"",
                           WS_POPUP | WS_VISIBLE, 900, 700, 10, 10, nullptr, nullptr, nullptr, nullptr);
}

struct ItemState {
    UINT type;
    ULONG_PTR data;
    std::wstring text;
    bool operator==(const ItemState&) const = default;
};

// Type, data and text of every item, submenus included, in order.
void Collect(HMENU menu, std::vector<ItemState>& out) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MENUITEMINFOW mii{};
        mii.cbSize = sizeof mii;
        wchar_t text[128] = L"";
        mii.fMask = MIIM_FTYPE | MIIM_DATA | MIIM_SUBMENU | MIIM_STRING;
        mii.dwTypeData = text;
        mii.cch = 128;
        GetMenuItemInfoW(menu, UINT(i), TRUE, &mii);
        out.push_back({mii.fType, mii.dwItemData, text});
        if (mii.hSubMenu) Collect(mii.hSubMenu, out);
    }
}
std::vector<ItemState> Items(HMENU menu) {
    std::vector<ItemState> items;
    Collect(menu, items);
    return items;
}

// The tray menu as the program builds it.
HMENU TrayMenuLikeTheProgram() {
    HMENU tools = CreatePopupMenu();
    AppendMenuW(tools, MF_STRING, 102, txt::MenuZovozu);
    AppendMenuW(tools, MF_STRING, 103, txt::MenuEditor);
    HMENU twain = CreatePopupMenu();
    AppendMenuW(twain, MF_STRING, 104, txt::MenuAcquire);
    AppendMenuW(twain, MF_STRING, 105, txt::MenuSelectSource);
    AppendMenuW(tools, MF_POPUP, UINT_PTR(twain), txt::MenuTwain);
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 101, txt::MenuOptions);
    AppendMenuW(menu, MF_POPUP, UINT_PTR(tools), txt::MenuTools);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 106, txt::MenuTell);
    AppendMenuW(menu, MF_STRING, 107, txt::MenuCheckVersion);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 108, txt::MenuHelp);
    AppendMenuW(menu, MF_STRING, 109, txt::MenuAbout);
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu, MF_STRING, 110, txt::MenuExit);
    return menu;
}


}  // namespace

TEST(MenuStyler, InactiveChangesNothingActiveDrawsAndDetachingRestoresEveryItem) {
    HWND owner = MakeOwner();
    HMENU menu = TrayMenuLikeTheProgram();
    AppendMenuW(menu, MF_STRING | MF_CHECKED, 120, L"Checked");
    AppendMenuW(menu, MF_STRING | MF_GRAYED, 121, L"Greyed");
    // An item that draws itself keeps its own drawing.
    AppendMenuW(menu, MF_OWNERDRAW, 122, reinterpret_cast<LPCWSTR>(0x1234));
    const auto original = Items(menu);

    {
        ui::TMenuStyler styler;
        gStyler = &styler;
        styler.AddMenu(menu);
        styler.SetActive(false);
        EXPECT_EQ(Items(menu), original);

        styler.SetActive(true);
        const auto styled = Items(menu);
        ASSERT_EQ(styled.size(), original.size());
        for (size_t i = 0; i + 1 < styled.size(); ++i) EXPECT_TRUE(styled[i].type & MFT_OWNERDRAW) << i;
        EXPECT_EQ(styled.back(), original.back());

        // Drawn: the icon strip at the left and the light background.
        const vt::Pixels shown = vt::ShowMenuAndCapture(menu, owner, {300, 200});
        ASSERT_FALSE(shown.Empty());
        const COLORREF face = GetSysColor(COLOR_BTNFACE);
        const int y = 3 + GetSystemMetrics(SM_CYMENU) / 2;
        EXPECT_EQ(shown.At(8, y), ui::TMenuStyler::Lighten(face, 16));
        EXPECT_EQ(shown.At(shown.width - 8, y), ui::TMenuStyler::Lighten(face, 86));

        styler.SetActive(false);
        EXPECT_EQ(Items(menu), original);
        styler.SetActive(true);
        gStyler = nullptr;
    }
    // Destroying an active styler hands the items back too.
    EXPECT_EQ(Items(menu), original);
    DestroyMenu(menu);
    DestroyWindow(owner);
}

TEST(MenuStyler, MeasuredItemsAreAtLeastTheirTextPlusStripAndSeparatorsFourHigh) {
    HWND owner = MakeOwner();
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"&Options\tCtrl+O");
    AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ui::TMenuStyler styler;
    styler.AddMenu(menu);
    styler.SetActive(true);
    MENUITEMINFOW mii{};
    mii.cbSize = sizeof mii;
    mii.fMask = MIIM_DATA;
    GetMenuItemInfoW(menu, 0, TRUE, &mii);
    MEASUREITEMSTRUCT mi{ODT_MENU, 0, 1, 0, 0, mii.dwItemData};
    ASSERT_TRUE(styler.HandleMessage(WM_MEASUREITEM, 0, LPARAM(&mi)));
    EXPECT_GT(mi.itemWidth, UINT(24 + 10 + 40));
    EXPECT_GE(mi.itemHeight, UINT(GetSystemMetrics(SM_CYMENUCHECK) + 4));
    GetMenuItemInfoW(menu, 1, TRUE, &mii);
    MEASUREITEMSTRUCT sep{ODT_MENU, 0, 0, 0, 0, mii.dwItemData};
    ASSERT_TRUE(styler.HandleMessage(WM_MEASUREITEM, 0, LPARAM(&sep)));
    EXPECT_EQ(sep.itemHeight, 4u);
    // Items of other menus and other controls are not its business.
    MEASUREITEMSTRUCT other{ODT_MENU, 0, 7, 0, 0, 0x99};
    EXPECT_FALSE(styler.HandleMessage(WM_MEASUREITEM, 0, LPARAM(&other)));
    styler.SetActive(false);
    DestroyMenu(menu);
    DestroyWindow(owner);
}

// The running program keeps its styler inactive: its tray menu is pixel for
// pixel the standard menu of the same items.
TEST(MenuStyler, TheProgramsTrayMenuHasTheStandardLook) {
    vt::Program program;
    program.storeRecord = false;  // the first start's record
    ASSERT_TRUE(program.Start());
    HWND tray = vt::FindWindowOf(program.Pid(), L"VorlixTrayIcon");
    ASSERT_TRUE(tray);

    SetCursorPos(400, 150);
    vt::Post(tray, WM_USER + 1, 0, WM_RBUTTONUP);
    HWND shown = vt::WaitForVisibleWindow(program.Pid(), L"#32768");
    ASSERT_TRUE(shown);
    RECT r;
    GetWindowRect(shown, &r);
    const vt::Pixels programs = vt::CaptureSettledScreen(r);
    vt::Post(shown, WM_KEYDOWN, VK_ESCAPE, 0);
    vt::WaitUntil([&] { return vt::FindVisibleWindow(program.Pid(), L"#32768") == nullptr; }, 5000);
    EXPECT_TRUE(program.Stop());

    HWND owner = MakeOwner();
    HMENU menu = TrayMenuLikeTheProgram();
    const vt::Pixels standard = vt::ShowMenuAndCapture(menu, owner, {400, 150});
    DestroyMenu(menu);
    DestroyWindow(owner);
    ASSERT_EQ(programs.width, standard.width);
    ASSERT_EQ(programs.height, standard.height);
    EXPECT_TRUE(programs.data == standard.data);
}
