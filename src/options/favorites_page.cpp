// The Favorites page: the stored setting sets in a list. Its context menu
// applies one (the live settings become a copy of it and every start-up step
// that depends on the settings runs again), stores the live settings under a
// new name, overwrites a favourite with them, renames and deletes.
//
// Names are registry value names, which the registry compares without regard
// to case; the empty name is the live record itself, so no operation ever
// takes it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/hotkeys.h"
#include "base/options_calls.h"
#include "base/settings_store.h"
#include "capture/shading.h"
#include "base/temp_files.h"
#include "base/texts.h"
#include "delivery/destinations.h"
#include "delivery/mail_client.h"
#include "hook/hovrak.h"
#include "options/options_dialog.h"
#include "options/options_ids.h"
#include "options/options_texts.h"
#include "options/tree_images.h"
#include "ui/gdi.h"
#include "ui/text_format.h"

namespace {

// The favourite shown as current (drawn red): set whenever the page is shown,
// by an apply, an update and the name editing. It outlives the dialog.
std::wstring CurrentFavorite;
// 0 no name edit, 1 a new favourite is being named, 2 one is being renamed.
int FavoriteEditMode = 0;
std::wstring FavoriteOldName;

// Registry value names longer than this are refused by older Windows
// versions; a longer name is refused here, on every system alike.
constexpr size_t kMaxFavoriteName = 255;

// Posted to the page: remove the rows marked for removal, once the list has
// finished ending the edit of such a row.
constexpr UINT WM_REMOVE_ROWS = WM_APP + 20;

std::wstring Upper(const std::wstring& s) {
    std::wstring u = s;
    if (!u.empty())
        LCMapStringW(LOCALE_INVARIANT, LCMAP_UPPERCASE, s.data(), static_cast<int>(s.size()), u.data(),
                     static_cast<int>(u.size()));
    return u;
}

// The pictures of the menu items Apply (a tick), Save as (a plus) and
// Delete (a cross), drawn on the menu's colour.
ui::BitmapHandle MenuPicture(int index) {
    const int s = ScaleForDpi(16);
    ui::BitmapHandle bitmap(CreateCompatibleBitmap(ui::WindowDc(nullptr), s, s));
    ui::DcHandle dc(CreateCompatibleDC(nullptr));
    ui::Selection sb(dc.get(), bitmap.get());
    RECT all{0, 0, s, s};
    FillRect(dc.get(), &all, GetSysColorBrush(COLOR_MENU));
    const COLORREF colors[] = {RGB(0, 150, 0), RGB(0, 90, 200), RGB(200, 30, 30)};
    ui::PenHandle pen(CreatePen(PS_SOLID, std::max(2, s / 8), colors[index]));
    ui::Selection sp(dc.get(), pen.get());
    const int m = s / 5;
    auto line = [&](int x0, int y0, int x1, int y1) {
        MoveToEx(dc.get(), x0, y0, nullptr);
        LineTo(dc.get(), x1, y1);
    };
    switch (index) {
        case 0: line(m, s / 2, s * 2 / 5, s - m - 1); line(s * 2 / 5, s - m - 1, s - m, m); break;
        case 1: line(s / 2, m, s / 2, s - m); line(m, s / 2, s - m, s / 2); break;
        default: line(m, m, s - m, s - m); line(s - m, m, m, s - m); break;
    }
    return bitmap;
}

bool SameNameIgnoringCase(const std::wstring& a, const std::wstring& b) { return Upper(a) == Upper(b); }

bool StoredNameExists(const std::wstring& name) {
    std::vector<std::wstring> names;
    ListSchemas(names);
    for (const std::wstring& n : names)
        if (!n.empty() && SameNameIgnoringCase(n, name)) return true;
    return false;
}

// Yes/No question in the manner of ShowError: captures and hotkeys pause
// while it is up, and the dialog cannot be closed under it.
bool AskReplace(const std::wstring& name) {
    OptionsBoxScope scope;
    const bool outer = !ErrorBoxShown;
    ErrorBoxShown = true;
    HookActivateWithMouse(FALSE);
    const std::wstring text = ui::FormatText(txt::FavoriteExists, {{L"<NAME>", name}});
    const bool yes =
        MessageBoxW(ApplicationWindow, text.c_str(), txt::MessageCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
    if (outer) {
        HookActivateWithMouse(Config.MouseActivation != 0);
        ErrorBoxShown = false;
    }
    return yes;
}

bool Write(const std::wstring& name, const TConfiguration& record) {
    if (WriteSchema(name, record)) return true;
    OptionsError(ui::FormatText(txt::FavoriteWriteFailed, {{L"<NAME>", name}}));
    return false;
}

bool Delete(const std::wstring& name) {
    if (DeleteSchema(name)) return true;
    OptionsError(ui::FormatText(txt::FavoriteDeleteFailed, {{L"<NAME>", name}}));
    return false;
}

// Reads a favourite whole, or says that it cannot be read.
bool Read(const std::wstring& name, TConfiguration& record) {
    if (ReadSchema(name, record)) return true;
    OptionsError(ui::FormatText(txt::FavoriteUnreadable, {{L"<NAME>", name}}));
    return false;
}

class FavoritesPage : public OptionsPage {
public:
    ~FavoritesPage() override { DestroyMenu(menu_); }

    void DropEmptyRows() {
        if (ending_) return;  // the end of an edit decides about its row itself
        HWND edit = ListView_GetEditControl(list_);
        if (edit && editedRow_ >= 0 && Caption(editedRow_).empty()) {
            // The unnamed row goes: end its edit as if cancelled.
            ListView_CancelEditLabel(list_);
        }
        for (int i = ListView_GetItemCount(list_) - 1; i >= 0; --i)
            if (i != EditedRowIfEditing() && Caption(i).empty()) ListView_DeleteItem(list_, i);
    }

protected:
    void Init() override {
        list_ = Item(IDC_LIST_FAVORITES);
        // The list is 260 x 324 pixels at 96 dots per inch, under a note
        // that may take two lines.
        const auto S = ScaleForDpi;
        SetWindowPos(Item(IDC_LB_FAVORITES_NOTE), nullptr, S(4), S(6), S(260), S(28), SWP_NOZORDER | SWP_NOACTIVATE);
        SetWindowPos(list_, nullptr, S(4), S(36), S(260), S(324), SWP_NOZORDER | SWP_NOACTIVATE);
        ListView_SetImageList(list_, MakeTreeImages(ScaleForDpi(32)), LVSIL_NORMAL);
        ListView_SetTextColor(list_, RGB(0, 0, 0));
        SetWindowSubclass(list_, &ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
        menu_ = CreatePopupMenu();
        AppendMenuW(menu_, MF_STRING, IDM_FAV_APPLY, txt::FavoriteApply);
        AppendMenuW(menu_, MF_STRING, IDM_FAV_ADD, txt::FavoriteAdd);
        AppendMenuW(menu_, MF_STRING, IDM_FAV_UPDATE, txt::FavoriteUpdate);
        AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu_, MF_STRING, IDM_FAV_DELETE, txt::FavoriteDelete);
        AppendMenuW(menu_, MF_STRING, IDM_FAV_RENAME, txt::FavoriteRename);
        const UINT pictured[] = {IDM_FAV_APPLY, IDM_FAV_ADD, IDM_FAV_DELETE};
        for (int i = 0; i < 3; ++i) {
            pictures_[i] = MenuPicture(i);
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_BITMAP;
            mi.hbmpItem = pictures_[i].get();
            SetMenuItemInfoW(menu_, pictured[i], FALSE, &mi);
        }
    }

    void Load() override {
        // A reload of the open dialog keeps the rows (and a name edit); a
        // page made while the dialog is open has none yet.
        if (!OptionsOpen || !filled_) Fill();
        filled_ = true;
    }

    void Shown() override {
        CurrentFavorite = FindMatchingSchema();
        InvalidateRect(list_, nullptr, TRUE);
    }

    bool EnterPressed(HWND focus) override {
        if (focus != list_) return false;
        ApplyFavorite();
        return true;
    }

    void Command(int id, int) override {
        if (OptionsLoading) return;
        switch (id) {
            case IDM_FAV_APPLY: ApplyFavorite(); break;
            case IDM_FAV_ADD: AddFavorite(); break;
            case IDM_FAV_UPDATE: UpdateFavorite(); break;
            case IDM_FAV_DELETE: DeleteFavorite(); break;
            case IDM_FAV_RENAME: RenameFavorite(); break;
            default: break;
        }
    }

    bool Message(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override {
        switch (message) {
            case WM_CONTEXTMENU:
                if (reinterpret_cast<HWND>(wParam) != list_ || OptionsLoading) return false;
                PopupMenu(lParam);
                return true;
            case WM_REMOVE_ROWS: RemoveMarkedRows(); return true;
            case WM_NOTIFY: {
                const auto* nm = reinterpret_cast<const NMHDR*>(lParam);
                if (nm->hwndFrom != list_) return false;
                result = Notify(nm);
                return true;
            }
            default: return false;
        }
    }

private:
    static LRESULT CALLBACK ListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR data) {
        auto* self = reinterpret_cast<FavoritesPage*>(data);
        switch (message) {
            case WM_LBUTTONDOWN:
            case WM_RBUTTONDOWN:
            case WM_MBUTTONDOWN: {
                OptionsHandlerScope scope;
                if (!OptionsLoading) self->DropEmptyRows();
                break;
            }
            case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &ListProc, 1); break;
            default: break;
        }
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }

    LRESULT Notify(const NMHDR* nm) {
        switch (nm->code) {
            case NM_DBLCLK:
                if (!OptionsLoading) ApplyFavorite();
                return 0;
            case LVN_KEYDOWN: {
                const auto* kd = reinterpret_cast<const NMLVKEYDOWN*>(nm);
                if (!OptionsLoading && kd->wVKey == VK_DELETE && FavoriteEditMode == 0) DeleteFavorite();
                return 0;
            }
            case NM_KILLFOCUS:
                // The caption editor taking the focus is no leaving.
                if (!OptionsLoading && !ListView_GetEditControl(list_)) DropEmptyRows();
                return 0;
            case NM_CUSTOMDRAW: return CustomDraw(reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(nm)));
            case LVN_BEGINLABELEDITW: {
                const auto* di = reinterpret_cast<const NMLVDISPINFOW*>(nm);
                editedRow_ = di->item.iItem;
                editedId_ = RowId(editedRow_);
                if (FavoriteEditMode == 0) {
                    // An edit the list began by itself (a click on the
                    // selected row's caption): a rename.
                    FavoriteOldName = Caption(editedRow_);
                    FavoriteEditMode = 2;
                }
                return FALSE;  // always allowed
            }
            case LVN_ENDLABELEDITW: {
                const auto* di = reinterpret_cast<const NMLVDISPINFOW*>(nm);
                const bool accepted = EditEnded(di->item.pszText ? di->item.pszText : L"");
                editedRow_ = -1;
                return accepted ? TRUE : FALSE;
            }
            default: return 0;
        }
    }

