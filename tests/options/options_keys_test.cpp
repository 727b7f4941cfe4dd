// The options dialog from the keyboard alone, as a person uses it: real key
// presses (SendInput) into the running program. Every page of both builds is
// walked with Tab, Shift+Tab, the arrow keys and every mnemonic; focus comes
// back after each message; hotkey fields take any combination, the
// program's own included, and leave the dialog's keys alone; Enter presses
// the focused button.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "options/options_ids.h"
#include "options/options_program.h"
#include "options/page_controls_ids.h"

namespace {

using opt::OptionsProgram;

std::string Narrow(const std::wstring& s) { return vt::Utf8(s); }

LONG Style(HWND w) { return GetWindowLongW(w, GWL_STYLE); }
bool Is(HWND w, const wchar_t* cls) { return _wcsicmp(vt::ClassOf(w).c_str(), cls) == 0; }
bool IsGroupBox(HWND w) { return Is(w, L"Button") && (Style(w) & BS_TYPEMASK) == BS_GROUPBOX; }
bool IsRadio(HWND w) {
    const LONG type = Style(w) & BS_TYPEMASK;
    return Is(w, L"Button") && (type == BS_AUTORADIOBUTTON || type == BS_RADIOBUTTON);
}
bool IsCheck(HWND w) {
    const LONG type = Style(w) & BS_TYPEMASK;
    return Is(w, L"Button") && (type == BS_AUTOCHECKBOX || type == BS_CHECKBOX);
}
bool IsPushButton(HWND w) {
    const LONG type = Style(w) & BS_TYPEMASK;
    return Is(w, L"Button") && (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON);
}
bool Usable(HWND w) { return IsWindowVisible(w) && IsWindowEnabled(w); }
// A control a person can put the focus on.
bool TakesFocus(HWND w) { return Usable(w) && !Is(w, L"Static") && !IsGroupBox(w); }
std::string Name(HWND w) { return std::to_string(GetDlgCtrlID(w)) + " " + Narrow(vt::WindowText(w)); }

// The letter after the single "&" of a text, or 0.
wchar_t Mnemonic(const std::wstring& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'&') continue;
        if (text[i + 1] == L'&') {
            ++i;
            continue;
        }
        return static_cast<wchar_t>(towupper(text[i + 1]));
    }
    return 0;
}

