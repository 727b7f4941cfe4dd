#include "hook/gesture_machine.h"

#include <cstdlib>

namespace hovrak {

namespace {

std::size_t Index(Button b) { return static_cast<std::size_t>(b); }

Action Post(Notice n) { return {Act::Post, static_cast<std::uint8_t>(n)}; }
Action Replay(Button b, bool down) {
    return {down ? Act::ReplayDown : Act::ReplayUp, static_cast<std::uint8_t>(b)};
}

}  // namespace

std::string Describe(const std::vector<Action>& actions) {
    static const char* const notices[] = {"B", "D", "M", "U"};
    static const char* const buttons[] = {"l", "r", "m"};
    std::string s;
    for (const Action& a : actions) {
        if (!s.empty()) s += ' ';
        switch (a.act) {
        case Act::Post: s += a.arg < 4 ? notices[a.arg] : "?"; break;
        case Act::ReplayDown: s += std::string(a.arg < 3 ? buttons[a.arg] : "?") + "+"; break;
        case Act::ReplayUp: s += std::string(a.arg < 3 ? buttons[a.arg] : "?") + "-"; break;
        case Act::DrawCursor: s += "C"; break;
        case Act::Crosshair: s += "X"; break;
        case Act::RestoreCursor: s += "O"; break;
        }
    }
    return s;
}

std::optional<std::uint32_t> GestureMachine::Deadline() const {
    if (phase_ != Phase::Holding) return std::nullopt;
    return holdStart_ + holdTime_;
}

void GestureMachine::CatchUp(std::uint32_t now, Effects& e) {
    // An event that arrives after the hold time but before the timer fired
    // is handled as coming after the gesture began.
    if (phase_ == Phase::Holding && Reached(now, holdStart_ + holdTime_)) Begin(e);
}

void GestureMachine::Begin(Effects& e) {
    // The held right button (if any) stays swallowed: its release belongs to
    // the gesture and must not open a context menu.
    if ((cursorData_ & 0xFF) == 1) e.actions.push_back({Act::DrawCursor});
    e.actions.push_back(Post(Notice::Begin));
    e.actions.push_back({Act::Crosshair});
    phase_ = Phase::Selecting;
    moveKnown_ = false;
}

void GestureMachine::GiveBackHold(Effects& e) {
    e.actions.push_back(Replay(Button::Right, true));
    swallowed_[Index(Button::Right)] = false;
    phase_ = Phase::Idle;
}

void GestureMachine::EndGesture(Effects& e) {
    e.actions.push_back({Act::RestoreCursor});
    phase_ = Phase::Idle;
}

Effects GestureMachine::Press(Button button, int x, int y, std::uint32_t now) {
    Effects e;
    CatchUp(now, e);
    const std::size_t i = Index(button);
    switch (phase_) {
    case Phase::Idle:
        if (button == Button::Right && reporting_ && activateWithMouse_ && !held_[Index(Button::Left)] &&
            !held_[Index(Button::Middle)]) {
            phase_ = Phase::Holding;
            holdStart_ = now;
            holdX_ = x;
            holdY_ = y;
            held_[i] = true;
            swallowed_[i] = true;
            e.swallow = true;
            CatchUp(now, e);  // a hold time of 0 begins at once
            return e;
        }
        break;
    case Phase::Holding:
        // Another button joins the held right one: a chord of the user's own.
        // Both go to the system, in the order they were pressed.
        GiveBackHold(e);
        e.actions.push_back(Replay(button, true));
        held_[i] = true;
        swallowed_[i] = false;
        e.swallow = true;
        return e;
    case Phase::Selecting:
    case Phase::Pressed:
        // Every press during a gesture belongs to it.
        held_[i] = true;
        swallowed_[i] = true;
        e.swallow = true;
        if (phase_ == Phase::Selecting && button == Button::Left) {
            phase_ = Phase::Pressed;
            // A fixed-size rectangle needs no anchor: the click's release takes it.
            if (!FixedRectangle()) e.actions.push_back(Post(Notice::Down));
        }
        return e;
    }
    held_[i] = true;
    swallowed_[i] = false;
    return e;
}

Effects GestureMachine::Release(Button button, int, int, std::uint32_t now) {
    Effects e;
    CatchUp(now, e);
    const std::size_t i = Index(button);
    const bool wasSwallowed = swallowed_[i];
    held_[i] = false;
    swallowed_[i] = false;
    if (phase_ == Phase::Holding && button == Button::Right) {
        // Released before the hold time: an ordinary right click after all.
        e.actions.push_back(Replay(Button::Right, true));
        e.actions.push_back(Replay(Button::Right, false));
        phase_ = Phase::Idle;
        e.swallow = true;
        return e;
    }
    if (phase_ == Phase::Pressed && button == Button::Left && wasSwallowed) {
        e.actions.push_back(Post(Notice::Up));
        EndGesture(e);
        e.swallow = true;
        return e;
    }
    e.swallow = wasSwallowed;
    return e;
}

Effects GestureMachine::Move(int x, int y, std::uint32_t now) {
    Effects e;
    CatchUp(now, e);
    switch (phase_) {
    case Phase::Idle: break;
    case Phase::Holding:
        if (std::abs(x - holdX_) > kHoldSlack || std::abs(y - holdY_) > kHoldSlack) GiveBackHold(e);
        break;
    case Phase::Selecting:
    case Phase::Pressed:
        if (!moveKnown_ || x != lastMoveX_ || y != lastMoveY_) {
            e.actions.push_back(Post(Notice::Move));
            moveKnown_ = true;
            lastMoveX_ = x;
            lastMoveY_ = y;
        }
        break;
    }
    // The pointer itself always moves.
    e.swallow = false;
    return e;
}

Effects GestureMachine::KeyDown(std::uint32_t now) {
    Effects e;
    CatchUp(now, e);
    // Right button plus a key is a combination of the user's own.
    if (phase_ == Phase::Holding) GiveBackHold(e);
    return e;
}

Effects GestureMachine::Tick(std::uint32_t now) {
    Effects e;
    CatchUp(now, e);
    return e;
}

Effects GestureMachine::StartRecording(std::uint32_t now) {
    Effects e;
    CatchUp(now, e);
    if (!reporting_) return e;
    if (phase_ == Phase::Idle || phase_ == Phase::Holding) Begin(e);
    return e;
}

Effects GestureMachine::StopRecording() {
    Effects e;
    if (phase_ == Phase::Selecting || phase_ == Phase::Pressed) EndGesture(e);
    return e;
}

Effects GestureMachine::SetStatus(std::uint8_t status) {
    Effects e;
    reporting_ = status != 0;
    if (!reporting_) {
        if (phase_ == Phase::Holding) GiveBackHold(e);
        else if (phase_ != Phase::Idle) EndGesture(e);
    }
    return e;
}

Effects GestureMachine::SetActivateWithMouse(bool on) {
    Effects e;
    activateWithMouse_ = on;
    if (!on && phase_ == Phase::Holding) GiveBackHold(e);
    return e;
}

Effects GestureMachine::Reset() {
    Effects e;
    if (phase_ == Phase::Holding) GiveBackHold(e);
    else if (phase_ != Phase::Idle) EndGesture(e);
    for (bool& b : swallowed_) b = false;
    for (bool& b : held_) b = false;
    return e;
}

}  // namespace hovrak
