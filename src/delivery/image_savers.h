// Writing the capture as an image file (BMP, JPEG, GIF, PNG by the file's
// extension) and the numbered names of automatic file naming and temporary
// copies.
//
// The savers never throw: every error gives false. A file appears only when
// it was written whole; a failed save leaves an older file of that name as it
// was and writes nothing anywhere else.
#pragma once

#include <string>

#include "base/configuration.h"
#include "ui/bitmap.h"

// Full path of the image the current destination saved or is about to send.
// Set by each destination before it saves; kept between deliveries.
extern std::wstring ImageFileName;

// ".bmp", ".jpg", ".gif", ".png" for TImageFormat 1 to 4.
extern const wchar_t* const ImageExtensions[4];
// The extension of format, empty for an unknown one.
std::wstring ImageExtension(TImageFormat format);

// Writes CaptureBitmap to ImageFileName (which it may upper-case, see below).
bool SaveCaptureByExtension();

// Writes bitmap to path in the format that path's extension names (.bmp,
// .jpg, .gif, .png in any letter case; any other extension writes nothing).
// When the file name without its extension has no lower-case letter a to z,
// the whole path is upper-cased first, and path is left holding that form.
bool SaveImageByExtension(const ui::Bitmap& bitmap, std::wstring& path);

bool SaveBMP(const ui::Bitmap& bitmap, const std::wstring& path);   // the bitmap's own pixel format
bool SaveJPEG(const ui::Bitmap& bitmap, const std::wstring& path);  // quality 100
bool SavePNG(const ui::Bitmap& bitmap, const std::wstring& path);   // 8-bit RGB

// folder + prefix + n + the format's extension, n being one more than the
// largest number any entry of folder (file or folder) already carries between
// prefix and that extension, names compared without regard to case; 1 when
// none does. A folder that is missing or cannot be read gives 1. The name
// returned never names an existing entry.
std::wstring NextNumberedFileName(const std::wstring& folder, const std::wstring& prefix, TImageFormat format);
