#include "gif/gif_graphic.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/gif_texts.h"
#include "ui/text_convert.h"

namespace gif {

// ---------------------------------------------------------------------------
// Graphic base

void TGraphic::Assign(const TGraphic* source) {
    if (source == this) return;
    if (!source || !source->AssignTo(*this)) throw EConvertError(txt::GifCannotAssign);
}

bool TGraphic::AssignTo(TGraphic&) const { return false; }

void TGraphic::AssignTo(ui::Bitmap& destination) const {
    ui::Bitmap bitmap(GetWidth(), GetHeight(), ui::PixelFormat::Bits24);
    if (GetEmpty()) {
        destination = ui::Bitmap();
        return;
    }
    if (bitmap.Empty()) throw EOutOfMemory(txt::GifOutOfMemory);
    bitmap.Clear(RGB(255, 255, 255));
    RECT r{0, 0, GetWidth(), GetHeight()};
    Draw(bitmap.Canvas(), r);
    destination = std::move(bitmap);
}

void TGraphic::LoadFromFile(const std::wstring& fileName) {
    FileStream stream(fileName, FileStream::Mode::OpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::wstring& fileName) {
    FileStream stream(fileName, FileStream::Mode::Create);
    SaveToStream(stream);
    stream.Flush();
    stream.Close();
}

void TGraphic::Changed() {
    if (OnChange) OnChange(*this);
}

void TGraphic::Progress(const void* sender, TProgressStage stage, int percent, bool redrawNow,
                        const std::wstring& message) {
    if (!OnProgress) return;
    const RECT empty{0, 0, 0, 0};
    OnProgress(sender, stage, percent, redrawNow, empty, message);
}

// ---------------------------------------------------------------------------
// Bitmap graphic

void TBitmapGraphic::Assign(const TGraphic* source) {
    if (source == this) return;
    if (const auto* other = dynamic_cast<const TBitmapGraphic*>(source)) {
        Bitmap = other->Bitmap;
        return;
    }
    if (!source) {
        Bitmap = ui::Bitmap();
        return;
    }
    source->AssignTo(Bitmap);
}

void TBitmapGraphic::AssignTo(ui::Bitmap& destination) const { destination = Bitmap; }

void TBitmapGraphic::Draw(HDC dc, const RECT& rect) const {
    if (Bitmap.Empty()) return;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, Bitmap.Canvas(), 0, 0,
               Bitmap.Width(), Bitmap.Height(), SRCCOPY);
}

void TBitmapGraphic::LoadFromStream(Stream& stream) {
    const int64_t size = stream.Size() - stream.Position();
    if (size <= 0) throw EReadError(txt::GifStreamReadError);
    std::vector<uint8_t> data(static_cast<size_t>(size));
    stream.ReadBuffer(data.data(), data.size());
    if (!Bitmap.LoadFromMemory(data.data(), data.size())) throw EInvalidGraphic(txt::GifStreamReadError);
}

void TBitmapGraphic::SaveToStream(Stream& stream) {
    const std::vector<uint8_t> data = Bitmap.SaveToMemory();
    stream.WriteBuffer(data.data(), data.size());
}

void TBitmapGraphic::LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE) {
    if (!BitmapFromClipboardData(Bitmap, format, data)) throw EInvalidGraphic(txt::GifUnsupportedClipboardFormat);
}

void TBitmapGraphic::SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) {
    format = CF_DIB;
    data = BitmapToPackedDib(Bitmap);
    palette = nullptr;
}

// ---------------------------------------------------------------------------
// Picture and registry

namespace {

struct FileFormat {
    std::wstring extension, description;
    GraphicFactory factory;
};
struct ClipboardFormat {
    UINT format;
    GraphicFactory factory;
};

std::vector<FileFormat>& FileFormats() {
    static std::vector<FileFormat> formats;
    return formats;
}
std::vector<ClipboardFormat>& ClipboardFormats() {
    static std::vector<ClipboardFormat> formats;
    return formats;
}

std::wstring ExtensionOf(const std::wstring& fileName) {
    const size_t dot = fileName.find_last_of(L'.');
    const size_t slash = fileName.find_last_of(L"\\/");
    if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash)) return L"";
    return fileName.substr(dot + 1);
}

}  // namespace

void RegisterFileFormat(const std::wstring& extension, const std::wstring& description, GraphicFactory factory) {
    FileFormats().push_back(FileFormat{ui::LowerCase(extension), description, factory});
}

