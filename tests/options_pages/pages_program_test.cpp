// The Edge Effect, Annotation, Watermark, Editor, Mail, Web, IM and ICQ pages
// of the running program's options dialog, driven through their real
// controls (the colour palettes, the placeholder menu, the common dialogs
// included); every test closes the dialog and reads the stored record.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "options/options_pages_texts.h"
#include "options/options_program.h"
#include "automation/stand_in.h"
#include "options/page_controls_ids.h"
#include "ui/colour_picker.h"

namespace {

using opt::OptionsProgram;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }
std::string Field(const auto& s) { return std::string(s.view()); }

bool Contains(const std::wstring& text, const std::wstring& part) { return text.find(part) != std::wstring::npos; }

// The shown page's window receives the page's commands.
void PageCommand(OptionsProgram& p, int id) {
    vt::Send(p.ShownPage(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    vt::PumpFor(50);
}

void Slide(OptionsProgram& p, int id, int position) {
    HWND slider = p.Item(id);
    vt::Send(slider, TBM_SETPOS, TRUE, position);
    vt::Send(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, position), LPARAM(slider));
}

void Type(HWND control, const std::wstring& chars) {
    for (wchar_t c : chars) vt::Send(control, WM_CHAR, c, 0);
}
void Type(OptionsProgram& p, int id, const std::wstring& chars) { Type(p.Item(id), chars); }

// A combo box's drop-down list closed on the item, as by the user.
void CloseUpOn(OptionsProgram& p, int id, int index) {
    HWND combo = p.Item(id);
    vt::Send(combo, CB_SETCURSEL, index);
    vt::Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_CLOSEUP), LPARAM(combo));
    vt::PumpFor(50);
}

// The edit inside an editable combo box: text set there reaches the combo
// as typing does.
HWND ComboEdit(OptionsProgram& p, int id) { return FindWindowExW(p.Item(id), nullptr, L"Edit", nullptr); }

HWND VisibleWindowOf(const OptionsProgram& p, const wchar_t* className) {
    return vt::WaitForVisibleWindow(p.Pid(), className, nullptr, 3000);
}

RECT ScreenRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

// Opens the colour button's palette and clicks one of its entries.
void PickColour(OptionsProgram& p, int buttonId, int item) {
    vt::Post(p.Item(buttonId), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    vt::Post(p.Item(buttonId), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    HWND palette = VisibleWindowOf(p, L"VorlixColourPalette");
    ASSERT_TRUE(palette);
    const ui::PaletteLayout l = ui::LayOutPalette(ui::PaletteMetrics{}, true);
    const RECT& r = item == ui::TColourPickButton::AutoItem ? l.autoButton : l.cells[size_t(item)];
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    vt::Post(palette, WM_LBUTTONDOWN, MK_LBUTTON, at);
    vt::Post(palette, WM_LBUTTONUP, 0, at);
    EXPECT_TRUE(vt::WaitGone(palette));
    vt::PumpFor(100);
}

vt::Pixels Shot(HWND w) {
    InvalidateRect(w, nullptr, FALSE);  // drawn anew from what the page holds
    vt::PumpFor(200);
    return vt::CaptureScreen(ScreenRect(w));
}

// Pixels darker than the sample's own darkest grey: the shadow's.
int Dark(const vt::Pixels& px) {
    int n = 0;
    for (COLORREF c : px.data)
        if (GetRValue(c) < 0x60 && GetGValue(c) < 0x60 && GetBValue(c) < 0x60) ++n;
    return n;
}

// Pixels of the green background (the shadow's blur reaches into it).
int Greenish(const vt::Pixels& px) {
    int n = 0;
    for (COLORREF c : px.data)
        if (GetGValue(c) > 200 && GetRValue(c) < 40 && GetBValue(c) < 40) ++n;
    return n;
}

// The open-file dialog the program shows: the file's path typed into it and
// confirmed.
bool PickFileInDialog(const OptionsProgram& p, const std::wstring& title, const std::wstring& path) {
    HWND dialog = vt::WaitForVisibleWindow(p.Pid(), L"#32770", title.c_str());
    if (!dialog) return false;
    // The name field: an edit with the name field's id (inside combo boxes
    // in the explorer style).
    HWND name = nullptr;
    for (HWND c : vt::ChildWindows(dialog, L"Edit"))
        if (GetDlgCtrlID(c) == 0x47C || GetDlgCtrlID(c) == 0x480) name = c;
    if (!name) return false;
    vt::Send(name, WM_SETTEXT, 0, LPARAM(path.c_str()));
    vt::Post(dialog, WM_COMMAND, IDOK, 0);
    return vt::WaitGone(dialog);
}

void Clipboard(const std::wstring& text) {
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(g), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(g);
    SetClipboardData(CF_UNICODETEXT, g);
    CloseClipboard();
}

std::wstring Clipboard() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    return text;
}

// The text pasted into the control (with the clipboard, as Ctrl+V does).
void Paste(HWND control, const std::wstring& text) {
    Clipboard(text);
    vt::Send(control, WM_PASTE);
    vt::PumpFor(50);
}

// ---- Edge Effect ----------------------------------------------------------------

TEST(EdgeEffectPage, EveryControlWritesItsFieldAndRedrawsThePreview) {
    OptionsProgram p;
    p.config.EdgeTorn = 0;
    p.config.EdgeSides = 6;
    p.config.EdgeDepth = 40;
    p.config.EdgeOutline = 0;
    p.config.EdgeShadow = 1;
    p.config.EdgeShadowColor = 0x00404040;
    p.config.EdgeBackgroundColor = 0x00FFFFFF;
    ASSERT_TRUE(p.Start());
    const TConfiguration started = p.Stored();
    ASSERT_TRUE(p.Open());
    p.Select(L"Edge Effect");
    EXPECT_FALSE(p.Checked(IDC_BT_TORN_TOP));
    EXPECT_TRUE(p.Checked(IDC_BT_TORN_RIGHT));
    EXPECT_TRUE(p.Checked(IDC_BT_TORN_BOTTOM));
    EXPECT_EQ(vt::Send(p.Item(IDC_TK_TORN_SIZE), TBM_GETPOS), 40);
    HWND preview = p.Item(IDC_EDGE_PREVIEW);
    const vt::Pixels withShadow = Shot(preview);

    // Sides: each its own bit, the others kept.
    p.Click(IDC_BT_TORN_TOP);
    p.Click(IDC_BT_TORN_TOP);
    p.Click(IDC_BT_TORN_LEFT);
    // The shadow off: redrawn without it, its colour kept.
    p.Click(IDC_CK_SHADOW);
    EXPECT_TRUE(vt::WaitUntil([&] { return Dark(Shot(preview)) < Dark(withShadow); }, 3000))
        << "redrawn without the shadow";
    p.Click(IDC_CK_SHADOW);
    // A background colour from the palette shows in the preview at once
    // (round the shadow); "Automatic" for the outline is stored as it comes.
    PickColour(p, IDC_BT_BACKGROUND_COLOR, 27);  // $00FF00
    EXPECT_TRUE(vt::WaitUntil([&] { return Greenish(Shot(preview)) > 0; }, 5000));
    p.Click(IDC_CK_OUTLINE);
    PickColour(p, IDC_BT_OUTLINE_COLOR, 0);
    PickColour(p, IDC_BT_OUTLINE_COLOR, ui::TColourPickButton::AutoItem);
    EXPECT_TRUE(vt::WaitUntil([&] { return Shot(preview).Count(RGB(0, 0, 0)) > 0; }, 3000))
        << "automatic draws black";
    p.Click(IDC_CK_TORN);
    Slide(p, IDC_TK_TORN_SIZE, 0);
    ASSERT_TRUE(p.Close());

    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.EdgeSides, 14);
    EXPECT_EQ(c.EdgeTorn, 1);
    EXPECT_EQ(c.EdgeDepth, 0);
    EXPECT_EQ(c.EdgeShadow, 1);
    EXPECT_EQ(c.EdgeShadowColor, 0x00404040u);
    EXPECT_EQ(c.EdgeBackgroundColor, 0x0000FF00u);
    EXPECT_EQ(c.EdgeOutline, 1);
    EXPECT_EQ(c.EdgeOutlineColor, ui::clDefault);
    EXPECT_EQ(c.EdgeOn, started.EdgeOn) << "the page never switches the effect itself";
}

