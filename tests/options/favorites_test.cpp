// The Favorites page of the running program: the list of stored setting sets
// with its red mark, its context menu and the in-place naming, driven through
// the real list view, menu and caption editor; the registry's values are read
// back as sets of names (Wine lists them alphabetically, Windows in another
// order).
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "options/options_ids.h"
#include "options/options_program.h"

namespace {

using opt::OptionsProgram;
using Names = std::set<std::wstring>;

constexpr UINT WM_HOOK_BEGIN = WM_USER + 4;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

bool Same(const TConfiguration& a, const TConfiguration& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The favourites stored: every named value of the Schema key.
Names StoredNames() {
    Names names;
    for (const std::wstring& n : vt::ValueNames(vt::kSchemaKey))
        if (!n.empty()) names.insert(n);
    return names;
}

void Put(const std::wstring& name, const TConfiguration& c) {
    ASSERT_TRUE(vt::WriteValue(vt::kSchemaKey, name, REG_BINARY, &c, sizeof c));
}

TConfiguration Favorite(const std::wstring& name) {
    TConfiguration c{};
    const auto v = vt::ReadValue(vt::kSchemaKey, name);
    EXPECT_TRUE(v && v->type == REG_BINARY && v->data.size() == sizeof c) << Narrow(name);
    if (v && v->data.size() == sizeof c) std::memcpy(&c, v->data.data(), sizeof c);
    return c;
}

// The program with its dialog on the Favorites page; the favourites are put
// into the store once the start-up has settled the live settings (it checks
// the folder and the mail program), so that `live` is what the program holds.
class FavoritesProgram {
public:
    OptionsProgram p;
    TConfiguration live{};

    bool Start(const wchar_t* exe = L"Vorlix.exe") {
        p.lastNode = L"Favorites";
        if (!p.Start(exe) || !p.Open() || !p.Close()) return false;
        live = p.Stored();
        return true;
    }
    bool Open() { return p.Open() != nullptr; }

    HWND List() const { return p.Item(IDC_LIST_FAVORITES); }

    std::vector<std::wstring> Rows() const {
        std::vector<std::wstring> rows;
        HWND list = List();
        const int n = int(vt::Send(list, LVM_GETITEMCOUNT));
        vt::RemoteBuffer buffer(list, sizeof(LVITEMW) + 1024 * sizeof(wchar_t));
        for (int i = 0; i < n; ++i) {
            LVITEMW item{};
            item.pszText = reinterpret_cast<wchar_t*>(buffer.Address(sizeof(LVITEMW)));
            item.cchTextMax = 1024;
            buffer.Write(&item, sizeof item);
            const int length = int(vt::Send(list, LVM_GETITEMTEXTW, i, buffer.Address()));
            std::wstring text(size_t(length), L'\0');
            if (length) buffer.Read(text.data(), size_t(length) * sizeof(wchar_t), sizeof(LVITEMW));
            rows.push_back(text);
        }
        return rows;
    }
    Names RowNames() const {
        const auto rows = Rows();
        return Names(rows.begin(), rows.end());
    }
    int RowOf(const std::wstring& caption) const {
        const auto rows = Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i] == caption) return int(i);
        ADD_FAILURE() << "no row " << Narrow(caption);
        return -1;
    }
    int Selected() const { return int(vt::Send(List(), LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

    // The row's caption in screen coordinates.
    RECT LabelRect(int row) const {
        HWND list = List();
        vt::RemoteBuffer buffer(list, sizeof(RECT));
        RECT r{LVIR_LABEL, 0, 0, 0};
        buffer.Write(&r, sizeof r);
        vt::Send(list, LVM_GETITEMRECT, row, buffer.Address());
        buffer.Read(&r, sizeof r);
        MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // Drawn as the current favourite: white on red.
    bool Red(const std::wstring& caption) const {
        UpdateWindow(List());
        vt::PumpFor(100);
        const vt::Pixels px = vt::CaptureScreen(LabelRect(RowOf(caption)));
        return px.Count(RGB(255, 0, 0)) > px.width * px.height / 3;
    }

    POINT RowPoint(const std::wstring& caption) const {
        const RECT r = LabelRect(RowOf(caption));
        POINT pt{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        ScreenToClient(List(), &pt);
        return pt;
    }
    POINT EmptySpot() const {
        RECT r;
        GetClientRect(List(), &r);
        return POINT{r.right - 6, r.bottom - 6};
    }
    void Press(UINT down, UINT up, POINT at) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        vt::Post(List(), down, down == WM_RBUTTONDOWN ? MK_RBUTTON : MK_LBUTTON, where);
        vt::Post(List(), up, 0, where);
        vt::PumpFor(100);
    }
    void DoubleClick(const std::wstring& caption) {
        const POINT at = RowPoint(caption);
        Press(WM_LBUTTONDOWN, WM_LBUTTONUP, at);
        const LPARAM where = MAKELPARAM(at.x, at.y);
        vt::Post(List(), WM_LBUTTONDBLCLK, MK_LBUTTON, where);
        vt::Post(List(), WM_LBUTTONUP, 0, where);
        vt::PumpFor(200);
    }
    void Click(const std::wstring& caption) { Press(WM_LBUTTONDOWN, WM_LBUTTONUP, RowPoint(caption)); }

    // ---- The context menu ----

    // Right-click there; the menu that pops up, or null.
    HWND OpenMenu(POINT at) {
        // The pointer away from where the menu opens, so that no item is lit.
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
        Press(WM_RBUTTONDOWN, WM_RBUTTONUP, at);
        HWND menu = nullptr;
        vt::WaitUntil([&] { return (menu = VisibleMenu()) != nullptr; });
        vt::PumpFor(100);
        return menu;
    }
    static HWND VisibleMenu() { return vt::FindVisibleWindow(0, L"#32768"); }
    // The items in menu order, separator left out.
    static constexpr UINT kItems[] = {IDM_FAV_APPLY, IDM_FAV_ADD, IDM_FAV_UPDATE, IDM_FAV_DELETE, IDM_FAV_RENAME};

    // Which items the menu there offers. A menu of another process cannot be
    // asked for its items, so this reads the picture: each item's text is
    // a band of ink, black when the item is enabled and grey when not.
    std::set<UINT> Offered(POINT at) {
        std::set<UINT> on;
        HWND menu = OpenMenu(at);
        EXPECT_TRUE(menu);
        if (!menu) return on;
        RECT r;
        GetWindowRect(menu, &r);
        InflateRect(&r, -3, -3);
        const vt::Pixels px = vt::CaptureScreen(r);
        std::vector<std::pair<int, bool>> bands;  // height, holds black
        int height = 0;
        bool black = false;
        for (int y = 0; y <= px.height; ++y) {
            bool ink = false, dark = false;
            for (int x = 0; y < px.height && x < px.width; ++x) {
                const COLORREF c = px.At(x, y);
                const int hi = std::max({GetRValue(c), GetGValue(c), GetBValue(c)});
                ink |= hi < 200;
                dark |= hi < 60;
            }
            if (ink) {
                ++height;
                black |= dark;
            } else if (height) {
                if (height >= 4) bands.emplace_back(height, black);  // not the separator line
                height = 0;
                black = false;
            }
        }
        EXPECT_EQ(bands.size(), std::size(kItems));
        for (size_t i = 0; i < bands.size() && i < std::size(kItems); ++i)
            if (bands[i].second) on.insert(kItems[i]);
        vt::Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        vt::WaitUntil([] { return VisibleMenu() == nullptr; });
        return on;
    }

    // Chooses an item of the menu there with the keyboard.
    bool Choose(POINT at, UINT item) {
        HWND menu = OpenMenu(at);
        if (!menu) return false;
        size_t index = 0;
        while (kItems[index] != item) ++index;
        for (size_t i = 0; i <= index; ++i) {
            vt::Post(menu, WM_KEYDOWN, VK_DOWN, 0);
            Sleep(60);
        }
        vt::Post(menu, WM_KEYDOWN, VK_RETURN, 0);
        const bool gone = vt::WaitUntil([] { return VisibleMenu() == nullptr; });
        vt::PumpFor(200);
        return gone;
    }
    bool Choose(const std::wstring& row, UINT item) { return Choose(RowPoint(row), item); }

    // ---- The caption editor ----

    HWND Editor() const { return HWND(vt::Send(List(), LVM_GETEDITCONTROL)); }
    // Types the name into the open caption editor and ends with the key.
    bool Name(const std::wstring& name, WPARAM key = VK_RETURN) {
        HWND edit = nullptr;
        if (!vt::WaitUntil([&] { return (edit = Editor()) != nullptr; })) return false;
        vt::Send(edit, WM_SETTEXT, 0, LPARAM(name.c_str()));
        vt::Post(edit, WM_KEYDOWN, key, 0);
        vt::Post(edit, WM_KEYUP, key, 0);
        vt::PumpFor(300);
        return true;
    }

    // The program's message box (not the dialog), or null.
    HWND Box(DWORD ms = 5000) const { return vt::WaitForMessageBox(p.Pid(), L"Vorlix Message", ms); }
    std::wstring Answer(const wchar_t* button) {
        HWND box = Box();
        if (!box) return L"(no box)";
        const std::wstring text = vt::ReadMessageBox(box).text;
        vt::PressButton(box, button);
        vt::WaitGone(box);
        vt::PumpFor(300);
        return text;
    }
};

// A record unlike the live one in the fields the pages show.
TConfiguration Changed(TConfiguration c) {
    c.ZoomOn = c.ZoomOn ? 0 : 1;
    c.ShowSize = c.ShowSize ? 0 : 1;
    return c;
}

TEST(FavoritesPage, ListsTheStoreMarksTheLiveSettingsAndOffersWhatTheRulesAllow) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    Put(L"Same", f.live);
    Put(L"Zoomed", Changed(f.live));
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(f.p.Title(), L"Favorites");
    EXPECT_EQ(f.RowNames(), (Names{L"Same", L"Zoomed"}));
    EXPECT_TRUE(f.Red(L"Same"));
    EXPECT_FALSE(f.Red(L"Zoomed"));

    // The live settings equal a favourite: neither storing nor overwriting.
    EXPECT_EQ(f.Offered(f.RowPoint(L"Zoomed")), (std::set<UINT>{IDM_FAV_APPLY, IDM_FAV_DELETE, IDM_FAV_RENAME}));
    EXPECT_EQ(f.Offered(f.EmptySpot()), std::set<UINT>{});
    EXPECT_EQ(f.Selected(), -1);

    // A setting changed: the mark goes when the page is shown again, and
    // both storing and overwriting are offered.
    f.p.Select(L"Precision");
    f.p.Click(IDC_CK_RULLER);
    f.p.Select(L"Favorites");
    EXPECT_FALSE(f.Red(L"Same"));
    EXPECT_EQ(f.Offered(f.EmptySpot()), std::set<UINT>{IDM_FAV_ADD});
    EXPECT_EQ(f.Offered(f.RowPoint(L"Same")),
              (std::set<UINT>{IDM_FAV_APPLY, IDM_FAV_UPDATE, IDM_FAV_DELETE, IDM_FAV_RENAME}));

    // "Update favorite" overwrites the row's favourite with the live
    // settings, without a question, and marks it.
    ASSERT_TRUE(f.Choose(L"Zoomed", IDM_FAV_UPDATE));
    EXPECT_FALSE(f.Box(300));
    EXPECT_TRUE(f.Red(L"Zoomed"));
    f.p.Close();
    EXPECT_TRUE(Same(Favorite(L"Zoomed"), f.p.Stored()));
    EXPECT_TRUE(Same(Favorite(L"Same"), f.live));
}

TEST(FavoritesPage, StoringUnderANewNameFollowsTheNamingRules) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    Put(L"Rect To File", Changed(f.live));
    ASSERT_TRUE(f.Open());
    const Names before{L"Rect To File"};

    // An empty name, Esc, and a name too long for the store: no row
    // remains and nothing is stored.
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(L""));
    EXPECT_EQ(f.RowNames(), before);
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(L"Half typed", VK_ESCAPE));
    EXPECT_EQ(f.RowNames(), before);
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(std::wstring(259, L'n')));
    EXPECT_EQ(f.Answer(L"OK"), L"This name is too long for a favorite. Please choose a shorter name.");
    EXPECT_EQ(f.RowNames(), before);
    EXPECT_EQ(StoredNames(), before);

    // A name that exists in another letter case: the question; No keeps
    // the store and drops the new row.
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(L"rect to file"));
    EXPECT_EQ(f.Answer(L"No"), L"Favorite 'rect to file' already exists. \rDo you want to replace ?");
    EXPECT_EQ(f.RowNames(), before);
    EXPECT_TRUE(Same(Favorite(L"Rect To File"), Changed(f.live)));
    // Yes overwrites it with the live settings and leaves one row.
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(L"rect to file"));
    f.Answer(L"Yes");
    vt::PumpFor(200);
    EXPECT_EQ(f.Rows(), std::vector<std::wstring>{L"Rect To File"});
    EXPECT_EQ(StoredNames(), before);
    EXPECT_TRUE(Same(Favorite(L"Rect To File"), f.live));

    // A new name: stored, and drawn as the current favourite. (Now the live
    // settings match "Rect To File": the menu would not offer storing, so
    // change one first.)
    f.p.Select(L"Precision");
    f.p.Click(IDC_CK_RULLER);
    f.p.Select(L"Favorites");
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(L"Mine, x8"));
    EXPECT_EQ(f.RowNames(), (Names{L"Rect To File", L"Mine, x8"}));
    EXPECT_EQ(StoredNames(), (Names{L"Rect To File", L"Mine, x8"}));
    EXPECT_TRUE(f.Red(L"Mine, x8"));
    f.p.Close();
    EXPECT_TRUE(Same(Favorite(L"Mine, x8"), f.p.Stored()));
}

