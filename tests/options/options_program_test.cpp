// The options dialog of the running program: opening and closing, the page
// tree with its marks, and the Activate, Capture, Free Hand, Rectangle,
// Window, Send To, File, Printer/Fax, Timer and Precision pages, driven
// through their real controls; the stored record is read back at the
// offsets of the settings layout, and the recording hook library shows what
// the program handed it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "options/options_ids.h"
#include "options/options_program.h"
#include "support/text_fit.h"

namespace {

using opt::OptionsProgram;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

uint8_t Byte(const TConfiguration& c, size_t offset) { return reinterpret_cast<const uint8_t*>(&c)[offset]; }
uint16_t Word(const TConfiguration& c, size_t offset) {
    uint16_t w;
    std::memcpy(&w, reinterpret_cast<const uint8_t*>(&c) + offset, 2);
    return w;
}

bool Logged(const OptionsProgram& p, const std::string& line) {
    const auto log = p.HookLog();
    return std::find(log.begin(), log.end(), line) != log.end();
}

int VisibleDialogs(const OptionsProgram& p) {
    int n = 0;
    for (HWND w : vt::FindWindows(p.Pid(), L"#32770"))
        if (IsWindowVisible(w) && GetDlgItem(w, IDC_TREE)) ++n;
    return n;
}

const wchar_t* const kCaptions[] = {
    L"Activate", L"Capture", L"Free Hand", L"Rectangle", L"Window", L"Enhance", L"Edge Effect", L"Annotation",
    L"Watermark", L"Send To", L"Clipboard", L"File", L"Editor", L"Zovozu", L"Mail", L"Web", L"IM", L"ICQ",
    L"Printer/Fax", L"Custom", L"Timer", L"Precision", L"Favorites"};

TEST(OptionsFrame, OpensOnTheLastPageAndRemembersTheNodeAtClose) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    EXPECT_EQ(vt::WindowText(p.Dialog()), opt::kDialogTitle);
    EXPECT_EQ(p.Title(), L"Activate With");
    const auto tree = p.Tree();
    ASSERT_EQ(tree.size(), std::size(kCaptions));
    for (size_t i = 0; i < tree.size(); ++i) EXPECT_EQ(tree[i].caption, kCaptions[i]) << i;

    // A second Options command brings the same dialog forward.
    vt::Post(p.Main(), WM_COMMAND, 101, 0);
    vt::PumpFor(300);
    EXPECT_EQ(VisibleDialogs(p), 1);

    p.Select(L"Timer");
    EXPECT_EQ(p.Title(), L"Timer");
    p.Select(L"IM");
    EXPECT_EQ(p.Title(), L"Windows Instant Messenger");
    p.Select(L"Zovozu");  // the maker's program is not installed here
    EXPECT_EQ(p.Title(), L"Zovozu");
    EXPECT_EQ(vt::WindowText(vt::DialogItem(p.ShownPage(), IDC_PAGE_TEXT)), L"Vorlix Zovozu is not installed.");
    p.Select(L"Timer");
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(vt::ReadString(vt::kConfigurationKey, L"Last Node"), L"Timer");

    ASSERT_TRUE(p.Open());
    EXPECT_EQ(p.Title(), L"Timer");
    // Esc closes from anywhere.
    p.Focus(IDC_CB_TIMER_FORMAT);
    HWND d = p.Dialog();
    p.Keys({}, VK_ESCAPE);
    EXPECT_TRUE(vt::WaitGone(d));
}

TEST(OptionsFrame, AnUnknownLastNodeOpensTheActivatePage) {
    OptionsProgram p;
    p.lastNode = L"No such page";
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    EXPECT_EQ(p.Title(), L"Activate With");
}

TEST(OptionsFrame, TabGoesFromTheTreeThroughThePageToClose) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Focus(IDC_TREE);
    const int order[] = {IDC_CK_HOTKEYS, IDC_CK_MOUSE_BUTTON, IDC_TK_HOLD_TIME, IDC_CLOSE, IDC_HELP_BUTTON, IDC_TREE};
    for (int id : order) {
        p.Keys({}, VK_TAB);
        EXPECT_EQ(p.Focused(), p.Item(id)) << id;
    }
    // A mnemonic reaches the shown page.
    p.Keys({VK_MENU}, 'R');
    EXPECT_FALSE(p.Checked(IDC_CK_MOUSE_BUTTON));
}

