// Writes a bitmap as a GIF file through the program's own codec.
#pragma once

#include <string>

#include "ui/bitmap.h"

// Never raises: any codec error (EGifError, out of memory, a file that cannot
// be written) gives false, and no partly written file is left behind.
bool SaveGIF(const ui::Bitmap& bitmap, const std::wstring& path);