TEST(FavoritesPage, RenamingAndDeletingKeepEveryOtherFavorite) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    TConfiguration a = f.live, b = Changed(f.live), c = Changed(f.live);
    c.HoldTime = 700;
    Put(L"A", a);
    Put(L"B", b);
    Put(L"C", c);
    ASSERT_TRUE(f.Open());
    EXPECT_TRUE(f.Red(L"A"));

    // Only the letter case changes: no question, the new spelling stored.
    ASSERT_TRUE(f.Choose(L"C", IDM_FAV_RENAME));
    ASSERT_TRUE(f.Name(L"c"));
    EXPECT_FALSE(f.Box(300));
    EXPECT_EQ(StoredNames(), (Names{L"A", L"B", L"c"}));
    EXPECT_TRUE(Same(Favorite(L"c"), c));

    // An empty name and Esc keep the old name.
    ASSERT_TRUE(f.Choose(L"B", IDM_FAV_RENAME));
    ASSERT_TRUE(f.Name(L""));
    ASSERT_TRUE(f.Choose(L"B", IDM_FAV_RENAME));
    ASSERT_TRUE(f.Name(L"Other", VK_ESCAPE));
    EXPECT_EQ(f.RowNames(), (Names{L"A", L"B", L"c"}));
    EXPECT_EQ(StoredNames(), (Names{L"A", L"B", L"c"}));

    // A onto B with Yes: B holds A's record, A is gone, and B is now the
    // current favourite.
    ASSERT_TRUE(f.Choose(L"A", IDM_FAV_RENAME));
    ASSERT_TRUE(f.Name(L"B"));
    EXPECT_EQ(f.Answer(L"Yes"), L"Favorite 'B' already exists. \rDo you want to replace ?");
    EXPECT_EQ(f.RowNames(), (Names{L"B", L"c"}));
    EXPECT_EQ(StoredNames(), (Names{L"B", L"c"}));
    EXPECT_TRUE(Same(Favorite(L"B"), a));
    EXPECT_TRUE(f.Red(L"B"));

    // Delete (the key, then the menu): gone from the store without a
    // question, the list rebuilt with nothing selected.
    f.Click(L"c");
    SetForegroundWindow(f.p.Dialog());
    vt::Send(f.p.Dialog(), WM_NEXTDLGCTL, WPARAM(f.List()), TRUE);
    f.p.Keys({}, VK_DELETE);
    EXPECT_FALSE(f.Box(300));
    EXPECT_EQ(StoredNames(), Names{L"B"});
    EXPECT_EQ(f.RowNames(), Names{L"B"});
    EXPECT_EQ(f.Selected(), -1);
    ASSERT_TRUE(f.Choose(L"B", IDM_FAV_DELETE));
    EXPECT_EQ(StoredNames(), Names{});
    EXPECT_EQ(f.RowNames(), Names{});
    EXPECT_TRUE(vt::ReadValue(vt::kSchemaKey, L"").has_value()) << "the live record stays";
}

