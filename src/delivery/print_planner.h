// How a capture is laid onto printer pages: one stretched page, one scaled
// page, or page-high slices of image rows, each printed as its own job.
// Planned by image rows, so that every row is printed exactly once however
// the scaled height falls on the pages. No windows.h here.
#pragma once

#include <vector>

namespace printing {

struct Slice {
    int firstRow = 0;  // the image rows firstRow .. firstRow + rows - 1
    int rows = 0;
    int width = 0;     // printed size in printer pixels, at the page's top left
    int height = 0;
};

// fitToPage: the whole image stretched over the page. Otherwise the image is
// scaled by pageWidth / screenWidth (a capture as wide as the screen fills the
// page width); an image taller than a page is cut into slices of
// trunc(pageHeight / scale) rows (at least one), each printed page-high, and
// the rest of the rows printed at their scaled height.
std::vector<Slice> PlanPrint(int imageWidth, int imageHeight, int pageWidth, int pageHeight, int screenWidth,
                             bool fitToPage);

}  // namespace printing
