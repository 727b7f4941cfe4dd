#include "gif/save_gif.h"

#include <windows.h>

#include "gif/gif_picture.h"

namespace {

// Writes the whole file at once. A file that could not be written completely
// is removed again, so that a failed save never leaves a truncated image
// under the target name.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& data) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < data.size()) {
        const DWORD ask = DWORD(std::min<size_t>(data.size() - done, size_t(1) << 24));
        DWORD written = 0;
        ok = WriteFile(file, data.data() + done, ask, &written, nullptr) && written == ask;
        done += written;
    }
    ok = CloseHandle(file) && ok;
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

}  // namespace

bool SaveGIF(const ui::Bitmap& bitmap, const std::wstring& path) {
    // A picture without pixels makes a file that no viewer can show.
    if (bitmap.Empty()) return false;
    try {
        gif::TGifPicture image;
        image.Reduction = 8;  // octree palette of 256 keeping the 20 system colours
        image.Assign(bitmap);
        // The whole file is made in memory first: a codec error or a lack of
        // memory then leaves any earlier file of that name untouched.
        gif::MemoryStream data;
        image.SaveToStream(data);
        return WriteWholeFile(path, data.Data());
    } catch (...) {
        return false;
    }
}
