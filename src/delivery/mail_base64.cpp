#include "delivery/mail_base64.h"

#include <array>
#include <sstream>

namespace base64 {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

inline void EncodeTriple(const uint8_t* in, char* out) {
    const uint32_t v = (uint32_t(in[0]) << 16) | (uint32_t(in[1]) << 8) | in[2];
    out[0] = kAlphabet[(v >> 18) & 63];
    out[1] = kAlphabet[(v >> 12) & 63];
    out[2] = kAlphabet[(v >> 6) & 63];
    out[3] = kAlphabet[v & 63];
}

}  // namespace

void EncodeLines(const uint8_t* in, size_t count, char* out) {
    for (size_t g = 0; g < count / GroupBytes; ++g) {
        for (size_t t = 0; t < GroupBytes / 3; ++t, in += 3, out += 4) EncodeTriple(in, out);
        *out++ = '\r';
        *out++ = '\n';
    }
}

void EncodeTail(const uint8_t* in, size_t count, char* out) {
    for (size_t t = 0; t < count / 3; ++t, in += 3, out += 4) EncodeTriple(in, out);
    switch (count % 3) {
        case 1:
            out[0] = kAlphabet[in[0] >> 2];
            out[1] = kAlphabet[(in[0] & 3) << 4];
            out[2] = '=';
            out[3] = '=';
            break;
        case 2:
            out[0] = kAlphabet[in[0] >> 2];
            out[1] = kAlphabet[((in[0] & 3) << 4) | (in[1] >> 4)];
            out[2] = kAlphabet[(in[1] & 15) << 2];
            out[3] = '=';
            break;
        default:
            break;
    }
}

size_t EncodedSize(size_t n) {
    if (n == 0) return 0;
    return (n + 2) / 3 * 4 + (n - 1) / GroupBytes * 2;
}

void EncodeStream(std::istream& source, std::ostream& destination) {
    // Fixed buffers owned by the call: nothing is allocated per block.
    static thread_local std::array<uint8_t, BlockBytes> input;
    static thread_local std::array<char, BlockChars> output;
    auto readBlock = [&source]() -> size_t {
        source.read(reinterpret_cast<char*>(input.data()), static_cast<std::streamsize>(input.size()));
        return static_cast<size_t>(source.gcount());
    };
    size_t n = readBlock();
    while (n == BlockBytes) {
        EncodeLines(input.data(), n, output.data());
        destination.write(output.data(), static_cast<std::streamsize>(output.size()));
        n = readBlock();
    }
    if (n == 0) return;
    EncodeLines(input.data(), n, output.data());
    const size_t whole = n / GroupBytes;
    EncodeTail(input.data() + whole * GroupBytes, n % GroupBytes, output.data() + whole * (LineChars + 2));
    destination.write(output.data(), static_cast<std::streamsize>(EncodedSize(n)));
}

std::string Encode(std::string_view bytes) {
    std::istringstream in{std::string(bytes)};
    std::ostringstream out;
    EncodeStream(in, out);
    return out.str();
}

}  // namespace base64