// The page's own controls (not their inner windows), in tab order.
std::vector<HWND> Controls(HWND page) {
    std::vector<HWND> out;
    for (HWND c = GetWindow(page, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) out.push_back(c);
    return out;
}

// The control of the page or of the frame that holds the focus (the edit of
// a combo box stands for the combo box).
HWND FocusedControl(const OptionsProgram& p) {
    HWND f = p.Focused();
    while (f && GetParent(f) != p.ShownPage() && GetParent(f) != p.Dialog()) f = GetParent(f);
    return f;
}

// The controls of the group a control belongs to (from the one that starts
// it with WS_GROUP to the next that does).
std::vector<HWND> GroupOf(HWND page, HWND control) {
    std::vector<HWND> all = Controls(page), group;
    for (HWND c : all) {
        if ((Style(c) & WS_GROUP) || group.empty()) {
            if (std::find(group.begin(), group.end(), control) != group.end()) return group;
            group.clear();
        }
        group.push_back(c);
    }
    return std::find(group.begin(), group.end(), control) != group.end() ? group : std::vector<HWND>{control};
}

bool InGroup(HWND page, HWND stop, HWND focus) {
    if (stop == focus) return true;
    if (!IsRadio(stop)) return false;
    const auto g = GroupOf(page, stop);
    return std::find(g.begin(), g.end(), focus) != g.end();
}

RECT ScreenRect(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return r;
}

// b comes after a when reading the page: on a later line, or on the same
// line further right.
bool ReadsAfter(const RECT& a, const RECT& b) {
    const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    const bool sameLine = overlap * 2 > std::min(a.bottom - a.top, b.bottom - b.top);
    return sameLine ? b.left >= a.right - 2 : b.top >= a.top;
}

// A window the program opened over the dialog (a message box, a common
// dialog, a menu, a palette), or null.
HWND NewWindow(const OptionsProgram& p, const std::vector<HWND>& before) {
    for (HWND w : vt::FindWindows(p.Pid())) {
        if (!IsWindowVisible(w) || w == p.Dialog() || w == p.Main()) continue;
        if (std::find(before.begin(), before.end(), w) != before.end()) continue;
        const std::wstring cls = vt::ClassOf(w);
        if (cls == L"#32770" || cls == L"#32768" || cls == L"VorlixColourPalette") return w;
    }
    return nullptr;
}

std::vector<HWND> VisibleWindows(const OptionsProgram& p) {
    std::vector<HWND> v;
    for (HWND w : vt::FindWindows(p.Pid()))
        if (IsWindowVisible(w)) v.push_back(w);
    return v;
}

// Puts the focus on a control as the dialog manager does, without a pause.
void FocusOn(OptionsProgram& p, HWND control) {
    SetForegroundWindow(p.Dialog());
    vt::Send(p.Dialog(), WM_NEXTDLGCTL, WPARAM(control), TRUE);
    p.Settle();
}

// The selected tree node's caption.
std::wstring SelectedNode(const OptionsProgram& p) {
    const auto item = HTREEITEM(vt::Send(p.Item(IDC_TREE), TVM_GETNEXTITEM, TVGN_CARET, 0));
    for (const opt::TreeNode& n : p.Tree())
        if (n.item == item) return n.caption;
    return L"";
}

// Walks the tree with the arrow keys to the node (the page is made as it is
// first shown).
bool ShowByKeys(OptionsProgram& p, const std::wstring& caption) {
    FocusOn(p, p.Item(IDC_TREE));
    const std::vector<opt::TreeNode> nodes = p.Tree();
    p.Press({}, VK_HOME);
    for (const opt::TreeNode& n : nodes) {
        if (!vt::WaitUntil([&] { return SelectedNode(p) == n.caption; }, 3000)) return false;
        if (n.caption == caption) return vt::WaitUntil([&] { return p.ShownPage() != nullptr; }, 3000);
        p.Press({}, VK_DOWN);
    }
    return false;
}

// Where a tab stop stands: a radio button stands for its whole group.
RECT StopRect(HWND page, HWND stop) {
    RECT r = ScreenRect(stop);
    if (IsRadio(stop))
        for (HWND c : GroupOf(page, stop)) {
            const RECT m = ScreenRect(c);
            UnionRect(&r, &r, &m);
        }
    return r;
}

// Tab from the tree through the page to Close, Help and the tree again, then
// Shift+Tab back: every tab stop of the page in reading order, once.
void WalkTabs(OptionsProgram& p, HWND page) {
    std::vector<HWND> stops;
    for (HWND c : Controls(page))
        if (Usable(c) && (Style(c) & WS_TABSTOP)) stops.push_back(c);
    for (size_t i = 1; i < stops.size(); ++i)
        EXPECT_TRUE(ReadsAfter(StopRect(page, stops[i - 1]), StopRect(page, stops[i])))
            << Name(stops[i]) << " comes after " << Name(stops[i - 1]) << " but stands before it";
    std::vector<HWND> expected = stops;
    for (int id : {IDC_CLOSE, IDC_HELP_BUTTON, IDC_TREE}) expected.push_back(p.Item(id));
    auto reached = [&](HWND e) {
        return vt::WaitUntil([&] {
            HWND f = FocusedControl(p);
            return GetParent(e) == page ? InGroup(page, e, f) : f == e;
        }, 3000);
    };
    FocusOn(p, p.Item(IDC_TREE));
    for (HWND e : expected) {
        p.Press({}, VK_TAB);
        if (!reached(e)) {
            ADD_FAILURE() << "Tab reached " << Name(FocusedControl(p)) << " instead of " << Name(e);
            return;
        }
    }
    expected.pop_back();
    std::reverse(expected.begin(), expected.end());
    for (HWND e : expected) {
        p.Press({VK_SHIFT}, VK_TAB);
        if (!reached(e)) {
            ADD_FAILURE() << "Shift+Tab reached " << Name(FocusedControl(p)) << " instead of " << Name(e);
            return;
        }
    }
}

// The arrow keys on every button of the page move among the controls of its
// group and never to a label or a group box.
void WalkArrows(OptionsProgram& p, HWND page) {
    for (HWND c : Controls(page)) {
        if (!TakesFocus(c) || !(Is(c, L"Button") || Is(c, L"VorlixColourPick"))) continue;
        for (WORD key : {VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT}) {
            FocusOn(p, c);
            p.Press({}, key);
            HWND f = FocusedControl(p);
            EXPECT_TRUE(f && GetParent(f) == page && TakesFocus(f))
                << "an arrow key from " << Name(c) << " went to " << (f ? Name(f) : "nothing");
        }
    }
}

// Closes what a button opened (Esc, as a person would) and waits for it to go.
void Dismiss(OptionsProgram& p, HWND window) {
    if (vt::ClassOf(window) != L"#32768") SetForegroundWindow(window);
    p.Press({}, VK_ESCAPE);
    EXPECT_TRUE(vt::WaitGone(window)) << Narrow(vt::ClassOf(window));
    vt::WaitUntil([&] { return IsWindowEnabled(p.Dialog()) != FALSE; }, 2000);
    p.Settle();
}

// Every mnemonic of the page answers Alt+letter: a label takes the focus to
// the control it names, a check box toggles, a radio button is chosen, a
// push button is pressed (what it opens is closed again with Esc; a button
// that closes the dialog has it opened again on the same page).
void WalkMnemonics(OptionsProgram& p, const std::wstring& node) {
    HWND page = p.ShownPage();
    std::vector<HWND> controls = Controls(page);
    for (size_t i = 0; page && i < controls.size(); ++i) {
        page = p.ShownPage();
        controls = Controls(page);
        ASSERT_LT(i, controls.size());
        HWND c = controls[i];
        const wchar_t letter = Mnemonic(vt::WindowText(c));
        if (!letter || !Usable(c)) continue;
        SCOPED_TRACE("Alt+" + Narrow(std::wstring(1, letter)) + " for " + Name(c));
        FocusOn(p, p.Item(IDC_TREE));
        const std::vector<HWND> before = VisibleWindows(p);
        const bool checked = vt::Send(c, BM_GETCHECK) == BST_CHECKED;
        // Told apart before the key: a button may close the dialog with it.
        const bool label = Is(c, L"Static"), check = IsCheck(c), radio = IsRadio(c), push = IsPushButton(c);
        HWND dialog = p.Dialog();
        p.Press({VK_MENU}, WORD(letter));
        if (label) {
            HWND target = nullptr;
            for (size_t j = i + 1; j < controls.size() && !target; ++j)
                if (Usable(controls[j]) && (Style(controls[j]) & WS_TABSTOP)) target = controls[j];
            EXPECT_SOON(FocusedControl(p) == target) << " (went to " << Name(FocusedControl(p)) << ")";
        } else if (check) {
            EXPECT_SOON((vt::Send(c, BM_GETCHECK) == BST_CHECKED) != checked && FocusedControl(p) == c);
            p.Press({VK_MENU}, WORD(letter));  // and back
            EXPECT_SOON((vt::Send(c, BM_GETCHECK) == BST_CHECKED) == checked);
        } else if (radio) {
            EXPECT_SOON(vt::Send(c, BM_GETCHECK) == BST_CHECKED && FocusedControl(p) == c);
        } else if (push) {
            HWND opened = nullptr;
            const bool answered = vt::WaitUntil([&] {
                opened = NewWindow(p, before);
                return opened || !IsWindowVisible(dialog);
            }, 5000);
            EXPECT_TRUE(answered) << "the button did nothing";
            if (!IsWindowVisible(dialog)) {
                // Download Now closes the dialog: open it again there.
                ASSERT_TRUE(vt::WaitGone(dialog));
                ASSERT_TRUE(p.Open());
                ASSERT_TRUE(ShowByKeys(p, node));
            } else if (opened) {
                Dismiss(p, opened);
                EXPECT_TRUE(FocusedControl(p) && GetParent(FocusedControl(p)) == p.ShownPage())
                    << "the focus came back to the page";
            }
        }
    }
}

TEST(OptionsKeys, EveryPageOfBothBuildsAnswersTabArrowsAndMnemonics) {
    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        SCOPED_TRACE(Narrow(exe));
        OptionsProgram p;
        p.config.MailClient = mcSmtp;  // the SMTP settings shown
        ASSERT_TRUE(p.Start(exe));
        ASSERT_TRUE(p.Open());
        const std::vector<opt::TreeNode> nodes = p.Tree();
        for (const opt::TreeNode& n : nodes) {
            SCOPED_TRACE(Narrow(n.caption));
            ASSERT_TRUE(ShowByKeys(p, n.caption));
            WalkTabs(p, p.ShownPage());
            WalkArrows(p, p.ShownPage());
            WalkMnemonics(p, n.caption);
        }
        // The frame's buttons too.
        for (int id : {IDC_CLOSE, IDC_HELP_BUTTON})
            for (WORD key : {VK_DOWN, VK_UP, VK_RIGHT, VK_LEFT}) {
                FocusOn(p, p.Item(id));
                p.Press({}, key);
                HWND f = FocusedControl(p);
                EXPECT_TRUE(f && TakesFocus(f)) << "an arrow key from " << id << " went to " << (f ? Name(f) : "nothing");
            }
        EXPECT_TRUE(p.Close());
    }
}