// The colours from the keyboard alone: Space opens the palette on the stored
// colour, an arrow key moves, Enter takes the cell and the keys are back on
// the button; Enter opens it too, and Esc leaves the colour.
TEST(EdgeEffectPage, ColoursAreChosenFromTheKeyboard) {
    OptionsProgram p;
    p.config.EdgeBackgroundColor = 0x00FFFFFF;  // the last cell
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Edge Effect");
    HWND button = p.Item(IDC_BT_BACKGROUND_COLOR);
    p.Focus(IDC_BT_BACKGROUND_COLOR);
    p.Press({}, VK_SPACE);
    HWND palette = VisibleWindowOf(p, L"VorlixColourPalette");
    ASSERT_TRUE(palette);
    p.Press({}, VK_UP);  // $C0C0C0, above white
    p.Press({}, VK_RETURN);
    EXPECT_TRUE(vt::WaitGone(palette));
    EXPECT_SOON(p.Focused() == button);
    p.Press({}, VK_RETURN);
    palette = VisibleWindowOf(p, L"VorlixColourPalette");
    ASSERT_TRUE(palette);
    p.Press({}, VK_LEFT);
    p.Press({}, VK_ESCAPE);
    EXPECT_TRUE(vt::WaitGone(palette));
    EXPECT_SOON(p.Focused() == button);
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(p.Stored().EdgeBackgroundColor, 0x00C0C0C0u);
}

// ---- Annotation and Watermark ----------------------------------------------------

TEST(AnnotationPage, PlaceholdersGoStraightIntoTheCaptionWholeOrNotAtAll) {
    OptionsProgram p;
    p.config.AnnotationText = std::string("Hello World");
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Annotation");
    Clipboard(L"the last capture");
    HWND caption = p.Item(IDC_ED_ANNOTATION_CAPTION);
    vt::Send(caption, EM_SETSEL, 5, 5);
    PageCommand(p, IDM_NEW_LINE);
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_CAPTION), L"Hello<NEW LINE> World");
    EXPECT_EQ(Clipboard(), L"the last capture") << "the clipboard is not touched";

    // Through the real menu: it pops up 5 pixels inside the button's
    // bottom-right corner; the first item inserts the time over the
    // selection.
    vt::Send(caption, EM_SETSEL, 0, 5);
    vt::Post(p.Item(IDC_BT_ANNOTATION_ADD), BM_CLICK);
    HWND menu = VisibleWindowOf(p, L"#32768");
    ASSERT_TRUE(menu);
    const RECT button = ScreenRect(p.Item(IDC_BT_ANNOTATION_ADD)), popup = ScreenRect(menu);
    EXPECT_NEAR(popup.left, button.right - 5, 2);
    EXPECT_NEAR(popup.top, button.bottom - 5, 2);
    vt::Post(menu, WM_KEYDOWN, VK_DOWN, 0);
    vt::Post(menu, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_TRUE(vt::WaitGone(menu));
    vt::PumpFor(100);
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_CAPTION), L"<TIME><NEW LINE> World");

    // Near the limit a placeholder that does not fit whole is refused.
    const std::wstring full(240, L'a');
    p.SetText(IDC_ED_ANNOTATION_CAPTION, full);
    vt::Send(caption, EM_SETSEL, 240, 240);
    vt::Post(p.ShownPage(), WM_COMMAND, MAKEWPARAM(IDM_COMPUTER_NAME, 0), 0);
    EXPECT_TRUE(Contains(p.DismissBox(), L"placeholder does not fit"));
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_CAPTION), full);
    PageCommand(p, IDM_DATE);  // 6 more fit
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_CAPTION), full + L"<DATE>");
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(Field(p.Stored().AnnotationText), std::string(240, 'a') + "<DATE>");
}

