// Base64 in the MIME layout (RFC 2045): lines of 76 characters separated by
// CR LF, the last line without one. A stream is encoded in blocks of 192
// lines, so a large image never lies in memory twice.
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

namespace base64 {

constexpr size_t GroupBytes = 57;                         // one line of input
constexpr size_t LineChars = 76;                          // one line of output
constexpr size_t BlockBytes = 192 * GroupBytes;           // 10944
constexpr size_t BlockChars = 192 * (LineChars + 2);      // 14976

// Encodes count / 57 whole groups of in into out, 76 characters and CR LF
// each; a rest of fewer than 57 bytes is left for EncodeTail.
void EncodeLines(const uint8_t* in, size_t count, char* out);
// Encodes count (< 57) bytes into 4-character units, "=" filling the last.
void EncodeTail(const uint8_t* in, size_t count, char* out);
// Characters written for n (>= 1) input bytes: one CR LF between lines, none
// after the last.
size_t EncodedSize(size_t n);

// Reads source to its end and appends the text to destination. When the
// input is a non-zero multiple of the block size the text ends with the CR
// LF of the last line; otherwise the last line has none.
void EncodeStream(std::istream& source, std::ostream& destination);

// The whole text for bytes held in memory.
std::string Encode(std::string_view bytes);

}  // namespace base64