// The box is answered with Enter, as a person does.
void AnswerBox(OptionsProgram& p, const std::wstring& expected) {
    HWND box = p.Box();
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, expected);
    vt::PumpFor(100);
    p.Press({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(box));
    vt::WaitUntil([&] { return IsWindowEnabled(p.Dialog()) != FALSE; }, 2000);
    p.Settle();
}

void Type(OptionsProgram& p, const std::wstring& keys) {
    for (wchar_t k : keys) p.Press({}, WORD(towupper(k)));
}

std::pair<DWORD, DWORD> Selection(HWND edit) {
    const auto sel = DWORD(vt::Send(edit, EM_GETSEL));
    return {LOWORD(sel), HIWORD(sel)};
}

// After a range message the field shows what is stored, selected, and keeps
// the focus: the next key corrects it. The same after the Help message, a
// size message and a hotkey another program holds.
TEST(OptionsKeys, FocusComesBackAfterEveryMessage) {
    OptionsProgram p;
    p.config.FtpPort = 21;
    p.config.HkTimer = VK_F11;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    const int width = GetSystemMetrics(SM_CXSCREEN);

    ASSERT_TRUE(ShowByKeys(p, L"Web"));
    HWND port = p.Item(IDC_ED_FTP_PORT);
    FocusOn(p, port);
    Type(p, L"300");
    AnswerBox(p, L"Please enter a number between 1 and 255");
    EXPECT_SOON(p.Focused() == port);
    EXPECT_EQ(p.Text(IDC_ED_FTP_PORT), L"30");
    EXPECT_EQ(Selection(port), std::make_pair(DWORD(0), DWORD(2)));
    Type(p, L"2");
    EXPECT_SOON(p.Text(IDC_ED_FTP_PORT) == L"2");

    ASSERT_TRUE(ShowByKeys(p, L"Annotation"));
    HWND x = p.Item(IDC_ED_ANNOTATION_X);
    const std::wstring typed = std::to_wstring(width + 1), kept = typed.substr(0, typed.size() - 1);
    FocusOn(p, x);
    Type(p, typed);
    AnswerBox(p, L"Please enter a number between 0 and " + std::to_wstring(width));
    EXPECT_SOON(p.Focused() == x);
    EXPECT_EQ(p.Text(IDC_ED_ANNOTATION_X), kept);
    EXPECT_EQ(Selection(x), std::make_pair(DWORD(0), DWORD(kept.size())));
    Type(p, L"7");

    ASSERT_TRUE(ShowByKeys(p, L"Rectangle"));
    HWND w = p.Item(IDC_ED_WIDTH);
    FocusOn(p, w);
    Type(p, L"3");
    p.Press({}, VK_TAB);
    AnswerBox(p, L"Selection Width must be between 5 and " + std::to_wstring(width) + L".");
    EXPECT_SOON(p.Focused() == w);
    EXPECT_EQ(Selection(w), std::make_pair(DWORD(0), DWORD(1)));
    Type(p, L"64");
    EXPECT_SOON(p.Text(IDC_ED_WIDTH) == L"64");

    // Help: the help file is missing beside this copy of the program.
    FocusOn(p, p.Item(IDC_TREE));
    p.Press({VK_MENU}, 'H');
    AnswerBox(p, L"The file Vorlix.chm is missing. Please reinstall Vorlix.");
    EXPECT_SOON(p.Focused() == p.Item(IDC_HELP_BUTTON)) << "on the button Alt+H pressed";
    p.Press({}, VK_TAB);
    EXPECT_SOON(p.Focused() == p.Item(IDC_TREE));
    p.Press({}, VK_UP);
    EXPECT_SOON(SelectedNode(p) == L"Free Hand") << "the keys reach the dialog";

    // A hotkey another program holds: told, and back in the field.
    vt::HeldHotkey other(0, VK_F2);
    ASSERT_TRUE(other.Held());
    ASSERT_TRUE(ShowByKeys(p, L"Timer"));
    HWND timer = p.Item(IDC_ED_HK_TIMER);
    FocusOn(p, timer);
    vt::Post(timer, WM_KEYDOWN, VK_F2, 0);  // typed, it would reach the other program's hotkey
    HWND box = p.Box();
    ASSERT_TRUE(box);
    vt::PumpFor(100);
    p.Press({}, VK_RETURN);
    ASSERT_TRUE(vt::WaitGone(box));
    p.Settle();
    EXPECT_SOON(p.Focused() == timer);
    p.Press({}, VK_F12);
    EXPECT_SOON(p.Text(IDC_ED_HK_TIMER) == L"F12");

    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.FtpPort, 2);
    EXPECT_EQ(c.AnnotationPosition.x, 7);
    EXPECT_EQ(c.FixedWidth, 64);
    EXPECT_EQ(c.HkTimer, VK_F12);
}