// The dialog's menu styler stays inactive: the placeholder menu is pixel for
// pixel the standard menu of the same items at the same place.
TEST(AnnotationPage, ThePlaceholderMenuHasTheStandardLook) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Annotation");
    // The pointer away from where the menus appear: an item under it would be
    // highlighted in one menu and perhaps not in the other.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
    const auto openAndCapture = [&](RECT& shown) {
        vt::Post(p.Item(IDC_BT_ANNOTATION_ADD), BM_CLICK);
        HWND menu = VisibleWindowOf(p, L"#32768");
        if (!menu) return vt::Pixels();
        shown = ScreenRect(menu);
        const vt::Pixels pixels = vt::CaptureSettledScreen(shown);
        vt::Post(menu, WM_KEYDOWN, VK_ESCAPE, 0);
        EXPECT_TRUE(vt::WaitGone(menu));
        return pixels;
    };
    RECT shown{};
    vt::Pixels programs = openAndCapture(shown);
    ASSERT_FALSE(programs.Empty());

    HMENU standard = CreatePopupMenu();
    const int ids[5] = {IDM_TIME, IDM_DATE, IDM_COMPUTER_NAME, IDM_USER_NAME, IDM_NEW_LINE};
    for (int i = 0; i < 5; ++i) {
        if (i == 1 || i == 2 || i == 4) AppendMenuW(standard, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(standard, MF_STRING, ids[i], txt::PlaceholderItems[i]);
    }
    HWND owner = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 900, 700, 10, 10, nullptr,
                                 nullptr, nullptr, nullptr);
    const vt::Pixels ours = vt::ShowMenuAndCapture(standard, owner, POINT{shown.left, shown.top});
    DestroyMenu(standard);
    DestroyWindow(owner);
    // Under Wine on the bare test display a menu opened just after the
    // previous test's program ended sometimes keeps a band of it white,
    // although no window lies over it; the program's menu is opened again
    // (twice at most) before it counts as different. A styled menu differs
    // every time.
    for (int again = 0; again < 2 && !(programs.width == ours.width && programs.data == ours.data); ++again) {
        RECT next{};
        programs = openAndCapture(next);
    }
    ASSERT_TRUE(p.Close());
    ASSERT_EQ(programs.width, ours.width);
    ASSERT_EQ(programs.height, ours.height);
    EXPECT_TRUE(programs.data == ours.data);
}

TEST(AnnotationPage, OffsetsKeepToTheScreenWithoutOverflowAndCentreGreysThem) {
    OptionsProgram p;
    p.config.AnnotationPosition = TStampPosition{scBottomRight, {}, 10, 20};
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Annotation");
    EXPECT_TRUE(p.Checked(IDC_BT_ANNOTATION_RIGHT_BOTTOM));
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_X), L"10");
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const std::wstring wideMessage = L"Please enter a number between 0 and " + std::to_wstring(width);

    p.SetText(IDC_ED_ANNOTATION_X, std::to_wstring(width));
    EXPECT_EQ(p.Box(300), nullptr);
    for (const std::wstring& bad : {std::to_wstring(width + 1), std::wstring(L"99999999999999999999"),
                                    std::wstring(L"4294967296"), std::wstring(L"-5")}) {
        SCOPED_TRACE(Narrow(bad));
        p.SetText(IDC_ED_ANNOTATION_X, bad);
        EXPECT_EQ(p.DismissBox(), wideMessage);
    }
    p.SetText(IDC_ED_ANNOTATION_Y, std::to_wstring(height + 1));
    EXPECT_EQ(p.DismissBox(), L"Please enter a number between 0 and " + std::to_wstring(height));
    p.SetText(IDC_ED_ANNOTATION_Y, L"");  // cleared: 0
    // Letters and signs cannot be typed.
    p.SetText(IDC_ED_ANNOTATION_Y, L"7");
    Type(p, IDC_ED_ANNOTATION_Y, L"a-+.\x16");
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_Y), L"7");

    p.Click(IDC_BT_ANNOTATION_CENTER);
    for (int id : {IDC_ED_ANNOTATION_X, IDC_ED_ANNOTATION_Y})
        EXPECT_TRUE(GetWindowLongW(p.Item(id), GWL_STYLE) & ES_READONLY) << id;
    Slide(p, IDC_TK_ANNOTATION_OPACITY, 35);
    p.Click(IDC_CK_ANNOTATION_BORDER);
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.AnnotationPosition.corner, scCentre);
    EXPECT_EQ(c.AnnotationPosition.x, width) << "values stay stored while centred";
    EXPECT_EQ(c.AnnotationPosition.y, 7);
    EXPECT_EQ(c.AnnotationOpacity, 35);
    EXPECT_EQ(c.AnnotationBorder, p.config.AnnotationBorder ? 0 : 1);
}

TEST(AnnotationPage, ColourAndFontDialogsChangeOnlyWhenConfirmed) {
    OptionsProgram p;
    p.config.AnnotationBackColor = 0x00FFFFFF;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Annotation");
    // "Background", then Cancel: nothing changes.
    vt::Post(p.ShownPage(), WM_COMMAND, MAKEWPARAM(IDM_BACKGROUND, 0), 0);
    vt::PumpFor(300);
    HWND box = p.Box();
    ASSERT_TRUE(box);
    vt::Post(box, WM_COMMAND, IDCANCEL, 0);
    vt::WaitGone(box);
    // "Background" with a colour typed into the dialog's red, green and
    // blue fields: stored, and the caption edit shows it.
    vt::Post(p.ShownPage(), WM_COMMAND, MAKEWPARAM(IDM_BACKGROUND, 0), 0);
    box = p.Box();
    ASSERT_TRUE(box);
    const int rgbIds[3] = {706, 707, 708};
    const wchar_t* rgb[3] = {L"200", L"100", L"50"};
    for (int i = 0; i < 3; ++i) {
        HWND e = vt::DialogItem(box, rgbIds[i]);
        ASSERT_TRUE(e) << rgbIds[i];
        vt::Send(e, WM_SETTEXT, 0, LPARAM(rgb[i]));
        vt::Send(box, WM_COMMAND, MAKEWPARAM(rgbIds[i], EN_UPDATE), LPARAM(e));
        vt::Send(box, WM_COMMAND, MAKEWPARAM(rgbIds[i], EN_CHANGE), LPARAM(e));
    }
    vt::Post(box, WM_COMMAND, IDOK, 0);
    vt::WaitGone(box);
    vt::PumpFor(200);
    const RECT edit = ScreenRect(p.Item(IDC_ED_ANNOTATION_CAPTION));
    EXPECT_EQ(vt::ScreenPixel(edit.right - 4, (edit.top + edit.bottom) / 2), RGB(200, 100, 50));
    // The font dialog cancelled: the caption's look and the fields stay.
    PageCommand(p, 0);  // nothing
    vt::Post(p.Item(IDC_BT_ANNOTATION_FONT), BM_CLICK);
    box = p.Box();
    ASSERT_TRUE(box);
    vt::Post(box, WM_COMMAND, IDCANCEL, 0);
    vt::WaitGone(box);
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.AnnotationBackColor, TColor(RGB(200, 100, 50)));
    EXPECT_EQ(Field(c.AnnotationFontName), Field(p.config.AnnotationFontName));
    EXPECT_EQ(c.AnnotationFontSize, p.config.AnnotationFontSize);
}

