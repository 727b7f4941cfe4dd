// English texts of the GIF codec.
#include "gif/gif_texts.h"

namespace txt {

const wchar_t GifInvalidImageDimensions[] = L"Invalid image dimensions";
const wchar_t GifOutOfMemory[] = L"Out of memory for the GIF bitmap";
const wchar_t GifOutOfResources[] = L"Out of system resources";
const wchar_t GifColorNotInTable[] = L"Color not in color table";
const wchar_t GifInvalidStreamOperation[] = L"Invalid stream operation";
const wchar_t GifColorTableOverflow[] = L"Color table overflow";
const wchar_t GifInvalidColorIndex[] = L"Invalid color index";
const wchar_t GifColorTableEmpty[] = L"Color table is empty";
const wchar_t GifPrematureEnd[] = L"Premature end of data";
const wchar_t GifUnsupportedVersion[] = L"Unsupported GIF version";
const wchar_t GifInvalidSignature[] = L"Invalid GIF signature";
const wchar_t GifUnsupportedPixelFormat[] = L"Unsupported PixelFormat";
const wchar_t GifNoDIB[] = L"Image has no DIB";
const wchar_t GifScanLineRange[] = L"Scan line index out of range";
const wchar_t GifCannotSave[] = L"The GIF file cannot be saved.";
const wchar_t GifInvalidExtensionIntroducer[] = L"Invalid extension introducer";
const wchar_t GifInvalidPixelCoordinates[] = L"Invalid pixel coordinates";
const wchar_t GifImageEmpty[] = L"Image is empty";
const wchar_t GifWidthSmallerThanFrames[] = L"Image width is smaller than its frames";
const wchar_t GifHeightSmallerThanFrames[] = L"Image height is smaller than its frames";
const wchar_t GifExceedsScreen[] = L"Image exceeds Logical Screen size";
const wchar_t GifObjectNotSupported[] = L"Object type not supported for operation";
const wchar_t GifNoColorTable[] = L"No global or local color table defined";
const wchar_t GifClipboardStoreFailed[] = L"Failed to store GIF on clipboard";
const wchar_t GifUnsupportedClipboardFormat[] = L"Unsupported clipboard format";
const wchar_t GifInvalidReductionMethod[] = L"Invalid reduction method";
const wchar_t GifInvalidTrailer[] = L"Invalid Image trailer";
const wchar_t GifConverting[] = L"Converting...";
const wchar_t GifRendering[] = L"Rendering...";
const wchar_t GifSaving[] = L"Saving...";
const wchar_t GifLoading[] = L"Loading...";
const wchar_t GifCopying[] = L"Copying...";
const wchar_t GifOptimizing[] = L"Optimizing...";
const wchar_t GifPictureDescription[] = L"GIF picture";
const wchar_t GifStreamReadError[] = L"Stream read error";
const wchar_t GifStreamWriteError[] = L"Stream write error";
const wchar_t GifCannotAssign[] = L"Cannot assign this object to a GIF image";
const wchar_t GifExtensionLabelMismatch[] = L"Extension block does not match its label";
const wchar_t GifUnknownFileExtension[] = L"Unknown picture file extension";
const wchar_t GifUnknownBlockType[] = L"Unknown GIF block type";

}  // namespace txt
