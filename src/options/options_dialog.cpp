#include "options/options_dialog.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <vector>

#include "base/foreground.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/programs.h"
#include "base/settings_store.h"
#include "base/files.h"
#include "hook/hovrak.h"
#include "options/hotkey_edit.h"
#include "options/options_ids.h"
#include "options/page_controls_ids.h"
#include "options/options_texts.h"
#include "options/tree_images.h"
#include "ui/gdi.h"
#include "ui/menu_styler.h"
#include "ui/window.h"

namespace {

// ---- The page table -------------------------------------------------------
// Adding a page: its dialog template, its page class and its row here. A row
// without a class shows the template IDD_PAGE_TEXT with the page's fixed
// text (PageBodies), or empty.

struct PageEntry {
    PageId id;
    const wchar_t* key;  // the node's name as remembered in "Last Node"
    int templateId;
    std::unique_ptr<OptionsPage> (*make)();
};

const PageEntry kPages[] = {
    {PageId::Activate, L"Activate", IDD_PAGE_ACTIVATE, MakeActivatePage},
    {PageId::Capture, L"Capture", IDD_PAGE_CAPTURE, MakeCapturePage},
    {PageId::FreeHand, L"Free Hand", IDD_PAGE_FREEHAND, MakeFreeHandPage},
    {PageId::Rectangle, L"Rectangle", IDD_PAGE_RECTANGLE, MakeRectanglePage},
    {PageId::Window, L"Window", IDD_PAGE_WINDOW, MakeWindowPage},
    {PageId::Enhance, L"Enhance", IDD_PAGE_TEXT, nullptr},
    {PageId::EdgeEffect, L"Edge Effect", IDD_PAGE_EDGE, MakeEdgeEffectPage},
    {PageId::Annotation, L"Annotation", IDD_PAGE_ANNOTATION, MakeAnnotationPage},
    {PageId::Watermark, L"Watermark", IDD_PAGE_WATERMARK, MakeWatermarkPage},
    {PageId::SendTo, L"Send To", IDD_PAGE_SENDTO, MakeSendToPage},
    {PageId::Clipboard, L"Clipboard", IDD_PAGE_TEXT, nullptr},
    {PageId::File, L"File", IDD_PAGE_FILE, MakeFilePage},
    {PageId::Editor, L"Editor", IDD_PAGE_EDITOR, MakeEditorPage},
    {PageId::Zovozu, L"Zovozu", IDD_PAGE_TEXT, nullptr},
    {PageId::ZovozuNotInstalled, L"Zovozu Not Installed", IDD_PAGE_ZOVOZU_MISSING, MakeZovozuMissingPage},
    {PageId::Mail, L"Mail", IDD_PAGE_MAIL, MakeMailPage},
    {PageId::Web, L"Web", IDD_PAGE_WEB, MakeWebPage},
    {PageId::IM, L"IM", IDD_PAGE_IM, MakeImPage},
    {PageId::ICQ, L"ICQ", IDD_PAGE_ICQ, MakeIcqPage},
    {PageId::Printer, L"Printer/Fax", IDD_PAGE_PRINTER, MakePrinterPage},
    {PageId::Custom, L"Custom", IDD_PAGE_TEXT, nullptr},
    {PageId::Timer, L"Timer", IDD_PAGE_TIMER, MakeTimerPage},
    {PageId::Precision, L"Precision", IDD_PAGE_PRECISION, MakePrecisionPage},
    {PageId::Favorites, L"Favorites", IDD_PAGE_FAVORITES, MakeFavoritesPage},
};
static_assert(std::size(kPages) == PageCount);

// A page of fixed text (or, until its class is written, of nothing).
class TextPage : public OptionsPage {
public:
    explicit TextPage(PageId id) : id_(id) {}

protected:
    void Init() override {
        if (const wchar_t* body = txt::PageBodies[PageIndex(id_)]) SetText(IDC_PAGE_TEXT, body);
    }

private:
    PageId id_;
};

// ---- The tree --------------------------------------------------------------

enum class Mark { Root, Radio, Check, Greyed };
enum NodeState { StateRadioOff = 4, StateRadioOn = 5, StateCheckOff = 6, StateCheckOn = 7, StateGreyed = 8 };

struct NodeDef {
    PageId page;
    Mark mark;
    int icon;  // of a root node
};

const NodeDef kNodes[] = {
    {PageId::Activate, Mark::Root, TreeIconActivate},
    {PageId::Capture, Mark::Root, TreeIconCapture},
    {PageId::FreeHand, Mark::Radio, 0},
    {PageId::Rectangle, Mark::Radio, 0},
    {PageId::Window, Mark::Radio, 0},
    {PageId::Enhance, Mark::Root, TreeIconEnhance},
    {PageId::EdgeEffect, Mark::Check, 0},
    {PageId::Annotation, Mark::Check, 0},
    {PageId::Watermark, Mark::Check, 0},
    {PageId::SendTo, Mark::Root, TreeIconSendTo},
    {PageId::Clipboard, Mark::Check, 0},
    {PageId::File, Mark::Check, 0},
    {PageId::Editor, Mark::Check, 0},
    {PageId::Zovozu, Mark::Check, 0},
    {PageId::Mail, Mark::Check, 0},
    {PageId::Web, Mark::Check, 0},
    {PageId::IM, Mark::Check, 0},
    {PageId::ICQ, Mark::Check, 0},
    {PageId::Printer, Mark::Check, 0},
    {PageId::Custom, Mark::Greyed, 0},
    {PageId::Timer, Mark::Root, TreeIconTimer},
    {PageId::Precision, Mark::Root, TreeIconPrecision},
    {PageId::Favorites, Mark::Root, TreeIconFavorites},
};
constexpr int NodeCount = static_cast<int>(std::size(kNodes));

// The flag a check node stands for.
uint8_t* FlagOfNode(PageId page) {
    switch (page) {
        case PageId::EdgeEffect: return &Config.EdgeOn;
        case PageId::Annotation: return &Config.AnnotationOn;
        case PageId::Watermark: return &Config.WatermarkOn;
        case PageId::Clipboard: return &Config.SendTo[dClipboard];
        case PageId::File: return &Config.SendTo[dFile];
        case PageId::Editor: return &Config.SendTo[dEditor];
        case PageId::Zovozu: return &Config.SendTo[dZovozu];
        case PageId::Mail: return &Config.SendTo[dMail];
        case PageId::Web: return &Config.SendTo[dWeb];
        case PageId::IM: return &Config.SendTo[dIM];
        case PageId::ICQ: return &Config.SendTo[dICQ];
        case PageId::Printer: return &Config.SendTo[dPrinter];
        case PageId::Custom: return &Config.SendTo[dCustom];
        default: return nullptr;
    }
}

bool UnderSendTo(int node) { return node > 9 && node <= 19; }
int CaptureTypeOfNode(int node) { return node - 1; }  // Free Hand is node 2
// A stored capture type outside 1..3 marks the nearest one (and stays as it
// is until the user picks one).
int ShownCaptureType() { return std::clamp<int>(Config.CaptureType, ctFreeHand, ctWindow); }

// ---- The dialog -------------------------------------------------------------

class TuOptionsForm;
TuOptionsForm* uOptionsForm = nullptr;  // the open (or loading) dialog
std::vector<TuOptionsForm*> ClosedForms;  // closed, waiting to be destroyed
int HandlerDepth = 0;

// Posted to a closed dialog: destroy it once no handler of it runs.
constexpr UINT WM_DESTROY_CLOSED = WM_APP + 1;

class TuOptionsForm {
public:
    bool Create();
    HWND Handle() const { return hwnd_; }
    // The page's object; its window exists once the page was shown.
    OptionsPage* Page(PageId id) { return pages_[PageIndex(id)].get(); }
    // Inactive, as stored: every menu of the dialog keeps the standard look.
    ui::TMenuStyler menuStyler;

