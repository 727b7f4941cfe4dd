// The capture-gesture logic of hovrak.dll as a pure state machine: it is fed
// the mouse buttons (logical, i.e. after the swapped-buttons mapping), pointer
// moves, key presses, the passing of time and the operations of the library,
// and answers with what to do: whether to keep the event from the rest of the
// system, and an ordered list of actions (notices for the program's window,
// button events to re-inject, cursor changes). It knows nothing of Windows, so
// tables of (event, time) drive it in the tests; hovrak.cpp wraps it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace hovrak {

enum class Button : std::uint8_t { Left, Right, Middle };

// What the program's window is told (WM_HOOK_BEGIN, _DOWN, _MOVE, _UP).
enum class Notice : std::uint8_t { Begin, Down, Move, Up };

enum class Act : std::uint8_t {
    Post,           // arg: Notice
    ReplayDown,     // arg: Button; re-inject a press the machine held back
    ReplayUp,       // arg: Button
    DrawCursor,     // paint the current cursor onto the screen (before Begin, so the frozen image holds it)
    Crosshair,      // show the selection crosshair
    RestoreCursor,  // put the normal cursors back
};

struct Action {
    Act act;
    std::uint8_t arg = 0;
    bool operator==(const Action&) const = default;
};

struct Effects {
    bool swallow = false;  // the event must not reach the window under the pointer
    std::vector<Action> actions;
};

// Compact form for the tests and for debugging: "B D M U" posts, "r+ r-"
// replayed right press/release ("l", "m" for the others), "C" draw cursor,
// "X" crosshair, "O" restore cursor; separated by blanks.
std::string Describe(const std::vector<Action>& actions);

enum class Phase : std::uint8_t {
    Idle,       // nothing going on
    Holding,    // the right button is down and held back, waiting for the hold time
    Selecting,  // a gesture runs (Begin posted), the selection button is not down
    Pressed,    // a gesture runs and the selection (left) button is down
};

class GestureMachine {
public:
    // A held right button may wander this far (in pixels, on either axis)
    // before the hold counts as a drag of the user's own and is given back.
    static constexpr int kHoldSlack = 8;

    // Mouse and keyboard events. `now` is a millisecond tick count (it may
    // wrap around).
    Effects Press(Button button, int x, int y, std::uint32_t now);
    Effects Release(Button button, int x, int y, std::uint32_t now);
    Effects Move(int x, int y, std::uint32_t now);
    Effects KeyDown(std::uint32_t now);  // a key newly pressed (not an auto-repeat)
    Effects Tick(std::uint32_t now);     // time passed: the hold deadline may be reached

    // The library's operations.
    Effects StartRecording(std::uint32_t now);
    Effects StopRecording();
    Effects SetStatus(std::uint8_t status);
    Effects SetActivateWithMouse(bool on);
    void SetHoldTime(std::uint16_t milliseconds) { holdTime_ = milliseconds; }
    void SetCaptureType(std::uint8_t type) { captureType_ = type; }
    void SetCursorData(std::uint16_t data) { cursorData_ = data; }
    void SetRectangleSelection(std::uint8_t mode) { rectSelection_ = mode; }
    Effects Reset();  // the hook goes away: give back what is held, end a gesture

    // When Tick must be called next (the end of the hold time), if at all.
    std::optional<std::uint32_t> Deadline() const;
    Phase phase() const { return phase_; }

private:
    bool FixedRectangle() const { return captureType_ == 2 && rectSelection_ == 1; }
    void CatchUp(std::uint32_t now, Effects& e);
    void Begin(Effects& e);
    void GiveBackHold(Effects& e);  // the held right press goes to the system after all
    void EndGesture(Effects& e);
    static bool Reached(std::uint32_t now, std::uint32_t deadline) {
        return static_cast<std::int32_t>(now - deadline) >= 0;
    }

    Phase phase_ = Phase::Idle;
    bool reporting_ = true;
    bool activateWithMouse_ = true;
    std::uint16_t holdTime_ = 500;
    std::uint8_t captureType_ = 2;
    std::uint8_t rectSelection_ = 0;
    std::uint16_t cursorData_ = 0x0100;

    std::uint32_t holdStart_ = 0;
    int holdX_ = 0, holdY_ = 0;
    bool moveKnown_ = false;
    int lastMoveX_ = 0, lastMoveY_ = 0;
    bool held_[3] = {};       // buttons down as far as this machine saw
    bool swallowed_[3] = {};  // down was kept from the system, so its release is too
};

}  // namespace hovrak