TEST(WatermarkPage, BrowseStoresWholePathsOnlyAndPreviewTellsAMissingFile) {
    OptionsProgram p;
    const std::wstring missing = vt::Join(p.dir, L"gone.bmp");
    p.config.WatermarkFile = Narrow(missing);
    const std::wstring& log = p.recorderLog;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Watermark");
    EXPECT_EQ(p.Text(IDC_ED_WATERMARK_LOCATION), missing);
    p.Click(IDC_BT_WATERMARK_PREVIEW);
    EXPECT_EQ(p.DismissBox(), L"Watermark image does not exist.\r\"" + missing + L"\"");

    // A picture picked in the dialog: shown and stored. (Its type opens in
    // the recorder: the preview is the shell's "open" on it.)
    const std::wstring picture = vt::Join(p.dir, L"mark.vwm");
    ASSERT_TRUE(vt::WriteFileBytes(picture, "BM"));
    const std::wstring viewer = vt::CopyRecorderAs(vt::Join(p.dir, L"viewer.exe"));
    ASSERT_TRUE(vt::WriteString(L".vwm", L"", L"VorlixTestvwm", HKEY_CLASSES_ROOT));
    ASSERT_TRUE(vt::WriteString(L"VorlixTestvwm\\shell\\open\\command", L"", L"\"" + viewer + L"\" \"%1\"",
                                HKEY_CLASSES_ROOT));
    vt::Post(p.Item(IDC_BT_WATERMARK_BROWSE), BM_CLICK);
    ASSERT_TRUE(PickFileInDialog(p, L"Choose Watermark", picture));
    vt::PumpFor(200);
    EXPECT_EQ(p.Text(IDC_ED_WATERMARK_LOCATION), picture);
    p.Click(IDC_BT_WATERMARK_PREVIEW);
    EXPECT_TRUE(vt::WaitUntil([&] { return !vt::ReadRecorderLog(log).empty(); }));
    const auto opened = vt::ReadRecorderLog(log);
    ASSERT_FALSE(opened.empty());
    EXPECT_TRUE(Contains(opened.back().commandLine, L"mark.vwm"));
    vt::DeleteKeyTree(L".vwm", HKEY_CLASSES_ROOT);
    vt::DeleteKeyTree(L"VorlixTestvwm", HKEY_CLASSES_ROOT);

    // A path longer than the field holds is never cut: it is stored in its
    // short form, which names the same file. (Kept under MAX_PATH: Wine's
    // file dialog overruns its buffers on longer names typed into it.)
    std::wstring folder = p.dir;
    while (folder.size() < 200) folder = vt::Join(folder, L"long-folder-name");
    ASSERT_TRUE(vt::MakeDirs(folder));
    std::wstring deep = vt::Join(folder, L"w");
    deep += std::wstring(256 - deep.size() - 4, L'x') + L".bmp";
    ASSERT_EQ(deep.size(), 256u);
    ASSERT_TRUE(vt::WriteFileBytes(deep, "BM"));
    vt::Post(p.Item(IDC_BT_WATERMARK_BROWSE), BM_CLICK);
    ASSERT_TRUE(PickFileInDialog(p, L"Choose Watermark", deep));
    vt::PumpFor(200);
    EXPECT_EQ(p.Text(IDC_ED_WATERMARK_LOCATION), deep);

    p.Click(IDC_CK_WATERMARK_TRANSPARENT);
    p.Click(IDC_BT_WATERMARK_LEFT_TOP);
    p.SetText(IDC_ED_WATERMARK_X, L"12");
    Slide(p, IDC_TK_WATERMARK_OPACITY, 80);
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    const std::string bytes = Field(c.WatermarkFile);
    const std::wstring stored(bytes.begin(), bytes.end());  // the short form is ASCII
    EXPECT_LE(stored.size(), 250u);
    std::wstring longForm(MAX_PATH * 2, L'\0');
    longForm.resize(GetLongPathNameW(stored.c_str(), longForm.data(), DWORD(longForm.size())));
    EXPECT_TRUE(vt::SamePath(longForm, deep)) << Field(c.WatermarkFile);
    EXPECT_EQ(c.WatermarkTransparent, p.config.WatermarkTransparent ? 0 : 1);
    EXPECT_EQ(c.WatermarkPosition.corner, scTopLeft);
    EXPECT_EQ(c.WatermarkPosition.x, 12);
    EXPECT_EQ(c.WatermarkOpacity, 80);
}

// ---- Mail and Web ------------------------------------------------------------------

// IncrediMail installed as the mail tests install it: IncMail.exe beside the
// program of an IncrediMail file type.
class InstalledIncrediMail {
public:
    explicit InstalledIncrediMail(const std::wstring& dir) {
        const std::wstring other = vt::CopyRecorderAs(vt::Join(dir, L"im\\other.exe"));
        vt::CopyRecorderAs(vt::Join(dir, L"im\\IncMail.exe"));
        vt::WriteString(L".imc", L"", L"VorlixTestimc", HKEY_CLASSES_ROOT);
        vt::WriteString(L"VorlixTestimc\\shell\\open\\command", L"", L"\"" + other + L"\" \"%1\"", HKEY_CLASSES_ROOT);
    }
    ~InstalledIncrediMail() {
        vt::DeleteKeyTree(L".imc", HKEY_CLASSES_ROOT);
        vt::DeleteKeyTree(L"VorlixTestimc", HKEY_CLASSES_ROOT);
    }
};

