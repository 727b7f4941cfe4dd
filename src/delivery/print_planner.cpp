#include "delivery/print_planner.h"

#include <algorithm>
#include <cmath>

namespace printing {

std::vector<Slice> PlanPrint(int imageWidth, int imageHeight, int pageWidth, int pageHeight, int screenWidth,
                             bool fitToPage) {
    if (imageWidth <= 0 || imageHeight <= 0 || pageWidth <= 0 || pageHeight <= 0 || screenWidth <= 0) return {};
    if (fitToPage) return {Slice{0, imageHeight, pageWidth, pageHeight}};

    const double scale = double(pageWidth) / double(screenWidth);
    const int width = std::max(1, int(double(imageWidth) * scale));
    const double scaledHeight = double(imageHeight) * scale;
    if (scaledHeight <= double(pageHeight))
        return {Slice{0, imageHeight, width, std::max(1, int(scaledHeight))}};

    const int rowsPerPage = std::max(1, int(double(pageHeight) / scale));
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
