#include "delivery/image_file.h"

#include <new>

namespace imagefile {

namespace {

bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

std::wstring AsciiUpper(std::wstring s) {
    for (auto& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

// Names the system maps to devices in any folder and with any extension.
bool IsDeviceName(const std::wstring& name) {
    std::wstring base = name.substr(0, name.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.pop_back();
    base = AsciiUpper(base);
    if (base == L"CON" || base == L"PRN" || base == L"AUX" || base == L"NUL" || base == L"CONIN$" ||
        base == L"CONOUT$")
        return true;
    if (base.size() == 4 && (base.compare(0, 3, L"COM") == 0 || base.compare(0, 3, L"LPT") == 0)) {
        const wchar_t d = base[3];
        return (d >= L'1' && d <= L'9') || d == L'\u00b9' || d == L'\u00b2' || d == L'\u00b3';
    }
    return false;
}

bool IsValidComponent(const std::wstring& part) {
    if (part.empty() || part.size() > 255) return false;
    if (part == L"." || part == L"..") return true;
    for (wchar_t c : part) {
        if (c < 32) return false;
        switch (c) {
            case L'<': case L'>': case L':': case L'"': case L'|': case L'?': case L'*':
                return false;
            default:
                break;
        }
    }
    // The system drops trailing dots and blanks, so the file would get
    // another name than the one asked for.
    return part.back() != L'.' && part.back() != L' ';
}

std::wstring FolderPart(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

}  // namespace

bool IsSavablePath(const std::wstring& path) {
    // MAX_PATH counts the terminating zero.
    if (path.size() >= MAX_PATH) return false;
    size_t start;
    size_t minimumParts;
    if (path.size() >= 3 && IsAsciiLetter(path[0]) && path[1] == L':' && IsSeparator(path[2])) {
        start = 3;
        minimumParts = 1;  // the file name
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        start = 2;          // \\server\share\name; "\\?\" and "\\.\" fail below
        minimumParts = 3;
    } else {
        return false;
    }
    std::vector<std::wstring> parts;
    size_t begin = start;
    for (size_t i = start; i <= path.size(); ++i) {
        if (i == path.size() || IsSeparator(path[i])) {
            parts.push_back(path.substr(begin, i - begin));
            begin = i + 1;
        }
    }
    if (parts.size() < minimumParts) return false;
    for (const auto& part : parts)
        if (!IsValidComponent(part)) return false;
    if (start == 2 && (parts[0] == L"." || parts[0] == L".." || parts[1] == L"." || parts[1] == L".."))
        return false;
    const std::wstring& name = parts.back();
    return name != L"." && name != L".." && !IsDeviceName(name);
}

bool IsProtectedTarget(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY));
}

PendingFile::PendingFile(const std::wstring& target) : target_(target) {
    if (!IsSavablePath(target) || IsProtectedTarget(target)) return;
    const std::wstring folder = FolderPart(target);
    static unsigned counter = 0;
    unsigned seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    static const wchar_t hex[] = L"0123456789abcdef";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned n = (seed + ++counter * 2654435761u) & 0xFFFFF;
        std::wstring name = folder + L"~vtv";
        for (int shift = 16; shift >= 0; shift -= 4) name += hex[(n >> shift) & 0xF];
        name += L".tmp";
        HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            file_ = h;
            temp_ = name;
            return;
        }
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) return;
    }
}

PendingFile::~PendingFile() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    if (!committed_ && !temp_.empty()) DeleteFileW(temp_.c_str());
}

bool PendingFile::Write(const void* data, size_t size) {
    if (file_ == INVALID_HANDLE_VALUE || failed_) return false;
    const auto* p = static_cast<const uint8_t*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(file_, p, chunk, &written, nullptr) || written != chunk) {
            failed_ = true;
            return false;
        }
        p += chunk;
        size -= chunk;
    }
    return true;
}

void PendingFile::ReleaseName() {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
}

