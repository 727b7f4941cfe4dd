// GIF 89a extension blocks that precede a frame's image: graphic control
// (transparency, delay, disposal), plain text, comment and application
// blocks, of which the looping block is known by its identifier. Two
// registries map a block's label, and an application block's identifier, to
// the class that reads it. Needs no windows.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "gif/gif_items.h"

namespace gif {

class TGifExtension;

// What a class reference is elsewhere: how to make an extension of a kind,
// and which kind really reads a block that starts with this kind's label.
struct TGifExtensionClass {
    uint8_t label;
    std::unique_ptr<TGifExtension> (*Create)(TGifFrameData* frame);
    // Given the stream just after the label: the class that should read the
    // block (this one by default), or null when none can.
    const TGifExtensionClass* (*ResolveExtensionClass)(const TGifExtensionClass* self, Stream& stream);
};

class TGifExtension : public TGifItem {
public:
    explicit TGifExtension(TGifFrameData* frame);
    ~TGifExtension() override;

    int ItemVersion() const override { return 2; }  // extensions need "89a"
    void SaveToStream(Stream& stream) override;     // introducer and label
    void LoadFromStream(Stream& stream) override;   // reads and checks them
    virtual uint8_t ExtensionLabel() const = 0;
    // The looping extension answers true; the optimiser keeps it on the first
    // frame.
    virtual bool IsLoopExtension() const { return false; }

    TGifFrameData* Frame() const { return frame_; }

protected:
    TGifFrameData* frame_;
};

class TGifGraphicControlExtension : public TGifExtension {
public:
    static constexpr uint8_t kLabel = 0xF9;
    explicit TGifGraphicControlExtension(TGifFrameData* frame);
    ~TGifGraphicControlExtension() override;

    uint8_t ExtensionLabel() const override { return kLabel; }
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;

    bool Transparent() const { return (PackedFields & 1) != 0; }
    void SetTransparent(bool on);
    uint8_t TransparentColorIndex() const { return TransparentIndex; }
    void SetTransparentColorIndex(int index);
    uint16_t Delay() const { return DelayTime; }
    void SetDelay(uint16_t delay) { DelayTime = delay; }
    bool UserInput() const { return (PackedFields & 2) != 0; }
    int Disposal() const { return (PackedFields >> 2) & 7; }
    void SetDisposal(int disposal) { PackedFields = uint8_t((PackedFields & ~0x1C) | ((disposal & 7) << 2)); }

    static const TGifExtensionClass Class;

private:
    uint8_t PackedFields = 0;
    uint16_t DelayTime = 0;
    uint8_t TransparentIndex = 0;
};

// Plain text drawn over the image: the 13 bytes from the block size on, then
// the text as data sub-blocks.
class TGifTextExtension : public TGifExtension {
public:
    static constexpr uint8_t kLabel = 0x01;
    explicit TGifTextExtension(TGifFrameData* frame);
    uint8_t ExtensionLabel() const override { return kLabel; }
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;

    static const TGifExtensionClass Class;

    uint8_t BlockSize = 12;
    uint16_t GridLeft = 0, GridTop = 0, GridWidth = 0, GridHeight = 0;
    uint8_t CellWidth = 0, CellHeight = 0, TextColorIndex = 0, BackgroundColorIndex = 0;
    std::vector<std::string> Text;  // one string per sub-block
};

class TGifCommentExtension : public TGifExtension {
public:
    static constexpr uint8_t kLabel = 0xFE;
    explicit TGifCommentExtension(TGifFrameData* frame);
    uint8_t ExtensionLabel() const override { return kLabel; }
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;

    static const TGifExtensionClass Class;

    std::vector<std::string> Text;  // one string per sub-block
};

// An application block: an 11-byte identifier (8 for the application, 3 for
// its authentication code), then data that the identifier's class reads.
class TGifApplicationExtension : public TGifExtension {
public:
    static constexpr uint8_t kLabel = 0xFF;
    uint8_t ExtensionLabel() const override { return kLabel; }
    void SaveToStream(Stream& stream) override;
    void LoadFromStream(Stream& stream) override;
    virtual void SaveAppData(Stream& stream) = 0;
    virtual void LoadAppData(Stream& stream) = 0;

    // Registered under the label; never made itself: it hands every block to
    // the class of its identifier, or to the raw class.
    static const TGifExtensionClass Class;

    uint8_t Identifier[11] = {};

protected:
    explicit TGifApplicationExtension(TGifFrameData* frame);
};

// Application data kept as read, so that it is written back unchanged.
class TGifRawAppExtension : public TGifApplicationExtension {
public:
    explicit TGifRawAppExtension(TGifFrameData* frame);
    void SaveAppData(Stream& stream) override;
    void LoadAppData(Stream& stream) override;

    static const TGifExtensionClass Class;

    std::vector<std::vector<uint8_t>> Blocks;  // each data sub-block (1 to 255 bytes)
};

// The looping block ("NETSCAPE2.0", also read as "ANIMEXTS1.0"): how often
// an animation plays, 0 for ever.
class TGifLoopExtension : public TGifApplicationExtension {
public:
    explicit TGifLoopExtension(TGifFrameData* frame);
    bool IsLoopExtension() const override { return true; }
    void SaveAppData(Stream& stream) override;
    void LoadAppData(Stream& stream) override;

    static const TGifExtensionClass Class;

    uint16_t LoopCount = 0;
    uint32_t BufferSize = 0;
};

// Registry of extension classes by label; a later registration wins.
void RegisterExtension(const TGifExtensionClass* cls);
const TGifExtensionClass* FindExtensionClass(uint8_t label);
// Registry of application classes by their 11-byte identifier.
void RegisterAppExtension(const uint8_t identifier[11], const TGifExtensionClass* cls);
const TGifExtensionClass* FindAppExtensionClass(const uint8_t identifier[11]);
// The class for the extension whose label is the next byte of the stream;
// the stream position is unchanged afterwards.
const TGifExtensionClass* ExtensionClassAt(Stream& stream);

}  // namespace gif
