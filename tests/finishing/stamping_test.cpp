#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "base/configuration.h"
#include "base/texts.h"
#include "delivery/stamping.h"
#include "finishing_support.h"
#include "ui/gdi.h"
#include "ui/text_convert.h"

using namespace finishing_test;
using namespace delivery;

namespace {

std::vector<std::wstring> messages;
void Record(const std::wstring& text) { messages.push_back(text); }

constexpr COLORREF Capture = RGB(40, 120, 200);

TConfiguration Defaults() {
    TConfiguration c{};
    DefaultInputs in;
    in.programFolder = "C:\\Vorlix\\";
    in.desktopFolder = "C:\\Desktop\\";
    SetDefaults(c, in);
    return c;
}

ui::Bitmap Uniform(int w, int h, COLORREF c, ui::PixelFormat f = ui::PixelFormat::Bits24) {
    ui::Bitmap b(w, h, f);
    Fill(b, c);
    return b;
}

uint8_t Mix(int o, int d, int alpha) { return uint8_t(o + (255 - alpha) * (d - o) / 255); }
COLORREF Blend(COLORREF o, COLORREF d, int alpha) {
    return RGB(Mix(GetRValue(o), GetRValue(d), alpha), Mix(GetGValue(o), GetGValue(d), alpha),
               Mix(GetBValue(o), GetBValue(d), alpha));
}

// Text extents measured the way a user's font would be: by GDI, in a font
// made here from the same settings.
SIZE Extent(const TConfiguration& c, const std::wstring& text) {
    ui::DcHandle dc(CreateCompatibleDC(nullptr));
    ui::FontHandle font(CreateFontW(-MulDiv(c.AnnotationFontSize, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0,
                                    (c.AnnotationFontStyle & 1) ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                    DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma"));
    ui::Selection s(dc, font.get());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), int(text.size()), &size);
    return size;
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    return std::wstring(folder) + L"vorlix_finishing_" + std::to_wstring(GetCurrentProcessId()) + L"_" + name;
}

void WriteBytes(const std::wstring& path, const std::vector<uint8_t>& bytes) {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(f);
}

const PlaceholderValues Values{L"10:20:30", L"24/12/2026", L"HOST", L"anna"};

}  // namespace

TEST(PlaceOverlay, CornersCentreAndFarOffsets) {
    const struct { uint8_t corner; int x, y, w, h; LONG ex, ey; } cases[] = {
        {scTopLeft, 3, 4, 30, 20, 3, 4},
        {scTopRight, 3, 4, 30, 20, 67, 4},
        {scBottomLeft, 3, 4, 30, 20, 3, 56},
        {scBottomRight, 3, 4, 30, 20, 67, 56},
        {scCentre, 3, 4, 31, 21, 35, 30},       // offsets not used, halves truncated
        {scCentre, 0, 0, 151, 101, -25, -10},   // larger than the capture
        {0, 7, 8, 10, 10, 7, 8},                // unknown corner: top-left
        {scBottomRight, 500, 500, 30, 20, -430, -440},
    };
    for (const auto& c : cases) {
        const TStampPosition p{c.corner, {}, c.x, c.y};
        const POINT at = PlaceOverlay(p, c.w, c.h, 100, 80);
        EXPECT_EQ(at.x, c.ex) << int(c.corner);
        EXPECT_EQ(at.y, c.ey) << int(c.corner);
    }
    // Offsets at the ends of their range stay far outside, without overflow.
    const POINT beyond = PlaceOverlay(TStampPosition{scBottomRight, {}, INT_MIN, INT_MIN}, 30, 20, 100, 80);
    EXPECT_GE(beyond.x, 100);
    EXPECT_GE(beyond.y, 80);
    const POINT before = PlaceOverlay(TStampPosition{scTopRight, {}, INT_MAX, INT_MAX}, 30, 20, 100, 80);
    EXPECT_LE(before.x, -30);
    EXPECT_GE(before.y, 80);
}

TEST(BlendOverlay, ExactBytesForAlpha0And178And255) {
    // d = 200 under o = 100, and d = 10 under o = 250 (truncation toward zero
    // of a negative difference).
    for (auto format : {ui::PixelFormat::Bits24, ui::PixelFormat::Bits32}) {
        const struct { int alpha; COLORREF expected; } cases[] = {
            {0, RGB(200, 10, 77)}, {178, RGB(130, 178, 77)}, {255, RGB(100, 250, 77)}};
        for (const auto& c : cases) {
            ui::Bitmap d = Uniform(2, 1, RGB(200, 10, 77), format);
            ui::Bitmap o = Uniform(1, 1, RGB(100, 250, 77));
            BlendOverlay(d, o, 1, 0, false, c.alpha);
            EXPECT_EQ(PixelAt(d, 1, 0), c.expected) << c.alpha;
            EXPECT_EQ(PixelAt(d, 0, 0), RGB(200, 10, 77));
        }
    }
}

TEST(BlendOverlay, KeyColourIsTheTopLeftPixelInAllThreeChannels) {
    const COLORREF key = RGB(255, 0, 255), nearKey = RGB(255, 1, 255);
    ui::Bitmap o(3, 1, ui::PixelFormat::Bits24);
    SetPixelAt(o, 0, 0, key);
    SetPixelAt(o, 1, 0, key);
    SetPixelAt(o, 2, 0, nearKey);
    for (bool useKey : {true, false}) {
        ui::Bitmap d = Uniform(3, 1, Capture);
        BlendOverlay(d, o, 0, 0, useKey, 204);
        EXPECT_EQ(PixelAt(d, 0, 0), useKey ? Capture : Blend(key, Capture, 204));
        EXPECT_EQ(PixelAt(d, 1, 0), useKey ? Capture : Blend(key, Capture, 204));
        EXPECT_EQ(PixelAt(d, 2, 0), Blend(nearKey, Capture, 204));
    }
}

TEST(BlendOverlay, ClipsOnEverySide) {
    const struct { int x, y, w, h; } cases[] = {
        {-2, -2, 4, 4}, {8, -2, 4, 4}, {-2, 6, 4, 4}, {8, 6, 4, 4}, {3, 3, 4, 4},
        {-4, 0, 4, 4}, {10, 0, 4, 4}, {0, 8, 4, 4}, {-2, -2, 14, 12},
        {INT_MIN / 2, INT_MIN / 2, 4, 4}, {INT_MAX / 2, 0, 4, 4},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        ui::Bitmap d = Uniform(10, 8, Capture, ui::PixelFormat::Bits32);
        BlendOverlay(d, Uniform(c.w, c.h, RGB(1, 2, 3)), c.x, c.y, false, 255);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 10; ++x) {
                const bool covered = x >= int64_t(c.x) && x < int64_t(c.x) + c.w && y >= int64_t(c.y) &&
                                     y < int64_t(c.y) + c.h;
                ASSERT_EQ(PixelAt(d, x, y), covered ? RGB(1, 2, 3) : Capture) << x << "," << y;
            }
    }
}

