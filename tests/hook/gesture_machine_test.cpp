// The gesture state machine, driven by tables of (event, time) steps.
#include "hook/gesture_machine.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using hovrak::Button;
using hovrak::Effects;
using hovrak::GestureMachine;
using hovrak::Phase;

// One step: an event at a time, and what must come of it: whether the event
// is kept from the system ('S') or passes ('-'), and the actions in the
// compact form of hovrak::Describe.
//
// Events: "r+" "r-" "l+" "l-" "m+" "m-" (press/release at the last pointer
// position), "mv X Y" (pointer move), "key", "tick", "start", "stop",
// "status N", "mouse N" (activate with mouse), "hold N", "type N", "rect N",
// "cursor HEX" (cursor-data word), "reset".
struct Step {
    std::uint32_t time;
    const char* event;
    char swallow;
    const char* actions;
};

struct Driver {
    GestureMachine m;
    int x = 100, y = 100;

    Effects Do(const std::string& ev, std::uint32_t t) {
        auto button = [](char c) { return c == 'l' ? Button::Left : c == 'r' ? Button::Right : Button::Middle; };
        unsigned n = 0;
        if (ev.size() == 2 && (ev[1] == '+' || ev[1] == '-') && std::strchr("lrm", ev[0])) {
            return ev[1] == '+' ? m.Press(button(ev[0]), x, y, t) : m.Release(button(ev[0]), x, y, t);
        }
        if (std::sscanf(ev.c_str(), "mv %d %d", &x, &y) == 2) return m.Move(x, y, t);
        if (ev == "key") return m.KeyDown(t);
        if (ev == "tick") return m.Tick(t);
        if (ev == "start") return m.StartRecording(t);
        if (ev == "stop") return m.StopRecording();
        if (ev == "reset") return m.Reset();
        if (std::sscanf(ev.c_str(), "status %u", &n) == 1) return m.SetStatus(static_cast<std::uint8_t>(n));
        if (std::sscanf(ev.c_str(), "mouse %u", &n) == 1) return m.SetActivateWithMouse(n != 0);
        if (std::sscanf(ev.c_str(), "hold %u", &n) == 1) m.SetHoldTime(static_cast<std::uint16_t>(n));
        else if (std::sscanf(ev.c_str(), "type %u", &n) == 1) m.SetCaptureType(static_cast<std::uint8_t>(n));
        else if (std::sscanf(ev.c_str(), "rect %u", &n) == 1) m.SetRectangleSelection(static_cast<std::uint8_t>(n));
        else if (std::sscanf(ev.c_str(), "cursor %x", &n) == 1) m.SetCursorData(static_cast<std::uint16_t>(n));
        else ADD_FAILURE() << "unknown event " << ev;
        return {};
    }
};

void RunTable(const std::vector<Step>& steps, Driver& d) {
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        const Effects e = d.Do(s.event, s.time);
        SCOPED_TRACE("step " + std::to_string(i) + ": " + s.event + " at " + std::to_string(s.time));
        EXPECT_EQ(hovrak::Describe(e.actions), s.actions);
        EXPECT_EQ(e.swallow, s.swallow == 'S');
    }
}

struct Scenario {
    const char* name;
    std::vector<Step> steps;
    Phase endPhase;
};

class GestureTable : public ::testing::TestWithParam<Scenario> {};

TEST_P(GestureTable, Runs) {
    Driver d;
    d.m.SetHoldTime(200);
    RunTable(GetParam().steps, d);
    EXPECT_EQ(d.m.phase(), GetParam().endPhase);
}