    void LoadOptionsControls();
    void FormShow();
    void Close();
    void RefreshCaptureTypeNodes();
    bool closed() const { return closed_; }
    void PostDestroy();

private:
    static INT_PTR CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void Init();
    void Layout();
    void BuildOptionsTree();
    int SelectedNode() const;
    int NodeAt(HTREEITEM item) const;
    int NodeState(int node) const;
    void SetNodeState(int node, int state);
    void ToggleTreeNode(int node);
    void ShowPageForNode();
    void ShowPage(PageId id);
    OptionsPage* MadePage(PageId id);
    void PlacePage(OptionsPage& page);
    LRESULT TreeCustomDraw(NMTVCUSTOMDRAW* cd);
    void EnterPressed();

    HWND hwnd_ = nullptr;
    HWND tree_ = nullptr;
    std::array<std::unique_ptr<OptionsPage>, PageCount> pages_;
    std::array<HTREEITEM, NodeCount> items_{};
    PageId shown_ = PageId::Count;
    HIMAGELIST images_ = nullptr;
    ui::FontHandle boldFont_;
    bool closed_ = false;
    bool destroyPosted_ = false;
};

bool TuOptionsForm::Create() {
    hwnd_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_OPTIONS), ApplicationWindow,
                               &Procedure, reinterpret_cast<LPARAM>(this));
    return hwnd_ != nullptr;
}

