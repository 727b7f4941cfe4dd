// The parts of the GIF codec that need no windows.h: its exceptions, byte
// streams, and the small stream and arithmetic routines. The decoder and the
// file reader stand on these alone, so they build natively too (tests,
// fuzzing, sanitizers).
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <new>
#include <string>
#include <vector>

namespace gif {

// ---------------------------------------------------------------------------
// Exceptions. The codec raises these and never shows anything itself; the
// caller decides what the user sees.

class Exception : public std::exception {
public:
    explicit Exception(std::wstring message);
    const std::wstring& Message() const { return message_; }
    const char* what() const noexcept override { return narrow_.c_str(); }

private:
    std::wstring message_;
    std::string narrow_;
};

// The graphic classes' families of errors.
class EInvalidGraphic : public Exception { using Exception::Exception; };
class EInvalidGraphicOperation : public Exception { using Exception::Exception; };
class EOutOfMemory : public Exception { using Exception::Exception; };
class EOutOfResources : public Exception { using Exception::Exception; };
class EConvertError : public Exception { using Exception::Exception; };
class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };

// Every format or limit error of the codec.
class EGifError : public EInvalidGraphic { using EInvalidGraphic::EInvalidGraphic; };

[[noreturn]] void RaiseGIFError(const wchar_t* message);
[[noreturn]] void RaiseOutOfMemory();  // EOutOfMemory with the codec's own text

// Runs f; an allocation that fails inside it surfaces as the codec's own
// out-of-memory error, never as std::bad_alloc.
template <typename F>
decltype(auto) GuardMemory(F&& f) {
    try {
        return f();
    } catch (const std::bad_alloc&) {
        RaiseOutOfMemory();
    }
}

// ---------------------------------------------------------------------------
// Streams: a byte stream with position, as the codec's blocks read and write
// themselves.

enum class SeekOrigin { Begin, Current, End };

class Stream {
public:
    virtual ~Stream() = default;
    // Read and Write return the number of bytes moved (short at the end of
    // data or on a failed write).
    virtual size_t Read(void* buffer, size_t count) = 0;
    virtual size_t Write(const void* buffer, size_t count) = 0;
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t position) { Seek(position, SeekOrigin::Begin); }
    int64_t Size();
    // Raise EReadError / EWriteError when fewer bytes than asked for move.
    void ReadBuffer(void* buffer, size_t count);
    void WriteBuffer(const void* buffer, size_t count);
};

class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    MemoryStream(const void* data, size_t size);
    size_t Read(void* buffer, size_t count) override;
    size_t Write(const void* buffer, size_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;

    const std::vector<uint8_t>& Data() const { return data_; }
    std::vector<uint8_t>& Data() { return data_; }
    void Clear() { data_.clear(); position_ = 0; }

private:
    std::vector<uint8_t> data_;
    size_t position_ = 0;
};

// ---------------------------------------------------------------------------
// Unit routines.

// Bytes of one row: width x bits rounded up to the alignment (in bits).
int RowStride(int width, int bitsPerPixel, int alignment);
// 0 for none; else the smallest b >= 1 with 2^b >= n.
int BitsForColors(int n);

void WriteByte(Stream& stream, uint8_t value);
uint8_t ReadByte(Stream& stream);  // no check: 0 at the end of the stream
void ReadExactly(Stream& stream, void* buffer, size_t count);  // "Premature end of data"

// Each string as data sub-blocks (255 bytes while more remain), then one 0.
void WriteStringBlocks(Stream& stream, const std::vector<std::string>& strings);
// Each sub-block read as one string, up to the 0 block or the stream's end.
void ReadStringBlocks(Stream& stream, std::vector<std::string>& strings);

}  // namespace gif