TEST(OptionsTree, MarksWriteTheirSettingsAndGreyedNodesStayOff) {
    OptionsProgram p;
    p.config.SendTo[dZovozu] = 1;  // stored, but the program is missing
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    EXPECT_EQ(p.NodeImage(L"Rectangle"), 5);
    EXPECT_EQ(p.NodeImage(L"Free Hand"), 4);
    EXPECT_EQ(p.NodeImage(L"Zovozu"), 8);
    EXPECT_EQ(p.NodeImage(L"Custom"), 8);
    p.ClearHookLog();

    ASSERT_TRUE(p.ClickMark(L"Window"));
    EXPECT_TRUE(Logged(p, "HookCaptureType 3")) << "at once";
    EXPECT_EQ(p.NodeImage(L"Window"), 5);
    EXPECT_EQ(p.NodeImage(L"Rectangle"), 4);
    ASSERT_TRUE(p.ClickMark(L"Edge Effect"));
    EXPECT_EQ(p.NodeImage(L"Edge Effect"), 7);
    ASSERT_TRUE(p.ClickMark(L"File"));
    ASSERT_TRUE(p.ClickMark(L"Printer/Fax"));
    ASSERT_TRUE(p.ClickMark(L"Printer/Fax"));
    ASSERT_TRUE(p.ClickMark(L"Zovozu"));
    ASSERT_TRUE(p.ClickMark(L"Custom"));
    EXPECT_EQ(p.NodeImage(L"Zovozu"), 8);
    EXPECT_EQ(p.NodeImage(L"Custom"), 8);
    ASSERT_TRUE(p.ClickMark(L"Activate"));  // a root node: only the page
    EXPECT_EQ(p.Title(), L"Activate With");

    // Groups never collapse, by double click or by the keyboard.
    HWND tree = p.Item(IDC_TREE);
    const opt::TreeNode capture = p.Node(L"Capture");
    vt::Send(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(30, 20));
    p.Select(L"Capture");
    p.Focus(IDC_TREE);
    p.Keys({}, VK_LEFT);
    p.Keys({}, VK_SUBTRACT);
    EXPECT_TRUE(vt::Send(tree, TVM_GETITEMSTATE, WPARAM(capture.item), TVIS_EXPANDED) & TVIS_EXPANDED);

    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(Byte(c, 0x002), 3);  // CaptureType
    EXPECT_EQ(Byte(c, 0x008), 1);  // EdgeOn
    EXPECT_EQ(Byte(c, 0x349), 1);  // SendTo File
    EXPECT_EQ(Byte(c, 0x350), 0);  // Printer: on and off again
    EXPECT_EQ(Byte(c, 0x34B), 0);  // Zovozu: cleared, program missing
    EXPECT_EQ(Byte(c, 0x351), 0);  // Custom
}

TEST(OptionsTree, AStoredCustomDestinationMakesEverySendToToggleCaptureWindows) {
    OptionsProgram p;
    p.config.SendTo[dCustom] = 1;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.ClearHookLog();
    ASSERT_TRUE(p.ClickMark(L"Clipboard"));
    EXPECT_TRUE(Logged(p, "HookCaptureType 3"));
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(Byte(p.Stored(), 0x002), 3);
}

TEST(OptionsTree, ACaptureHotkeyMovesTheMark) {
    OptionsProgram p;
    p.config.CaptureType = ctWindow;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    EXPECT_EQ(p.NodeImage(L"Window"), 5);
    vt::Post(p.Main(), WM_HOTKEY, GlobalFindAtomW(L"Rectangle"), 0);
    EXPECT_TRUE(vt::WaitUntil([&] { return p.NodeImage(L"Rectangle") == 5; }));
    EXPECT_EQ(p.NodeImage(L"Window"), 4);
    vt::Post(p.Main(), WM_HOTKEY, GlobalFindAtomW(L"Esc"), 0);  // ends the selection it started
    vt::PumpFor(200);
}

// One control of a page and what it stores.
struct ControlCase {
    const wchar_t* node;
    int id;
    int comboIndex;  // -1: a click
    size_t offset;
    int expected;
    bool word;
    const char* hook;  // the line the hook library must have been handed, or null
};

