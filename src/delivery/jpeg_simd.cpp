#include "delivery/jpeg_simd.h"

// The library's own tests (jsimd.h is not installed with it). Each stands for
// the steps of a compression with the default settings: RGB to YCbCr, 2 x 2
// chroma downsampling, the sample conversion, the integer DCT and the
// quantisation, and the Huffman coding of each block.
extern "C" {
int jsimd_can_rgb_ycc(void);
int jsimd_can_h2v2_downsample(void);
int jsimd_can_convsamp(void);
int jsimd_can_fdct_islow(void);
int jsimd_can_quantize(void);
int jsimd_can_huff_encode_one_block(void);
}

namespace delivery {

JpegSimd JpegSimdInUse() {
    return JpegSimd{jsimd_can_rgb_ycc() != 0,  jsimd_can_h2v2_downsample() != 0,      jsimd_can_convsamp() != 0,
                    jsimd_can_fdct_islow() != 0, jsimd_can_quantize() != 0, jsimd_can_huff_encode_one_block() != 0};
}

}  // namespace delivery
