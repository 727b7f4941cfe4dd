#include "delivery/stamping.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "base/texts.h"
#include "delivery/settings_color.h"
#include "ui/gdi.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

namespace delivery {

namespace {

// Coordinates far outside any bitmap, kept small enough that adding a bitmap
// size to them cannot overflow.
constexpr int64_t FarAway = int64_t(1) << 30;

int Saturate(int64_t v) { return static_cast<int>(std::clamp(v, -FarAway, FarAway)); }

void FillBgr(ui::Bitmap& bitmap, COLORREF colour) {
    for (int y = 0; y < bitmap.Height(); ++y) {
        uint8_t* row = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x) {
            row[3 * x] = GetBValue(colour);
            row[3 * x + 1] = GetGValue(colour);
            row[3 * x + 2] = GetRValue(colour);
        }
    }
}

// The part of a w x h area at (x, y) that lies on the bitmap.
struct Visible {
    int left = 0, top = 0, width = 0, height = 0;
    bool Empty() const { return width <= 0 || height <= 0; }
};

Visible VisiblePart(const ui::Bitmap& bitmap, int64_t x, int64_t y, int64_t w, int64_t h) {
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(x + w, bitmap.Width());
    const int64_t bottom = std::min<int64_t>(y + h, bitmap.Height());
    Visible v;
    if (right <= left || bottom <= top) return v;
    v.left = static_cast<int>(left);
    v.top = static_cast<int>(top);
    v.width = static_cast<int>(right - left);
    v.height = static_cast<int>(bottom - top);
    return v;
}

bool MatchesIgnoringCase(std::wstring_view text, size_t at, std::wstring_view tag) {
    if (text.size() - at < tag.size()) return false;
    for (size_t i = 0; i < tag.size(); ++i) {
        wchar_t c = text[at + i];
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
        if (c != tag[i]) return false;
    }
    return true;
}

bool IsFile(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

ui::FontHandle AnnotationFont(const TConfiguration& config, HDC dc) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(config.AnnotationFontSize, GetDeviceCaps(dc, LOGPIXELSY), 72);
    font.lfWeight = (config.AnnotationFontStyle & 1) ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (config.AnnotationFontStyle & 2) ? TRUE : FALSE;
    font.lfUnderline = (config.AnnotationFontStyle & 4) ? TRUE : FALSE;
    font.lfStrikeOut = (config.AnnotationFontStyle & 8) ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    const std::wstring name = ui::ToWide(config.AnnotationFontName.view());
    name.copy(font.lfFaceName, LF_FACESIZE - 1);
    return ui::FontHandle(CreateFontIndirectW(&font));
}

}  // namespace

POINT PlaceOverlay(const TStampPosition& position, int w, int h, int captureWidth, int captureHeight) {
    const int64_t W = captureWidth, H = captureHeight, X = position.x, Y = position.y;
    int64_t x, y;
    switch (position.corner) {
        case scTopRight: x = W - w - X; y = Y; break;
        case scBottomLeft: x = X; y = H - h - Y; break;
        case scBottomRight: x = W - w - X; y = H - h - Y; break;
        case scCentre: x = W / 2 - w / 2; y = H / 2 - h / 2; break;
        case scTopLeft:
        default: x = X; y = Y; break;
    }
    return POINT{Saturate(x), Saturate(y)};
}

int OpacityToAlpha(int opacity) { return std::clamp(opacity, 0, 100) * 255 / 100; }

