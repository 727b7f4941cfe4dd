// Annotation and watermark stamping: after the edge effect the capture gets a
// box of text lines, whose background is blended with the capture, and then a
// watermark image blended at its own opacity (optionally with a transparent
// key colour). Both are placed in a corner or the centre.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "base/configuration.h"
#include "base/errors.h"
#include "base/globals.h"
#include "ui/bitmap.h"

namespace delivery {

// Where the finishing step's messages go: ShowError in the program.
using MessageSink = void (*)(const std::wstring& text);

// At most this many annotation lines are drawn.
constexpr int MaxAnnotationLines = 50;

// Top-left point of a w x h overlay on a captureWidth x captureHeight capture.
// Nothing keeps the overlay inside; far-away offsets saturate instead of
// overflowing. An unknown corner counts as top-left.
POINT PlaceOverlay(const TStampPosition& position, int w, int h, int captureWidth, int captureHeight);

// Blends overlay onto destination with its top-left at (x, y):
// o + (255 - alpha) * (d - o) div 255 per channel. With key set, overlay
// pixels equal to its top-left pixel leave the destination as it is. Whatever
// falls outside the destination is clipped.
void BlendOverlay(ui::Bitmap& destination, const ui::Bitmap& overlay, int x, int y, bool key, int alpha);

// Opacity percent (0 .. 100) as an alpha value.
int OpacityToAlpha(int opacity);

struct PlaceholderValues {
    std::wstring time, date, computerName, userName;
};
// Now in the user's long time and short date formats, and the computer and
// user names read at start-up.
PlaceholderValues CurrentPlaceholderValues();

// Replaces every "<TIME>", "<DATE>", "<COMPUTER NAME>" and "<USER NAME>",
// whatever their case. The inserted values are not searched again.
void ExpandPlaceholders(std::wstring& text, const PlaceholderValues& values);

// The text cut at every "<NEW LINE>" (exactly that case), each line expanded;
// an empty line becomes a single blank. At most MaxAnnotationLines lines.
std::vector<std::wstring> AnnotationLines(std::wstring_view text, const PlaceholderValues& values);

// The annotation box of the settings with the given text, whether or not the
// annotation is switched on.
void StampAnnotation(ui::Bitmap& bitmap, const TConfiguration& config, std::wstring_view text,
                     const PlaceholderValues& values);

// The watermark of the settings, whether or not it is switched on. A missing
// or unreadable file is reported through sink and the bitmap stays as it is.
void StampWatermark(ui::Bitmap& bitmap, const TConfiguration& config, MessageSink sink);

// The annotation (when on and not empty), then the watermark (when on).
void StampAnnotationAndWatermark(ui::Bitmap& bitmap, const TConfiguration& config, MessageSink sink);

// The same with the live settings and the error box.
inline void StampAnnotationAndWatermark(ui::Bitmap& bitmap, MessageSink sink = ShowError) {
    StampAnnotationAndWatermark(bitmap, Config, sink);
}

}  // namespace delivery