    LRESULT CustomDraw(NMLVCUSTOMDRAW* cd) {
        switch (cd->nmcd.dwDrawStage) {
            case CDDS_PREPAINT: return OptionsLoading ? CDRF_DODEFAULT : CDRF_NOTIFYITEMDRAW;
            case CDDS_ITEMPREPAINT:
                if (!CurrentFavorite.empty() && Caption(static_cast<int>(cd->nmcd.dwItemSpec)) == CurrentFavorite) {
                    cd->clrText = RGB(255, 255, 255);
                    cd->clrTextBk = RGB(255, 0, 0);
                    // Red also while the row is selected.
                    cd->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
                }
                return CDRF_DODEFAULT;
            default: return CDRF_DODEFAULT;
        }
    }

    // ---- Rows ----

    std::wstring Caption(int row) const {
        if (row < 0) return {};
        wchar_t text[1024] = L"";
        ListView_GetItemText(list_, row, 0, text, static_cast<int>(std::size(text)));
        return text;
    }

    LPARAM RowId(int row) const {
        LVITEMW item{};
        item.mask = LVIF_PARAM;
        item.iItem = row;
        ListView_GetItem(list_, &item);
        return item.lParam;
    }

    int RowOfId(LPARAM id) const {
        LVFINDINFOW find{};
        find.flags = LVFI_PARAM;
        find.lParam = id;
        return ListView_FindItem(list_, -1, &find);
    }