const Scenario kScenarios[] = {
    {"HoldRightThenDragLeft",
     {{0, "r+", 'S', ""},
      {150, "tick", '-', ""},
      {200, "tick", '-', "B X"},
      {250, "mv 100 100", '-', "M"},
      {260, "l+", 'S', "D"},
      {270, "mv 110 120", '-', "M"},
      {280, "mv 110 120", '-', ""},  // no move, no message
      {290, "mv 150 160", '-', "M"},
      {300, "l-", 'S', "U O"},
      {310, "r-", 'S', ""},   // the held right button's release belongs to the gesture
      {320, "r+", 'S', ""}},  // and the next hold can start
     Phase::Holding},
    {"RightReleasedWhileSelectingDragsOn",
     {{0, "r+", 'S', ""}, {200, "tick", '-', "B X"}, {210, "r-", 'S', ""}, {220, "l+", 'S', "D"},
      {230, "mv 120 130", '-', "M"}, {240, "l-", 'S', "U O"}},
     Phase::Idle},
    {"ShortRightClickIsGivenBack",
     {{0, "r+", 'S', ""}, {120, "r-", 'S', "r+ r-"}, {400, "tick", '-', ""}, {410, "l+", '-', ""},
      {420, "l-", '-', ""}},
     Phase::Idle},
    {"ReleaseAtTheDeadlineBeforeTheTimerBegins",
     {{0, "r+", 'S', ""}, {200, "r-", 'S', "B X"}},
     Phase::Selecting},
    {"SmallWobbleKeepsTheHold",
     {{0, "r+", 'S', ""}, {50, "mv 108 92", '-', ""}, {200, "tick", '-', "B X"}},
     Phase::Selecting},
    {"DragWithTheRightButtonIsGivenBack",
     {{0, "r+", 'S', ""},
      {50, "mv 109 100", '-', "r+"},
      {300, "tick", '-', ""},
      {310, "r-", '-', ""}},  // the system saw the press, so it sees the release
     Phase::Idle},
    {"ChordIsGivenBackInOrder",
     {{0, "r+", 'S', ""}, {40, "l+", 'S', "r+ l+"}, {300, "tick", '-', ""}, {310, "l-", '-', ""},
      {320, "r-", '-', ""}},
     Phase::Idle},
    {"KeyDuringTheHoldGivesItBack",
     {{0, "r+", 'S', ""}, {40, "key", '-', "r+"}, {300, "r-", '-', ""}},
     Phase::Idle},
    {"KeyOutsideAHoldChangesNothing",
     {{0, "key", '-', ""}, {10, "start", '-', "B X"}, {20, "key", '-', ""}, {30, "l+", 'S', "D"}},
     Phase::Pressed},
    {"RightWhileLeftIsDownIsNoGesture",
     {{0, "l+", '-', ""}, {10, "r+", '-', ""}, {500, "tick", '-', ""}, {510, "r-", '-', ""},
      {520, "l-", '-', ""}},
     Phase::Idle},
    {"StatusZeroReportsNothing",
     {{0, "status 0", '-', ""},
      {10, "r+", '-', ""},
      {500, "tick", '-', ""},
      {510, "r-", '-', ""},
      {520, "start", '-', ""},
      {530, "l+", '-', ""},
      {540, "l-", '-', ""},
      {550, "status 1", '-', ""},
      {560, "r+", 'S', ""}},
     Phase::Holding},
    {"StatusZeroDuringTheHoldGivesItBack",
     {{0, "r+", 'S', ""}, {50, "status 0", '-', "r+"}, {300, "r-", '-', ""}},
     Phase::Idle},
    {"StatusZeroEndsAGestureSilently",
     {{0, "start", '-', "B X"}, {10, "l+", 'S', "D"}, {20, "status 0", '-', "O"}, {30, "mv 5 5", '-', ""},
      {40, "l-", 'S', ""}},
     Phase::Idle},
    {"MouseActivationOff",
     {{0, "mouse 0", '-', ""}, {10, "r+", '-', ""}, {500, "tick", '-', ""}, {510, "r-", '-', ""},
      {520, "start", '-', "B X"}},
     Phase::Selecting},
    {"MouseActivationOffDuringTheHold",
     {{0, "r+", 'S', ""}, {10, "mouse 0", '-', "r+"}, {20, "r-", '-', ""}},
     Phase::Idle},
    {"RecordingThenLeftDrag",
     {{0, "start", '-', "B X"},
      {5, "start", '-', ""},  // already recording
      {10, "mv 50 60", '-', "M"},
      {20, "l+", 'S', "D"},
      {30, "mv 90 80", '-', "M"},
      {40, "l-", 'S', "U O"},
      {50, "l+", '-', ""}},
     Phase::Idle},
    {"RecordingDuringTheHoldKeepsTheRightButton",
     {{0, "r+", 'S', ""}, {50, "start", '-', "B X"}, {60, "r-", 'S', ""}, {500, "tick", '-', ""}},
     Phase::Selecting},
    {"StopRecordingEndsWithoutMessage",
     {{0, "start", '-', "B X"}, {10, "l+", 'S', "D"}, {20, "stop", '-', "O"}, {30, "mv 1 2", '-', ""},
      {40, "l-", 'S', ""}, {50, "l+", '-', ""}, {60, "stop", '-', ""}},
     Phase::Idle},
    {"FixedRectangleTakesItWithAClick",
     {{0, "type 2", '-', ""}, {0, "rect 1", '-', ""}, {10, "start", '-', "B X"}, {20, "mv 300 200", '-', "M"},
      {30, "l+", 'S', ""}, {40, "mv 301 200", '-', "M"}, {50, "l-", 'S', "U O"}},
     Phase::Idle},
    {"FixedModeIsForRectanglesOnly",
     {{0, "type 3", '-', ""}, {0, "rect 1", '-', ""}, {10, "start", '-', "B X"}, {30, "l+", 'S', "D"},
      {50, "l-", 'S', "U O"}},
     Phase::Idle},
    {"EveryPressDuringAGestureIsSwallowed",
     {{0, "start", '-', "B X"}, {10, "r+", 'S', ""}, {20, "r-", 'S', ""}, {30, "m+", 'S', ""},
      {40, "m-", 'S', ""}, {50, "l+", 'S', "D"}, {60, "r+", 'S', ""}, {70, "l-", 'S', "U O"},
      {80, "r-", 'S', ""}},
     Phase::Idle},
    {"LeftHeldFromBeforeTheGestureIsNotItsAnchor",
     {{0, "l+", '-', ""}, {10, "start", '-', "B X"}, {20, "l-", '-', ""}, {30, "l+", 'S', "D"},
      {40, "l-", 'S', "U O"}},
     Phase::Idle},
    {"CursorIncludedIsDrawnBeforeBegin",
     {{0, "cursor 0101", '-', ""}, {10, "r+", 'S', ""}, {210, "tick", '-', "C B X"}, {220, "stop", '-', "O"},
      {230, "cursor 0201", '-', ""}, {240, "start", '-', "C B X"}, {250, "stop", '-', "O"},
      {260, "cursor 0200", '-', ""}, {270, "start", '-', "B X"}},
     Phase::Selecting},
    {"HoldTimeZeroBeginsAtOnce",
     {{0, "hold 0", '-', ""}, {10, "r+", 'S', "B X"}, {20, "r-", 'S', ""}},
     Phase::Selecting},
    {"ResetGivesBackAHold",
     {{0, "r+", 'S', ""}, {10, "reset", '-', "r+"}, {20, "r-", '-', ""}},
     Phase::Idle},
    {"ResetEndsAGesture",
     {{0, "start", '-', "B X"}, {10, "l+", 'S', "D"}, {20, "reset", '-', "O"}, {30, "l-", '-', ""}},
     Phase::Idle},
};

INSTANTIATE_TEST_SUITE_P(Gestures, GestureTable, ::testing::ValuesIn(kScenarios),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(GestureMachine, DeadlineFollowsTheHoldTimeAndSurvivesWrapAround) {
    Driver d;
    d.m.SetHoldTime(500);
    const std::uint32_t t0 = 0xFFFFFF00u;
    EXPECT_FALSE(d.m.Deadline().has_value());
    d.Do("r+", t0);
    ASSERT_TRUE(d.m.Deadline().has_value());
    EXPECT_EQ(*d.m.Deadline(), t0 + 500u);
    EXPECT_EQ(hovrak::Describe(d.Do("tick", t0 + 250u).actions), "");
    d.m.SetHoldTime(300);  // a new hold time counts from the press
    EXPECT_EQ(*d.m.Deadline(), t0 + 300u);
    EXPECT_EQ(hovrak::Describe(d.Do("tick", t0 + 299u).actions), "");  // past the wrap, not yet due
    EXPECT_EQ(hovrak::Describe(d.Do("tick", t0 + 300u).actions), "B X");
    EXPECT_FALSE(d.m.Deadline().has_value());
}

}  // namespace
