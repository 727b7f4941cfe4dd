// Hotkey words and texts, registration and the WM_HOTKEY router, inside the
// test process.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/hotkey_router.h"
#include "base/configuration.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "support/vorlix_test.h"

namespace {

// ---- Hotkey words and their texts ----------------------------------------------

TEST(HotkeyText, Words) {
    const struct {
        uint16_t word;
        const wchar_t* text;
    } cases[] = {
        {0x6070, L"CTRL + SHIFT + F1"},
        {0xC041, L"CTRL + ALT + A"},
        {0x2060, L"SHIFT + 0"},          // numeric keypad 0
        {0x0030, L"0"},                  // the digit key
        {0xE05A, L"CTRL + SHIFT + ALT + Z"},
        {0x806D, L"ALT + SUBSTRACT"},
        {0x802C, L"ALT + PRINT SCREEN"},
        {0x0087, L"F24"},
        {0x000D, L"RETURN"},
        {0x0029, L"SELECT"},
        {0x006F, L"DIVIDE"},
        {0x4061, L"CTRL + 1"},           // numeric keypad 1, not the letter a
        {0x40BA, L"CTRL + "},            // a key of no table: only the modifiers
        {0x0000, L""},
        {0x1041, L"A"},                  // bits outside the three modifiers mean nothing
    };
    for (const auto& c : cases) EXPECT_EQ(HotkeyToText(c.word), c.text) << std::hex << c.word;
}

TEST(HotkeyText, KeyTableInSearchOrder) {
    std::vector<std::pair<int, std::wstring>> expected;
    for (int i = 0; i < 24; ++i) expected.push_back({112 + i, L"F" + std::to_wstring(i + 1)});
    const std::pair<int, const wchar_t*> named[] = {
        {13, L"RETURN"}, {32, L"SPACE"},  {33, L"PRIOR"}, {34, L"NEXT"},         {35, L"END"},
        {36, L"HOME"},   {37, L"LEFT"},   {38, L"UP"},    {39, L"RIGHT"},        {40, L"DOWN"},
        {41, L"SELECT"}, {44, L"PRINT SCREEN"}, {45, L"INSERT"}, {46, L"DELETE"}};
    for (const auto& n : named) expected.push_back({n.first, n.second});
    for (int i = 0; i < 10; ++i) expected.push_back({96 + i, std::to_wstring(i)});
    const std::pair<int, const wchar_t*> pad[] = {{106, L"MULTIPLY"}, {107, L"ADD"},     {108, L"SEPARATOR"},
                                                  {109, L"SUBSTRACT"}, {110, L"DECIMAL"}, {111, L"DIVIDE"}};
    for (const auto& n : pad) expected.push_back({n.first, n.second});

    ASSERT_EQ(KeyTableSize, 54);
    ASSERT_EQ(expected.size(), 54u);
    for (int i = 0; i < KeyTableSize; ++i) {
        EXPECT_EQ(KeyTableCode(i), expected[i].first) << i;
        EXPECT_STREQ(KeyTableName(i), expected[i].second.c_str()) << i;
    }
    EXPECT_EQ(KeyName(42), nullptr);
}

// Every key code 0 to 255 seen from outside: its text and whether it can be a
// hotkey, against the key names as the program documents them (by code, not
// by the table's order).
TEST(HotkeyText, EveryKeyCodeHasItsDocumentedText) {
    std::map<int, std::wstring> names = {
        {13, L"RETURN"}, {32, L"SPACE"}, {33, L"PRIOR"}, {34, L"NEXT"}, {35, L"END"}, {36, L"HOME"},
        {37, L"LEFT"}, {38, L"UP"}, {39, L"RIGHT"}, {40, L"DOWN"}, {41, L"SELECT"}, {44, L"PRINT SCREEN"},
        {45, L"INSERT"}, {46, L"DELETE"}, {106, L"MULTIPLY"}, {107, L"ADD"}, {108, L"SEPARATOR"},
        {109, L"SUBSTRACT"}, {110, L"DECIMAL"}, {111, L"DIVIDE"},
        {112, L"F1"}, {113, L"F2"}, {114, L"F3"}, {115, L"F4"}, {116, L"F5"}, {117, L"F6"}, {118, L"F7"},
        {119, L"F8"}, {120, L"F9"}, {121, L"F10"}, {122, L"F11"}, {123, L"F12"}, {124, L"F13"}, {125, L"F14"},
        {126, L"F15"}, {127, L"F16"}, {128, L"F17"}, {129, L"F18"}, {130, L"F19"}, {131, L"F20"}, {132, L"F21"},
        {133, L"F22"}, {134, L"F23"}, {135, L"F24"},
        {96, L"0"}, {97, L"1"}, {98, L"2"}, {99, L"3"}, {100, L"4"}, {101, L"5"}, {102, L"6"}, {103, L"7"},
        {104, L"8"}, {105, L"9"},
    };
    for (int c = '0'; c <= '9'; ++c) names[c] = std::wstring(1, wchar_t(c));
    for (int c = 'A'; c <= 'Z'; ++c) names[c] = std::wstring(1, wchar_t(c));
    for (int code = 0; code < 256; ++code) {
        const auto named = names.find(code);
        const std::wstring expected = named == names.end() ? L"" : named->second;
        EXPECT_EQ(HotkeyToText(uint16_t(code)), expected) << code;
        EXPECT_EQ(HotkeyToText(uint16_t(HotkeyAlt | code)), L"ALT + " + expected) << code;
        EXPECT_EQ(IsHotkeyKey(uint16_t(code)), named != names.end()) << code;
    }
}

TEST(HotkeyText, IsHotkeyKey) {
    const struct {
        uint16_t code;
        bool ok;
    } cases[] = {
        {'0', true},  {'9', true},  {'A', true},  {'Z', true},  {'/', false}, {':', false}, {'@', false},
        {'[', false}, {13, true},   {12, false},  {14, false},  {31, false},  {32, true},   {41, true},
        {42, false},  {43, false},  {44, true},   {46, true},   {47, false},  {96, true},   {111, true},
        {112, true},  {135, true},  {136, false}, {0, false},   {0xBA, false},
        {0x170, false},  // a word beyond the byte range is no key, whatever its low byte says
        {0x141, false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsHotkeyKey(c.code), c.ok) << c.code;
}

TEST(HotkeyText, ShiftToModifiers) {
    for (int bits = 0; bits < 8; ++bits) {
        ShiftState s;
        s.shift = bits & 1;
        s.ctrl = bits & 2;
        s.alt = bits & 4;
        const UINT expected = (s.shift ? 4u : 0u) | (s.ctrl ? 2u : 0u) | (s.alt ? 1u : 0u);
        EXPECT_EQ(ShiftToModifiers(s), expected) << bits;
    }
    const ShiftState s = HotkeyShiftState(0xE070);
    EXPECT_TRUE(s.shift && s.ctrl && s.alt);
    EXPECT_EQ(ShiftToModifiers(HotkeyShiftState(0x8041)), UINT(MOD_ALT));
}

TEST(HotkeyText, FailureLine) {
    EXPECT_EQ(HotkeyFailureLine(44, L"Capture Desktop"), L"Hotkey: PRINT SCREEN\t Function: Capture Desktop\r");
    EXPECT_EQ(HotkeyFailureLine(0x6071, L"Capture Rectangle"),
              L"Hotkey: CTRL + SHIFT + F2\t Function: Capture Rectangle\r");
}

// ---- Registration -------------------------------------------------------------------

// A window of the test thread to own hotkeys.
struct TestWindow {
    HWND h = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ~TestWindow() { DestroyWindow(h); }
};

// True when key + modifiers can be registered now, i.e. nobody holds it.
const auto Free = vt::HotkeyFree;

constexpr UINT kCtrlShift = MOD_CONTROL | MOD_SHIFT;

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&Config, 0, sizeof Config);
        SetDefaults(Config, DefaultInputs{});
    }
    void TearDown() override {
        UnregisterCaptureHotkeys(window.h);
        ReleaseHotkeyAtoms(window.h);
    }
    TestWindow window;
};

