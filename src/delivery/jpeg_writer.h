// The JPEG saver's compression: quality 100 with libjpeg's defaults (2 x 2
// chroma, the standard Huffman tables, no restart markers), so every file is
// the very bytes cjpeg -quality 100 writes from the same pixels. A picture
// of some size is compressed on every core, in bands of rows, and the bands'
// entropy-coded bits are joined in order into the same single stream.
#pragma once

#include <string>

#include "ui/bitmap.h"

namespace jpegfile {

// Saves the bitmap as a JPEG file at path through a PendingFile (whole or
// not at all). False when the path, libjpeg, the memory or a write failed.
bool SaveJpeg(const ui::Bitmap& bitmap, const std::wstring& path);

// How a picture is split: the number of bands (1: compressed in one pass)
// for the given size on the given number of cores.
int JpegBandCount(int width, int height, unsigned cores);

}  // namespace jpegfile