    int EditedRowIfEditing() const { return ListView_GetEditControl(list_) ? editedRow_ : -1; }

    int Selected() const { return ListView_GetNextItem(list_, -1, LVNI_SELECTED); }

    int AddRow(const std::wstring& caption) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
        item.iItem = ListView_GetItemCount(list_);
        item.pszText = const_cast<wchar_t*>(caption.c_str());
        item.iImage = TreeIconFavorites;
        item.lParam = ++lastId_;
        return ListView_InsertItem(list_, &item);
    }

    void Fill() {
        ListView_DeleteAllItems(list_);
        std::vector<std::wstring> names;
        ListSchemas(names);
        for (const std::wstring& name : names)
            if (!name.empty()) AddRow(name);
    }

    void MarkForRemoval(LPARAM id) {
        toRemove_.push_back(id);
        PostMessageW(hwnd_, WM_REMOVE_ROWS, 0, 0);
    }

    void RemoveMarkedRows() {
        for (LPARAM id : toRemove_) {
            const int row = RowOfId(id);
            if (row >= 0 && row != EditedRowIfEditing()) ListView_DeleteItem(list_, row);
        }
        toRemove_.clear();
    }

    void ClearSelection() { ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED); }

    // ---- The context menu ----

    void PopupMenu(LPARAM at) {
        const bool selected = Selected() >= 0;
        const bool match = !FindMatchingSchema().empty();
        auto enable = [&](UINT id, bool on) { EnableMenuItem(menu_, id, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED)); };
        enable(IDM_FAV_APPLY, selected);
        enable(IDM_FAV_ADD, !selected && !match);
        enable(IDM_FAV_UPDATE, selected && !match);
        enable(IDM_FAV_DELETE, selected);
        enable(IDM_FAV_RENAME, selected);
        POINT p{static_cast<short>(LOWORD(at)), static_cast<short>(HIWORD(at))};
        if (at == static_cast<LPARAM>(-1)) {
            // From the keyboard: under the selected row, or the list's corner.
            RECT r{};
            const int row = Selected();
            if (row >= 0) ListView_GetItemRect(list_, row, &r, LVIR_LABEL);
            p = POINT{r.left, r.bottom};
            ClientToScreen(list_, &p);
        }
        TrackPopupMenu(menu_, TPM_LEFTALIGN | TPM_RIGHTBUTTON, p.x, p.y, 0, hwnd_, nullptr);
    }

    // ---- The operations ----

    void ApplyFavorite() {
        const int row = Selected();
        if (row < 0) return;
        const std::wstring name = Caption(row);
        if (name.empty()) return;
        // Read first: a favourite that cannot be read changes nothing.
        TConfiguration applied{};
        if (!Read(name, applied)) return;
        CurrentFavorite = name;
        if (Config.HotkeysOn) UnregisterCaptureHotkeys(MainWindow);
        if (TimerRunning) CallStopTimerCapture();
        Config = applied;
        if (!SaveConfiguration()) OptionsError(txt::SettingsNotSaved);
        SetBlendColor();
        HookActivateWithMouse(Config.MouseActivation != 0);
        HookHoldTime(Config.HoldTime);
        HookCaptureType(Config.CaptureType);
        HookCursorData(Config.CursorData());
        HookRectangleSelection(Config.RectSelection);
        // All five hotkeys follow the applied settings, as the pages show them.
        std::wstring failures = RegisterRepeatAndTimerHotkeys(MainWindow);
        if (Config.HotkeysOn) failures += RegisterCaptureHotkeys(MainWindow);
        if (!failures.empty()) OptionsError(ui::FormatText(txt::HotkeysUnavailable, {{L"<HOTKEYS>", failures}}));
        CheckDestinationFolder();
        CheckMailClient();
        CleanTempFiles();
        LoadOptionsControls();
        InvalidateRect(list_, nullptr, TRUE);
        ClearSelection();
    }

    void AddFavorite() {
        FavoriteEditMode = 1;
        const int row = AddRow(L"");
        SetFocus(list_);
        ListView_EditLabel(list_, row);
    }

    void UpdateFavorite() {
        const int row = Selected();
        if (row < 0) return;
        const std::wstring name = Caption(row);
        if (name.empty() || !Write(name, Config)) return;
        CurrentFavorite = name;
        InvalidateRect(list_, nullptr, TRUE);
    }

    void DeleteFavorite() {
        const int row = Selected();
        if (row < 0) return;
        const std::wstring name = Caption(row);
        if (name.empty()) return;
        Delete(name);
        Fill();
    }

    void RenameFavorite() {
        const int row = Selected();
        if (row < 0) return;
        FavoriteEditMode = 2;
        FavoriteOldName = Caption(row);
        SetFocus(list_);
        ListView_EditLabel(list_, row);
    }

    // The end of a name edit (a cancelled edit comes with an empty name):
    // true when the row takes the typed name as its caption.
    bool EditEnded(std::wstring name) {
        struct Ending {
            bool& flag;
            explicit Ending(bool& f) : flag(f) { flag = true; }
            ~Ending() {
                flag = false;
                FavoriteEditMode = 0;
            }
        } ending(ending_);
        const int mode = FavoriteEditMode;
        const LPARAM row = editedId_;
        // What happens to the row when nothing is stored: a new one goes, a
        // renamed one keeps its name.
        auto keep = [&] {
            if (mode == 1) MarkForRemoval(row);
            return false;
        };
        if (mode == 0) return false;
        if (name.empty()) return keep();
        if (name.size() > kMaxFavoriteName) {
            OptionsError(txt::FavoriteNameTooLong);
            return keep();
        }
        bool replaced = false;
        const bool sameAsOld = mode == 2 && SameNameIgnoringCase(name, FavoriteOldName);
        if (!sameAsOld && StoredNameExists(name)) {
            if (!AskReplace(name)) return keep();
            replaced = true;
        }
        if (mode == 1) {
            if (!Write(name, Config)) return keep();
            CurrentFavorite = name;
        } else {
            TConfiguration scratch{};
            if (!Read(FavoriteOldName, scratch)) return keep();
            if (sameAsOld) {
                // The registry keeps a value's spelling when it is written
                // again: a new spelling needs the old value gone first.
                if (name != FavoriteOldName) {
                    if (!Delete(FavoriteOldName)) return keep();
                    if (!Write(name, scratch)) {
                        WriteSchema(FavoriteOldName, scratch);
                        return keep();
                    }
                }
            } else {
                // Written under the new name before the old one goes, so a
                // failure loses nothing.
                if (!Write(name, scratch)) return keep();
                Delete(FavoriteOldName);
            }
            if (FavoriteOldName == CurrentFavorite) CurrentFavorite = name;
        }
        InvalidateRect(list_, nullptr, TRUE);
        ClearSelection();
        if (replaced) {
            // The favourite lives on in the row that already bore the name.
            MarkForRemoval(row);
            return false;
        }
        return true;
    }

    HWND list_ = nullptr;
    HMENU menu_ = nullptr;
    ui::BitmapHandle pictures_[3];
    int editedRow_ = -1;
    LPARAM editedId_ = 0;
    LPARAM lastId_ = 0;
    bool filled_ = false;  // the rows were read once
    bool ending_ = false;
    std::vector<LPARAM> toRemove_;
};

}  // namespace

void DropEmptyFavoriteRows() {
    if (auto* page = dynamic_cast<FavoritesPage*>(OptionsDialogPage(PageId::Favorites))) page->DropEmptyRows();
}

std::unique_ptr<OptionsPage> MakeFavoritesPage() { return std::make_unique<FavoritesPage>(); }
