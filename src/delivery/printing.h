// The Printer destination: the capture printed on the default printer,
// stretched over the page or scaled by page width / screen width and cut into
// page-high slices, each slice its own print job.
#pragma once

#include <string>

bool SendToPrinter();

// True when at least one printer is installed.
bool PrinterPresent();

// Prints CaptureBitmap; shows its own error boxes.
bool PrintCapture();