void TuOptionsForm::Init() {
    SetWindowTextW(hwnd_, txt::OptionsCaption);
    ApplyControlTexts(hwnd_);
    tree_ = GetDlgItem(hwnd_, IDC_TREE);
    images_ = MakeTreeImages(ScaleForDpi(16));
    TreeView_SetImageList(tree_, images_, TVSIL_NORMAL);
    TreeView_SetIndent(tree_, ScaleForDpi(21));
    TreeView_SetBkColor(tree_, RGB(255, 255, 255));
    SetWindowSubclass(tree_, &TreeProc, 1, reinterpret_cast<DWORD_PTR>(this));

    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    lf.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&lf));
    SendDlgItemMessageW(hwnd_, IDC_TITLE, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);

    // The pages' objects; each page makes its window when it is first shown
    // (MadePage): the dialog opens without making the windows of pages the
    // user may never look at.
    for (const PageEntry& entry : kPages)
        pages_[PageIndex(entry.id)] = entry.make ? entry.make() : std::make_unique<TextPage>(entry.id);
    Layout();
}

OptionsPage* TuOptionsForm::MadePage(PageId id) {
    OptionsPage* page = Page(id);
    if (page->Handle()) return page;
    if (!page->Create(hwnd_, kPages[PageIndex(id)].templateId)) return nullptr;
    PlacePage(*page);
    // Filled from the record as a load fills every page.
    const bool loading = OptionsLoading;
    OptionsLoading = true;
    page->Load();
    OptionsLoading = loading;
    return page;
}

// Pages sit between the title line and the Close button in the tab order
// (tree, page, Close, Help), in the area under the title.
void TuOptionsForm::PlacePage(OptionsPage& page) {
    auto S = ScaleForDpi;
    SetWindowPos(page.Handle(), GetDlgItem(hwnd_, IDC_TITLE_LINE), S(149), S(27), S(268), S(366), SWP_NOACTIVATE);
}

// Pixel geometry at 96 dots per inch, scaled for the display.
void TuOptionsForm::Layout() {
    auto S = ScaleForDpi;
    RECT r{0, 0, S(419), S(424)};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongW(hwnd_, GWL_EXSTYLE)));
    const int w = r.right - r.left, h = r.bottom - r.top;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    SetWindowPos(hwnd_, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);

    auto place = [&](int id, int px, int py, int pw, int ph) {
        SetWindowPos(GetDlgItem(hwnd_, id), nullptr, S(px), S(py), S(pw), S(ph), SWP_NOZORDER | SWP_NOACTIVATE);
    };
    place(IDC_TREE, 2, 2, 143, 391);
    // The panel right of the tree: title, line, then the page.
    place(IDC_TITLE, 152, 6, 262, 16);
    place(IDC_TITLE_LINE, 150, 24, 267, 2);
    place(IDC_CLOSE, 262, 397, 75, 23);
    place(IDC_HELP_BUTTON, 342, 397, 75, 23);
}