TEST_F(Registration, FixedAndCaptureHotkeysAreHeldUntilReleased) {
    EXPECT_EQ(RegisterFixedHotkeys(window.h), L"");
    EXPECT_EQ(RegisterCaptureHotkeys(window.h), L"");

    const wchar_t* names[] = {L"Esc", L"Print Screen", L"Alt Print Screen", L"Free Hand",
                              L"Rectangle", L"Window", L"Repeat", L"Timer"};
    const ATOM atoms[] = {EscAtom, PrintScreenAtom, AltPrintScreenAtom, FreeHandAtom,
                          RectangleAtom, WindowAtom, RepeatAtom, TimerAtom};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NE(atoms[i], 0) << i;
        EXPECT_EQ(GlobalFindAtomW(names[i]), atoms[i]) << i;
    }
    EXPECT_TRUE(Free(0, VK_ESCAPE));  // Esc belongs to the selection engines
    EXPECT_FALSE(Free(0, VK_SNAPSHOT));
    EXPECT_FALSE(Free(MOD_ALT, VK_SNAPSHOT));
    for (UINT f = VK_F1; f <= VK_F5; ++f) EXPECT_FALSE(Free(kCtrlShift, f)) << f;

    UnregisterCaptureHotkeys(window.h);
    for (UINT f = VK_F1; f <= VK_F3; ++f) EXPECT_TRUE(Free(kCtrlShift, f)) << f;
    EXPECT_FALSE(Free(kCtrlShift, VK_F4));

    ReleaseHotkeyAtoms(window.h);
    EXPECT_TRUE(Free(0, VK_SNAPSHOT));
    EXPECT_TRUE(Free(MOD_ALT, VK_SNAPSHOT));
    for (UINT f = VK_F1; f <= VK_F5; ++f) EXPECT_TRUE(Free(kCtrlShift, f)) << f;
    for (const wchar_t* name : names) EXPECT_EQ(GlobalFindAtomW(name), 0) << name;
}