TEST(OptionsPages, EveryControlWritesItsField) {
    const ControlCase cases[] = {
        {L"Activate", IDC_CK_MOUSE_BUTTON, -1, 0x001, 0, false, "HookActivateWithMouse 0"},
        {L"Capture", IDC_CK_INCLUDE, -1, 0x356, 1, false, "HookCursorData 257"},
        {L"Capture", IDC_CK_REPEAT_AREA, -1, 0x354, 1, false, nullptr},
        {L"Capture", IDC_COLOR_BOX, 1, 0x004, 0xB9FFB9, false, nullptr},
        {L"Rectangle", IDC_CK_FIXED, -1, 0x35C, 1, false, "HookRectangleSelection 1"},
        {L"Rectangle", IDC_CK_LOCK, -1, 0x35D, 1, false, nullptr},
        {L"Rectangle", IDC_CK_EXTRA_LARGE, -1, 0x357, 2, false, "HookCursorData 513"},
        {L"Window", IDC_CK_AUTO_SCROLL, -1, 0x35A, 1, false, nullptr},
        {L"Send To", IDC_CK_SOUND, -1, 0x352, 0, false, nullptr},
        {L"Send To", IDC_CK_MOTION_MESSAGE, -1, 0x353, 0, false, nullptr},
        {L"File", IDC_CB_FILE_METHOD, 1, 0x36C, 1, false, nullptr},
        {L"File", IDC_CK_FILE_PNG, -1, 0x468, 4, false, nullptr},
        {L"Printer/Fax", IDC_CK_PRINTER_FIT, -1, 0x1951, 2, false, nullptr},
        {L"Printer/Fax", IDC_CK_PRINTER_LANDSCAPE, -1, 0x1950, 2, false, nullptr},
        {L"Timer", IDC_CB_TIMER_PERIOD, 9, 0x1952, 10, true, nullptr},
        {L"Timer", IDC_CB_TIMER_FORMAT, 1, 0x1954, 1, false, nullptr},
        {L"Timer", IDC_CK_IGNORE_IDENTICAL, -1, 0x1956, 0, false, nullptr},
        {L"Precision", IDC_CK_RULLER, -1, 0x355, 1, false, nullptr},
        {L"Precision", IDC_CK_ZOOM_ON, -1, 0x1958, 1, false, nullptr},
        {L"Precision", IDC_CB_ZOOM_FACTOR, 2, 0x1959, 8, false, nullptr},
    };
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.ClearHookLog();
    for (const ControlCase& c : cases) {
        p.Select(c.node);
        if (c.comboIndex < 0) p.Click(c.id);
        else p.ChooseCombo(c.id, c.comboIndex);
        if (c.hook) {
            EXPECT_TRUE(Logged(p, c.hook)) << c.hook << " at once";
        }
    }
    ASSERT_TRUE(p.Close());
    const TConfiguration stored = p.Stored();
    for (const ControlCase& c : cases) {
        const int value = c.offset == 0x004 ? int(stored.HighlightColor)
                          : c.word          ? Word(stored, c.offset)
                                            : Byte(stored, c.offset);
        EXPECT_EQ(value, c.expected) << Narrow(c.node) << " " << c.id;
    }
}

TEST(OptionsPages, HoldTimeStartsAt200Milliseconds) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    HWND slider = p.Item(IDC_TK_HOLD_TIME);
    EXPECT_EQ(vt::Send(slider, TBM_GETRANGEMIN), 20) << "0 ms would start a capture at every right click";
    p.ClearHookLog();
    vt::Send(slider, TBM_SETPOS, TRUE, 37);
    vt::Send(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 37), LPARAM(slider));
    EXPECT_TRUE(Logged(p, "HookHoldTime 370"));
    vt::Send(slider, TBM_SETPOS, TRUE, 0);
    vt::Send(GetParent(slider), WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0), LPARAM(slider));
    EXPECT_TRUE(Logged(p, "HookHoldTime 200"));
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(Word(p.Stored(), 0x358), 200);
}

