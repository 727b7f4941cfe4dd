#include "capture_road/road_program.h"

#include <cstring>

namespace road {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";

namespace {

void Send(INPUT in) { SendInput(1, &in, sizeof in); }

}  // namespace

PatternScreen* pointerThread = nullptr;

void MouseButton(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    Send(in);
}

// Puts the pointer at (x, y) the way a real mouse would, so that the hook
// sees the move. Under Wine the display's own pointer must be moved first
// (SetCursorPos from a thread with a window): the system reads the pointer
// back from the display now and then, and an injected move alone would be
// taken back.
void MoveTo(int x, int y) {
    if (pointerThread) pointerThread->PutPointer(x, y);
    else SetCursorPos(x, y);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65535 + (w - 1) / 2) / (w - 1);
    in.mi.dy = (y * 65535 + (h - 1) / 2) / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    Send(in);
    Sleep(80);
}

void Key(WORD vk) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    Send(in);
    in.ki.dwFlags = KEYEVENTF_KEYUP;
    Send(in);
}

// Nobody holds Esc as a hotkey: no selection runs in the program.
bool EscFree() {
    HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const bool free = RegisterHotKey(probe, 1, 0, VK_ESCAPE) != FALSE;
    if (free) UnregisterHotKey(probe, 1);
    DestroyWindow(probe);
    return free;
}

void ProgramRoad::SetUp() {
    vt::DeleteKeyTree(kRoot);
    std::memset(&config, 0, sizeof config);
    SetDefaults(config, DefaultInputs{});
    config.HoldTime = 300;
    config.CaptureType = ctRectangle;
    config.RectSelection = 0;
    config.MouseActivation = 1;
    temp = vt::ScratchDir();
    handOver = vt::Join(temp, L"duridevazazu.bmp");
    vt::EmptyTheClipboard();
}

void ProgramRoad::TearDown() {
    pointerThread = nullptr;
    if (program.Running()) {
        if (HWND w = vt::FindWindowOf(program.Id(), L"TuMainForm")) vt::Post(w, WM_CLOSE);
        EXPECT_TRUE(program.Wait());
    }
    vt::DeleteKeyTree(kRoot);
}

void ProgramRoad::Start() {
    ASSERT_TRUE(vt::WriteDword(kConfiguration, L"Training", 0));
    ASSERT_TRUE(vt::WriteValue(kSchema, L"", REG_BINARY, &config, sizeof config));
    program = vt::Process::Start(vt::BinFile(L"Vorlix.exe"), L"", L"", {{L"TMP", temp}, {L"TEMP", temp}});
    ASSERT_TRUE(program);
    main = vt::WaitForWindow(program.Id(), L"TuMainForm");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(program.WaitIdle());
    freeze = vt::WaitForWindow(program.Id(), L"TuFreezeForm");
    ASSERT_NE(freeze, nullptr);
}

bool ProgramRoad::Frozen() const {
    const RECT r = vt::ReadWindow(freeze).rect;
    return r.right - r.left == GetSystemMetrics(SM_CXSCREEN) && r.bottom - r.top == GetSystemMetrics(SM_CYSCREEN);
}

bool ProgramRoad::Unfrozen() const {
    const RECT r = vt::ReadWindow(freeze).rect;
    return r.right == r.left && r.bottom == r.top;
}

bool ProgramRoad::BeginGesture(int x, int y) {
    MoveTo(x, y);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    const bool begun = vt::WaitUntil([this] { return Frozen() && !EscFree(); }, 6000);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    Sleep(100);
    return begun;
}

std::optional<vt::Pixels> ProgramRoad::WaitForClipboardImage() {
    std::optional<vt::Pixels> image;
    vt::WaitUntil([&] { return (image = vt::ClipboardDib()).has_value(); }, 15000);
    return image;
}

}  // namespace road