TEST_F(Registration, ConfiguredWordsAreRegistered) {
    Config.HkRepeat = HotkeyAlt | 'R';
    Config.HkTimer = HotkeyCtrl | HotkeyAlt | 109;
    Config.HkWindow = HotkeyShift | 'W';
    EXPECT_EQ(RegisterFixedHotkeys(window.h), L"");
    EXPECT_EQ(RegisterCaptureHotkeys(window.h), L"");
    EXPECT_FALSE(Free(MOD_ALT, 'R'));
    EXPECT_FALSE(Free(MOD_CONTROL | MOD_ALT, 109));
    EXPECT_FALSE(Free(MOD_SHIFT, 'W'));
    EXPECT_TRUE(Free(kCtrlShift, VK_F3));
    EXPECT_TRUE(Free(kCtrlShift, VK_F4));
}

TEST_F(Registration, FailuresAreListedInRegistrationOrder) {
    TestWindow other;  // holds keys the way another program would
    ASSERT_TRUE(RegisterHotKey(other.h, 1, MOD_ALT, VK_SNAPSHOT));
    ASSERT_TRUE(RegisterHotKey(other.h, 2, kCtrlShift, VK_F5));
    ASSERT_TRUE(RegisterHotKey(other.h, 3, kCtrlShift, VK_F1));
    ASSERT_TRUE(RegisterHotKey(other.h, 4, kCtrlShift, VK_F3));

    EXPECT_EQ(RegisterFixedHotkeys(window.h),
              L"Hotkey: ALT + PRINT SCREEN\t Function: Capture Active Window\r"
              L"Hotkey: CTRL + SHIFT + F5\t Function: Start/Stop Timer\r");
    EXPECT_EQ(RegisterCaptureHotkeys(window.h),
              L"Hotkey: CTRL + SHIFT + F1\t Function: Capture Free Hand\r"
              L"Hotkey: CTRL + SHIFT + F3\t Function: Capture Window\r");
    // The rest work.
    EXPECT_FALSE(Free(0, VK_SNAPSHOT));
    EXPECT_FALSE(Free(kCtrlShift, VK_F2));
    EXPECT_FALSE(Free(kCtrlShift, VK_F4));

    // Releasing ours leaves the other program's keys alone.
    UnregisterCaptureHotkeys(window.h);
    ReleaseHotkeyAtoms(window.h);
    EXPECT_FALSE(Free(MOD_ALT, VK_SNAPSHOT));
    EXPECT_FALSE(Free(kCtrlShift, VK_F1));
    for (int id = 1; id <= 4; ++id) UnregisterHotKey(other.h, id);
}