// Applying: the favourite becomes the live record and the stored one, the
// hook library is handed its settings, all five hotkeys follow, and every
// page shows the new values. Double click, Enter and "Apply" do the same.
TEST(FavoritesPage, ApplyingMakesTheFavoriteLiveEverywhere) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    TConfiguration fav = f.live;
    fav.CaptureType = f.live.CaptureType == ctWindow ? ctFreeHand : ctWindow;
    fav.HoldTime = 640;
    fav.ZoomOn = 1;
    fav.ZoomFactor = 8;
    fav.HotkeysOn = 1;
    fav.HkFreeHand = 0x4000 | 0x2000 | VK_F9;   // Ctrl+Shift+F9
    fav.HkRepeat = 0x4000 | 0x2000 | VK_F10;    // Ctrl+Shift+F10
    ASSERT_TRUE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
    Put(L"Wanted", fav);
    Put(L"Start", f.live);
    ASSERT_TRUE(f.Open());

    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        // Back to the starting settings first.
        if (way > 0) {
            f.p.Select(L"Favorites");
            ASSERT_TRUE(f.Choose(L"Start", IDM_FAV_APPLY));
            ASSERT_TRUE(Same(f.p.Stored(), f.live));
        }
        f.p.ClearHookLog();
        f.p.Select(L"Favorites");
        if (way == 0) {
            f.DoubleClick(L"Wanted");
        } else if (way == 1) {
            f.Click(L"Wanted");
            SetForegroundWindow(f.p.Dialog());
            vt::Send(f.p.Dialog(), WM_NEXTDLGCTL, WPARAM(f.List()), TRUE);
            f.p.Keys({}, VK_RETURN);
        } else {
            ASSERT_TRUE(f.Choose(L"Wanted", IDM_FAV_APPLY));
        }
        ASSERT_TRUE(vt::WaitUntil([&] { return Same(f.p.Stored(), fav); }));
        EXPECT_TRUE(IsWindowVisible(f.p.Dialog())) << "Enter applies, it does not close";
        EXPECT_TRUE(f.Red(L"Wanted"));
        EXPECT_EQ(f.Selected(), -1);
        const auto log = f.p.HookLog();
        const std::vector<std::string> pushed = {
            "HookActivateWithMouse " + std::to_string(fav.MouseActivation ? 1 : 0), "HookHoldTime 640",
            "HookCaptureType " + std::to_string(fav.CaptureType),
            "HookCursorData " + std::to_string(fav.CaptureCursor | (fav.CrosshairSize << 8)),
            "HookRectangleSelection " + std::to_string(fav.RectSelection)};
        auto at = log.begin();
        for (const std::string& line : pushed) {
            at = std::find(at, log.end(), line);
            EXPECT_NE(at, log.end()) << line;
        }
        // The hotkeys of the favourite are the program's now.
        EXPECT_FALSE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
        EXPECT_FALSE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
        // Tree and pages show it; the page shown is still the favourites'.
        EXPECT_EQ(f.p.Title(), L"Favorites");
        const std::wstring marked = fav.CaptureType == ctWindow ? L"Window" : L"Free Hand";
        EXPECT_EQ(f.p.NodeImage(marked), 5);
        f.p.Select(L"Activate");
        EXPECT_EQ(vt::Send(f.p.Item(IDC_TK_HOLD_TIME), TBM_GETPOS), 64);
        f.p.Select(L"Capture");
        EXPECT_EQ(f.p.Text(IDC_ED_HK_REPEAT), L"CTRL + SHIFT + F10");
        f.p.Select(L"Precision");
        EXPECT_TRUE(f.p.Checked(IDC_CK_ZOOM_ON));
        EXPECT_EQ(f.p.ComboIndex(IDC_CB_ZOOM_FACTOR), 2);
    }
    // Back to the start: the keys of "Wanted" are given up again.
    f.p.Select(L"Favorites");
    ASSERT_TRUE(f.Choose(L"Start", IDM_FAV_APPLY));
    EXPECT_TRUE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F9));
    EXPECT_TRUE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F10));
}

