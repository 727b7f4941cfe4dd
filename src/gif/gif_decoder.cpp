#include "gif/gif_frame.h"
#include "gif/gif_lzw_decoder.h"

namespace gif {

void DecodeFrameData(TGifFrame& frame, Stream& stream) {
    TDecodeTarget target;
    target.Pixels = frame.PixelCount() > 0 ? frame.Row(0) : nullptr;
    target.Width = frame.Width();
    target.Height = frame.Height();
    target.Interlaced = frame.Interlaced();
    // Pixels the data never reaches show nothing when the frame is
    // transparent.
    const int transparent = frame.TransparentIndex();
    target.Fill = uint8_t(transparent >= 0 ? transparent : 0);
    target.Warning = [&frame](int severity, const std::wstring& message) { frame.ReportWarning(severity, message); };
    DecodeImageData(target, stream);
}

}  // namespace gif