TEST(MailPage, ProgramChoiceFallsBackToSmtpAndIncrediMailTakesAttachmentsOnly) {
    OptionsProgram p;
    InstalledIncrediMail incredimail(p.dir);
    p.config.MailClient = mcSmtp;
    p.config.MailMethod = 1;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Mail");
    EXPECT_TRUE(IsWindowVisible(p.Item(IDC_ED_SMTP_SERVER)));
    // Eudora is missing: the choice falls back to SMTP, without a message.
    CloseUpOn(p, IDC_CB_MAIL_PROGRAM, mcEudora - 1);
    EXPECT_EQ(p.ComboIndex(IDC_CB_MAIL_PROGRAM), mcSmtp - 1);
    EXPECT_TRUE(IsWindowVisible(p.Item(IDC_ED_SMTP_SERVER)));
    EXPECT_EQ(p.Box(300), nullptr);
    // IncrediMail while "Embedded" is checked: one warning, then attached.
    EXPECT_TRUE(p.Checked(IDC_CK_MAIL_EMBEDDED));
    CloseUpOn(p, IDC_CB_MAIL_PROGRAM, mcIncrediMail - 1);
    EXPECT_EQ(p.DismissBox(), L"IncrediMail doesn't allow embedding.\rYour screenshots will be sent as attachements.");
    EXPECT_FALSE(p.Checked(IDC_CK_MAIL_EMBEDDED));
    EXPECT_TRUE(p.Checked(IDC_CK_MAIL_ATTACHED));
    EXPECT_FALSE(IsWindowVisible(p.Item(IDC_ED_SMTP_SERVER)));
    CloseUpOn(p, IDC_CB_MAIL_PROGRAM, mcIncrediMail - 1);  // again: attached already, no warning
    EXPECT_EQ(p.Box(300), nullptr);
    // Pressing "Embedded" warns once per press and leaves "Attached".
    p.Click(IDC_CK_MAIL_EMBEDDED);
    vt::PumpFor(100);
    EXPECT_TRUE(Contains(p.DismissBox(), L"IncrediMail doesn't allow embedding."));
    EXPECT_EQ(p.Box(300), nullptr);
    EXPECT_TRUE(p.Checked(IDC_CK_MAIL_ATTACHED));
    EXPECT_FALSE(p.Checked(IDC_CK_MAIL_EMBEDDED));
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.MailClient, mcIncrediMail);
    EXPECT_EQ(c.MailMethod, 2);
}

// Characters typed as a person types them: each key with Shift as the
// keyboard layout needs it.
void TypeKeys(OptionsProgram& p, const std::wstring& text) {
    for (wchar_t c : text) {
        const SHORT scan = VkKeyScanW(c);
        std::vector<WORD> down;
        if (scan & 0x100) down.push_back(VK_SHIFT);
        p.Press(down, WORD(scan & 0xFF));
    }
}

// From the keyboard: a change of the closed program list is a choice as the
// mouse's close-up is (a missing program falls back to SMTP at once,
// IncrediMail warns and takes attachments), and the keys are back on the
// list after the warning; the recipients take every character of an
// address list but angle brackets; Esc in the multi-line body closes the
// dialog, Enter there makes a new line.
TEST(MailPage, TheKeyboardChoosesAndTypesAsTheMouseDoes) {
    OptionsProgram p;
    InstalledIncrediMail incredimail(p.dir);
    p.config.MailClient = mcSmtp;
    p.config.MailMethod = 1;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Mail");
    HWND list = p.Item(IDC_CB_MAIL_PROGRAM);
    p.Focus(IDC_CB_MAIL_PROGRAM);
    p.Press({}, VK_UP);  // Lotus Notes, missing here
    p.Settle();
    EXPECT_EQ(p.ComboIndex(IDC_CB_MAIL_PROGRAM), mcSmtp - 1);
    EXPECT_TRUE(IsWindowVisible(p.Item(IDC_ED_SMTP_SERVER)));
    EXPECT_EQ(p.Box(300), nullptr);
    p.Press({}, 'I');  // IncrediMail, by its first letter
    HWND box = p.Box();
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text,
              L"IncrediMail doesn't allow embedding.\rYour screenshots will be sent as attachements.");
    vt::PumpFor(100);
    p.Press({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(box));
    EXPECT_SOON(p.Focused() == list);
    EXPECT_TRUE(p.Checked(IDC_CK_MAIL_ATTACHED));
    EXPECT_FALSE(IsWindowVisible(p.Item(IDC_ED_SMTP_SERVER)));
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(p.Stored().MailClient, mcIncrediMail);
    EXPECT_EQ(p.Stored().MailMethod, 2);

    ASSERT_TRUE(p.Open());
    p.Select(L"Mail");
    p.Focus(IDC_CB_MAIL_PROGRAM);
    p.Press({}, VK_DOWN);  // Lotus Notes again: SMTP
    p.Settle();
    EXPECT_EQ(p.ComboIndex(IDC_CB_MAIL_PROGRAM), mcSmtp - 1);
    EXPECT_TRUE(IsWindowVisible(p.Item(IDC_ED_SMTP_SERVER)));
    p.Focus(IDC_ED_MAIL_TO);
    TypeKeys(p, L"a+b@example.com, \"C, D\" <c@d.org>");
    EXPECT_SOON(p.Text(IDC_ED_MAIL_TO) == L"a+b@example.com, \"C, D\" c@d.org");
    p.Focus(IDC_ED_SMTP_BODY);
    TypeKeys(p, L"hi");
    p.Press({}, VK_RETURN);
    TypeKeys(p, L"there");
    HWND d = p.Dialog();
    p.Press({}, VK_ESCAPE);
    ASSERT_TRUE(vt::WaitGone(d)) << "Esc in the body closes the dialog";
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.MailClient, mcSmtp);
    EXPECT_EQ(Field(c.MailTo), "a+b@example.com, \"C, D\" c@d.org");
    EXPECT_EQ(Field(c.SmtpBody), "hi\r\nthere");
}

