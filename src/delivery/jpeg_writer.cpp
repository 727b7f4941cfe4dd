#include "delivery/jpeg_writer.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "delivery/image_file.h"

// libjpeg's interface to its entropy coder, from its internal header (which
// the library does not install): a band's compression hooks into it to see
// each MCU's quantised blocks before they are coded.
struct jpeg_entropy_encoder {
    void (*start_pass)(j_compress_ptr info, boolean gather_statistics);
    boolean (*encode_mcu)(j_compress_ptr info, JBLOCKROW* blocks);
    void (*finish_pass)(j_compress_ptr info);
};

namespace jpegfile {

namespace {

struct JpegErrors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

// libjpeg's own handler ends the process.
void JpegFail(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1); }
void JpegQuiet(j_common_ptr) {}

// libjpeg's errors jump back to errors.jump, without messages. The setjmp
// itself stays in each compressing routine: the jump must land in a frame
// that is still live.
void UseJumpingErrors(jpeg_compress_struct& info, JpegErrors& errors) {
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = JpegFail;
    errors.manager.output_message = JpegQuiet;
}

void Fail(j_compress_ptr info) { info->err->error_exit(reinterpret_cast<j_common_ptr>(info)); }

// The settings of every file, for a picture (or band) of the given size.
void SetUp(jpeg_compress_struct& info, const ui::Bitmap& bitmap, int height) {
    info.image_width = static_cast<JDIMENSION>(bitmap.Width());
    info.image_height = static_cast<JDIMENSION>(height);
    // 24- and 32-bit bitmaps (every capture) are compressed from their own
    // rows: libjpeg-turbo reads blue, green, red (and a fourth byte) itself,
    // with the same colour conversion, and so the same bytes, as from red,
    // green, blue.
    const bool direct = bitmap.Bits() == 24 || bitmap.Bits() == 32;
    info.input_components = direct ? bitmap.Bits() / 8 : 3;
    info.in_color_space = !direct ? JCS_RGB : bitmap.Bits() == 24 ? JCS_EXT_BGR : JCS_EXT_BGRX;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 100, TRUE);
}

// Hands libjpeg rows first .. end-1 of the bitmap.
void WriteRows(jpeg_compress_struct& info, const ui::Bitmap& bitmap, const imagefile::RgbRowReader& reader,
               uint8_t* row, int first) {
    const bool direct = bitmap.Bits() == 24 || bitmap.Bits() == 32;
    while (info.next_scanline < info.image_height) {
        const int y = first + static_cast<int>(info.next_scanline);
        JSAMPROW rows[1] = {row};
        if (direct)
            rows[0] = const_cast<JSAMPROW>(bitmap.ScanLine(y));
        else
            reader.Read(y, row);
        jpeg_write_scanlines(&info, rows, 1);
    }
}

// --- the whole picture in one pass ---

// The compressed data goes to the file in pieces of one buffer, not into a
// growing block of memory that is copied on every growth and written after.
struct FileDestination {
    jpeg_destination_mgr manager;
    imagefile::PendingFile* file;
    JOCTET buffer[1 << 16];
};

void FileStart(j_compress_ptr info) {
    auto* d = reinterpret_cast<FileDestination*>(info->dest);
    d->manager.next_output_byte = d->buffer;
    d->manager.free_in_buffer = sizeof d->buffer;
}

boolean FileBufferFull(j_compress_ptr info) {
    auto* d = reinterpret_cast<FileDestination*>(info->dest);
    if (!d->file->Write(d->buffer, sizeof d->buffer)) Fail(info);
    FileStart(info);
    return TRUE;
}

void FileEnd(j_compress_ptr info) {
    auto* d = reinterpret_cast<FileDestination*>(info->dest);
    if (!d->file->Write(d->buffer, sizeof d->buffer - d->manager.free_in_buffer)) Fail(info);
}