void TuOptionsForm::BuildOptionsTree() {
    SendMessageW(tree_, WM_SETREDRAW, FALSE, 0);
    TreeView_DeleteAllItems(tree_);
    items_.fill(nullptr);
    HTREEITEM group = TVI_ROOT;
    for (int i = 0; i < NodeCount; ++i) {
        const NodeDef& n = kNodes[i];
        int image = n.icon;
        switch (n.mark) {
            case Mark::Root: break;
            case Mark::Radio: image = ShownCaptureType() == CaptureTypeOfNode(i) ? StateRadioOn : StateRadioOff; break;
            case Mark::Check:
                if (n.page == PageId::Zovozu && FindZovozuProgram().empty()) {
                    // Without the program there is nothing to send to.
                    Config.SendTo[dZovozu] = 0;
                    image = StateGreyed;
                } else {
                    image = *FlagOfNode(n.page) ? StateCheckOn : StateCheckOff;
                }
                break;
            case Mark::Greyed: image = StateGreyed; break;
        }
        TVINSERTSTRUCTW ins{};
        ins.hParent = n.mark == Mark::Root ? TVI_ROOT : group;
        ins.hInsertAfter = TVI_LAST;
        ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
        ins.item.pszText = const_cast<wchar_t*>(txt::PageCaptions[PageIndex(n.page)]);
        ins.item.iImage = ins.item.iSelectedImage = image;
        ins.item.lParam = i;
        items_[i] = TreeView_InsertItem(tree_, &ins);
        if (n.mark == Mark::Root) group = items_[i];
    }
    for (PageId g : {PageId::Capture, PageId::Enhance, PageId::SendTo})
        for (int i = 0; i < NodeCount; ++i)
            if (kNodes[i].page == g) TreeView_Expand(tree_, items_[i], TVE_EXPAND);
    SendMessageW(tree_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree_, nullptr, TRUE);
}

int TuOptionsForm::NodeAt(HTREEITEM item) const {
    for (int i = 0; i < NodeCount; ++i)
        if (items_[i] == item && item) return i;
    return -1;
}

int TuOptionsForm::SelectedNode() const { return NodeAt(TreeView_GetSelection(tree_)); }

int TuOptionsForm::NodeState(int node) const {
    TVITEMW item{};
    item.mask = TVIF_IMAGE;
    item.hItem = items_[node];
    TreeView_GetItem(tree_, &item);
    return item.iImage;
}

void TuOptionsForm::SetNodeState(int node, int state) {
    TVITEMW item{};
    item.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    item.hItem = items_[node];
    item.iImage = item.iSelectedImage = state;
    TreeView_SetItem(tree_, &item);
}

void TuOptionsForm::ToggleTreeNode(int node) {
    if (node < 0) return;
    const NodeDef& n = kNodes[node];
    if (n.mark == Mark::Root) return;
    if (n.mark == Mark::Radio) {
        for (int i = 0; i < NodeCount; ++i)
            if (kNodes[i].mark == Mark::Radio) SetNodeState(i, i == node ? StateRadioOn : StateRadioOff);
        Config.CaptureType = static_cast<uint8_t>(CaptureTypeOfNode(node));
        HookCaptureType(Config.CaptureType);
        return;
    }
    // A check node; a greyed one stays greyed and so clears its flag.
    int state = NodeState(node);
    if (state == StateCheckOff) state = StateCheckOn;
    else if (state == StateCheckOn) state = StateCheckOff;
    SetNodeState(node, state);
    *FlagOfNode(n.page) = state == StateCheckOn ? 1 : 0;
    if (UnderSendTo(node) && Config.SendTo[dCustom]) {
        // Only a stored record can hold Custom: it captures windows.
        Config.CaptureType = ctWindow;
        HookCaptureType(ctWindow);
    }
}

void TuOptionsForm::RefreshCaptureTypeNodes() {
    for (int i = 0; i < NodeCount; ++i)
        if (kNodes[i].mark == Mark::Radio)
            SetNodeState(i, CaptureTypeOfNode(i) == ShownCaptureType() ? StateRadioOn : StateRadioOff);
    InvalidateRect(tree_, nullptr, TRUE);
}

