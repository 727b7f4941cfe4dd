// Texts of the GIF reading side (decoder, extension blocks, painter). Each
// language build defines them in resources/texts/<lang>/gif_read.cpp.
#pragma once

namespace txt {

extern const wchar_t GifDecoderUnderrun[];         // warning: the codes ran past the data
extern const wchar_t GifCircularTableEntry[];
extern const wchar_t GifInvalidCodeSize[];         // minimum code size outside 1 to 11
extern const wchar_t GifInvalidCode[];             // warning: a code beyond the table
extern const wchar_t GifTooMuchImageData[];        // warning: codes left after the last pixel
extern const wchar_t GifImageTooLarge[];           // frame or screen above the pixel cap
extern const wchar_t GifUnknownExtensionSkipped[]; // warning: a block of an unknown label
extern const wchar_t GifUnsupportedAppExtensionSize[];
extern const wchar_t GifInvalidData[];

}  // namespace txt