void BlendOverlay(ui::Bitmap& destination, const ui::Bitmap& overlay, int x, int y, bool key, int alpha) {
    if (destination.Empty() || overlay.Empty()) return;
    alpha = std::clamp(alpha, 0, 255);
    const ui::Bitmap* over = &overlay;
    ui::Bitmap converted;
    if (overlay.Bits() != 24) {
        converted = overlay;
        if (converted.Empty() || !converted.SetFormat(ui::PixelFormat::Bits24)) return;
        over = &converted;
    }
    const Visible v = VisiblePart(destination, x, y, over->Width(), over->Height());
    if (v.Empty()) return;

    // A 24-bit copy of the covered area, whatever the destination's format.
    ui::Bitmap work(v.width, v.height, ui::PixelFormat::Bits24);
    if (work.Empty()) return;
    BitBlt(work.Canvas(), 0, 0, v.width, v.height, destination.Canvas(), v.left, v.top, SRCCOPY);

    const uint8_t* keyPixel = over->ScanLine(0);
    const uint8_t kb = keyPixel[0], kg = keyPixel[1], kr = keyPixel[2];
    const int keep = 255 - alpha;
    for (int j = 0; j < v.height; ++j) {
        const uint8_t* o = over->ScanLine(v.top - y + j) + 3 * size_t(v.left - x);
        uint8_t* d = work.ScanLine(j);
        for (int i = 0; i < v.width; ++i, o += 3, d += 3) {
            if (key && o[0] == kb && o[1] == kg && o[2] == kr) continue;
            for (int c = 0; c < 3; ++c) d[c] = static_cast<uint8_t>(o[c] + keep * (d[c] - o[c]) / 255);
        }
    }
    BitBlt(destination.Canvas(), v.left, v.top, v.width, v.height, work.Canvas(), 0, 0, SRCCOPY);
    GdiFlush();
}

PlaceholderValues CurrentPlaceholderValues() {
    PlaceholderValues values;
    wchar_t buffer[256];
    if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, buffer, 256) > 0) values.time = buffer;
    if (GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, buffer, 256) > 0) values.date = buffer;
    values.computerName = ComputerName;
    values.userName = UserName;
    return values;
}

void ExpandPlaceholders(std::wstring& text, const PlaceholderValues& values) {
    const std::pair<std::wstring_view, const std::wstring*> tags[] = {
        {L"<TIME>", &values.time},
        {L"<DATE>", &values.date},
        {L"<COMPUTER NAME>", &values.computerName},
        {L"<USER NAME>", &values.userName},
    };
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        bool replaced = false;
        if (text[i] == L'<') {
            for (const auto& [tag, value] : tags) {
                if (MatchesIgnoringCase(text, i, tag)) {
                    out += *value;
                    i += tag.size();
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) out += text[i++];
    }
    text = std::move(out);
}

std::vector<std::wstring> AnnotationLines(std::wstring_view text, const PlaceholderValues& values) {
    static constexpr std::wstring_view NewLine = L"<NEW LINE>";
    std::vector<std::wstring> lines;
    size_t start = 0;
    while (static_cast<int>(lines.size()) < MaxAnnotationLines) {
        const size_t end = text.find(NewLine, start);
        std::wstring line(text.substr(start, end == std::wstring_view::npos ? std::wstring_view::npos : end - start));
        if (line.empty()) line = L" ";
        ExpandPlaceholders(line, values);
        lines.push_back(std::move(line));
        if (end == std::wstring_view::npos) break;
        start = end + NewLine.size();
    }
    return lines;
}

void StampAnnotation(ui::Bitmap& bitmap, const TConfiguration& config, std::wstring_view text,
                     const PlaceholderValues& values) {
    if (bitmap.Empty()) return;
    const std::vector<std::wstring> lines = AnnotationLines(text, values);

    // Measure the lines in the box's font.
    ui::DcHandle measure(CreateCompatibleDC(nullptr));
    if (!measure) return;
    ui::FontHandle font = AnnotationFont(config, measure);
    std::vector<int> heights;
    int64_t widest = 0, total = 0;
    {
        ui::Selection selected(measure, font.get());
        for (const std::wstring& line : lines) {
            SIZE size{};
            GetTextExtentPoint32W(measure, line.c_str(), static_cast<int>(line.size()), &size);
            widest = std::max<int64_t>(widest, size.cx);
            total += size.cy;
            heights.push_back(size.cy);
        }
    }
    const int boxWidth = Saturate(widest + 6), boxHeight = Saturate(total + 6);
    const POINT at = PlaceOverlay(config.AnnotationPosition, boxWidth, boxHeight, bitmap.Width(), bitmap.Height());

    // Only the part of the box that lands on the capture is made; the box's
    // own coordinates are shifted by (ox, oy) into it.
    const Visible v = VisiblePart(bitmap, at.x, at.y, boxWidth, boxHeight);
    if (v.Empty()) return;
    const int ox = at.x - v.left, oy = at.y - v.top;
    ui::Bitmap box(v.width, v.height, ui::PixelFormat::Bits24);
    if (box.Empty()) return;

    // The background is blended with the capture; border and text go on top
    // of the blend at full strength.
    FillBgr(box, SettingsColorToRgb(config.AnnotationBackColor));
    BlendOverlay(bitmap, box, v.left, v.top, false, OpacityToAlpha(config.AnnotationOpacity));
    HDC dc = box.Canvas();
    BitBlt(dc, 0, 0, v.width, v.height, bitmap.Canvas(), v.left, v.top, SRCCOPY);
    if (config.AnnotationBorder) {
        ui::PenHandle pen(CreatePen(PS_SOLID, 1, SettingsColorToRgb(config.AnnotationBorderColor)));
        ui::Selection p(dc, pen.get());
        ui::Selection b(dc, GetStockObject(NULL_BRUSH));
        Rectangle(dc, ox, oy, ox + boxWidth, oy + boxHeight);
    }
    {
        ui::Selection f(dc, font.get());
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, SettingsColorToRgb(config.AnnotationFontColor));
        int64_t lineTop = 3;
        for (size_t i = 0; i < lines.size(); ++i) {
            const int64_t y = oy + lineTop;
            if (y >= v.height) break;
            if (y + heights[i] > 0)
                TextOutW(dc, ox + 3, static_cast<int>(y), lines[i].c_str(), static_cast<int>(lines[i].size()));
            lineTop += heights[i];
        }
    }
    BitBlt(bitmap.Canvas(), v.left, v.top, v.width, v.height, dc, 0, 0, SRCCOPY);
    GdiFlush();
}

