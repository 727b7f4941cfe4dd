#include "capture_road/road_fixture.h"

#include <cstring>

#include "base/programs.h"
#include "capture/freehand_engine.h"
#include "capture/freeze_window.h"
#include "capture/gesture_dispatch.h"
#include "base/globals.h"
#include "app/main_window.h"
#include "capture/rect_engine.h"
#include "capture/shading.h"
#include "capture/window_engine.h"
#include "support/vorlix_test.h"
#include "ui/window.h"

namespace road {

namespace {

// ---- The program's windows, once for the whole test program -----------------

class ApplicationForm : public ui::Window {};

struct Program {
    ApplicationForm application;
    TuMainForm mainForm;
    TuFreezeForm freezeForm;
    PatternScreen* screen = nullptr;
};
Program* program = nullptr;

class ProgramEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        vt::DeleteKeyTree(L"Software\\Vorlix Tessavue");
        program = new Program;
        program->screen = new PatternScreen;
        program->application.Create(L"TApplication", L"Vorlix Tessavue", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                                    0, 0, 0, 0);
        ApplicationWindow = program->application.Handle();
        uMainForm = &program->mainForm;
        ASSERT_TRUE(program->mainForm.CreateForm());
        uFreezeForm = &program->freezeForm;
        ASSERT_TRUE(program->freezeForm.CreateForm());
        // The tray icon stays off: without a system tray the icon would get
        // a window of its own in the top left corner of the screen.
        program->mainForm.trayIcon.popupMenu = program->mainForm.popupMenu;
    }
    void TearDown() override {
        ShutDown();
        uFreezeForm = nullptr;
        uMainForm = nullptr;
        delete program->screen;
        delete program;
        vt::DeleteKeyTree(L"Software\\Vorlix Tessavue");
    }
};
const auto* const environment = ::testing::AddGlobalTestEnvironment(new ProgramEnvironment);

}  // namespace

PatternScreen& Screen() { return *program->screen; }

std::vector<Delivery> deliveries;
bool results[DestinationCount];
void (*duringDelivery)(int destination) = nullptr;

namespace {

template <int D>
bool Recorder() {
    deliveries.push_back(Delivery{D, CaptureBitmap.Width(), CaptureBitmap.Height(),
                                  CaptureBitmap.Empty() ? CLR_INVALID : GetPixel(CaptureBitmap.Canvas(), 0, 0)});
    if (duringDelivery) duringDelivery(D);
    return results[D];
}

const DestinationRoutine recorders[DestinationCount] = {Recorder<0>, Recorder<1>, Recorder<2>, Recorder<3>,
                                                        Recorder<4>, Recorder<5>, Recorder<6>, Recorder<7>,
                                                        Recorder<8>, nullptr};

}  // namespace

std::vector<int> DeliveredTo() {
    std::vector<int> d;
    for (const Delivery& x : deliveries) d.push_back(x.destination);
    return d;
}

void Hook(UINT message, int x, int y) {
    SetCursorPos(x, y);
    SendMessageW(MainWindow, message, 0, 0);
}

COLORREF Tinted(COLORREF c) {
    const TColor h = Config.HighlightColor;
    return RGB(ColourShare[h & 255] + ScreenShare[GetRValue(c)], ColourShare[(h >> 8) & 255] + ScreenShare[GetGValue(c)],
               ColourShare[(h >> 16) & 255] + ScreenShare[GetBValue(c)]);
}

COLORREF CapturePixel(int x, int y) { return GetPixel(CaptureBitmap.Canvas(), x, y); }

int CaptureMismatches(int left, int top) {
    int bad = 0;
    for (int y = 0; y < CaptureBitmap.Height(); ++y)
        for (int x = 0; x < CaptureBitmap.Width(); ++x)
            if (CapturePixel(x, y) != Pattern(left + x, top + y)) ++bad;
    return bad;
}

RECT FreezeWindowRect() {
    RECT r{};
    GetWindowRect(uFreezeForm->Handle(), &r);
    return r;
}

bool FreezeWindowEmpty() {
    const RECT r = FreezeWindowRect();
    return r.right - r.left == 0 && r.bottom - r.top == 0;
}

void ExpectIdle() {
    EXPECT_FALSE(SelectionRunning());
    EXPECT_FALSE(Frozen);
    EXPECT_FALSE(ShadeActive);
    EXPECT_FALSE(static_cast<bool>(PlainScreenCopy));
    EXPECT_EQ(DrawDC, nullptr);
    EXPECT_TRUE(FreezeWindowEmpty());
    EXPECT_TRUE(HotkeyFree(0, VK_ESCAPE));
}

std::string BmpFile(int w, int h, COLORREF topLeft) {
    vt::Pixels p(w, h, RGB(128, 128, 128));
    p.At(0, 0) = topLeft;
    const std::wstring path = vt::Join(vt::TempDir(), L"road-scratch.bmp");
    EXPECT_TRUE(vt::SaveBmp(p, path));
    std::string bytes = vt::ReadFileBytes(path);
    DeleteFileW(path.c_str());
    return bytes;
}

void Road::SetUp() {
    SetLiveDefaults();
    Config.HighlightColor = 0xFFE6E6;
    Config.SendTo[dClipboard] = 1;
    SetBlendColor();
    std::memcpy(saved_, DestinationRoutines, sizeof saved_);
    std::memcpy(DestinationRoutines, recorders, sizeof recorders);
    for (bool& r : results) r = true;
    deliveries.clear();
    duringDelivery = nullptr;
    TimerArmed = TimerRunning = false;
    CaptureBitmap = ui::Bitmap(0, 0, ui::PixelFormat::Device);
    handOver_ = TempFolder + HandOverFileName;
    DeleteFileW(handOver_.c_str());
    vt::PumpFor(50);
}

void Road::TearDown() {
    EndSelection();
    UnfreezeScreen();
    vt::PumpFor(100);
    if (CompletionTimer) {
        KillTimer(nullptr, CompletionTimer);
        CompletionTimer = 0;
    }
    PendingDestinations = 0;
    std::memcpy(DestinationRoutines, saved_, sizeof saved_);
    DeleteFileW(handOver_.c_str());
    TimerArmed = TimerRunning = false;
}

void Road::Complete() {
    vt::WaitUntil([] { return CompletionTimer == 0 && !DeliveryBusy; }, 3000);
    vt::PumpFor(50);
}

void Road::Drag(POINT a, POINT b) {
    Hook(WM_HOOK_BEGIN, a.x, a.y);
    Hook(WM_HOOK_DOWN, a.x, a.y);
    Hook(WM_HOOK_MOVE, (a.x + b.x) / 2, (a.y + b.y) / 2);
    Hook(WM_HOOK_MOVE, b.x, b.y);
}

}  // namespace road