void TuOptionsForm::ShowPageForNode() {
    const int node = SelectedNode();
    if (node < 0) return;
    PageId page = kNodes[node].page;
    SetDlgItemTextW(hwnd_, IDC_TITLE, txt::PageTitles[PageIndex(page)]);
    if (page == PageId::Zovozu && FindZovozuProgram().empty()) page = PageId::ZovozuNotInstalled;
    ShowPage(page);
}

void TuOptionsForm::ShowPage(PageId id) {
    OptionsPage* next = MadePage(id);
    if (!next) return;
    next->Shown();
    if (shown_ == id) return;
    SetWindowPos(next->Handle(), nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    if (shown_ != PageId::Count) ShowWindow(Page(shown_)->Handle(), SW_HIDE);
    shown_ = id;
}

void TuOptionsForm::LoadOptionsControls() {
    OptionsHandlerScope scope;
    struct Guard {
        Guard() { OptionsLoading = true; }
        ~Guard() { OptionsLoading = false; }
    } guard;
    BuildOptionsTree();
    for (auto& page : pages_) {
        page->CheckSettings();
        if (page->Handle()) page->Load();
    }
    if (OptionsOpen) {
        // A reload of the open dialog: the node of the page that is shown
        // is selected again, so that tree and page agree.
        for (int i = 0; i < NodeCount; ++i) {
            const PageId p = kNodes[i].page;
            if (p == shown_ || (p == PageId::Zovozu && shown_ == PageId::ZovozuNotInstalled)) {
                TreeView_SelectItem(tree_, items_[i]);
                break;
            }
        }
    }
    // The hotkey edits take their colour from HotkeysOn when they repaint.
    for (auto& page : pages_)
        if (page->Handle()) InvalidateRect(page->Handle(), nullptr, TRUE);
}

void TuOptionsForm::FormShow() {
    SetFocus(tree_);
    int node = 0;
    for (int i = 0; i < NodeCount; ++i)
        if (LastNode == kPages[PageIndex(kNodes[i].page)].key) {
            node = i;
            break;
        }
    TreeView_SelectItem(tree_, items_[node]);
    ShowPageForNode();
    OptionsOpen = true;
}

void TuOptionsForm::Close() {
    if (closed_) return;
    closed_ = true;
    SetFocus(tree_);
    const int node = SelectedNode();
    if (node >= 0) LastNode = kPages[PageIndex(kNodes[node].page)].key;
    SaveConfiguration();
    OptionsOpen = false;
    ShowWindow(hwnd_, SW_HIDE);
    ui::RemoveModelessDialog(hwnd_);
    // The closed dialog is never shown again: the next OpenOptionsDialog
    // makes a new one, while this one waits for its handlers to return.
    if (uOptionsForm == this) uOptionsForm = nullptr;
    ClosedForms.push_back(this);
    if (HandlerDepth == 0) PostDestroy();
}

void TuOptionsForm::PostDestroy() {
    if (destroyPosted_) return;
    destroyPosted_ = true;
    PostMessageW(hwnd_, WM_DESTROY_CLOSED, 0, 0);
}

void TuOptionsForm::EnterPressed() {
    HWND focus = GetFocus();
    if (shown_ == PageId::Count) return;
    OptionsPage* page = Page(shown_);
    if (page->EnterPressed(focus)) return;
    if (GetParent(focus) != page->Handle()) return;
    // Enter on a focused push button presses it, as Space does: here the
    // button that took the focus by a click or after a message, which the
    // dialog manager did not make the default one (else its click comes as
    // a command of its own, forwarded to its page in HandleMessage).
    const LONG type = GetWindowLongW(focus, GWL_STYLE) & BS_TYPEMASK;
    wchar_t cls[16] = L"";
    GetClassNameW(focus, cls, 16);
    if (!lstrcmpiW(cls, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON)) {
        SendMessageW(focus, BM_CLICK, 0, 0);
        return;
    }
    if (page->EnterCloses(GetDlgCtrlID(focus))) Close();
}

LRESULT TuOptionsForm::TreeCustomDraw(NMTVCUSTOMDRAW* cd) {
    switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            const int node = static_cast<int>(cd->nmcd.lItemlParam);
            const bool selected = reinterpret_cast<HTREEITEM>(cd->nmcd.dwItemSpec) == TreeView_GetSelection(tree_);
            cd->clrText = selected ? RGB(255, 255, 255) : RGB(0, 0, 0);
            cd->clrTextBk = selected ? RGB(0, 0, 128) : RGB(255, 255, 255);
            // The look is ours whether or not the tree has the focus.
            cd->nmcd.uItemState &= ~(CDIS_SELECTED | CDIS_FOCUS);
            if (node >= 0 && node < NodeCount && kNodes[node].mark == Mark::Root) {
                SelectObject(cd->nmcd.hdc, boldFont_.get());
                return CDRF_NEWFONT;
            }
            return CDRF_DODEFAULT;
        }
        default: return CDRF_DODEFAULT;
    }
}

