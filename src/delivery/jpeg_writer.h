// The JPEG saver's compression: quality 100 with libjpeg's defaults (2 x 2
// chroma, the standard Huffman tables, no restart markers), so every file is
// the very bytes cjpeg -quality 100 writes from the same pixels. A picture
// of some size is compressed on every core, in bands of rows, and the bands'
// entropy-coded bits are joined in order into the same single stream.
#pragma once

#include "delivery/image_file.h"
#include "ui/bitmap.h"

namespace jpegfile {

// Writes the bitmap as a JPEG file into file (which the caller commits).
// False when libjpeg, the memory or a write failed.
bool WriteJpeg(const ui::Bitmap& bitmap, imagefile::PendingFile& file);

// How a picture is split: the number of bands (1: compressed in one pass)
// for the given size on the given number of cores.
int JpegBandCount(int width, int height, unsigned cores);

}  // namespace jpegfile