// Alt+letter in a hotkey field is the field's: no mnemonic of the page runs,
// Alt+H opens no help. A hotkey of the program typed into a field (here as
// the system delivers a combination held by the program: WM_HOTKEY to its
// main window) becomes the field's key and starts nothing; so does Print
// Screen, pressed for real.
TEST(OptionsKeys, HotkeyFieldsTakeAltLettersAndTheProgramsOwnHotkeys) {
    OptionsProgram p;
    p.config.RepeatMode = 0;
    p.config.CaptureType = ctRectangle;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    ASSERT_TRUE(ShowByKeys(p, L"Capture"));
    HWND repeat = p.Item(IDC_ED_HK_REPEAT);
    FocusOn(p, repeat);
    p.Press({VK_MENU}, 'A');
    EXPECT_SOON(p.Text(IDC_ED_HK_REPEAT) == L"ALT + A");
    p.Settle();
    EXPECT_FALSE(p.Checked(IDC_CK_REPEAT_AREA)) << "the page's Alt+A did not run";
    EXPECT_EQ(p.Focused(), repeat);
    p.Press({VK_MENU}, 'H');
    EXPECT_SOON(p.Text(IDC_ED_HK_REPEAT) == L"ALT + H");
    EXPECT_EQ(p.Box(300), nullptr) << "no help";

    vt::Post(p.Main(), WM_HOTKEY, GlobalFindAtomW(L"Free Hand"), MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F1));
    EXPECT_SOON(p.Text(IDC_ED_HK_REPEAT) == L"CTRL + SHIFT + F1");
    EXPECT_EQ(p.NodeImage(L"Rectangle"), 5) << "no free-hand capture started";

    ASSERT_TRUE(ShowByKeys(p, L"Timer"));
    FocusOn(p, p.Item(IDC_ED_HK_TIMER));
    p.Press({}, VK_SNAPSHOT);
    EXPECT_SOON(p.Text(IDC_ED_HK_TIMER) == L"PRINT SCREEN");
    EXPECT_EQ(p.Box(500), nullptr) << "no capture, no save prompt";

    // Leaving the field, the program's hotkeys work again.
    FocusOn(p, p.Item(IDC_TREE));
    vt::Post(p.Main(), WM_HOTKEY, GlobalFindAtomW(L"Window"), MAKELPARAM(MOD_CONTROL | MOD_SHIFT, VK_F3));
    EXPECT_TRUE(vt::WaitUntil([&] { return p.NodeImage(L"Window") == 5; }));
    vt::Post(p.Main(), WM_HOTKEY, GlobalFindAtomW(L"Esc"), 0);
    vt::PumpFor(200);
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.HkRepeat, HotkeyCtrl | HotkeyShift | VK_F1);
    EXPECT_EQ(c.HkTimer, VK_SNAPSHOT);
    EXPECT_EQ(c.RepeatMode, 0);
}

