// Writes a bitmap as an 8-bit PNG file through libpng: RGB, or RGB with alpha
// when one colour is to be transparent, with one text chunk naming the maker.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

#include "ui/bitmap.h"

// No transparent colour.
inline constexpr COLORREF NoTransparentColor = 0x1FFFFFFF;

class PngError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws PngError: "Error Opening File <name>!" when the file cannot be
// created, "Error Writing PNG File!" for any library, memory or write error.
// The file appears only when it was written whole; an older file of that name
// is replaced then and left alone otherwise.
void SaveBitmapAsPng(const std::wstring& fileName, const ui::Bitmap& bitmap,
                     COLORREF transparentColor = NoTransparentColor);
