#include "delivery/print_planner.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace printing {

namespace {

// A scaled size in printer pixels: at least one, and at most what an int
// holds (a scale no printer has must not wrap a width round to nothing).
int ScaledPixels(double value) { return value >= double(INT_MAX) ? INT_MAX : std::max(1, int(value)); }

}  // namespace

std::vector<Slice> PlanPrint(int imageWidth, int imageHeight, int pageWidth, int pageHeight, int screenWidth,
                             bool fitToPage) {
    if (imageWidth <= 0 || imageHeight <= 0 || pageWidth <= 0 || pageHeight <= 0 || screenWidth <= 0) return {};
    if (fitToPage) return {Slice{0, imageHeight, pageWidth, pageHeight}};

    const double scale = double(pageWidth) / double(screenWidth);
    const int width = ScaledPixels(double(imageWidth) * scale);
    const double scaledHeight = double(imageHeight) * scale;
    if (scaledHeight <= double(pageHeight))
        return {Slice{0, imageHeight, width, ScaledPixels(scaledHeight)}};

    const int rowsPerPage = ScaledPixels(double(pageHeight) / scale);
    std::vector<Slice> slices;
    for (int first = 0; first < imageHeight; first += rowsPerPage) {
        const int rows = std::min(rowsPerPage, imageHeight - first);
        const int height = rows == rowsPerPage ? pageHeight
                                               : std::clamp(int(std::lround(double(rows) * scale)), 1, pageHeight);
        slices.push_back(Slice{first, rows, width, height});
    }
    return slices;
}

}  // namespace printing