TEST_F(Registration, EveryFixedFailureHasItsLine) {
    TestWindow other;
    ASSERT_TRUE(RegisterHotKey(other.h, 1, 0, VK_SNAPSHOT));
    ASSERT_TRUE(RegisterHotKey(other.h, 2, kCtrlShift, VK_F4));
    EXPECT_EQ(RegisterFixedHotkeys(window.h),
              L"Hotkey: PRINT SCREEN\t Function: Capture Desktop\r"
              L"Hotkey: CTRL + SHIFT + F4\t Function: Repeat Last Screenshot/Last Captured Area\r");
    UnregisterHotKey(other.h, 1);
    UnregisterHotKey(other.h, 2);
}

// ---- The WM_HOTKEY router --------------------------------------------------------------

std::wstring calls;
void RecFull() { calls += L"full "; }
void RecActive() { calls += L"active "; }
void RecMode(uint8_t type) { calls += L"mode" + std::to_wstring(type) + L" "; }
void RecRepeat() { calls += L"repeat "; }
void RecClose() { calls += L"close "; }
void RecArm() { calls += L"arm "; }
void RecStop() { calls += L"stop "; }
void RecEsc() { calls += L"esc "; }

HotkeyActions Recorders() {
    HotkeyActions a;
    a.captureFullScreen = RecFull;
    a.captureActiveWindow = RecActive;
    a.startCaptureMode = RecMode;
    a.repeatCapture = RecRepeat;
    a.closeOptions = RecClose;
    a.armTimer = RecArm;
    a.stopTimer = RecStop;
    a.endCaptureByEsc = RecEsc;
    return a;
}

enum Flag : unsigned {
    kNone = 0, kFreeHand = 1, kRectangle = 2, kWindow = 4, kArmed = 8, kRunning = 16, kAutoScroll = 32,
    kDelivery = 64, kErrorBox = 128, kOptions = 256,
};

void SetFlags(unsigned f) {
    FreeHandActive = f & kFreeHand;
    RectangleActive = f & kRectangle;
    WindowActive = f & kWindow;
    TimerArmed = f & kArmed;
    TimerRunning = f & kRunning;
    AutoScrollRunning = f & kAutoScroll;
    DeliveryBusy = f & kDelivery;
    ErrorBoxShown = f & kErrorBox;
    OptionsOpen = f & kOptions;
}

class Router : public ::testing::Test {
protected:
    void SetUp() override {
        EscAtom = 0xC001; PrintScreenAtom = 0xC002; AltPrintScreenAtom = 0xC003; FreeHandAtom = 0xC004;
        RectangleAtom = 0xC005; WindowAtom = 0xC006; RepeatAtom = 0xC007; TimerAtom = 0xC008;
    }
    void TearDown() override {
        SetFlags(kNone);
        RunHeldHotkeys(HotkeyActions{});  // what a test left held goes
        EscAtom = PrintScreenAtom = AltPrintScreenAtom = FreeHandAtom = RectangleAtom = WindowAtom = RepeatAtom =
            TimerAtom = 0;
    }
};

TEST_F(Router, ActionsAndIgnoreConditions) {
    const ATOM& esc = EscAtom;
    const ATOM& prt = PrintScreenAtom;
    const ATOM& timer = TimerAtom;
    const struct {
        unsigned flags;
        const ATOM& id;
        const wchar_t* expected;
    } cases[] = {
        {kNone, prt, L"full "},
        {kNone, AltPrintScreenAtom, L"active "},
        {kNone, FreeHandAtom, L"mode1 "},
        {kNone, RectangleAtom, L"mode2 "},
        {kNone, WindowAtom, L"mode3 "},
        {kNone, RepeatAtom, L"repeat "},
        {kNone, timer, L"arm "},
        {kOptions, timer, L"close arm "},     // the options dialog goes first
        {kOptions, prt, L"full "},
        {kNone, esc, L"esc "},
        // A selection runs: other hotkeys are ignored, Esc cancels it.
        {kRectangle, FreeHandAtom, L""},
        {kRectangle, esc, L"esc "},
        {kFreeHand, prt, L""},
        {kWindow, RepeatAtom, L""},
        {kAutoScroll, AltPrintScreenAtom, L""},
        {kAutoScroll, esc, L"esc "},
        // Timer mode: armed but not running ignores the Timer hotkey, running stops.
        {kArmed, timer, L""},
        {kArmed, prt, L""},
        {kRunning, timer, L"stop "},
        {kRunning, prt, L""},
        {kRunning | kOptions, timer, L"stop "},
        // A delivery or an error box: nothing happens at once, Esc neither
        // (the Timer hotkey and Esc are held, see below).
        {kDelivery, prt, L""},
        {kDelivery, esc, L""},
        {kDelivery | kRunning, timer, L""},
        {kErrorBox, prt, L""},
        {kErrorBox | kRectangle, esc, L""},
        {kErrorBox | kRunning, timer, L""},
    };
    const HotkeyActions actions = Recorders();
    int row = 0;
    for (const auto& c : cases) {
        SetFlags(c.flags);
        calls.clear();
        RouteHotkey(c.id, actions);
        EXPECT_EQ(calls, c.expected) << "row " << row;
        ++row;
    }
    // An id that is none of the atoms does nothing.
    SetFlags(kRunning);
    calls.clear();
    RouteHotkey(0x1234, actions);
    EXPECT_EQ(calls, L"");
}

