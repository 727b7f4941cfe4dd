#include "core/texts.h"
#include "gif/gif_frame.h"

namespace gif {

// The program only writes GIF files; until the LZW decoder joins the codec a
// frame's image data cannot be read, and saying so is better than leaving a
// frame of zero pixels that looks loaded.
void DecodeFrameData(TGifFrame&, Stream&) { RaiseGIFError(txt::GifInvalidStreamOperation); }

}  // namespace gif
