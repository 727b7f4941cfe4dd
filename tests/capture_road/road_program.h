// The running program driven like a user would: the settings record written
// before the start, the pointer moved and the buttons pressed through
// injected input that the hook library sees, with a known picture on the
// screen. Shared by the program tests of the capture engines; each links
// road_program.cpp.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <thread>

#include "capture_road/pattern_screen.h"
#include "base/configuration.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace road {

constexpr int kNoticeWidth = 138;

// The thread that moves the display's pointer (the picture's), or null.
extern PatternScreen* pointerThread;

void MouseButton(DWORD flags);
// Puts the pointer at (x, y) the way a real mouse would, so that the hook
// sees the move, then waits `pause` ms. Under Wine the display's own pointer
// must be moved first (SetCursorPos from a thread with a window): the system
// reads the pointer back from the display now and then, and an injected move
// alone would be taken back.
void MoveTo(int x, int y, DWORD pause = 80);
void Key(WORD vk);
// Nobody holds Esc as a hotkey: no selection runs in the program.
bool EscFree();

// A window of another program than Vorlix (this test process), on a thread
// of its own so that it answers whatever the test thread does: an ordinary
// window the user works in, or with `notification` a topmost one that shows
// without taking the activation. Painted in one colour.
class OtherWindow {
public:
    OtherWindow(const RECT& r, COLORREF colour, bool notification = false);
    ~OtherWindow();
    OtherWindow(const OtherWindow&) = delete;
    OtherWindow& operator=(const OtherWindow&) = delete;
    HWND Handle() const { return window_; }
    // Makes it the foreground window, as a click of the user would.
    void Activate();

private:
    std::thread thread_;
    HWND window_ = nullptr;
};

// The program's user-interface thread stands still while this lives, as that
// of a busy or stalled program does; the hook library's own thread goes on.
class Stalled {
public:
    explicit Stalled(HWND window);
    ~Stalled();
    Stalled(const Stalled&) = delete;
    Stalled& operator=(const Stalled&) = delete;
    explicit operator bool() const { return thread_ != nullptr; }

private:
    HANDLE thread_ = nullptr;
};

class ProgramRoad : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Stores config and starts the program; main and freeze are its windows
    // once its start-up is over.
    void Start();
    bool Frozen() const;
    bool Unfrozen() const;
    // Holds the right button at (x, y) until the gesture has begun: the
    // screen is frozen and the selection holds Esc. (The program reads the
    // pointer when it handles a message, so the test waits for it.)
    bool BeginGesture(int x, int y);
    std::optional<vt::Pixels> WaitForClipboardImage();

    vt::Program run;
    TConfiguration& config = run.record;
    const std::wstring& temp = run.temp;
    const std::wstring handOver = run.HandOverFile();
    vt::Process& program = run.process;
    HWND main = nullptr, freeze = nullptr;
};

}  // namespace road
