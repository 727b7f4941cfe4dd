// English texts of the GIF reading side.
#include "gif/gif_read_texts.h"

namespace txt {

const wchar_t GifDecoderUnderrun[] = L"Decoder bit buffer under-run";
const wchar_t GifCircularTableEntry[] = L"Circular decoder table entry";
const wchar_t GifInvalidCodeSize[] = L"Invalid LZW code size";
const wchar_t GifInvalidCode[] = L"Invalid code in image data";
const wchar_t GifTooMuchImageData[] = L"Image data is longer than the image";
const wchar_t GifImageTooLarge[] = L"Image is too large";
const wchar_t GifUnknownExtensionSkipped[] = L"Unknown extension type skipped";
const wchar_t GifUnsupportedAppExtensionSize[] = L"Unsupported application extension size";
const wchar_t GifInvalidData[] = L"Invalid GIF data";

}  // namespace txt
