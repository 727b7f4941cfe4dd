// Texts of the GIF codec: errors, warnings and progress messages of the GIF
// writer and its image classes (the reading side's are in gif_read_texts.h).
// Each language build defines them in resources/texts/<lang>/gif.cpp.
#pragma once

namespace txt {

extern const wchar_t GifInvalidImageDimensions[];
extern const wchar_t GifOutOfMemory[];
extern const wchar_t GifOutOfResources[];
extern const wchar_t GifColorNotInTable[];
extern const wchar_t GifInvalidStreamOperation[];
extern const wchar_t GifColorTableOverflow[];
extern const wchar_t GifInvalidColorIndex[];
extern const wchar_t GifColorTableEmpty[];
extern const wchar_t GifPrematureEnd[];
extern const wchar_t GifUnsupportedVersion[];
extern const wchar_t GifInvalidSignature[];
extern const wchar_t GifUnsupportedPixelFormat[];
extern const wchar_t GifNoDIB[];
extern const wchar_t GifScanLineRange[];
extern const wchar_t GifCannotSave[];
extern const wchar_t GifInvalidExtensionIntroducer[];
extern const wchar_t GifInvalidPixelCoordinates[];
extern const wchar_t GifImageEmpty[];
extern const wchar_t GifWidthSmallerThanFrames[];
extern const wchar_t GifHeightSmallerThanFrames[];
extern const wchar_t GifExceedsScreen[];
extern const wchar_t GifObjectNotSupported[];
extern const wchar_t GifNoColorTable[];
extern const wchar_t GifClipboardStoreFailed[];
extern const wchar_t GifUnsupportedClipboardFormat[];
extern const wchar_t GifInvalidReductionMethod[];
extern const wchar_t GifInvalidTrailer[];
extern const wchar_t GifConverting[];
extern const wchar_t GifRendering[];
extern const wchar_t GifSaving[];
extern const wchar_t GifLoading[];
extern const wchar_t GifCopying[];
extern const wchar_t GifOptimizing[];
extern const wchar_t GifPictureDescription[];
extern const wchar_t GifStreamReadError[];
extern const wchar_t GifStreamWriteError[];
extern const wchar_t GifCannotAssign[];
extern const wchar_t GifExtensionLabelMismatch[];
extern const wchar_t GifUnknownFileExtension[];
extern const wchar_t GifUnknownBlockType[];

}  // namespace txt