LRESULT CALLBACK TuOptionsForm::TreeProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
    auto* self = reinterpret_cast<TuOptionsForm*>(data);
    OptionsHandlerScope scope;
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN: {
            // A press on a node's mark toggles it, whichever the button.
            TVHITTESTINFO hit{};
            hit.pt = POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            TreeView_HitTest(hwnd, &hit);
            if (hit.hItem && (hit.flags & TVHT_ONITEMICON)) self->ToggleTreeNode(self->NodeAt(hit.hItem));
            const LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
            if (!self->closed_) self->ShowPageForNode();
            return r;
        }
        case WM_KEYUP: {
            if (wParam == VK_SPACE) self->ToggleTreeNode(self->SelectedNode());
            const LRESULT r = DefSubclassProc(hwnd, message, wParam, lParam);
            if (!self->closed_) self->ShowPageForNode();
            return r;
        }
        case WM_NCDESTROY: RemoveWindowSubclass(hwnd, &TreeProc, 1); break;
        default: break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

INT_PTR CALLBACK TuOptionsForm::Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* self = reinterpret_cast<TuOptionsForm*>(lParam);
        SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
        self->hwnd_ = hwnd;
        self->Init();
        return FALSE;
    }
    auto* self = reinterpret_cast<TuOptionsForm*>(GetWindowLongPtrW(hwnd, DWLP_USER));
    if (!self) return FALSE;
    OptionsHandlerScope scope;
    return self->HandleMessage(message, wParam, lParam);
}

INT_PTR TuOptionsForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDCANCEL:  // Esc, unless the page takes it
                    if (shown_ != PageId::Count && Page(shown_)->EscapePressed(GetFocus())) return TRUE;
                    Close();
                    return TRUE;
                case IDC_CLOSE: Close(); return TRUE;
                case IDOK: EnterPressed(); return TRUE;
                case IDC_HELP_BUTTON: {
                    OptionsBoxScope scope;  // the message of a missing help file
                    ShowHelp();
                    return TRUE;
                }
                default: {
                    // Enter on a page's push button: the dialog manager sends
                    // its click here, to the dialog it serves.
                    HWND control = reinterpret_cast<HWND>(lParam);
                    if (!control || GetParent(control) == hwnd_ || !IsChild(hwnd_, control)) return FALSE;
                    SendMessageW(GetParent(control), WM_COMMAND, wParam, lParam);
                    return TRUE;
                }
            }
        case WM_CLOSE: Close(); return TRUE;
        case WM_MEASUREITEM:
        case WM_DRAWITEM:
            // The pages' menus pop up over the dialog.
            if (menuStyler.HandleMessage(message, wParam, lParam)) {
                SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, TRUE);
                return TRUE;
            }
            return FALSE;
        case WM_DESTROY_CLOSED: {
            destroyPosted_ = false;
            if (HandlerDepth != 1) return TRUE;  // posted again when they have returned
            std::erase(ClosedForms, this);
            HWND h = hwnd_;
            pages_ = {};
            SetWindowLongPtrW(h, DWLP_USER, 0);
            DestroyWindow(h);
            if (images_) ImageList_Destroy(images_);
            delete this;
            return TRUE;
        }
        case WM_NOTIFY: {
            auto* nm = reinterpret_cast<NMHDR*>(lParam);
            if (nm->idFrom != IDC_TREE) return FALSE;
            LRESULT result = 0;
            switch (nm->code) {
                case NM_CUSTOMDRAW: result = TreeCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(lParam)); break;
                case TVN_ITEMEXPANDINGW:
                    // Groups stay open.
                    result = (reinterpret_cast<NMTREEVIEWW*>(lParam)->action & TVE_COLLAPSE) ? TRUE : FALSE;
                    break;
                case TVN_ITEMEXPANDEDW: {
                    // Wine's tree view collapses on some keys without asking
                    // first: open the group again.
                    const auto* tv = reinterpret_cast<NMTREEVIEWW*>(lParam);
                    if (tv->action & TVE_COLLAPSE) TreeView_Expand(tree_, tv->itemNew.hItem, TVE_EXPAND);
                    break;
                }
                case TVN_SELCHANGEDW:
                    if (!OptionsLoading) ShowPageForNode();
                    break;
                default: return FALSE;
            }
            SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, result);
            return TRUE;
        }
        default: return FALSE;
    }
}