// The Timer hotkey and Esc that come while a completion, a delivery or an
// error box is busy are carried out once none is; the rest stay ignored, and
// a held Timer hotkey only ever stops timer mode.
TEST_F(Router, TimerAndEscThatComeWhileBusyAreHeld) {
    const HotkeyActions actions = Recorders();
    const struct {
        unsigned busy;       // flags while the hotkeys come
        bool completion;     // a completion runs meanwhile
        unsigned after;      // flags once it is over
        std::vector<ATOM*> pressed;
        const wchar_t* expected;
    } cases[] = {
        {kDelivery | kRunning, false, kRunning, {&TimerAtom}, L"stop "},
        {kDelivery | kRunning, false, kRunning, {&TimerAtom, &TimerAtom, &PrintScreenAtom}, L"stop "},
        {kDelivery, false, kNone, {&TimerAtom}, L""},  // no timer mode to stop; arming is not held
        {kNone, true, kRunning, {&TimerAtom}, L"stop "},  // the completion that starts timer mode
        {kErrorBox | kRunning, false, kRunning, {&TimerAtom, &EscAtom}, L"stop esc "},
        {kDelivery, false, kNone, {&EscAtom, &RepeatAtom, &FreeHandAtom}, L"esc "},
    };
    int row = 0;
    for (const auto& c : cases) {
        SetFlags(c.busy);
        CompletionRunning = c.completion;
        calls.clear();
        for (ATOM* id : c.pressed) RouteHotkey(*id, actions);
        RunHeldHotkeys(actions);  // still busy: nothing yet
        EXPECT_EQ(calls, L"") << "row " << row;
        SetFlags(c.after);
        CompletionRunning = false;
        RunHeldHotkeys(actions);
        RunHeldHotkeys(actions);  // carried out once
        EXPECT_EQ(calls, c.expected) << "row " << row;
        ++row;
    }
}

TEST_F(Router, TimerHotkeyTwice) {
    // Arming leaves timer mode to the next capture; once it runs the second
    // press stops it.
    HotkeyActions actions = Recorders();
    actions.armTimer = [] { calls += L"arm "; TimerArmed = true; };
    actions.stopTimer = [] { calls += L"stop "; TimerRunning = false; };
    SetFlags(kNone);
    calls.clear();
    RouteHotkey(TimerAtom, actions);
    RouteHotkey(TimerAtom, actions);  // armed, not yet running: ignored
    TimerArmed = false;
    TimerRunning = true;              // the next capture started the timer
    RouteHotkey(TimerAtom, actions);
    EXPECT_EQ(calls, L"arm stop ");
    EXPECT_FALSE(TimerRunning);
}

TEST_F(Router, MissingActionsDoNothing) {
    SetFlags(kOptions);
    calls.clear();
    HotkeyActions actions = Recorders();
    actions.armTimer = nullptr;  // timer capture not available: the options dialog stays too
    RouteHotkey(TimerAtom, actions);
    EXPECT_EQ(calls, L"");
    RouteHotkey(TimerAtom, HotkeyActions{});
    RouteHotkey(EscAtom, HotkeyActions{});
    EXPECT_EQ(calls, L"");
}

}  // namespace