TEST(Placeholders, ValuesIgnoreCaseAndLinesKeepIt) {
    std::wstring text = L"<TIME> <time> <Date>-<COMPUTER NAME>/<user name><USER NAME> <TIMES>";
    ExpandPlaceholders(text, Values);
    EXPECT_EQ(text, L"10:20:30 10:20:30 24/12/2026-HOST/annaanna <TIMES>");
    // Inserted values are not searched again.
    std::wstring nested = L"<computer name>";
    ExpandPlaceholders(nested, PlaceholderValues{L"T", L"D", L"<TIME>", L""});
    EXPECT_EQ(nested, L"<TIME>");

    using Lines = std::vector<std::wstring>;
    EXPECT_EQ(AnnotationLines(L"a<NEW LINE><NEW LINE>b", Values), (Lines{L"a", L" ", L"b"}));
    EXPECT_EQ(AnnotationLines(L"a<new line>b", Values), (Lines{L"a<new line>b"}));
    EXPECT_EQ(AnnotationLines(L"<NEW LINE>", Values), (Lines{L" ", L" "}));
    EXPECT_EQ(AnnotationLines(L"by <user name><NEW LINE><time>", Values), (Lines{L"by anna", L"10:20:30"}));
    std::wstring many;
    for (int i = 0; i < 60; ++i) many += L"x<NEW LINE>";
    EXPECT_EQ(AnnotationLines(many, Values).size(), size_t(MaxAnnotationLines));
}