TEST(OptionsHotkeys, AKeyInAHotkeyFieldIsStoredAndRegisteredAtOnce) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Free Hand");
    p.Focus(IDC_ED_HK_FREEHAND);
    p.Keys({VK_CONTROL, VK_SHIFT}, VK_F6);
    EXPECT_EQ(p.Text(IDC_ED_HK_FREEHAND), L"CTRL + SHIFT + F6");
    EXPECT_FALSE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F6)) << "registered at once";
    EXPECT_TRUE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F1)) << "the old key let go";
    // Modifiers alone and typed characters change nothing.
    p.Keys({}, VK_SHIFT);
    vt::Send(p.Item(IDC_ED_HK_FREEHAND), WM_CHAR, 'x', 0);
    EXPECT_EQ(p.Text(IDC_ED_HK_FREEHAND), L"CTRL + SHIFT + F6");

    // A key that another program holds is kept, and the user is told that it
    // does not work. (The key is posted: typed, it would reach the other
    // program's hotkey instead.)
    vt::HeldHotkey other(0, VK_F2);
    ASSERT_TRUE(other.Held());
    p.Select(L"Timer");
    vt::Post(p.Item(IDC_ED_HK_TIMER), WM_KEYDOWN, VK_F2, 0);
    HWND box = p.Box();
    ASSERT_TRUE(box);
    const auto info = vt::ReadMessageBox(box);
    EXPECT_NE(info.text.find(L"Hotkey: F2\t Function: Start/Stop Timer"), std::wstring::npos)
        << Narrow(info.text);
    EXPECT_FALSE(IsWindowEnabled(p.Dialog())) << "the dialog waits for its box";
    vt::PressButton(box, L"OK");
    vt::WaitGone(box);
    EXPECT_TRUE(vt::WaitUntil([&] { return IsWindowEnabled(p.Dialog()) != FALSE; }));
    EXPECT_EQ(p.Text(IDC_ED_HK_TIMER), L"F2");
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(Word(c, 0x362), 0x6075);
    EXPECT_EQ(Word(c, 0x36A), VK_F2);
}

TEST(OptionsHotkeys, WithHotkeysOffOnlyRepeatAndTimerTakeKeys) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Click(IDC_CK_HOTKEYS);
    EXPECT_TRUE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F1));
    EXPECT_TRUE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F3));
    p.Select(L"Free Hand");
    p.Focus(IDC_ED_HK_FREEHAND);
    p.Keys({}, VK_F9);
    EXPECT_EQ(p.Text(IDC_ED_HK_FREEHAND), L"CTRL + SHIFT + F1");
    p.Select(L"Timer");
    p.Focus(IDC_ED_HK_TIMER);
    p.Keys({}, VK_F9);
    EXPECT_EQ(p.Text(IDC_ED_HK_TIMER), L"F9");
    EXPECT_FALSE(vt::HotkeyFree(0, VK_F9));

    // Turning the mouse off as well turns the hotkeys back on.
    p.Select(L"Activate");
    p.Click(IDC_CK_MOUSE_BUTTON);
    EXPECT_TRUE(p.Checked(IDC_CK_HOTKEYS));
    EXPECT_FALSE(vt::HotkeyFree(MOD_CONTROL | MOD_SHIFT, VK_F1));
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(Byte(c, 0x000), 1);
    EXPECT_EQ(Byte(c, 0x001), 0);
    EXPECT_EQ(Word(c, 0x36A), VK_F9);
}

