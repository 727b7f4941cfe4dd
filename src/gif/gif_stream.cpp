#include "gif/gif_stream.h"

#include <algorithm>
#include <cstring>

#include "gif/gif_texts.h"

namespace gif {

Exception::Exception(std::wstring message) : message_(std::move(message)) {
    narrow_.reserve(message_.size());
    for (wchar_t c : message_) narrow_.push_back(c < 128 ? char(c) : '?');
}

void RaiseGIFError(const wchar_t* message) { throw EGifError(message); }
void RaiseOutOfMemory() { throw EOutOfMemory(txt::GifOutOfMemory); }

// ---------------------------------------------------------------------------
// Streams

int64_t Stream::Size() {
    const int64_t here = Position();
    const int64_t end = Seek(0, SeekOrigin::End);
    SetPosition(here);
    return end;
}

void Stream::ReadBuffer(void* buffer, size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError(txt::GifStreamReadError);
}

void Stream::WriteBuffer(const void* buffer, size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(txt::GifStreamWriteError);
}

MemoryStream::MemoryStream(const void* data, size_t size)
    : data_(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size) {}

size_t MemoryStream::Read(void* buffer, size_t count) {
    const size_t n = position_ < data_.size() ? std::min(count, data_.size() - position_) : 0;
    if (n) std::memcpy(buffer, data_.data() + position_, n);
    position_ += n;
    return n;
}

size_t MemoryStream::Write(const void* buffer, size_t count) {
    if (count == 0) return 0;
    if (position_ + count > data_.size()) data_.resize(position_ + count);
    std::memcpy(data_.data() + position_, buffer, count);
    position_ += count;
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? int64_t(position_) : int64_t(data_.size());
    position_ = size_t(std::max<int64_t>(0, base + offset));
    return int64_t(position_);
}

// ---------------------------------------------------------------------------
// Unit routines

int RowStride(int width, int bitsPerPixel, int alignment) {
    const int64_t bits = int64_t(width) * bitsPerPixel + alignment - 1;
    return int((bits - bits % alignment) / 8);
}

int BitsForColors(int n) {
    if (n <= 0) return 0;
    int b = 1;
    while ((1 << b) < n) ++b;
    return b;
}

void WriteByte(Stream& stream, uint8_t value) { stream.WriteBuffer(&value, 1); }

uint8_t ReadByte(Stream& stream) {
    uint8_t b = 0;
    stream.Read(&b, 1);
    return b;
}

void ReadExactly(Stream& stream, void* buffer, size_t count) {
    if (stream.Read(buffer, count) != count) RaiseGIFError(txt::GifPrematureEnd);
}

void WriteStringBlocks(Stream& stream, const std::vector<std::string>& strings) {
    for (const std::string& s : strings) {
        size_t done = 0;
        while (done < s.size()) {
            const uint8_t n = uint8_t(std::min<size_t>(255, s.size() - done));
            WriteByte(stream, n);
            stream.WriteBuffer(s.data() + done, n);
            done += n;
        }
    }
    WriteByte(stream, 0);
}

void ReadStringBlocks(Stream& stream, std::vector<std::string>& strings) {
    strings.clear();
    uint8_t n = 0;
    while (stream.Read(&n, 1) == 1 && n != 0) {
        std::string s(n, '\0');
        ReadExactly(stream, s.data(), n);
        strings.push_back(std::move(s));
    }
}

}  // namespace gif