// ---- Entry points ---------------------------------------------------------------

[[maybe_unused]] const bool Installed = [] {
    OpenOptionsDialogProc = OpenOptionsDialog;
    CloseOptionsDialogProc = CloseOptionsDialog;
    RefreshCaptureTypeNodesProc = RefreshCaptureTypeNodes;
    ReloadOptionsDialogProc = [] {
        LoadOptionsControls();
        if (HWND w = OptionsDialogWindow()) BringWindowToFront(w);
    };
    OptionsFileChoiceProc = ShowFileChoice;
    OptionsFixedSizeProc = ShowFixedSize;
    OptionsDialogWindowProc = OptionsDialogWindow;
    OptionsHotkeyFieldProc = TypeIntoHotkeyField;
    DropEmptyFavoriteRowsProc = DropEmptyFavoriteRows;
    return true;
}();

}  // namespace

OptionsHandlerScope::OptionsHandlerScope() { ++HandlerDepth; }

OptionsHandlerScope::~OptionsHandlerScope() {
    if (--HandlerDepth == 0)
        for (TuOptionsForm* form : ClosedForms) form->PostDestroy();
}

void OpenOptionsDialog() {
    if (uOptionsForm) {
        // Also while it is still loading (its message boxes pump messages):
        // never a second dialog.
        if (OptionsOpen) CallDropEmptyFavoriteRows();
        BringWindowToFront(uOptionsForm->Handle());
        return;
    }
    static bool commonControls = [] {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES |
                                                 ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)commonControls;
    auto* form = new TuOptionsForm;
    uOptionsForm = form;
    {
        OptionsHandlerScope scope;
        if (!form->Create()) {
            uOptionsForm = nullptr;
            delete form;
            return;
        }
        ui::AddModelessDialog(form->Handle());
        form->LoadOptionsControls();
        if (form->closed()) return;  // closed (Exit) while it loaded
        form->FormShow();
        ShowWindow(form->Handle(), SW_SHOW);
    }
    if (uOptionsForm) BringWindowToFront(uOptionsForm->Handle());
}

void CloseOptionsDialog() {
    if (uOptionsForm) uOptionsForm->Close();
}

void LoadOptionsControls() {
    if (uOptionsForm) uOptionsForm->LoadOptionsControls();
}

void RefreshCaptureTypeNodes() {
    if (uOptionsForm && OptionsOpen) uOptionsForm->RefreshCaptureTypeNodes();
}

HWND OptionsDialogWindow() { return uOptionsForm ? uOptionsForm->Handle() : nullptr; }

ui::TMenuStyler* OptionsMenuStyler() { return uOptionsForm ? &uOptionsForm->menuStyler : nullptr; }

OptionsPage* OptionsDialogPage(PageId id) {
    OptionsPage* page = uOptionsForm ? uOptionsForm->Page(id) : nullptr;
    return page && page->Handle() ? page : nullptr;
}
