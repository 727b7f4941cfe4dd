// Which of libjpeg-turbo's SIMD routines the JPEG saver's compression takes on
// this processor: the library tests the processor once and takes the SIMD
// routine of a step exactly when its test says yes (the environment variables
// JSIMD_FORCENONE and the like can say no). The routines write the same bytes
// as the C ones, a few times faster.
#pragma once

namespace delivery {

struct JpegSimd {
    bool colourConversion, downsampling, sampleConversion, dct, quantisation, huffman;
    bool All() const {
        return colourConversion && downsampling && sampleConversion && dct && quantisation && huffman;
    }
};

JpegSimd JpegSimdInUse();

}  // namespace delivery