// libjpeg leaves by longjmp on errors, so this routine holds no object that
// needs destroying; the caller owns the row and the destination.
bool CompressWhole(const ui::Bitmap& bitmap, const imagefile::RgbRowReader& reader, uint8_t* row,
                   FileDestination* destination) {
    jpeg_compress_struct info;
    JpegErrors errors;
    UseJumpingErrors(info, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    destination->manager.init_destination = FileStart;
    destination->manager.empty_output_buffer = FileBufferFull;
    destination->manager.term_destination = FileEnd;
    info.dest = &destination->manager;
    SetUp(info, bitmap, bitmap.Height());
    jpeg_start_compress(&info, TRUE);
    WriteRows(info, bitmap, reader, row, 0);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// --- bands ---
//
// The rows of one MCU (16 with 2 x 2 chroma) are compressed without looking
// at any other row, so a band of whole MCU rows yields the very blocks the
// whole picture does. What ties a band to the rows above it is the entropy
// coding alone: each block's DC is coded as the difference to the previous
// block's of the same component, and the bits run on without regard to
// bytes. So each band but the first also compresses the MCU row above it,
// codes none of it, and takes its last DC values as the start; each band
// ends with a mark (one MCU of blocks with no change) that shows where its
// bits end before the padding; and the bands' bits are then shifted into one
// stream, with the 0xFF bytes stuffed anew.

constexpr int kMcuRows = 16;  // the rows of one MCU with 2 x 2 chroma

// One MCU of the mark: each luminance block codes DC difference 0 as "00"
// and end-of-block as "1010", each chroma block "00" and "00" (the standard
// tables): four luminance and two chroma blocks.
constexpr uint32_t kMarkBits = 0x28A28A00;
constexpr int kMarkLength = 32;

struct Band {
    int first = 0, rows = 0;  // the picture's rows compressed, the MCU row above included
    bool leadIn = false;      // the first MCU row is the one above the band, not coded
    std::vector<uint8_t> bytes;
    size_t headerSize = 0;    // the headers, up to the entropy-coded data
    size_t dataSize = 0;      // the coded bits, unstuffed, in bytes (the last one partial)
    uint64_t bits = 0;        // their number, without the mark and the padding
    std::atomic<bool> done{false};  // set by the thread that compressed it
    bool ok = false;
};

struct BandCoder {
    jpeg_destination_mgr manager;
    Band* band;
    bool outOfMemory;
    boolean (*encodeMcu)(j_compress_ptr, JBLOCKROW*);
    void (*finishPass)(j_compress_ptr);
    JDIMENSION skip;  // MCUs of the lead-in row still to see
    int dcBefore[MAX_COMPS_IN_SCAN];  // the last DC values above the band
    int dcCoded[MAX_COMPS_IN_SCAN];   // the last DC values handed to the coder
};

BandCoder* CoderOf(j_compress_ptr info) { return static_cast<BandCoder*>(info->client_data); }

void BandStart(j_compress_ptr info) {
    BandCoder* c = CoderOf(info);
    c->manager.next_output_byte = c->band->bytes.data();
    c->manager.free_in_buffer = c->band->bytes.size();
}

boolean BandBufferFull(j_compress_ptr info) {
    BandCoder* c = CoderOf(info);
    std::vector<uint8_t>& bytes = c->band->bytes;
    const size_t used = bytes.size();
    try {
        bytes.resize(used * 2);
    } catch (const std::bad_alloc&) {
        c->outOfMemory = true;
    }
    // Outside the handler: libjpeg leaves by longjmp.
    if (c->outOfMemory) Fail(info);
    c->manager.next_output_byte = bytes.data() + used;
    c->manager.free_in_buffer = bytes.size() - used;
    return TRUE;
}

void BandEnd(j_compress_ptr info) {
    BandCoder* c = CoderOf(info);
    c->band->bytes.resize(c->band->bytes.size() - c->manager.free_in_buffer);
}

boolean BandMcu(j_compress_ptr info, JBLOCKROW* blocks) {
    BandCoder* c = CoderOf(info);
    if (c->skip > 0) {
        --c->skip;
        for (int b = 0; b < info->blocks_in_MCU; ++b) c->dcBefore[info->MCU_membership[b]] = blocks[b][0][0];
        return TRUE;
    }
    // The coder starts from DC 0: shifting every DC of the band by the last
    // one above it leaves each difference what it is in the whole picture.
    for (int b = 0; b < info->blocks_in_MCU; ++b) {
        const int ci = info->MCU_membership[b];
        blocks[b][0][0] = static_cast<JCOEF>(blocks[b][0][0] - c->dcBefore[ci]);
        c->dcCoded[ci] = blocks[b][0][0];
    }
    return c->encodeMcu(info, blocks);
}

void BandFinish(j_compress_ptr info) {
    BandCoder* c = CoderOf(info);
    // The SIMD coder reads the blocks with aligned loads.
    alignas(32) JBLOCK mark[C_MAX_BLOCKS_IN_MCU] = {};
    JBLOCKROW rows[C_MAX_BLOCKS_IN_MCU];
    for (int b = 0; b < info->blocks_in_MCU; ++b) {
        mark[b][0] = static_cast<JCOEF>(c->dcCoded[info->MCU_membership[b]]);
        rows[b] = &mark[b];
    }
    if (!c->encodeMcu(info, rows)) Fail(info);
    c->finishPass(info);
}

// Compresses the band into its bytes: headers, coded data, end of image.
bool CompressBand(const ui::Bitmap& bitmap, const imagefile::RgbRowReader& reader, uint8_t* row, Band& band,
                  BandCoder& coder) {
    jpeg_compress_struct info;
    JpegErrors errors;
    UseJumpingErrors(info, errors);
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    coder.manager.init_destination = BandStart;
    coder.manager.empty_output_buffer = BandBufferFull;
    coder.manager.term_destination = BandEnd;
    info.dest = &coder.manager;
    info.client_data = &coder;
    SetUp(info, bitmap, band.rows);
    if (info.num_components != 3 || info.comp_info[0].h_samp_factor != 2 || info.comp_info[0].v_samp_factor != 2)
        Fail(&info);  // the mark and the band height are those of 2 x 2 chroma
    jpeg_start_compress(&info, TRUE);
    coder.encodeMcu = info.entropy->encode_mcu;
    coder.finishPass = info.entropy->finish_pass;
    info.entropy->encode_mcu = BandMcu;
    info.entropy->finish_pass = BandFinish;
    coder.skip = band.leadIn ? info.MCUs_per_row : 0;
    WriteRows(info, bitmap, reader, row, band.first);
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

// Removes the stuffed zero after each 0xFF of the band's coded data and
// finds where its bits end: before the mark and the padding of ones.
bool FindBits(Band& band) {
    std::vector<uint8_t>& b = band.bytes;
    if (b.size() < band.headerSize + 2 + 4 || b[b.size() - 2] != 0xFF || b[b.size() - 1] != JPEG_EOI) return false;
    uint8_t* const data = b.data() + band.headerSize;
    const uint8_t* from = data;
    const uint8_t* const end = b.data() + b.size() - 2;
    uint8_t* to = data;
    while (from < end) {
        const auto* ff = static_cast<const uint8_t*>(std::memchr(from, 0xFF, size_t(end - from)));
        const uint8_t* stop = ff ? ff + 1 : end;
        std::memmove(to, from, size_t(stop - from));
        to += stop - from;
        from = stop;
        if (ff) {
            if (from == end || *from != 0) return false;
            ++from;
        }
    }
    band.dataSize = size_t(to - data);
    if (band.dataSize < 4) return false;
    int padding = 0;
    while (padding < 8 && (to[-1] >> padding & 1)) ++padding;
    if (padding == 8) return false;
    const uint64_t all = uint64_t(band.dataSize) * 8 - uint64_t(padding);
    if (all < kMarkLength) return false;
    band.bits = all - kMarkLength;
    // The mark's bits, read back from where they must stand.
    uint32_t mark = 0;
    for (uint64_t i = band.bits; i < all; ++i) mark = mark << 1 | ((data[i >> 3] >> (7 - (i & 7))) & 1);
    return mark == kMarkBits;
}

// The joined file, written in pieces of one buffer.
class StreamWriter {
public:
    explicit StreamWriter(imagefile::PendingFile& file) : file_(file) {}

    bool Bytes(const uint8_t* p, size_t n) {
        while (n > 0) {
            const size_t room = sizeof buffer_ - used_;
            const size_t k = std::min(room, n);
            std::memcpy(buffer_ + used_, p, k);
            used_ += k;
            p += k;
            n -= k;
            if (used_ == sizeof buffer_ && !Flush()) return false;
        }
        return true;
    }

    // Appends count bits (unstuffed, most significant first) from data,
    // stuffing a zero after every 0xFF byte made.
    bool Bits(const uint8_t* data, uint64_t count) {
        const uint64_t whole = count / 8;
        const int shift = pending_;  // bits waiting from before, in acc_
        const uint32_t keep = (1u << shift) - 1;
        uint64_t i = 0;
        // Four bytes at a time while none of them is 0xFF.
        for (; i + 4 <= whole; i += 4) {
            if (used_ + 8 > sizeof buffer_ && !Flush()) return false;
            const uint32_t w = uint32_t(data[i]) << 24 | uint32_t(data[i + 1]) << 16 | uint32_t(data[i + 2]) << 8 |
                               data[i + 3];
            const uint32_t out = shift ? acc_ << (32 - shift) | w >> shift : w;
            acc_ = w & keep;
            uint8_t* to = buffer_ + used_;
            if (((~out - 0x01010101u) & out & 0x80808080u) == 0) {
                to[0] = uint8_t(out >> 24), to[1] = uint8_t(out >> 16), to[2] = uint8_t(out >> 8), to[3] = uint8_t(out);
                used_ += 4;
            } else {
                for (int k = 24; k >= 0; k -= 8) {
                    const auto b = static_cast<uint8_t>(out >> k);
                    buffer_[used_++] = b;
                    if (b == 0xFF) buffer_[used_++] = 0;
                }
            }
        }
        for (; i < whole; ++i) {
            if (used_ + 2 > sizeof buffer_ && !Flush()) return false;
            const unsigned v = data[i];
            const auto out = static_cast<uint8_t>(shift ? acc_ << (8 - shift) | v >> shift : v);
            acc_ = v & keep;
            buffer_[used_++] = out;
            if (out == 0xFF) buffer_[used_++] = 0;
        }
        const int rest = static_cast<int>(count % 8);
        for (int k = 0; k < rest; ++k) {
            acc_ = acc_ << 1 | ((data[whole] >> (7 - k)) & 1);
            if (++pending_ == 8) {
                pending_ = 0;
                const auto out = static_cast<uint8_t>(acc_);
                acc_ = 0;
                if (!Bytes(&out, 1) || (out == 0xFF && !Bytes(&kZero, 1))) return false;
            }
        }
        return true;
    }

    // The last byte filled with ones, as libjpeg ends its coded data, and
    // the end of the image.
    bool Finish() {
        if (pending_ > 0) {
            const auto out = static_cast<uint8_t>((acc_ << (8 - pending_)) | (0xFFu >> pending_));
            if (!Bytes(&out, 1) || (out == 0xFF && !Bytes(&kZero, 1))) return false;
        }
        static const uint8_t eoi[2] = {0xFF, JPEG_EOI};
        return Bytes(eoi, 2) && Flush();
    }

private:
    bool Flush() {
        const bool ok = file_.Write(buffer_, used_);
        used_ = 0;
        return ok;
    }

    static constexpr uint8_t kZero = 0;
    imagefile::PendingFile& file_;
    uint32_t acc_ = 0;  // the pending bits, in the low ones
    int pending_ = 0;
    size_t used_ = 0;
    uint8_t buffer_[1 << 16];
};

// Finds where the band's headers end (after the start of scan) and, given a
// height, sets the frame header's to it: the first band's headers are the
// file's.
bool ReadHeaders(Band& band, int height) {
    std::vector<uint8_t>& b = band.bytes;
    bool frame = false;
    for (size_t p = 2; p + 4 <= b.size() && b[p] == 0xFF;) {
        const unsigned marker = b[p + 1], length = unsigned(b[p + 2]) << 8 | b[p + 3];
        if (marker == 0xC0 && height >= 0 && p + 7 <= b.size()) {
            b[p + 5] = static_cast<uint8_t>(height >> 8);
            b[p + 6] = static_cast<uint8_t>(height);
            frame = true;
        }
        p += 2 + length;
        if (marker == 0xDA) {
            band.headerSize = p;
            return p <= b.size() && (frame || height < 0);
        }
    }
    return false;
}

// Threads kept for the bands of every save: under Wine starting a thread
// takes half a millisecond or more, as long as a band of a screen takes to
// compress. They wait for work until the program ends. They are woken by
// one semaphore and counted without a lock: under Wine each wait on a held
// lock, and each thread a condition variable wakes, is a call to its server.
class Helpers {
public:
    static Helpers& Instance() {
        static Helpers* helpers = new Helpers;  // never destroyed: its threads wait until the end
        return *helpers;
    }

    // Has up to count helpers call work once each, starting the threads
    // the first time; false (and no helper) while another save has them.
    bool Start(const std::function<void()>& work, unsigned count) {
        if (!wake_ || !idle_ || !owner_.try_lock()) return false;
        work_ = &work;
        open_ = true;
        ReleaseSemaphore(wake_, static_cast<LONG>(count), nullptr);
        if (Reserve(count)) Spawn();
        return true;
    }

    // Closes the work to helpers not yet in it and waits until every helper
    // in it has returned. Wake-ups left over find it closed (or the next
    // save's work, which they may do).
    void Finish() {
        open_ = false;
        while (running_ > 0) WaitForSingleObject(idle_, INFINITE);
        owner_.unlock();
    }

private:
    Helpers()
        : wake_(CreateSemaphoreW(nullptr, 0, 0x7FFFFFFF, nullptr)), idle_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

    // Whether to start one more thread (counted already): one at a time,
    // each new thread starting the next, so that the saving thread starts
    // one at most.
    bool Reserve(unsigned wanted) {
        std::lock_guard<std::mutex> lock(threadsMutex_);
        wanted_ = std::max(wanted_, wanted);
        if (starting_ || threads_ >= wanted_) return false;
        starting_ = true;
        ++threads_;
        return true;
    }

    void Spawn() {
        try {
            std::thread([this] { Loop(); }).detach();
        } catch (...) {
            std::lock_guard<std::mutex> lock(threadsMutex_);
            --threads_;
            wanted_ = threads_;  // the threads there are do the work
            starting_ = false;
        }
    }

    void Loop() {
        {
            std::lock_guard<std::mutex> lock(threadsMutex_);
            starting_ = false;
        }
        if (Reserve(0)) Spawn();
        for (;;) {
            WaitForSingleObject(wake_, INFINITE);
            // Counted before looking whether the work is open, which Finish
            // closes before looking at the count: one of them sees the other.
            ++running_;
            if (open_) (*work_)();
            if (--running_ == 0) SetEvent(idle_);
        }
    }

    const HANDLE wake_, idle_;  // never closed, as the threads
    std::mutex owner_;          // held by the save that has the helpers
    std::atomic<const std::function<void()>*> work_{nullptr};
    std::atomic<bool> open_{false};
    std::atomic<unsigned> running_{0};
    std::mutex threadsMutex_;
    unsigned threads_ = 0, wanted_ = 0;
    bool starting_ = false;
};

class BandedJpeg {
public:
    BandedJpeg(const ui::Bitmap& bitmap, int count) : bitmap_(bitmap), reader_(bitmap), bands_(size_t(count)) {
        const int mcuRows = (bitmap.Height() + kMcuRows - 1) / kMcuRows;
        for (int i = 0; i < count; ++i) {
            Band& band = bands_[size_t(i)];
            const int from = mcuRows * i / count, to = mcuRows * (i + 1) / count;
            band.leadIn = i > 0;
            band.first = (from - (band.leadIn ? 1 : 0)) * kMcuRows;
            band.rows = std::min(bitmap.Height(), to * kMcuRows) - band.first;
        }
    }

    // The helpers start on the bands while this thread creates the file.
    bool Save(const std::wstring& path, unsigned helpers) {
        const std::function<void()> work = [this] {
            try {
                Work(false);
            } catch (...) {
                // Out of memory before taking a band: the others take them.
            }
        };
        Helpers& pool = Helpers::Instance();
        const bool helped = helpers > 0 && pool.Start(work, helpers);
        bool ok = false;
        try {
            imagefile::PendingFile file(path);
            ok = file.ok() && Join(file) && file.Commit();
        } catch (...) {
            ok = false;
        }
        if (!ok) failed_ = true;
        if (helped) pool.Finish();
        return ok;
    }

private:
    // Compresses bands until none is left (or, for the joining thread, until
    // the next band to join is done). Bands are taken and marked done
    // without a lock: under Wine every wait on a held lock is a call to its
    // server.
    void Work(bool joining) {
        std::vector<uint8_t> row;
        auto coder = std::make_unique<BandCoder>();
        while (!failed_ && !(joining && bands_[joined_].done)) {
            const size_t i = next_++;
            if (i >= bands_.size()) return;
            Band& band = bands_[i];
            try {
                row.resize(size_t(bitmap_.Width()) * 3);
                // About what screens need; the buffer grows for photographs.
                band.bytes.resize(size_t(bitmap_.Width()) * size_t(band.rows) / 4 + 4096);
                *coder = BandCoder{};
                coder->band = &band;
                band.ok = CompressBand(bitmap_, reader_, row.data(), band, *coder) &&
                          ReadHeaders(band, i == 0 ? bitmap_.Height() : -1) && FindBits(band);
            } catch (...) {
                band.ok = false;
            }
            if (!band.ok) failed_ = true;
            band.done = true;
            // The joining thread says it waits before it looks at done, this
            // one looks whether it waits after setting done: one of the two
            // sees the other's.
            if (waiting_) {
                { std::lock_guard<std::mutex> lock(mutex_); }
                done_.notify_all();
            }
        }
    }

    // Writes the bands in order as they are done, compressing bands itself
    // while the next one to write is not.
    bool Join(imagefile::PendingFile& file) {
        auto writer = std::make_unique<StreamWriter>(file);
        for (joined_ = 0; joined_ < bands_.size(); ++joined_) {
            Work(true);
            Band& band = bands_[joined_];
            if (!band.done) {
                std::unique_lock<std::mutex> lock(mutex_);
                waiting_ = true;
                done_.wait(lock, [&] { return band.done.load(); });
                waiting_ = false;
            }
            if (!band.ok) return false;
            if (joined_ == 0 && !writer->Bytes(band.bytes.data(), band.headerSize)) return false;
            if (!writer->Bits(band.bytes.data() + band.headerSize, band.bits)) return false;
            std::vector<uint8_t>().swap(band.bytes);
        }
        return writer->Finish();
    }

    const ui::Bitmap& bitmap_;
    const imagefile::RgbRowReader reader_;
    std::vector<Band> bands_;
    std::atomic<size_t> next_{0};  // the next band to take
    size_t joined_ = 0;             // the next band to write (the joining thread's alone)
    std::atomic<bool> failed_{false}, waiting_{false};
    std::mutex mutex_;  // for done_ alone
    std::condition_variable done_;
};

}  // namespace

int JpegBandCount(int width, int height, unsigned cores) {
    // Small pictures take well under a millisecond in one pass; a band costs
    // the MCU row above it once more, so bands are at least four MCU rows.
    const int mcuRows = (height + kMcuRows - 1) / kMcuRows;
    if (cores < 2 || int64_t(width) * height < (1 << 18) || height > JPEG_MAX_DIMENSION ||
        width > JPEG_MAX_DIMENSION)
        return 1;
    // Two bands a core, so that one slow band (a photograph in a screen)
    // does not leave the other cores idle.
    return std::max(1, std::min(int(std::min(cores, 16u)) * 2, mcuRows / 4));
}

bool SaveJpeg(const ui::Bitmap& bitmap, const std::wstring& path) {
    if (bitmap.Empty()) return false;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const int bands = JpegBandCount(bitmap.Width(), bitmap.Height(), cores);
    if (bands > 1) {
        // Drawing on this thread may still wait in its GDI batch, which the
        // other threads' ScanLine calls would not flush.
        GdiFlush();
        auto job = std::make_unique<BandedJpeg>(bitmap, bands);
        return job->Save(path, std::min(cores, unsigned(bands)) - 1);
    }
    imagefile::PendingFile file(path);
    if (!file.ok()) return false;
    const imagefile::RgbRowReader reader(bitmap);
    std::vector<uint8_t> row(size_t(bitmap.Width()) * 3);
    auto destination = std::make_unique<FileDestination>();
    destination->file = &file;
    return CompressWhole(bitmap, reader, row.data(), destination.get()) && file.Commit();
}

}  // namespace jpegfile