bool PendingFile::Commit() {
    if (temp_.empty() || failed_ || committed_) return false;
    if (file_ != INVALID_HANDLE_VALUE) {
        const bool closed = CloseHandle(file_) != 0;
        file_ = INVALID_HANDLE_VALUE;
        if (!closed) return false;
    }
    // Checked again: the target may have changed while the image was encoded.
    if (IsProtectedTarget(target_)) return false;
    if (!MoveFileExW(temp_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return false;
    committed_ = true;
    return true;
}

RgbRowReader::RgbRowReader(const ui::Bitmap& bitmap) : bitmap_(bitmap) {
    table_ = bitmap.ColorTable();
    is555_ = bitmap.Format() == ui::PixelFormat::Bits15;
}

void RgbRowReader::Read(int row, uint8_t* rgb) const noexcept {
    const int width = bitmap_.Width();
    const uint8_t* src = bitmap_.ScanLine(row);
    if (!src) {
        for (int x = 0; x < width * 3; ++x) rgb[x] = 0;
        return;
    }
    auto fromTable = [&](unsigned index, uint8_t* out) {
        if (index < table_.size()) {
            out[0] = table_[index].rgbRed;
            out[1] = table_[index].rgbGreen;
            out[2] = table_[index].rgbBlue;
        } else {
            out[0] = out[1] = out[2] = 0;
        }
    };
    // One loop per format: the savers read every pixel of a capture this way,
    // and a test of the format per pixel would cost more than the copy.
    switch (bitmap_.Bits()) {
        case 1:
            for (int x = 0; x < width; ++x, rgb += 3) fromTable((src[x >> 3] >> (7 - (x & 7))) & 1, rgb);
            break;
        case 4:
            for (int x = 0; x < width; ++x, rgb += 3) fromTable((src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF, rgb);
            break;
        case 8:
            for (int x = 0; x < width; ++x, rgb += 3) fromTable(src[x], rgb);
            break;
        case 16:
            for (int x = 0; x < width; ++x, rgb += 3) {
                const unsigned v = src[2 * x] | (src[2 * x + 1] << 8);
                unsigned r, g, b;
                if (is555_) {
                    r = (v >> 10) & 31; g = (v >> 5) & 31; b = v & 31;
                    g = (g << 3) | (g >> 2);
                } else {
                    r = (v >> 11) & 31; g = (v >> 5) & 63; b = v & 31;
                    g = (g << 2) | (g >> 4);
                }
                rgb[0] = static_cast<uint8_t>((r << 3) | (r >> 2));
                rgb[1] = static_cast<uint8_t>(g);
                rgb[2] = static_cast<uint8_t>((b << 3) | (b >> 2));
            }
            break;
        case 24:
            for (int x = 0; x < width; ++x, rgb += 3, src += 3) {
                rgb[0] = src[2]; rgb[1] = src[1]; rgb[2] = src[0];
            }
            break;
        default:
            for (int x = 0; x < width; ++x, rgb += 3, src += 4) {
                rgb[0] = src[2]; rgb[1] = src[1]; rgb[2] = src[0];
            }
            break;
    }
}

size_t Dib24Stride(int width) { return (size_t(width) * 3 + 3) & ~size_t(3); }

std::vector<uint8_t> Dib24Rows(const ui::Bitmap& bitmap, bool topDown) {
    std::vector<uint8_t> bits;
    if (bitmap.Empty()) return bits;
    const size_t stride = Dib24Stride(bitmap.Width());
    try {
        bits.assign(stride * size_t(bitmap.Height()), 0);
    } catch (const std::bad_alloc&) {
        return {};
    }
    const RgbRowReader reader(bitmap);
    std::vector<uint8_t> rgb(size_t(bitmap.Width()) * 3);
    for (int y = 0; y < bitmap.Height(); ++y) {
        reader.Read(y, rgb.data());
        uint8_t* out = bits.data() + size_t(topDown ? y : bitmap.Height() - 1 - y) * stride;
        for (int x = 0; x < bitmap.Width(); ++x) {
            out[3 * x] = rgb[3 * x + 2];
            out[3 * x + 1] = rgb[3 * x + 1];
            out[3 * x + 2] = rgb[3 * x];
        }
    }
    return bits;
}

}  // namespace imagefile