TEST(OptionsPages, FixedSizeEditsKeepToTheScreen) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Rectangle");
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    struct Case { const wchar_t* typed; std::wstring shown; bool message; };
    for (const Case& c : {Case{L"3", L"5", true}, Case{L"2000", std::to_wstring(screen), true}, Case{L"", L"5", true},
                          Case{L"640", L"640", false}}) {
        SCOPED_TRACE(Narrow(c.typed));
        p.Focus(IDC_ED_WIDTH);
        p.SetText(IDC_ED_WIDTH, c.typed);
        vt::Post(p.Dialog(), WM_NEXTDLGCTL, WPARAM(p.Item(IDC_ED_HEIGHT)), TRUE);  // leave the field
        if (c.message) {
            HWND box = p.Box();
            ASSERT_TRUE(box);
            EXPECT_EQ(vt::ReadMessageBox(box).text,
                      L"Selection Width must be between 5 and " + std::to_wstring(screen) + L".");
            vt::PressButton(box, L"OK");
            vt::WaitGone(box);
            vt::PumpFor(100);
            EXPECT_EQ(p.Focused(), p.Item(IDC_ED_WIDTH)) << "back to the field";
        } else {
            vt::PumpFor(300);
            EXPECT_EQ(p.Box(), nullptr);
        }
        EXPECT_EQ(p.Text(IDC_ED_WIDTH), c.shown);
    }
    vt::Send(p.Item(IDC_ED_WIDTH), WM_CHAR, 'a', 0);
    EXPECT_EQ(p.Text(IDC_ED_WIDTH), L"640") << "letters cannot be typed";
    p.Click(IDC_CK_LOCK);
    EXPECT_TRUE(GetWindowLongW(p.Item(IDC_ED_WIDTH), GWL_STYLE) & ES_READONLY);
    ASSERT_TRUE(p.Close());
    EXPECT_EQ(Word(p.Stored(), 0x35E), 640);
}

TEST(OptionsPages, FileNameRefusesWhatNoFileNameMayHoldAndEnterCloses) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"File");
    p.Focus(IDC_ED_FILE_NAME);
    vt::Send(p.Item(IDC_ED_FILE_NAME), WM_CHAR, ':', 0);
    vt::Send(p.Item(IDC_ED_FILE_NAME), WM_CHAR, '?', 0);
    EXPECT_EQ(p.Text(IDC_ED_FILE_NAME), L"screenshot");
    p.SetText(IDC_ED_FILE_NAME, L"a:b*c|d");  // pasted
    EXPECT_EQ(p.Text(IDC_ED_FILE_NAME), L"abcd");
    HWND d = p.Dialog();
    p.Focus(IDC_ED_FILE_NAME);
    p.Keys({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(d)) << "Enter in the name closes the dialog";
    const TConfiguration c = p.Stored();
    EXPECT_EQ(std::string(c.FileName.chars, c.FileName.length), "abcd");
}

TEST(OptionsBadInput, OutOfRangeValuesShowTheNearestChoiceAndAreNotWritten) {
    OptionsProgram p;
    p.config.CaptureType = 9;
    p.config.ZoomFactor = 0;
    p.config.FixedWidth = 5000;
    p.config.TimerPeriod = 0;
    p.config.TimerUnit = 7;
    p.config.FileNaming = 9;
    p.config.FileFormat = 7;
    p.config.HoldTime = 0;
    p.config.PrintOrientation = 0;  // the printer's default
    ASSERT_TRUE(p.Start());
    const TConfiguration started = p.Stored();  // after the start-up's own checks
    EXPECT_EQ(started.CaptureType, 9);
    ASSERT_TRUE(p.Open());
    EXPECT_EQ(p.NodeImage(L"Window"), 5);
    EXPECT_EQ(vt::Send(p.Item(IDC_TK_HOLD_TIME), TBM_GETPOS), 20);
    p.Select(L"Timer");
    EXPECT_EQ(p.ComboIndex(IDC_CB_TIMER_PERIOD), 0);
    EXPECT_EQ(p.ComboIndex(IDC_CB_TIMER_FORMAT), 1);
    p.Select(L"Precision");
    EXPECT_EQ(p.ComboIndex(IDC_CB_ZOOM_FACTOR), 0);
    p.Select(L"File");
    EXPECT_EQ(p.ComboIndex(IDC_CB_FILE_METHOD), 2);
    EXPECT_TRUE(p.Checked(IDC_CK_FILE_PNG));
    p.Select(L"Printer/Fax");
    EXPECT_FALSE(p.Checked(IDC_CK_PRINTER_PORTRAIT));
    EXPECT_FALSE(p.Checked(IDC_CK_PRINTER_LANDSCAPE));
    p.Select(L"Rectangle");
    EXPECT_EQ(p.Text(IDC_ED_WIDTH), L"5000");
    p.Select(L"Capture");
    ASSERT_TRUE(p.Close());
    const TConfiguration stored = p.Stored();
    EXPECT_EQ(std::memcmp(&stored, &started, sizeof stored), 0) << "nothing written";
}