TEST(FavoritesPage, TakenHotkeysAreReportedOnceAndTheRestIsApplied) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    TConfiguration fav = f.live;
    fav.HotkeysOn = 1;
    fav.HoldTime = 880;
    fav.HkWindow = 0x4000 | 0x2000 | VK_F11;
    fav.HkTimer = 0x4000 | 0x2000 | VK_F12;
    Put(L"Taken", fav);
    vt::HeldHotkey window(MOD_CONTROL | MOD_SHIFT, VK_F11), timer(MOD_CONTROL | MOD_SHIFT, VK_F12);
    ASSERT_TRUE(window.Held() && timer.Held());
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.Choose(L"Taken", IDM_FAV_APPLY));
    const std::wstring text = f.Answer(L"OK");
    EXPECT_NE(text.find(L"The following hotkeys are not available to Vorlix:"), std::wstring::npos) << Narrow(text);
    EXPECT_NE(text.find(L"CTRL + SHIFT + F11"), std::wstring::npos);
    EXPECT_NE(text.find(L"CTRL + SHIFT + F12"), std::wstring::npos);
    EXPECT_FALSE(f.Box(300)) << "one message";
    EXPECT_TRUE(Same(f.p.Stored(), fav));
    f.p.Select(L"Activate");
    EXPECT_EQ(vt::Send(f.p.Item(IDC_TK_HOLD_TIME), TBM_GETPOS), 88);
}

