#include "harness.h"

#include <objbase.h>
#include <wincodec.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

#include "base/globals.h"

namespace harness {

namespace {

struct Windows {
    ui::Window application;
    TuMainForm form;
    Windows() {
        application.Create(L"VorlixTestApplication", L"Vorlix Tessavue", WS_POPUP, WS_EX_TOOLWINDOW, 0, 0, 0, 0);
        ApplicationWindow = application.Handle();
        form.Create(L"TuMainForm", L"Vorlix Tessavue", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, -NoticeWidth, 3,
                    NoticeWidth, NoticeHeight, ApplicationWindow);
        MainWindow = form.Handle();
        uMainForm = &form;
        ShowWindow(MainWindow, SW_SHOWNOACTIVATE);
    }
};

void InitCom() {
    static const bool done = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    (void)done;
}

Windows& TheWindows() {
    static Windows* windows = [] {
        InitCom();
        return new Windows();  // lives to the end of the process
    }();
    return *windows;
}

template <typename T>
struct Releaser {
    void operator()(T* p) const { if (p) p->Release(); }
};
template <typename T>
using Com = std::unique_ptr<T, Releaser<T>>;

}  // namespace

void EnsureWindows() { TheWindows(); }
TuMainForm& Form() { return TheWindows().form; }

ui::Bitmap PatternImage(int width, int height, int seed) {
    ui::Bitmap b(width, height, ui::PixelFormat::Bits32);
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            // Smooth enough for JPEG, different for every pixel of small
            // images and for every seed.
            row[4 * x + 0] = static_cast<uint8_t>((seed * 13) % 100 + (x + y) * 2);  // blue
            row[4 * x + 1] = static_cast<uint8_t>(y * 5 + 20);                       // green
            row[4 * x + 2] = static_cast<uint8_t>(x * 3 + 40);                       // red
            row[4 * x + 3] = 0;
        }
    }
    return b;
}

vt::Pixels PixelsOf(const ui::Bitmap& bitmap) {
    vt::Pixels p(bitmap.Width(), bitmap.Height());
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) p.At(x, y) = RGB(row[4 * x + 2], row[4 * x + 1], row[4 * x]);
    }
    return p;
}

std::optional<Image> ReadImage(const std::wstring& path) {
    InitCom();
    IWICImagingFactory* f = nullptr;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void**>(&f))))
        return std::nullopt;
    Com<IWICImagingFactory> factory(f);
    IWICBitmapDecoder* d = nullptr;
    if (FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &d)))
        return std::nullopt;
    Com<IWICBitmapDecoder> decoder(d);
    GUID container{};
    decoder->GetContainerFormat(&container);
    Image image;
    if (container == GUID_ContainerFormatBmp) image.format = L"BMP";
    else if (container == GUID_ContainerFormatPng) image.format = L"PNG";
    else if (container == GUID_ContainerFormatJpeg) image.format = L"JPEG";
    else if (container == GUID_ContainerFormatGif) image.format = L"GIF";
    else image.format = L"?";
    IWICBitmapFrameDecode* fr = nullptr;
    if (FAILED(decoder->GetFrame(0, &fr))) return std::nullopt;
    Com<IWICBitmapFrameDecode> frame(fr);
    IWICFormatConverter* c = nullptr;
    if (FAILED(factory->CreateFormatConverter(&c))) return std::nullopt;
    Com<IWICFormatConverter> converter(c);
    if (FAILED(converter->Initialize(frame.get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0,
                                     WICBitmapPaletteTypeCustom)))
        return std::nullopt;
    UINT w = 0, h = 0;
    converter->GetSize(&w, &h);
    std::vector<uint8_t> bytes(size_t(w) * h * 4);
    if (FAILED(converter->CopyPixels(nullptr, w * 4, static_cast<UINT>(bytes.size()), bytes.data())))
        return std::nullopt;
    image.pixels = vt::Pixels(static_cast<int>(w), static_cast<int>(h));
    for (UINT y = 0; y < h; ++y)
        for (UINT x = 0; x < w; ++x) {
            const uint8_t* p = &bytes[(size_t(y) * w + x) * 4];
            image.pixels.At(static_cast<int>(x), static_cast<int>(y)) = RGB(p[2], p[1], p[0]);
        }
    return image;
}

int MaxDifference(const vt::Pixels& a, const vt::Pixels& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.data.size(); ++i) {
        const COLORREF p = a.data[i], q = b.data[i];
        worst = std::max({worst, std::abs(GetRValue(p) - GetRValue(q)), std::abs(GetGValue(p) - GetGValue(q)),
                          std::abs(GetBValue(p) - GetBValue(q))});
    }
    return worst;
}

}  // namespace harness