// Default annotation: corner 1 at (3, 3), opacity 70, bold Tahoma 8, dark blue
// on yellow with a black border.
TEST(Annotation, DefaultBoxIsSizedByTheTextAndBlendsOnlyItsBackground) {
    TConfiguration c = Defaults();
    c.AnnotationOn = 1;
    ui::Bitmap b = Uniform(300, 100, Capture);
    messages.clear();
    StampAnnotationAndWatermark(b, c, Record);
    EXPECT_TRUE(messages.empty());

    const SIZE text = Extent(c, L"My annotation here");
    const int w = text.cx + 6, h = text.cy + 6;
    const COLORREF border = RGB(0, 0, 0), back = Blend(RGB(255, 255, 0), Capture, 178);
    for (int x = 3; x < 3 + w; ++x) {
        ASSERT_EQ(PixelAt(b, x, 3), border) << x;
        ASSERT_EQ(PixelAt(b, x, 3 + h - 1), border) << x;
        ASSERT_EQ(PixelAt(b, x, 2), Capture) << x;
        ASSERT_EQ(PixelAt(b, x, 3 + h), Capture) << x;
    }
    for (int y = 3; y < 3 + h; ++y) {
        ASSERT_EQ(PixelAt(b, 3, y), border) << y;
        ASSERT_EQ(PixelAt(b, 3 + w - 1, y), border) << y;
        ASSERT_EQ(PixelAt(b, 3 + w, y), Capture) << y;
        ASSERT_EQ(PixelAt(b, 4, y), y == 3 || y == 3 + h - 1 ? border : back) << y;
    }
    // Something was written inside the text area.
    int ink = 0;
    for (int y = 6; y < 6 + text.cy; ++y)
        for (int x = 6; x < 6 + text.cx; ++x) ink += PixelAt(b, x, y) != back;
    EXPECT_GT(ink, 0);
}

TEST(Annotation, BlankMiddleLineHasFullHeight) {
    TConfiguration c = Defaults();
    c.AnnotationBorder = 1;
    ui::Bitmap b = Uniform(200, 150, Capture);
    StampAnnotation(b, c, L"a<NEW LINE><NEW LINE>b", Values);
    const SIZE a = Extent(c, L"a");
    const int h = 3 * a.cy + 6;
    EXPECT_EQ(PixelAt(b, 3, 3 + h - 1), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(b, 3, 3 + h), Capture);
    const int w = std::max({a.cx, Extent(c, L" ").cx, Extent(c, L"b").cx}) + 6;
    EXPECT_EQ(PixelAt(b, 3 + w - 1, 5), RGB(0, 0, 0));
    EXPECT_EQ(PixelAt(b, 3 + w, 5), Capture);
}

// Boxes larger than the capture, far away, or on nothing at all.
TEST(Annotation, ClippedBoxesNeverReachOutsideTheCapture) {
    TConfiguration c = Defaults();
    std::wstring tall;
    for (int i = 0; i < 70; ++i) tall += L"a rather long line of annotation text<NEW LINE>";

    ui::Bitmap b = Uniform(120, 80, Capture);
    StampAnnotation(b, c, tall, Values);
    EXPECT_EQ(b.Width(), 120);
    EXPECT_EQ(b.Height(), 80);
    for (int y = 3; y < 80; ++y) ASSERT_EQ(PixelAt(b, 3, y), RGB(0, 0, 0)) << y;   // left border to the end
    EXPECT_EQ(PixelAt(b, 2, 40), Capture);

    for (uint8_t corner : {scTopLeft, scTopRight, scBottomLeft, scBottomRight, scCentre}) {
        for (int offset : {-100000, 100000, INT_MIN, INT_MAX}) {
            c.AnnotationPosition = TStampPosition{corner, {}, offset, offset};
            ui::Bitmap small = Uniform(40, 30, Capture);
            StampAnnotation(small, c, tall, Values);
            if (corner != scCentre) {
                for (COLORREF p : Pixels(small)) ASSERT_EQ(p, Capture);
            }
        }
    }
    ui::Bitmap empty;
    StampAnnotation(empty, c, tall, Values);
    EXPECT_TRUE(empty.Empty());
}

class Watermark : public testing::Test {
protected:
    void SetUp() override {
        messages.clear();
        config = Defaults();
        config.WatermarkOn = 1;
    }
    void TearDown() override {
        for (const auto& f : files) DeleteFileW(f.c_str());
    }
    void UseFile(const std::wstring& path) {
        files.push_back(path);
        config.WatermarkFile = ui::ToAnsi(path);
    }
    TConfiguration config;
    std::vector<std::wstring> files;
};

