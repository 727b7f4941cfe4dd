// What the destination and notice tests share: the program's two windows
// inside the test process (the hidden application window and the notice
// strip, without the rest of the start-up), a known capture image, and an
// independent image reader (the system's imaging codecs).
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "app/main_window.h"
#include "support/vorlix_test.h"
#include "ui/bitmap.h"
#include "ui/window.h"

namespace harness {

// Creates the windows once per process and sets MainWindow,
// ApplicationWindow and uMainForm.
void EnsureWindows();
TuMainForm& Form();

// A capture of the screen's format with a pattern in which every pixel
// differs from its neighbours: width x height, seeded by `seed`.
ui::Bitmap PatternImage(int width, int height, int seed = 0);
vt::Pixels PixelsOf(const ui::Bitmap& bitmap);

struct Image {
    std::wstring format;  // "BMP", "PNG", "JPEG", "GIF"
    vt::Pixels pixels;
};
// Decodes a file with the system's imaging codecs (not the program's own).
std::optional<Image> ReadImage(const std::wstring& path);

// Largest difference of any channel of any pixel; -1 when the sizes differ.
int MaxDifference(const vt::Pixels& a, const vt::Pixels& b);

}  // namespace harness
