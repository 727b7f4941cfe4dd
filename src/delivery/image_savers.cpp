#include "delivery/image_savers.h"

#include <windows.h>

#include <vector>

#include "base/files.h"
#include "base/globals.h"
#include "delivery/image_file.h"
#include "delivery/jpeg_writer.h"
#include "delivery/numbered_names.h"
#include "delivery/png_writer.h"
#include "ui/gdi.h"

#ifdef VORLIX_HAVE_GIF
#include "gif/save_gif.h"
#endif

std::wstring ImageFileName;

const wchar_t* const ImageExtensions[4] = {L".bmp", L".jpg", L".gif", L".png"};

std::wstring ImageExtension(TImageFormat format) {
    return format >= ifBMP && format <= ifPNG ? ImageExtensions[format - 1] : L"";
}

namespace {

std::wstring AsciiUpper(std::wstring s) {
    for (auto& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

// --- numbering ---

bool SameText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           (a.empty() || CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
                                              TRUE) == CSTR_EQUAL);
}

}  // namespace

bool SaveBMP(const ui::Bitmap& bitmap, const std::wstring& path) {
    try {
        if (bitmap.Empty()) return false;
        imagefile::PendingFile file(path);
        if (!file.ok()) return false;
        // The pixels go to the file from the bitmap's own memory.
        const std::vector<uint8_t> headers = bitmap.FileHeaders();
        return !headers.empty() && file.Write(headers.data(), headers.size()) &&
               file.Write(bitmap.Pixels(), bitmap.PixelBytes()) && file.Commit();
    } catch (...) {
        return false;
    }
}

bool SaveJPEG(const ui::Bitmap& bitmap, const std::wstring& path) {
    try {
        return jpegfile::SaveJpeg(bitmap, path);
    } catch (...) {
        return false;
    }
}

bool SavePNG(const ui::Bitmap& bitmap, const std::wstring& path) {
    try {
        SaveBitmapAsPng(path, bitmap, NoTransparentColor);
        return true;
    } catch (...) {
        return false;
    }
}

namespace {

bool SaveGIFFile(const ui::Bitmap& bitmap, const std::wstring& path) {
#ifdef VORLIX_HAVE_GIF
    try {
        if (bitmap.Empty()) return false;
        imagefile::PendingFile file(path);
        if (!file.ok()) return false;
        // The codec writes its own file: it gets the unused temporary name,
        // and the result takes the target's place only when it succeeded.
        file.ReleaseName();
        return SaveGIF(bitmap, file.TempPath()) && file.Commit();
    } catch (...) {
        return false;
    }
#else
    (void)bitmap;
    (void)path;
    return false;
#endif
}

}  // namespace

bool SaveImageByExtension(const ui::Bitmap& bitmap, std::wstring& path) {
    try {
        const std::wstring name = FileNameOf(path);
        const std::wstring base = name.substr(0, name.find_last_of(L'.'));
        if (base == AsciiUpper(base)) path = AsciiUpper(path);
        switch (ImageFormatOfExtension(path)) {
            case ifBMP: return SaveBMP(bitmap, path);
            case ifJPEG: return SaveJPEG(bitmap, path);
            case ifGIF: return SaveGIFFile(bitmap, path);
            case ifPNG: return SavePNG(bitmap, path);
            default: return false;
        }
    } catch (...) {
        return false;
    }
}

bool SaveCaptureByExtension() { return SaveImageByExtension(CaptureBitmap, ImageFileName); }

std::wstring NextNumberedFileName(const std::wstring& folder, const std::wstring& prefix, TImageFormat format) {
    const std::wstring ext = ImageExtension(format);
    // Without a folder the name would be looked up (and later written) in
    // whatever the current folder is; the relative name makes the save fail.
    if (folder.empty()) return prefix + L"1" + ext;
    std::wstring dir = folder;
    if (dir.back() != L'\\' && dir.back() != L'/') dir += L'\\';

    numbering::NumberedNames names(prefix, ext, SameText);
    WIN32_FIND_DATAW found;
    // Every entry is listed and matched here, not by the system's wildcards,
    // which also match short 8.3 names and would let some names slip through.
    const HANDLE first = FindFirstFileW((dir + L"*").c_str(), &found);
    if (first != INVALID_HANDLE_VALUE) {
        const ui::FindHandle search(first);
        do {
            names.Add(found.cFileName);
        } while (FindNextFileW(search.get(), &found));
    }
    std::wstring n = names.Next();
    // A folder that could not be listed, or a file that appeared meanwhile:
    // never hand out a name that is taken.
    std::wstring result = dir + prefix + n + ext;
    for (int i = 0; i < 10000 && GetFileAttributesW(result.c_str()) != INVALID_FILE_ATTRIBUTES; ++i) {
        n = numbering::PlusOne(n);
        result = dir + prefix + n + ext;
    }
    return result;
}
