#include "capture/selection_state.h"

#include <algorithm>

HDC DrawDC = nullptr;
RECT HighlightRect{};

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

RECT NormalizeRect(const RECT& r) {
    return RECT{std::min(r.left, r.right), std::min(r.top, r.bottom), std::max(r.left, r.right),
                std::max(r.top, r.bottom)};
}

bool MovedFarEnough(POINT a, POINT b) {
    if (a.x == b.x || a.y == b.y) return false;
    const long long dx = b.x - a.x, dy = b.y - a.y;
    return dx * dx + dy * dy >= 100;
}
