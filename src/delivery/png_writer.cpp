#include "delivery/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <vector>

#include "base/addresses.h"
#include "delivery/image_file.h"
#include "ui/text_convert.h"

namespace {

// How the rows are filtered and compressed: the header's fields stay the
// defaults, only the encoder's choices differ by content. Both take zlib's
// default level: on screens a lower one saves a fifth of the time for
// files a tenth larger, on photographs run-length coding hardly depends on
// it.
//
// A screen (windows, text, flat backgrounds) repeats whole pixels along its
// rows, which zlib's matches find as they are: filtering costs time and
// makes the file larger, since filtered flat areas lose their long repeats.
// A photograph repeats nothing; there the row filters turn smooth colour
// into small differences, and zlib's run-length coding packs those about as
// well as its full match search, many times faster (the search is slowest
// on exactly such data).
struct PngCoding {
    int filters;
    int strategy;
};
constexpr PngCoding ScreenCoding{PNG_FILTER_NONE, Z_DEFAULT_STRATEGY};
constexpr PngCoding PhotoCoding{PNG_ALL_FILTERS, Z_RLE};

// The share of pixels equal to their left neighbour in about 64 rows spread
// over the picture. Screens come out above 90 %, photographs in the single
// digits; a screen with a photograph on a tenth of it is already written
// faster and smaller as a photograph.
PngCoding ChooseCoding(const imagefile::RgbRowReader& reader, int width, int height, uint8_t* rgb) {
    if (width < 2) return ScreenCoding;
    const int step = height > 64 ? height / 64 : 1;
    long long repeats = 0, pixels = 0;
    for (int y = step / 2; y < height; y += step) {
        reader.Read(y, rgb);
        for (int x = 1; x < width; ++x) {
            const uint8_t* p = rgb + 3 * x;
            repeats += p[0] == p[-3] && p[1] == p[-2] && p[2] == p[-1];
        }
        pixels += width - 1;
    }
    return repeats * 10 >= pixels * 9 ? ScreenCoding : PhotoCoding;
}

struct PngJob {
    const imagefile::RgbRowReader* reader;
    imagefile::PendingFile* file;
    int width, height;
    bool alpha;
    COLORREF key;
    uint8_t* rgb;   // one row of width x 3 bytes
    uint8_t* row;   // with alpha: one output row of width x 4 bytes
    const char* text;
    PngCoding coding;
};

void PngWrite(png_structp png, png_bytep data, size_t size) {
    auto* job = static_cast<PngJob*>(png_get_io_ptr(png));
    if (!job->file->Write(data, size)) png_error(png, "write failed");
}

void PngFlush(png_structp) {}

// libpng's own handlers print to the console; ours only leave.
void PngFail(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void PngWarn(png_structp, png_const_charp) {}

// The output row y: the RGB row itself, or with alpha a copy with the
// fourth byte.
const uint8_t* FillRow(const PngJob& job, int y) {
    job.reader->Read(y, job.rgb);
    if (!job.alpha) return job.rgb;
    const uint8_t kr = GetRValue(job.key), kg = GetGValue(job.key), kb = GetBValue(job.key);
    for (int x = 0; x < job.width; ++x) {
        const uint8_t* s = job.rgb + 3 * x;
        uint8_t* d = job.row + 4 * x;
        d[0] = s[0]; d[1] = s[1]; d[2] = s[2];
        d[3] = (s[0] == kr && s[1] == kg && s[2] == kb) ? 0 : 255;
    }
    return job.row;
}

// libpng leaves by longjmp on errors, so this routine holds no object that
// needs destroying; the caller owns every buffer.
bool EncodePng(PngJob* job) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, PngFail, PngWarn);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, job, PngWrite, PngFlush);
    png_set_write_status_fn(png, nullptr);
    png_set_IHDR(png, info, static_cast<png_uint_32>(job->width), static_cast<png_uint_32>(job->height), 8,
                 job->alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, job->coding.filters);
    png_set_compression_level(png, Z_DEFAULT_COMPRESSION);
    png_set_compression_strategy(png, job->coding.strategy);
    // Larger pieces of compressed data: fewer writes to the file.
    png_set_compression_buffer_size(png, 1 << 16);
    png_text text;
    std::memset(&text, 0, sizeof text);
    text.compression = PNG_TEXT_COMPRESSION_NONE;
    text.key = const_cast<char*>("Vorlix");
    text.text = const_cast<char*>(job->text);
    text.text_length = std::strlen(job->text);
    png_set_text(png, info, &text, 1);
    png_write_info(png, info);
    for (int y = 0; y < job->height; ++y) png_write_row(png, FillRow(*job, y));
    png_write_end(png, info);
    png_write_flush(png);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

void SaveBitmapAsPng(const std::wstring& fileName, const ui::Bitmap& bitmap, COLORREF transparentColor) {
    const char* const writeError = "Error Writing PNG File!";
    imagefile::PendingFile file(fileName);
    if (!file.ok()) throw PngError("Error Opening File " + ui::ToAnsi(fileName) + "!");
    if (bitmap.Empty()) throw PngError(writeError);

    const bool alpha = transparentColor != NoTransparentColor;
    const std::string text = ui::ToAnsi(addr::HomePage);
    const imagefile::RgbRowReader reader(bitmap);
    std::vector<uint8_t> rgb(size_t(bitmap.Width()) * 3), row(alpha ? size_t(bitmap.Width()) * 4 : 0);
    PngJob job{&reader, &file, bitmap.Width(), bitmap.Height(), alpha, transparentColor & 0xFFFFFF,
               rgb.data(), row.data(), text.c_str(),
               ChooseCoding(reader, bitmap.Width(), bitmap.Height(), rgb.data())};
    if (!EncodePng(&job)) throw PngError(writeError);
    if (!file.Commit()) throw PngError("Error Opening File " + ui::ToAnsi(fileName) + "!");
}