TEST(MailPage, RecipientsPortBodyAndAttachmentKeepToTheirRules) {
    OptionsProgram p;
    p.config.MailClient = mcSmtp;
    p.config.SmtpPort = 25;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Mail");
    EXPECT_EQ(p.Text(IDC_ED_SMTP_PORT), L"25");
    // Recipients: pasted text loses line breaks and angle brackets, and
    // keeps everything else an address list may hold.
    p.SetText(IDC_ED_MAIL_TO, L"x+1,y\r\n<z@w.org>");
    EXPECT_EQ(p.Text(IDC_ED_MAIL_TO), L"x+1,yz@w.org");
    // The port, digit by digit: 3, 30, then 300 is refused and 30 kept.
    p.SetText(IDC_ED_SMTP_PORT, L"");
    Type(p, IDC_ED_SMTP_PORT, L"-a3");
    EXPECT_EQ(p.Text(IDC_ED_SMTP_PORT), L"3");
    Type(p, IDC_ED_SMTP_PORT, L"0");
    vt::Post(p.Item(IDC_ED_SMTP_PORT), WM_CHAR, L'0', 0);
    EXPECT_EQ(p.DismissBox(), L"Please enter a number between 1 and 255");
    // The body keeps its line breaks and shows no more than is stored.
    std::wstring body = L"Hi,\r\nhere it is.\r\n";
    body += std::wstring(300, L'x');
    Paste(p.Item(IDC_ED_SMTP_BODY), body);
    EXPECT_EQ(p.Text(IDC_ED_SMTP_BODY), body.substr(0, 250));
    // The attached file's name loses what no file name may hold.
    p.SetText(IDC_ED_ATTACH_FILE_NAME, L"shot/1:2");
    EXPECT_EQ(p.Text(IDC_ED_ATTACH_FILE_NAME), L"shot12");
    p.Click(IDC_CK_ATTACH_PNG);
    p.Click(IDC_CK_SMTP_PREVIEW);
    p.SetText(IDC_ED_SMTP_PASSWORD, L"secret");
    HWND d = p.Dialog();
    p.Focus(IDC_ED_MAIL_SUBJECT);
    p.SetText(IDC_ED_MAIL_SUBJECT, L"Look");
    p.Keys({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(d)) << "Enter in the subject closes the dialog";
    const TConfiguration c = p.Stored();
    EXPECT_EQ(Field(c.MailTo), "x+1,yz@w.org");
    EXPECT_EQ(Field(c.MailSubject), "Look");
    EXPECT_EQ(c.SmtpPort, 30);
    EXPECT_EQ(Field(c.SmtpBody), Narrow(body.substr(0, 250)));
    EXPECT_EQ(Field(c.MailFileName), "shot12");
    EXPECT_EQ(c.MailFormat, ifPNG);
    EXPECT_EQ(c.SmtpPreview, p.config.SmtpPreview ? 0 : 1);
    EXPECT_EQ(Field(c.SmtpPassword), "secret");
}

TEST(WebPage, PortsAccountMethodAndFile) {
    OptionsProgram p;
    p.config.FtpPort = 0;
    p.config.ProxyPort = 80;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Web");
    EXPECT_EQ(p.Text(IDC_ED_FTP_PORT), L"") << "no port shows empty";
    EXPECT_EQ(p.Text(IDC_ED_PROXY_PORT), L"80");
    p.SetText(IDC_ED_FTP_PORT, L"21");
    p.SetText(IDC_ED_PROXY_PORT, L"0");
    EXPECT_EQ(p.DismissBox(), L"Please enter a number between 1 and 255");
    p.SetText(IDC_ED_PROXY_PORT, L"");
    p.SetText(IDC_ED_FTP_SERVER, L"ftp.example.org");
    p.SetText(IDC_ED_FTP_PATH, L"/pub\r\n/shots");  // a pasted line break goes
    EXPECT_EQ(p.Text(IDC_ED_FTP_PATH), L"/pub/shots");
    p.SetText(IDC_ED_FTP_USER_NAME, L"anna");
    p.SetText(IDC_ED_FTP_PASSWORD, L"pw");
    p.Click(IDC_CK_FTP_PASSIVE);
    p.ChooseCombo(IDC_CB_FTP_FILE_METHOD, 2);
    p.Click(IDC_CK_FTP_GIF);
    p.Focus(IDC_ED_FTP_FILE_NAME);
    p.SetText(IDC_ED_FTP_FILE_NAME, L"up:load");
    EXPECT_EQ(p.Text(IDC_ED_FTP_FILE_NAME), L"upload");
    HWND d = p.Dialog();
    p.Keys({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(d)) << "Enter in the name closes the dialog";
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.FtpPort, 21);
    EXPECT_EQ(c.ProxyPort, 0);
    EXPECT_EQ(Field(c.FtpServer), "ftp.example.org");
    EXPECT_EQ(Field(c.FtpPath), "/pub/shots");
    EXPECT_EQ(Field(c.FtpUserName), "anna");
    EXPECT_EQ(Field(c.FtpPassword), "pw");
    EXPECT_EQ(c.FtpPassive, p.config.FtpPassive ? 0 : 1);
    EXPECT_EQ(c.WebNaming, fnNumbered);
    EXPECT_EQ(c.WebFormat, ifGIF);
    EXPECT_EQ(Field(c.WebFileName), "upload");
}

// ---- Editor, Zovozu, IM and ICQ --------------------------------------------------------

TEST(EditorPage, WithoutTheMakersEditorTheCustomOneIsChosenAndBrowseResetsTheCommandLine) {
    OptionsProgram p;
    p.config.UseCustomEditor = 0;
    p.config.CustomEditorCommandLine = std::string("-edit \"<CAPTURE>\" -now");
    const std::wstring& log = p.recorderLog;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Editor");
    EXPECT_TRUE(p.Checked(IDC_RB_EDITOR_CUSTOM));
    EXPECT_FALSE(p.Checked(IDC_RB_EDITOR_VORLIX));
    EXPECT_FALSE(IsWindowEnabled(p.Item(IDC_RB_EDITOR_VORLIX)));
    EXPECT_TRUE(IsWindowVisible(p.Item(IDC_BT_EDITOR_DOWNLOAD)));
    EXPECT_LT(ScreenRect(p.Item(IDC_BT_EDITOR_DOWNLOAD)).bottom, ScreenRect(p.Item(IDC_RB_EDITOR_CUSTOM)).top);

    const std::wstring editor = vt::CopyRecorderAs(vt::Join(p.dir, L"tools\\painter.exe"));
    vt::Post(p.Item(IDC_BT_EDITOR_BROWSE), BM_CLICK);
    ASSERT_TRUE(PickFileInDialog(p, L"Choose Editor", editor));
    vt::PumpFor(200);
    EXPECT_EQ(p.Text(IDC_ED_EDITOR_PATH), editor);
    EXPECT_EQ(p.Text(IDC_ED_EDITOR_COMMAND_LINE), L"\"<CAPTURE>\"");
    p.SetText(IDC_ED_EDITOR_FILE_NAME, L"ed*it");
    EXPECT_EQ(p.Text(IDC_ED_EDITOR_FILE_NAME), L"edit");
    p.Click(IDC_CK_EDITOR_JPG);

    // "Download Now" opens the download page and closes the dialog.
    HWND d = p.Dialog();
    p.Click(IDC_BT_EDITOR_DOWNLOAD);
    ASSERT_TRUE(vt::WaitGone(d));
    EXPECT_TRUE(vt::WaitUntil([&] { return !vt::ReadRecorderLog(log).empty(); }));
    const auto opened = vt::ReadRecorderLog(log);
    ASSERT_FALSE(opened.empty());
    EXPECT_TRUE(Contains(opened.back().commandLine, L"https://www.vorlix.com/download"));
    EXPECT_EQ(opened.back().show, SW_SHOWMAXIMIZED);
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.UseCustomEditor, 1);
    EXPECT_EQ(Field(c.CustomEditorPath), Narrow(editor));
    EXPECT_EQ(Field(c.CustomEditorCommandLine), "\"<CAPTURE>\"");
    EXPECT_EQ(Field(c.EditorFileName), "edit");
    EXPECT_EQ(c.EditorFormat, ifJPEG);
}

