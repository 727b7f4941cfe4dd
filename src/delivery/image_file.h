// What the image writers share: which paths they may write to, writing a file
// so that it appears whole or not at all, and reading bitmap rows as RGB.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/bitmap.h"

namespace imagefile {

// True for a full path (drive letter or UNC share) whose every part a file
// name can hold, whose last part is no device name (NUL.png would "succeed"
// without writing anything) and which the path functions accept in length.
// Relative paths are refused: they would land in whatever the current folder
// happens to be.
bool IsSavablePath(const std::wstring& path);

// A new, uniquely named file in the target's folder. The target appears only
// on Commit, whole, replacing any old file in one step; an old target stays
// untouched until then. The temporary file is removed in every other case.
class PendingFile {
public:
    explicit PendingFile(const std::wstring& target);
    ~PendingFile();
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    bool ok() const { return !temp_.empty(); }
    const std::wstring& TempPath() const { return temp_; }

    bool Write(const void* data, size_t size);
    // For writers that create the file themselves: closes and deletes the
    // empty temporary file, leaving its (unique) name free for them.
    void ReleaseName();
    // Closes the file and moves it over the target.
    bool Commit();

private:
    std::wstring target_, temp_;
    HANDLE file_ = INVALID_HANDLE_VALUE;
    bool failed_ = false, committed_ = false;
};

// True when path names an existing directory or read-only file, which a save
// must not replace.
bool IsProtectedTarget(const std::wstring& path);

// Reads the rows of a bitmap of any pixel format as 8-bit red, green, blue.
class RgbRowReader {
public:
    explicit RgbRowReader(const ui::Bitmap& bitmap);
    // Fills rgb (Width() x 3 bytes) with row (0 = top).
    void Read(int row, uint8_t* rgb) const noexcept;

private:
    const ui::Bitmap& bitmap_;
    std::vector<RGBQUAD> table_;
    bool is555_ = false;
};

// The bitmap as the rows of a 24-bit DIB (blue, green, red; each row padded
// to 4 bytes), bottom row first unless topDown. Empty when the memory cannot
// be had.
std::vector<uint8_t> Dib24Rows(const ui::Bitmap& bitmap, bool topDown);
size_t Dib24Stride(int width);

}  // namespace imagefile