void StampWatermark(ui::Bitmap& bitmap, const TConfiguration& config, MessageSink sink) {
    const std::wstring path = ui::ToWide(config.WatermarkFile.view());
    if (!IsFile(path)) {
        if (sink) sink(ui::FormatText(txt::WatermarkMissing, {{L"<FILE>", path}}));
        return;
    }
    // A file that is no bitmap, is cut short or too large to hold must not
    // cost the capture: it goes out without the watermark.
    ui::Bitmap mark;
    bool loaded = false;
    try {
        loaded = mark.LoadFromFile(path) && !mark.Empty() && mark.SetFormat(ui::PixelFormat::Bits24);
    } catch (const std::bad_alloc&) {
        loaded = false;
    }
    if (!loaded) {
        if (sink) sink(ui::FormatText(txt::WatermarkUnreadable, {{L"<FILE>", path}}));
        return;
    }
    if (bitmap.Empty()) return;
    const POINT at = PlaceOverlay(config.WatermarkPosition, mark.Width(), mark.Height(), bitmap.Width(), bitmap.Height());
    BlendOverlay(bitmap, mark, at.x, at.y, config.WatermarkTransparent != 0, OpacityToAlpha(config.WatermarkOpacity));
}

void StampAnnotationAndWatermark(ui::Bitmap& bitmap, const TConfiguration& config, MessageSink sink) {
    if (config.AnnotationOn && !config.AnnotationText.empty()) {
        try {
            StampAnnotation(bitmap, config, ui::ToWide(config.AnnotationText.view()), CurrentPlaceholderValues());
        } catch (const std::bad_alloc&) {
            // Without the annotation rather than without the capture.
        }
    }
    if (config.WatermarkOn) StampWatermark(bitmap, config, sink);
}

}  // namespace delivery