TEST(EditorPage, WithTheMakersEditorBothRadiosWorkAndEnterInTheCommandLineCloses) {
    OptionsProgram p;
    const std::wstring folder = vt::Join(p.dir, L"editor");
    vt::CopyRecorderAs(vt::Join(folder, L"quorrel.exe"));
    ASSERT_TRUE(vt::WriteString(L"Software\\Vorlix Editor", L"InstallPath", folder));
    p.config.UseCustomEditor = 1;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Editor");
    EXPECT_TRUE(IsWindowEnabled(p.Item(IDC_RB_EDITOR_VORLIX)));
    EXPECT_FALSE(IsWindowVisible(p.Item(IDC_BT_EDITOR_DOWNLOAD)));
    EXPECT_TRUE(p.Checked(IDC_RB_EDITOR_CUSTOM));
    p.Click(IDC_RB_EDITOR_VORLIX);
    EXPECT_FALSE(p.Checked(IDC_RB_EDITOR_CUSTOM));
    p.Click(IDC_RB_EDITOR_CUSTOM);
    EXPECT_FALSE(p.Checked(IDC_RB_EDITOR_VORLIX));
    p.Click(IDC_RB_EDITOR_VORLIX);
    HWND d = p.Dialog();
    p.Focus(IDC_ED_EDITOR_COMMAND_LINE);
    p.SetText(IDC_ED_EDITOR_COMMAND_LINE, L"/open \"<CAPTURE>\"");
    p.Keys({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(d));
    vt::DeleteKeyTree(L"Software\\Vorlix Editor");
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.UseCustomEditor, 0);
    EXPECT_EQ(Field(c.CustomEditorCommandLine), "/open \"<CAPTURE>\"");
}

TEST(ImIcqPages, ContactsAreStoredAsTypedAndEachPageKeepsItsOwnFile) {
    OptionsProgram p;
    p.config.IMFormat = ifPNG;
    p.config.EditorFormat = ifBMP;
    p.config.IcqContact.number = 0;
    p.config.IcqContact.nick = std::string_view("");
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"IM");
    // No messenger here: the list stays empty; a typed address is stored.
    vt::Send(p.Item(IDC_CB_IM_EMAIL), CB_SHOWDROPDOWN, TRUE);
    vt::Send(p.Item(IDC_CB_IM_EMAIL), CB_SHOWDROPDOWN, FALSE);
    EXPECT_EQ(vt::Send(p.Item(IDC_CB_IM_EMAIL), CB_GETCOUNT), 0);
    Type(ComboEdit(p, IDC_CB_IM_EMAIL), L"friend@example.org");
    p.SetText(IDC_ED_IM_FILE_NAME, L"to*friend");
    EXPECT_EQ(p.Text(IDC_ED_IM_FILE_NAME), L"tofriend");
    p.Click(IDC_CK_IM_JPG);
    p.Select(L"ICQ");
    // No ICQ client: a typed number stands for itself, as number and nick;
    // text that is no number gives number 0.
    Type(ComboEdit(p, IDC_CB_ICQ_USER), L"123456");
    p.Click(IDC_CK_ICQ_GIF);
    ASSERT_TRUE(p.Close());
    TConfiguration c = p.Stored();
    EXPECT_EQ(Field(c.IMContact), "friend@example.org");
    EXPECT_EQ(Field(c.IMFileName), "tofriend");
    EXPECT_EQ(c.IMFormat, ifJPEG);
    EXPECT_EQ(c.IcqContact.number, 123456u);
    EXPECT_EQ(Field(c.IcqContact.nick), "123456");
    EXPECT_EQ(c.IcqFormat, ifGIF);
    EXPECT_EQ(c.EditorFormat, ifBMP) << "other pages' formats stay";

    ASSERT_TRUE(p.Open());
    p.Select(L"ICQ");
    EXPECT_EQ(p.Text(IDC_CB_ICQ_USER), L"123456");
    vt::Send(ComboEdit(p, IDC_CB_ICQ_USER), EM_SETSEL, 0, -1);
    Type(ComboEdit(p, IDC_CB_ICQ_USER), L"-42");
    ASSERT_TRUE(p.Close());
    c = p.Stored();
    EXPECT_EQ(c.IcqContact.number, 0u);
    EXPECT_EQ(Field(c.IcqContact.nick), "-42");
}