TEST(OptionsFrame, NoSecondDialogWhileTheFirstLoadsAndExitWaitsForItsBox) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    // The output folder goes away after the start: loading the File page
    // tells the user and pumps messages.
    const std::string folder(p.config.FileFolder.chars, p.config.FileFolder.length);
    RemoveDirectoryA(folder.c_str());
    vt::Post(p.Main(), WM_COMMAND, 101, 0);
    HWND box = vt::WaitForMessageBox(p.Pid(), nullptr, 10000);
    ASSERT_TRUE(box);
    ASSERT_FALSE(GetDlgItem(box, IDC_TREE)) << Narrow(vt::ReadMessageBox(box).text);
    vt::Post(p.Main(), WM_COMMAND, 101, 0);  // a second tray click meanwhile
    vt::PumpFor(300);
    vt::PressButton(box, L"OK");
    vt::WaitGone(box);
    ASSERT_TRUE(p.Open());
    vt::PumpFor(300);
    EXPECT_EQ(VisibleDialogs(p), 1);

    // Exit while the dialog's own box is up ends the program cleanly.
    p.Select(L"Rectangle");
    p.Focus(IDC_ED_WIDTH);
    p.SetText(IDC_ED_WIDTH, L"1");
    vt::Post(p.Dialog(), WM_NEXTDLGCTL, WPARAM(p.Item(IDC_ED_HEIGHT)), TRUE);
    box = p.Box();
    ASSERT_TRUE(box);
    vt::Post(p.Main(), WM_COMMAND, 110, 0);
    vt::PumpFor(300);
    if (IsWindow(box)) vt::PressButton(box, L"OK");
    p.Exit();
}

// The dots per inch of the programs started while it lives (Wine reads the
// setting when a program starts).
class ScopedDpi {
public:
    explicit ScopedDpi(int dpi) : old_(vt::ReadDword(kDesktop, L"LogPixels")) {
        if (dpi != 96) vt::WriteDword(kDesktop, L"LogPixels", DWORD(dpi));
    }
    ~ScopedDpi() {
        if (old_) vt::WriteDword(kDesktop, L"LogPixels", *old_);
        else vt::DeleteValue(kDesktop, L"LogPixels");
    }

private:
    static constexpr const wchar_t* kDesktop = L"Control Panel\\Desktop";
    std::optional<DWORD> old_;
};

