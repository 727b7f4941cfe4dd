// Gaussian blur of a 24-bit bitmap in place: a separable kernel run over every
// row, then over every column. The edge effect softens its drop shadow with it.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

#include "ui/bitmap.h"

namespace delivery {

struct BlurKernel {
    static constexpr int MaxHalfWidth = 100;
    int halfWidth = 0;                             // S: taps -S .. +S are used
    float weights[2 * MaxHalfWidth + 1] = {};      // tap t at index t + MaxHalfWidth

    float Weight(int t) const { return weights[t + MaxHalfWidth]; }
};

// The kernel for radius, cut where the tails no longer change a value of
// largestValue by granularity / 2, and scaled so that the taps add up to 1.
// A radius that is not positive gives the identity kernel (S = 1, 0 1 0).
BlurKernel BuildBlurKernel(double radius, double largestValue = 255, double granularity = 1);

// Raised for a bitmap that is not 24 bits per pixel; the bitmap is untouched.
class BlurFormatError : public std::exception {
public:
    BlurFormatError();
    const std::wstring& Message() const { return message_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring message_;
    std::string narrow_;
};

// Every output value is the weighted sum of the input values of its row (then
// column), accumulated in double precision, with the end pixels repeated past
// the ends, and truncated toward zero into 0 .. 255. Throws BlurFormatError,
// and std::bad_alloc when the working memory cannot be had. Where those sums
// are exact (every radius of practical use) they are worked in integers, with
// SSE2 where the processor has it; the bytes are the same either way.
void GaussianBlur(ui::Bitmap& bitmap, double radius);

// Sides of a bitmap for GaussianBlurPart.
enum BlurSide : uint8_t { bsLeft = 1, bsTop = 2, bsRight = 4, bsBottom = 8 };

// The blur of a bitmap that is one part of a larger image whose remainder is
// all one colour: beyond each side in outsideSides the image goes on in
// outsideColour ($00BBGGRR), beyond the others the end pixel repeats. The
// result is what blurring the whole image and cutting out this part would
// give, without the memory for the whole. GaussianBlur is this with no side.
void GaussianBlurPart(ui::Bitmap& bitmap, double radius, uint8_t outsideSides, uint32_t outsideColour);

// Lets the blur use SSE2 code when the processor has it (the default), or
// keeps it to the portable code, so that both can be checked on one machine.
// Returns the previous setting.
bool AllowBlurSse2(bool allowed);

}  // namespace delivery