// A favourite that cannot be read (wrong size, wrong type) is refused with
// a message; the live and stored settings and the store stay as they were.
TEST(FavoritesPage, AnUnreadableFavoriteChangesNothing) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    const std::string shortValue(100, '\x01');
    ASSERT_TRUE(vt::WriteValue(vt::kSchemaKey, L"Short", REG_BINARY, shortValue.data(), shortValue.size()));
    TConfiguration fav = Changed(f.live);
    ASSERT_TRUE(vt::WriteValue(vt::kSchemaKey, L"Text", REG_SZ, &fav, sizeof fav));
    const auto stored = [] { return vt::ReadValue(vt::kSchemaKey, L"Short")->data; };
    const auto before = stored();
    ASSERT_TRUE(f.Open());
    for (const wchar_t* name : {L"Short", L"Text"}) {
        SCOPED_TRACE(Narrow(name));
        ASSERT_TRUE(f.Choose(name, IDM_FAV_APPLY));
        EXPECT_EQ(f.Answer(L"OK"), L"The favorite '" + std::wstring(name) + L"' cannot be read. Nothing was changed.");
        EXPECT_TRUE(Same(f.p.Stored(), f.live));
        ASSERT_TRUE(f.Choose(name, IDM_FAV_RENAME));
        ASSERT_TRUE(f.Name(L"Renamed"));
        EXPECT_EQ(f.Answer(L"OK"), L"The favorite '" + std::wstring(name) + L"' cannot be read. Nothing was changed.");
        EXPECT_EQ(StoredNames(), (Names{L"Short", L"Text"}));
        EXPECT_EQ(f.RowNames(), (Names{L"Short", L"Text"}));
    }
    EXPECT_EQ(stored(), before);
    f.p.Close();
    EXPECT_TRUE(Same(f.p.Stored(), f.live));
}

