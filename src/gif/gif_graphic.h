// The small part of a graphics class library that the GIF image classes need:
// a graphic base with change and progress notifications, a picture that
// holds any graphic and finds its class by file extension, and the DIB
// clipboard format of bitmaps.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "gif/gif_codec.h"

namespace gif {

using ProgressHandler = std::function<void(const void* sender, TProgressStage stage, int percent, bool redrawNow,
                                           const RECT& rect, const std::wstring& message)>;

class TGraphic {
public:
    enum class Kind { Other, Icon, Metafile };

    TGraphic() = default;
    virtual ~TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    // Assign from another graphic; the default asks the source to put itself
    // into this one and raises EConvertError when it cannot.
    virtual void Assign(const TGraphic* source);
    // Puts this graphic into another one; false when it cannot.
    virtual bool AssignTo(TGraphic& destination) const;
    // Renders this graphic into a bitmap; the default draws it into a 24-bit
    // bitmap of its size.
    virtual void AssignTo(ui::Bitmap& destination) const;
    virtual void Draw(HDC dc, const RECT& rect) const = 0;
    virtual bool Equals(const TGraphic* other) const { return other == this; }
    virtual bool GetEmpty() const = 0;
    virtual int GetHeight() const = 0;
    virtual int GetWidth() const = 0;
    virtual void SetHeight(int value) = 0;
    virtual void SetWidth(int value) = 0;
    virtual HPALETTE GetPalette() { return nullptr; }
    virtual void SetPalette(HPALETTE) {}
    virtual void WriteData(Stream& stream) { SaveToStream(stream); }
    virtual void ReadData(Stream& stream) { LoadFromStream(stream); }
    virtual void LoadFromStream(Stream& stream) = 0;
    virtual void SaveToStream(Stream& stream) = 0;
    virtual void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) = 0;
    virtual void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) = 0;
    // Icons and metafiles are drawn rather than converted, and bring a mask.
    virtual Kind GraphicKind() const { return Kind::Other; }
    virtual HBITMAP IconMask() const { return nullptr; }

    // Writes through a file stream; a failed save leaves the file as far as
    // it got.
    void LoadFromFile(const std::wstring& fileName);
    void SaveToFile(const std::wstring& fileName);

    void Changed();
    void Progress(const void* sender, TProgressStage stage, int percent, bool redrawNow, const std::wstring& message);

    std::function<void(TGraphic&)> OnChange;
    ProgressHandler OnProgress;
    bool PaletteModified = false;
    bool Transparent = false;
};

// A bitmap as a graphic, so that a picture can hold one.
class TBitmapGraphic : public TGraphic {
public:
    TBitmapGraphic() = default;
    explicit TBitmapGraphic(ui::Bitmap bitmap) : Bitmap(std::move(bitmap)) {}
    void Assign(const TGraphic* source) override;
    void AssignTo(ui::Bitmap& destination) const override;
    void Draw(HDC dc, const RECT& rect) const override;
    bool GetEmpty() const override { return Bitmap.Empty(); }
    int GetHeight() const override { return Bitmap.Height(); }
    int GetWidth() const override { return Bitmap.Width(); }
    void SetHeight(int value) override { Bitmap.SetSize(Bitmap.Width(), value); }
    void SetWidth(int value) override { Bitmap.SetSize(value, Bitmap.Height()); }
    void LoadFromStream(Stream& stream) override;
    void SaveToStream(Stream& stream) override;
    void LoadFromClipboardFormat(UINT format, HANDLE data, HPALETTE palette) override;
    void SaveToClipboardFormat(UINT& format, HANDLE& data, HPALETTE& palette) override;

    ui::Bitmap Bitmap;
};

// A holder of any graphic.
class TPicture {
public:
    TGraphic* Graphic() const { return graphic_.get(); }
    // The class is found by the file's extension in the registry below.
    void LoadFromFile(const std::wstring& fileName);
    void SaveToFile(const std::wstring& fileName);

private:
    std::unique_ptr<TGraphic> graphic_;
};

using GraphicFactory = std::unique_ptr<TGraphic> (*)();

// Picture registry: file extension (without the point, any case) and
// clipboard format to graphic class.
void RegisterFileFormat(const std::wstring& extension, const std::wstring& description, GraphicFactory factory);
void RegisterClipboardFormatClass(UINT format, GraphicFactory factory);
void UnregisterGraphicClass(GraphicFactory factory);
GraphicFactory FindFileFormat(const std::wstring& extension);
GraphicFactory FindClipboardFormat(UINT format);
std::wstring FileFormatDescription(const std::wstring& extension);

// A bitmap as a packed DIB in movable global memory (CF_DIB), and back.
HGLOBAL BitmapToPackedDib(const ui::Bitmap& bitmap);
bool BitmapFromClipboardData(ui::Bitmap& bitmap, UINT format, HANDLE data);

}  // namespace gif
