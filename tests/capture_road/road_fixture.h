// The program's windows inside a test process, on a screen that shows a known
// picture: the main window, the freeze window and the engines run on the test
// thread, hook messages are sent with the pointer put where the user would
// have it, and the destination routines are replaced by recorders. Shared by
// the test programs of the capture engines; each links road_fixture.cpp
// itself (it registers the environment that creates the windows).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "capture_road/pattern_screen.h"
#include "app/completion.h"
#include "base/configuration.h"
#include "hook/hovrak.h"
#include "support/vorlix_test.h"

namespace road {

// The full-screen picture of the test program.
PatternScreen& Screen();

// ---- Recording destinations ---------------------------------------------------

struct Delivery {
    int destination;
    int width, height;
    COLORREF topLeft;
};
extern std::vector<Delivery> deliveries;
// What each recorder returns.
extern bool results[DestinationCount];
// Called by each recorder while it "delivers".
extern void (*duringDelivery)(int destination);
std::vector<int> DeliveredTo();

// ---- Helpers ----------------------------------------------------------------------

// A hook message as the hook library sends it, with the pointer at (x, y).
void Hook(UINT message, int x, int y);
// The picture colour c as the selection tint shows it.
COLORREF Tinted(COLORREF c);
COLORREF CapturePixel(int x, int y);
// Counts the pixels of CaptureBitmap that differ from the picture at
// (left + x, top + y).
int CaptureMismatches(int left, int top);
using vt::HotkeyFree;
RECT FreezeWindowRect();
bool FreezeWindowEmpty();
// The program is idle: no selection, nothing frozen, Esc free.
void ExpectIdle();
// A 24-bit bitmap file of w x h pixels whose top-left pixel is colour and the
// rest grey.
std::string BmpFile(int w, int h, COLORREF topLeft);

class Road : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Lets the completion timer fire and the delivery run.
    void Complete();
    // Button down at a, pointer moved through the middle to b.
    void Drag(POINT a, POINT b);

    DestinationRoutine saved_[DestinationCount];
    std::wstring handOver_;
};

}  // namespace road