void RegisterClipboardFormatClass(UINT format, GraphicFactory factory) {
    ClipboardFormats().push_back(ClipboardFormat{format, factory});
}

void UnregisterGraphicClass(GraphicFactory factory) {
    auto& files = FileFormats();
    files.erase(std::remove_if(files.begin(), files.end(), [&](const FileFormat& f) { return f.factory == factory; }),
                files.end());
    auto& clips = ClipboardFormats();
    clips.erase(std::remove_if(clips.begin(), clips.end(),
                               [&](const ClipboardFormat& f) { return f.factory == factory; }),
                clips.end());
}

GraphicFactory FindFileFormat(const std::wstring& extension) {
    const std::wstring want = ui::LowerCase(extension);
    const auto& files = FileFormats();
    for (auto it = files.rbegin(); it != files.rend(); ++it)
        if (it->extension == want) return it->factory;
    return nullptr;
}

std::wstring FileFormatDescription(const std::wstring& extension) {
    const std::wstring want = ui::LowerCase(extension);
    const auto& files = FileFormats();
    for (auto it = files.rbegin(); it != files.rend(); ++it)
        if (it->extension == want) return it->description;
    return L"";
}

GraphicFactory FindClipboardFormat(UINT format) {
    const auto& clips = ClipboardFormats();
    for (auto it = clips.rbegin(); it != clips.rend(); ++it)
        if (it->format == format) return it->factory;
    return nullptr;
}

void TPicture::LoadFromFile(const std::wstring& fileName) {
    GraphicFactory factory = FindFileFormat(ExtensionOf(fileName));
    if (!factory) throw EInvalidGraphic(txt::GifUnknownFileExtension);
    std::unique_ptr<TGraphic> graphic = factory();
    graphic->LoadFromFile(fileName);
    graphic_ = std::move(graphic);
}

void TPicture::SaveToFile(const std::wstring& fileName) {
    if (graphic_) graphic_->SaveToFile(fileName);
}

// ---------------------------------------------------------------------------
// Clipboard DIBs

HGLOBAL BitmapToPackedDib(const ui::Bitmap& bitmap) {
    if (bitmap.Empty()) return nullptr;
    const std::vector<uint8_t> file = bitmap.SaveToMemory();
    const size_t skip = sizeof(BITMAPFILEHEADER);
    if (file.size() <= skip) return nullptr;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, file.size() - skip);
    if (!block) throw EOutOfMemory(txt::GifOutOfMemory);
    void* p = GlobalLock(block);
    std::memcpy(p, file.data() + skip, file.size() - skip);
    GlobalUnlock(block);
    return block;
}

bool BitmapFromClipboardData(ui::Bitmap& bitmap, UINT format, HANDLE data) {
    if (!data) return false;
    if (format == CF_DIB) {
        const SIZE_T size = GlobalSize(data);
        const auto* p = static_cast<const uint8_t*>(GlobalLock(data));
        if (!p || size < sizeof(BITMAPINFOHEADER)) {
            if (p) GlobalUnlock(data);
            return false;
        }
        // Make a file of it: the pixels follow the header, masks and table.
        BITMAPINFOHEADER h;
        std::memcpy(&h, p, sizeof h);
        size_t table = 0;
        if (h.biBitCount <= 8) table = (h.biClrUsed ? h.biClrUsed : (1u << h.biBitCount)) * sizeof(RGBQUAD);
        if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) table += 12;
        std::vector<uint8_t> file(sizeof(BITMAPFILEHEADER) + size);
        BITMAPFILEHEADER fh{};
        fh.bfType = 0x4D42;
        fh.bfSize = DWORD(file.size());
        fh.bfOffBits = DWORD(sizeof fh + h.biSize + table);
        std::memcpy(file.data(), &fh, sizeof fh);
        std::memcpy(file.data() + sizeof fh, p, size);
        GlobalUnlock(data);
        return bitmap.LoadFromMemory(file.data(), file.size());
    }
    if (format == CF_BITMAP) {
        BITMAP info{};
        if (!GetObjectW(data, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0) return false;
        ui::Bitmap copy(info.bmWidth, info.bmHeight, ui::PixelFormat::Bits24);
        if (copy.Empty()) return false;
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, data);
        BitBlt(copy.Canvas(), 0, 0, info.bmWidth, info.bmHeight, dc, 0, 0, SRCCOPY);
        SelectObject(dc, old);
        DeleteDC(dc);
        bitmap = std::move(copy);
        return true;
    }
    return false;
}

}  // namespace gif
