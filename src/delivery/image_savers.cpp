#include "delivery/image_savers.h"

#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <memory>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "base/globals.h"
#include "base/files.h"
#include "delivery/image_file.h"
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

// --- JPEG ---

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// libjpeg's own handler ends the process.
void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr) {}

// The compressed data goes to the file in pieces of one buffer, not into a
// growing block of memory that is copied on every growth and written after.
struct JpegFileDestination {
    jpeg_destination_mgr manager;
    imagefile::PendingFile* file;
    JOCTET buffer[1 << 16];
};

void JpegStart(j_compress_ptr info) {
    auto* d = reinterpret_cast<JpegFileDestination*>(info->dest);
    d->manager.next_output_byte = d->buffer;
    d->manager.free_in_buffer = sizeof d->buffer;
}

boolean JpegBufferFull(j_compress_ptr info) {
    auto* d = reinterpret_cast<JpegFileDestination*>(info->dest);
    if (!d->file->Write(d->buffer, sizeof d->buffer)) info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
    JpegStart(info);
    return TRUE;
}

void JpegEnd(j_compress_ptr info) {
    auto* d = reinterpret_cast<JpegFileDestination*>(info->dest);
    if (!d->file->Write(d->buffer, sizeof d->buffer - d->manager.free_in_buffer))
        info->err->error_exit(reinterpret_cast<j_common_ptr>(info));
}

// libjpeg leaves by longjmp on errors, so this routine holds no object that
// needs destroying; the caller owns the row and the destination. 24- and
// 32-bit bitmaps (every capture) are compressed from their own rows:
// libjpeg-turbo reads blue, green, red (and a fourth byte) itself, with the
// same colour conversion, and so the same bytes, as from red, green, blue.
bool EncodeJpeg(const ui::Bitmap& bitmap, const imagefile::RgbRowReader& reader, uint8_t* row,
                JpegFileDestination* destination) {
    jpeg_compress_struct info;
    JpegErrors errors;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFail;
    errors.manager.output_message = JpegQuiet;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    destination->manager.init_destination = JpegStart;
    destination->manager.empty_output_buffer = JpegBufferFull;
    destination->manager.term_destination = JpegEnd;
    info.dest = &destination->manager;
    info.image_width = static_cast<JDIMENSION>(bitmap.Width());
    info.image_height = static_cast<JDIMENSION>(bitmap.Height());
    const bool direct = bitmap.Bits() == 24 || bitmap.Bits() == 32;
    info.input_components = direct ? bitmap.Bits() / 8 : 3;
    info.in_color_space = !direct ? JCS_RGB : bitmap.Bits() == 24 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        const int y = static_cast<int>(info.next_scanline);
        JSAMPROW rows[1] = {row};
        if (direct)
            rows[0] = const_cast<JSAMPROW>(bitmap.ScanLine(y));
        else
            reader.Read(y, row);
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
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
        if (bitmap.Empty()) return false;
        imagefile::PendingFile file(path);
        if (!file.ok()) return false;
        const imagefile::RgbRowReader reader(bitmap);
        std::vector<uint8_t> row(size_t(bitmap.Width()) * 3);
        auto destination = std::make_unique<JpegFileDestination>();
        destination->file = &file;
        return EncodeJpeg(bitmap, reader, row.data(), destination.get()) && file.Commit();
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
