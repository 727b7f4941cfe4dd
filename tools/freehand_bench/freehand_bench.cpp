// One tick of the marching dots on a path of 5000 long segments (zigzags
// across the whole screen), drawn on the display as during a selection: the
// program's tick (colours written into the picture, one block copy) beside
// the straightforward redraw that sets every path pixel on the display with
// its own GDI call (LineDDA and SetPixel), on the same path and display.
// The straightforward redraw is timed on the first segments only and scaled
// to the whole path (it would take minutes per tick).
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "capture/freehand_engine.h"
#include "base/globals.h"
#include "capture/shading.h"
#include "hook/hovrak.h"

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

uint8_t ReferenceBit;
HDC ReferenceDc;

void CALLBACK ReferenceDot(int x, int y, LPARAM) {
    ReferenceBit = static_cast<uint8_t>(ReferenceBit << 1);
    if (ReferenceBit == 0) ReferenceBit = 1;
    SetPixel(ReferenceDc, x, y, (ReferenceBit & 0xE0) ? RGB(255, 0, 0) : RGB(255, 255, 255));
}

}  // namespace

int wmain() {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    Config.CaptureType = ctFreeHand;
    Config.ShowSize = 0;
    // The path: 5000 points, every segment from one side of the screen to
    // the other.
    auto pointOf = [&](int i) { return POINT{(i % 2) ? w - 10 : 10, 10 + (i * 37) % (h - 20)}; };
    double start = Now();
    FreeHandEngineEvent(WM_HOOK_BEGIN, pointOf(0));
    FreeHandEngineEvent(WM_HOOK_DOWN, pointOf(0));
    for (int i = 1; i < MaxFreeHandPoints; ++i) FreeHandEngineEvent(WM_HOOK_MOVE, pointOf(i));
    const double building = Now() - start;
    long long pixels = 0;
    for (int i = 1; i < FreeHandCount; ++i) {
        const POINT a = FreeHandPoints[i - 1], b = FreeHandPoints[i];
        pixels += std::max(std::abs(b.x - a.x), std::abs(b.y - a.y));
    }

    const int ticks = 20;
    start = Now();
    for (int t = 0; t < ticks; ++t) MarchingDotsTimerProc(nullptr, 0, 0, 0);
    GdiFlush();
    const double ours = (Now() - start) / ticks;

    // The straightforward redraw on the same display DC, first segments.
    ReferenceDc = DrawDC;
    const int sample = 20;
    start = Now();
    ReferenceBit = DotPattern;
    for (int i = 1; i <= sample; ++i) {
        const POINT a = FreeHandPoints[i - 1], b = FreeHandPoints[i];
        LineDDA(a.x, a.y, b.x, b.y, ReferenceDot, 0);
    }
    GdiFlush();
    const double referenceSample = Now() - start;
    const double reference = referenceSample * (FreeHandCount - 1) / sample;

    std::printf("screen                  %d x %d\n", w, h);
    std::printf("path                    %d points, %lld pixels\n", FreeHandCount, pixels);
    std::printf("recording the points    %.1f ms (5000 moves, each segment's pixels taken once)\n", building);
    std::printf("one tick (ours)         %.2f ms (mean of %d)\n", ours, ticks);
    std::printf("one tick, pixel by pixel %.0f ms (SetPixel per pixel; %d segments took %.1f ms, scaled)\n", reference,
                sample, referenceSample);
    std::printf("ratio                   %.0f x\n", reference / ours);
    EndFreeHandSelection();
    return 0;
}