// With the stand-ins of the messenger and of the ICQ client: the lists offer
// the contacts that are online, a typed ICQ number becomes its nick, and a
// stored contact's number shows its nick when the dialog opens.
TEST(ImIcqPages, PickersOfferTheOnlineContactsOfTheStandIns) {
    RegisterAutomationStandIn();
    OptionsProgram p;
    const std::wstring icqScript = vt::Join(p.dir, L"icq.txt"), imScript = vt::Join(p.dir, L"im.txt");
    ASSERT_TRUE(vt::WriteFileBytes(icqScript, "contact 4711 Anna\r\ncontact 815 Bob\r\n"));
    ASSERT_TRUE(vt::WriteFileBytes(imScript, "contact on@example.test 2\r\ncontact off@example.test 1\r\n"));
    ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"fake_icqmapi.dll"), vt::Join(p.dir, L"ICQMAPI.dll")));
    p.config.IcqContact.number = 815;
    p.config.IcqContact.nick = std::string_view("");
    ASSERT_TRUE(p.Start(L"Vorlix.exe", {{L"VORLIX_ICQ_SCRIPT", icqScript}, {L"VORLIX_AUTOMATION_SCRIPT", imScript}}));
    ASSERT_TRUE(p.Open());
    p.Select(L"ICQ");
    EXPECT_EQ(p.Text(IDC_CB_ICQ_USER), L"Bob");
    EXPECT_EQ(vt::Send(p.Item(IDC_CB_ICQ_USER), CB_GETCOUNT), 2) << "filled when the dialog is shown";
    HWND edit = ComboEdit(p, IDC_CB_ICQ_USER);
    vt::Send(edit, EM_SETSEL, 0, -1);
    Type(edit, L"4711");
    EXPECT_EQ(p.Text(IDC_CB_ICQ_USER), L"Anna");
    p.Select(L"IM");
    vt::Send(p.Item(IDC_CB_IM_EMAIL), CB_SHOWDROPDOWN, TRUE);
    vt::Send(p.Item(IDC_CB_IM_EMAIL), CB_SHOWDROPDOWN, FALSE);
    EXPECT_EQ(vt::Send(p.Item(IDC_CB_IM_EMAIL), CB_GETCOUNT), 1) << "only the contact that is online";
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.IcqContact.number, 4711u);
    EXPECT_EQ(Field(c.IcqContact.nick), "Anna");
}

// ---- Bad input on every page ----------------------------------------------------------

struct TextEdit {
    const wchar_t* node;
    int id;
};

// Every text edit of these pages: 300 characters keep what the field holds
// (and the user sees it), a character the code page cannot hold is refused
// with a message and changes nothing, pasted line breaks are taken out.
TEST(PagesBadInput, TextEditsKeepTheRecordValid) {
    const TextEdit edits[] = {
        {L"Annotation", IDC_ED_ANNOTATION_CAPTION}, {L"Editor", IDC_ED_EDITOR_COMMAND_LINE},
        {L"Editor", IDC_ED_EDITOR_FILE_NAME},       {L"Mail", IDC_ED_MAIL_SUBJECT},
        {L"Mail", IDC_ED_SMTP_EMAIL},               {L"Mail", IDC_ED_SMTP_SERVER},
        {L"Mail", IDC_ED_SMTP_USER_NAME},           {L"Mail", IDC_ED_SMTP_PASSWORD},
        {L"Mail", IDC_ED_ATTACH_FILE_NAME},         {L"Web", IDC_ED_FTP_SERVER},
        {L"Web", IDC_ED_FTP_PATH},                  {L"Web", IDC_ED_FTP_USER_NAME},
        {L"Web", IDC_ED_FTP_PASSWORD},              {L"Web", IDC_ED_PROXY_SERVER},
        {L"Web", IDC_ED_FTP_FILE_NAME},             {L"IM", IDC_ED_IM_FILE_NAME},
        {L"ICQ", IDC_ED_ICQ_FILE_NAME},
    };
    OptionsProgram p;
    p.config.MailClient = mcSmtp;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    const std::wstring longText(300, L'k');
    for (const TextEdit& e : edits) {
        SCOPED_TRACE(Narrow(e.node) + " " + std::to_string(e.id));
        p.Select(e.node);
        p.SetText(e.id, L"keep");
        p.SetText(e.id, L"not \x4E2D\x6587 here");  // no Western code page holds these
        EXPECT_TRUE(Contains(p.DismissBox(), L"cannot be stored"));
        EXPECT_EQ(p.Text(e.id), L"keep");
        p.SetText(e.id, L"one\r\ntwo");
        EXPECT_EQ(p.Text(e.id), L"onetwo");
        p.SetText(e.id, longText);
    }
    // The two editable combo boxes.
    p.Select(L"IM");
    Paste(ComboEdit(p, IDC_CB_IM_EMAIL), L"a\r\nb");
    EXPECT_EQ(p.Text(IDC_CB_IM_EMAIL).find_first_of(L"\r\n"), std::wstring::npos);
    p.Select(L"ICQ");
    Paste(ComboEdit(p, IDC_CB_ICQ_USER), L"\x4E2D");
    EXPECT_TRUE(Contains(p.DismissBox(), L"cannot be stored"));
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    const std::string cut(250, 'k');
    for (const auto* f : {&c.AnnotationText, &c.CustomEditorCommandLine, &c.EditorFileName, &c.MailSubject,
                          &c.SmtpFrom, &c.SmtpServer, &c.SmtpUserName, &c.SmtpPassword, &c.MailFileName,
                          &c.FtpServer, &c.FtpPath, &c.FtpUserName, &c.FtpPassword, &c.ProxyServer,
                          &c.WebFileName, &c.IMFileName, &c.IcqFileName})
        EXPECT_EQ(Field(*f), cut);
    EXPECT_EQ(Field(c.IMContact).find_first_of("\r\n"), std::string::npos);
    EXPECT_FALSE(Field(c.IMContact).empty());
}

// Opening the dialog and leaving it writes nothing of these pages.
TEST(PagesBadInput, OpeningAndClosingWritesNothing) {
    OptionsProgram p;
    p.config.EdgeSides = 9;
    p.config.EdgeOutlineColor = ui::clDefault;
    p.config.AnnotationPosition = TStampPosition{scTopRight, {}, 3, 4};
    p.config.MailClient = mcSmtp;
    p.config.SmtpPort = 0;
    ASSERT_TRUE(p.Start());
    const TConfiguration started = p.Stored();
    ASSERT_TRUE(p.Open());
    for (const wchar_t* node : {L"Edge Effect", L"Annotation", L"Watermark", L"Editor", L"Mail", L"Web", L"IM", L"ICQ"})
        p.Select(node);
    ASSERT_TRUE(p.Close());
    TConfiguration stored = p.Stored();
    // Without the maker's editor, showing the Editor page chooses the custom
    // one; nothing else changes.
    EXPECT_EQ(stored.UseCustomEditor, 1);
    stored.UseCustomEditor = started.UseCustomEditor;
    EXPECT_EQ(std::memcmp(&stored, &started, sizeof stored), 0);
}

}  // namespace