// Two hotkeys swapped with real keys: the Free Hand field takes the
// Rectangle hotkey, then the Rectangle field the old Free Hand one; both
// work afterwards.
TEST(OptionsKeys, TwoHotkeysCanBeSwapped) {
    OptionsProgram p;
    p.config.HkFreeHand = VK_F9;
    p.config.HkRectangle = VK_F10;
    p.config.CaptureType = ctWindow;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    ASSERT_TRUE(ShowByKeys(p, L"Free Hand"));
    FocusOn(p, p.Item(IDC_ED_HK_FREEHAND));
    p.Press({}, VK_F10);
    EXPECT_SOON(p.Text(IDC_ED_HK_FREEHAND) == L"F10");
    EXPECT_EQ(p.NodeImage(L"Window"), 5) << "no rectangle capture started";
    ASSERT_TRUE(ShowByKeys(p, L"Rectangle"));
    FocusOn(p, p.Item(IDC_ED_HK_RECTANGLE));
    p.Press({}, VK_F9);
    EXPECT_SOON(p.Text(IDC_ED_HK_RECTANGLE) == L"F9");
    EXPECT_FALSE(vt::HotkeyFree(0, VK_F9));
    EXPECT_FALSE(vt::HotkeyFree(0, VK_F10));
    // F10 now starts a free-hand capture.
    FocusOn(p, p.Item(IDC_TREE));
    p.Press({}, VK_F10);
    EXPECT_TRUE(vt::WaitUntil([&] { return p.NodeImage(L"Free Hand") == 5; }));
    vt::Post(p.Main(), WM_HOTKEY, GlobalFindAtomW(L"Esc"), 0);
    vt::PumpFor(200);
    ASSERT_TRUE(p.Close());
    const TConfiguration c = p.Stored();
    EXPECT_EQ(c.HkFreeHand, VK_F10);
    EXPECT_EQ(c.HkRectangle, VK_F9);
}