// Default watermark settings: bottom-right at (3, 3), key colour on, 80 %.
TEST_F(Watermark, KeyPixelsLeaveTheCaptureAndTheRestBlendsAtItsOpacity) {
    ui::Bitmap mark(6, 4, ui::PixelFormat::Bits24);
    Fill(mark, RGB(255, 0, 255));
    for (int x = 1; x < 5; ++x) SetPixelAt(mark, x, 2, RGB(10 * x, 250, 3));
    const std::wstring path = TempPath(L"mark.bmp");
    UseFile(path);
    ASSERT_TRUE(mark.SaveToFile(path));

    for (uint8_t transparent : {1, 0}) {
        config.WatermarkTransparent = transparent;
        const ui::Bitmap capture = RandomBitmap(40, 30, ui::PixelFormat::Device, 5);
        ui::Bitmap b(capture);
        StampAnnotationAndWatermark(b, config, Record);
        EXPECT_TRUE(messages.empty());
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 40; ++x) {
                const bool on = x >= 31 && x < 37 && y >= 23 && y < 27;
                COLORREF expected = PixelAt(capture, x, y);
                if (on) {
                    const COLORREF o = PixelAt(mark, x - 31, y - 23);
                    if (!(transparent && o == RGB(255, 0, 255))) expected = Blend(o, expected, 204);
                }
                ASSERT_EQ(PixelAt(b, x, y), expected) << x << "," << y;
            }
    }
    // Opacity 100 lays the watermark on as it is, 0 leaves the capture.
    config.WatermarkTransparent = 0;
    config.WatermarkOpacity = 100;
    ui::Bitmap full = Uniform(40, 30, Capture);
    StampWatermark(full, config, Record);
    EXPECT_EQ(PixelAt(full, 32, 25), RGB(10, 250, 3));
    config.WatermarkOpacity = 0;
    ui::Bitmap none = Uniform(40, 30, Capture);
    StampWatermark(none, config, Record);
    for (COLORREF p : Pixels(none)) ASSERT_EQ(p, Capture);

    // Larger than the capture and centred: clipped on all sides.
    ui::Bitmap big = Uniform(90, 70, RGB(9, 9, 9));
    ASSERT_TRUE(big.SaveToFile(path));
    config.WatermarkOpacity = 100;
    config.WatermarkPosition.corner = scCentre;
    ui::Bitmap clipped = Uniform(40, 30, Capture);
    StampWatermark(clipped, config, Record);
    for (COLORREF p : Pixels(clipped)) ASSERT_EQ(p, RGB(9, 9, 9));
}

TEST_F(Watermark, MissingFileIsReportedWithItsQuotedNameAndTheAnnotationStays) {
    const std::wstring path = TempPath(L"no such mark.bmp");
    UseFile(path);
    config.AnnotationOn = 1;
    ui::Bitmap b = Uniform(200, 60, Capture);
    StampAnnotationAndWatermark(b, config, Record);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], L"Watermark image does not exist.\r\"" + path + L"\"");
    EXPECT_EQ(PixelAt(b, 3, 3), RGB(0, 0, 0));
}

// Files that exist but hold no usable bitmap: a message, and the capture goes
// on without the watermark.
TEST_F(Watermark, UnreadableFilesAreReportedAndTheCaptureIsKept) {
    ui::Bitmap good = Uniform(100, 100, RGB(1, 2, 3));
    const std::vector<uint8_t> valid = good.SaveToMemory();
    std::vector<uint8_t> truncated(valid.begin(), valid.begin() + valid.size() / 2);
    std::vector<uint8_t> enormous(valid.begin(), valid.begin() + 200);
    const int32_t huge = 60000;
    std::memcpy(enormous.data() + 18, &huge, 4);  // width
    std::memcpy(enormous.data() + 22, &huge, 4);  // height
    std::vector<uint8_t> claimsTooMuch(valid);
    const int32_t wide = 1 << 20;
    std::memcpy(claimsTooMuch.data() + 18, &wide, 4);
    const struct { const wchar_t* name; std::vector<uint8_t> bytes; } cases[] = {
        {L"text.bmp", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {L"empty.bmp", {}},
        {L"truncated.bmp", truncated},
        {L"enormous.bmp", enormous},
        {L"too_wide.bmp", claimsTooMuch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << ui::ToAnsi(c.name));
        messages.clear();
        const std::wstring path = TempPath(c.name);
        UseFile(path);
        WriteBytes(path, c.bytes);
        ui::Bitmap b = Uniform(40, 30, Capture);
        StampAnnotationAndWatermark(b, config, Record);
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0], L"The watermark image cannot be read; the screenshot is sent without the watermark.\r\"" +
                                   path + L"\"");
        EXPECT_EQ(b.Width(), 40);
        for (COLORREF p : Pixels(b)) ASSERT_EQ(p, Capture);
    }
}

TEST_F(Watermark, FarOutsideOrOnAnEmptyCapture) {
    ui::Bitmap mark = Uniform(8, 8, RGB(9, 9, 9));
    const std::wstring path = TempPath(L"far.bmp");
    UseFile(path);
    ASSERT_TRUE(mark.SaveToFile(path));
    config.WatermarkPosition = TStampPosition{scBottomRight, {}, INT_MIN, INT_MIN};
    ui::Bitmap b = Uniform(40, 30, Capture);
    StampAnnotationAndWatermark(b, config, Record);
    for (COLORREF p : Pixels(b)) ASSERT_EQ(p, Capture);
    ui::Bitmap empty;
    StampAnnotationAndWatermark(empty, config, Record);
    EXPECT_TRUE(empty.Empty());
    EXPECT_TRUE(messages.empty());
}