// The store refuses writes (its key may only be read): every operation says
// so, and nothing is lost.
TEST(FavoritesPage, AStoreThatRefusesWritesIsReported) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    Put(L"Kept", Changed(f.live));
    {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, vt::kSchemaKey, 0, READ_CONTROL | WRITE_DAC, &key), ERROR_SUCCESS);
        EXPLICIT_ACCESSW ea{};
        wchar_t everyone[] = L"EVERYONE";
        BuildExplicitAccessWithNameW(&ea, everyone, KEY_READ, SET_ACCESS, NO_INHERITANCE);
        PACL acl = nullptr;
        ASSERT_EQ(SetEntriesInAclW(1, &ea, nullptr, &acl), ERROR_SUCCESS);
        ASSERT_EQ(SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr),
                  ERROR_SUCCESS);
        LocalFree(acl);
        RegCloseKey(key);
        HKEY probe = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, vt::kSchemaKey, 0, KEY_SET_VALUE, &probe) == ERROR_SUCCESS) {
            RegCloseKey(probe);
            GTEST_SKIP() << "this registry does not enforce key security";
        }
    }
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.Choose(L"Kept", IDM_FAV_UPDATE));
    EXPECT_EQ(f.Answer(L"OK"), L"The favorite 'Kept' could not be saved.");
    ASSERT_TRUE(f.Choose(L"Kept", IDM_FAV_DELETE));
    EXPECT_EQ(f.Answer(L"OK"), L"The favorite 'Kept' could not be deleted.");
    EXPECT_EQ(f.RowNames(), Names{L"Kept"});
    EXPECT_EQ(StoredNames(), Names{L"Kept"});
    EXPECT_TRUE(Same(Favorite(L"Kept"), Changed(f.live)));
}