// Every page in both builds at 96 and 120 dots per inch: each control lies
// inside the page area, no two overlap (group boxes hold theirs), and every
// label, group box caption, button, check box and radio button shows its
// whole text. With VORLIX_SHOTS naming a folder, every page is also saved
// there as a BMP file for a person to look at.
TEST(OptionsLook, EveryPageFitsItsAreaInBothBuilds) {
    wchar_t folder[MAX_PATH] = L"";
    const bool shots = GetEnvironmentVariableW(L"VORLIX_SHOTS", folder, MAX_PATH) != 0;
    for (const int dpi : {96, 120})
        for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
            SCOPED_TRACE(Narrow(exe) + " at " + std::to_string(dpi) + " dpi");
            const ScopedDpi scale(dpi);
            OptionsProgram p;
            // Some favourites, so that the list shows rows.
            for (const wchar_t* name : {L"Email To Friend", L"Rect To File, x8, Show Size", L"Fixed Rect To File"})
                vt::WriteValue(vt::kSchemaKey, name, REG_BINARY, &p.config, sizeof p.config);
            p.config.MailClient = mcSmtp;  // the SMTP settings shown
            ASSERT_TRUE(p.Start(exe));
            ASSERT_TRUE(p.Open());
            RECT client;
            GetClientRect(p.Dialog(), &client);
            MapWindowPoints(p.Dialog(), nullptr, reinterpret_cast<POINT*>(&client), 2);
            int i = 0;
            for (const opt::TreeNode& n : p.Tree()) {
                SCOPED_TRACE(Narrow(n.caption));
                p.Select(n.caption);
                HWND page = p.ShownPage();
                ASSERT_TRUE(page);
                RECT area;
                GetWindowRect(page, &area);
                EXPECT_TRUE(area.left >= client.left && area.right <= client.right && area.bottom <= client.bottom);
                std::vector<std::pair<HWND, RECT>> controls;
                for (HWND c : vt::ChildWindows(page)) {
                    if (GetParent(c) != page || !IsWindowVisible(c)) continue;
                    RECT r;
                    GetWindowRect(c, &r);
                    EXPECT_TRUE(r.left >= area.left && r.top >= area.top && r.right <= area.right &&
                                r.bottom <= area.bottom)
                        << "control " << GetDlgCtrlID(c) << " leaves the page";
                    controls.emplace_back(c, r);
                    // A check box or radio button shows its whole text: the
                    // button's own measure of text and mark (in the program's
                    // font) fits its width.
                    const LONG style = GetWindowLongW(c, GWL_STYLE), type = style & BS_TYPEMASK;
                    if (vt::ClassOf(c) == L"Button" && !(style & BS_PUSHLIKE) && !vt::WindowText(c).empty() &&
                        (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX || type == BS_AUTORADIOBUTTON ||
                         type == BS_RADIOBUTTON)) {
                        vt::RemoteBuffer size(c, sizeof(SIZE));
                        SIZE ideal{};
                        size.Write(&ideal, sizeof ideal);
                        if (vt::Send(c, BCM_GETIDEALSIZE, 0, size.Address()) && size.Read(&ideal, sizeof ideal)) {
                            EXPECT_LE(ideal.cx, r.right - r.left) << "the text of control " << GetDlgCtrlID(c)
                                                                  << " is cut: " << Narrow(vt::WindowText(c));
                        }
                    }
                }
                auto isGroup = [](HWND w) {
                    return (GetWindowLongW(w, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX && vt::ClassOf(w) == L"Button";
                };
                for (size_t a = 0; a < controls.size(); ++a)
                    for (size_t b = a + 1; b < controls.size(); ++b) {
                        RECT both;
                        if (!IntersectRect(&both, &controls[a].second, &controls[b].second)) continue;
                        if (isGroup(controls[a].first) || isGroup(controls[b].first)) continue;
                        ADD_FAILURE() << "controls " << GetDlgCtrlID(controls[a].first) << " and "
                                      << GetDlgCtrlID(controls[b].first) << " overlap";
                    }
                // The frame's and the page's texts, measured in the dialogs'
                // font at the program's scale.
                EXPECT_EQ(look::ClippedTexts(p.Dialog(), L"MS Shell Dlg 2", 8, dpi), std::vector<std::string>{});
                if (shots) {
                    UpdateWindow(p.Dialog());
                    vt::PumpFor(200);
                    RECT r;
                    GetWindowRect(p.Dialog(), &r);
                    wchar_t name[64];
                    wsprintfW(name, L"%s-%d-%02d.bmp", exe, dpi, i++);
                    vt::SaveScreenBmp(r, vt::Join(folder, name));
                }
            }
            EXPECT_TRUE(p.Close());
        }
}

}  // namespace

namespace {

// A reload of the open dialog (here after a failed mail delivery, so that
// the user can mend the mail settings) keeps tree and page together: the
// node of the page shown stays selected.
TEST(OptionsFrame, AReloadKeepsTheNodeOfThePageShown) {
    OptionsProgram p;
    std::memset(p.config.SendTo, 0, sizeof p.config.SendTo);
    p.config.SendTo[dMail] = 1;
    p.config.MailClient = mcSmtp;  // its sender program is missing here
    p.lastNode = L"Precision";
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    ASSERT_EQ(p.Title(), L"Precision");
    ASSERT_TRUE(p.PutHandOver(vt::Pixels(8, 8, RGB(10, 200, 30)), WM_HANDOVER_MAIL));
    HWND box = p.Box();
    ASSERT_TRUE(box);
    vt::PressButton(box, L"OK");
    ASSERT_TRUE(vt::WaitUntil([&] { return IsWindowEnabled(p.Dialog()) && !IsWindowVisible(box); }, 10000));
    vt::PumpFor(300);
    const auto selected = HTREEITEM(vt::Send(p.Item(IDC_TREE), TVM_GETNEXTITEM, TVGN_CARET, 0));
    EXPECT_EQ(selected, p.Node(L"Precision").item);
    EXPECT_EQ(p.Title(), L"Precision");
    EXPECT_TRUE(GetDlgItem(p.ShownPage(), IDC_CK_RULLER));
    EXPECT_TRUE(p.Close());
}

}  // namespace