// Enter, Esc, Tab, Space and Backspace keep their meaning in a hotkey field;
// letters and function keys alone are taken, and so are the dialog keys
// with a modifier.
TEST(OptionsKeys, DialogKeysKeepTheirMeaningInHotkeyFields) {
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    ASSERT_TRUE(ShowByKeys(p, L"Free Hand"));
    HWND field = p.Item(IDC_ED_HK_FREEHAND);
    struct Case {
        std::vector<WORD> down;
        WORD key;
        const wchar_t* shown;  // null: the field keeps what it showed
    };
    const Case cases[] = {
        {{}, VK_SPACE, nullptr},         {{}, VK_BACK, nullptr},          {{}, 'G', L"G"},
        {{}, VK_F7, L"F7"},              {{VK_CONTROL}, VK_SPACE, L"CTRL + SPACE"},
        {{VK_SHIFT}, VK_RETURN, L"SHIFT + RETURN"}, {{}, VK_F7, L"F7"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        FocusOn(p, field);
        const std::wstring was = p.Text(IDC_ED_HK_FREEHAND);
        p.Press(c.down, c.key);
        if (c.shown) EXPECT_SOON(p.Text(IDC_ED_HK_FREEHAND) == c.shown);
        else EXPECT_EQ(p.Text(IDC_ED_HK_FREEHAND), was);
        EXPECT_EQ(p.Focused(), field);
    }
    p.Press({}, VK_TAB);
    EXPECT_SOON(p.Focused() == p.Item(IDC_CLOSE)) << "Tab moves on";
    p.Press({VK_SHIFT}, VK_TAB);
    EXPECT_SOON(p.Focused() == field);
    p.Press({VK_SHIFT}, VK_TAB);
    EXPECT_SOON(p.Focused() == p.Item(IDC_TREE)) << "Shift+Tab moves back";
    FocusOn(p, field);
    HWND d = p.Dialog();
    p.Press({}, VK_ESCAPE);
    EXPECT_TRUE(vt::WaitGone(d)) << "Esc closes";
    EXPECT_EQ(p.Stored().HkFreeHand, VK_F7);

    ASSERT_TRUE(p.Open());
    ASSERT_TRUE(ShowByKeys(p, L"Free Hand"));
    FocusOn(p, p.Item(IDC_ED_HK_FREEHAND));
    d = p.Dialog();
    p.Press({}, VK_RETURN);
    EXPECT_TRUE(vt::WaitGone(d)) << "Enter closes";
    EXPECT_EQ(p.Stored().HkFreeHand, VK_F7);
    EXPECT_TRUE(vt::HotkeyFree(0, VK_RETURN)) << "Enter never became a hotkey";
}

// Enter on a focused push button presses it, as Space does.
TEST(OptionsKeys, EnterPressesTheFocusedButton) {
    struct Case {
        const wchar_t* node;
        int id;
        const wchar_t* opens;  // the class of what it opens; null: it closes the dialog
    };
    const Case cases[] = {
        {L"File", IDC_BT_FILE_BROWSE, L"#32770"},
        {L"Annotation", IDC_BT_ANNOTATION_ADD, L"#32768"},
        {L"Annotation", IDC_BT_ANNOTATION_FONT, L"#32770"},
        {L"Annotation", IDC_BT_ANNOTATION_COLOR, L"#32768"},
        {L"Watermark", IDC_BT_WATERMARK_BROWSE, L"#32770"},
        {L"Watermark", IDC_BT_WATERMARK_PREVIEW, L"#32770"},
        {L"Edge Effect", IDC_BT_OUTLINE_COLOR, L"VorlixColourPalette"},
        {L"Editor", IDC_BT_EDITOR_BROWSE, L"#32770"},
        {L"Activate", IDC_HELP_BUTTON, L"#32770"},
        {L"Editor", IDC_BT_EDITOR_DOWNLOAD, nullptr},
    };
    OptionsProgram p;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    for (const Case& c : cases) {
        SCOPED_TRACE(Narrow(c.node) + " " + std::to_string(c.id));
        ASSERT_TRUE(ShowByKeys(p, c.node));
        HWND button = p.Item(c.id);
        FocusOn(p, button);
        const std::vector<HWND> before = VisibleWindows(p);
        HWND d = p.Dialog();
        p.Press({}, VK_RETURN);
        if (!c.opens) {
            EXPECT_TRUE(vt::WaitGone(d));
            continue;
        }
        HWND opened = nullptr;
        ASSERT_TRUE(vt::WaitUntil([&] { return (opened = NewWindow(p, before)) != nullptr; }, 5000));
        EXPECT_EQ(vt::ClassOf(opened), c.opens);
        Dismiss(p, opened);
        EXPECT_SOON(p.Focused() == button) << "back on the button";
    }
}

}  // namespace