// A capture gesture while a new favourite is being named drops the unnamed
// row; nothing is stored.
TEST(FavoritesPage, ACaptureGestureDropsTheUnnamedRow) {
    FavoritesProgram f;
    ASSERT_TRUE(f.Start());
    Put(L"Other", Changed(f.live));
    ASSERT_TRUE(f.Open());
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(vt::WaitUntil([&] { return f.Editor() != nullptr; }));
    EXPECT_EQ(f.Rows().size(), 2u);
    ASSERT_TRUE(vt::Post(f.p.Main(), WM_HOOK_BEGIN, 0, 0));
    EXPECT_TRUE(vt::WaitUntil([&] { return f.RowNames() == Names{L"Other"}; }));
    // The selection the gesture began is cancelled.
    vt::PressKey(VK_ESCAPE);
    vt::PumpFor(500);
    EXPECT_EQ(StoredNames(), Names{L"Other"});
    EXPECT_EQ(f.Editor(), nullptr);
}

// Favourites named in Chinese by the Chinese build on a Chinese system (the
// test runs under LANG=zh_CN.UTF-8 as favorites_cn_test): stored,
// renamed and applied under their names, and listed by the English build,
// which shares the store.
TEST(FavoritesPage, ChineseNamesRoundTripBetweenTheBuilds) {
    if (GetACP() != 936) GTEST_SKIP() << "needs the code page 936";
    const std::wstring first = L"\u77e9\u5f62\u5230\u6587\u4ef6";                 // 矩形到文件
    const std::wstring mine = L"\u6211\u7684\u622a\u56fe\uff0c\u653e\u5927 8 \u500d";  // 我的截图，放大 8 倍
    const std::wstring renamed = L"\u7a97\u53e3\u622a\u56fe";                      // 窗口截图
    FavoritesProgram f;
    ASSERT_TRUE(f.Start(L"Vorlix-cn.exe"));
    const TConfiguration changed = Changed(f.live);
    Put(first, changed);
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(f.RowNames(), Names{first});

    // A new one stored under a Chinese name, the first renamed.
    f.p.Select(L"\u7cbe\u786e");  // 精确
    f.p.Click(IDC_CK_RULLER);
    f.p.Select(L"\u6536\u85cf\u5939");  // 收藏夹
    ASSERT_TRUE(f.Choose(f.EmptySpot(), IDM_FAV_ADD));
    ASSERT_TRUE(f.Name(mine));
    ASSERT_TRUE(f.Choose(first, IDM_FAV_RENAME));
    ASSERT_TRUE(f.Name(renamed));
    EXPECT_EQ(f.RowNames(), (Names{mine, renamed}));
    EXPECT_EQ(StoredNames(), (Names{mine, renamed}));
    EXPECT_TRUE(Same(Favorite(renamed), changed)) << "renaming keeps the settings";

    // Applied by its Chinese name.
    f.DoubleClick(renamed);
    ASSERT_TRUE(vt::WaitUntil([&] { return Same(f.p.Stored(), changed); }));
    EXPECT_TRUE(f.Red(renamed));
    ASSERT_TRUE(f.p.Close());
    f.p.Exit();

    // The English build lists both under the same names.
    f.p.config = changed;
    ASSERT_TRUE(f.p.Start(L"Vorlix.exe"));
    ASSERT_TRUE(f.Open());
    EXPECT_EQ(f.RowNames(), (Names{mine, renamed}));
    EXPECT_TRUE(f.Red(renamed));
}

}  // namespace
