// GIF 89a extension blocks that precede a frame's image. The writer needs the
// base class and the graphic control extension (transparency); the other
// kinds (comment, plain text, application and looping blocks) join the same
// registry.
#pragma once

#include <cstdint>
#include <memory>

#include "gif/gif_codec.h"

namespace gif {

class TGifExtension;

// What a class reference is elsewhere: how to make an extension of a kind,
// and which kind really reads a block that starts with this kind's label.
struct TGifExtensionClass {
    uint8_t label;
    std::unique_ptr<TGifExtension> (*Create)(TGifFrame* frame);
    // Given the stream just after the label: the class that should read the
    // block (this one by default), or null when none can.
    const TGifExtensionClass* (*ResolveExtensionClass)(const TGifExtensionClass* self, Stream& stream);
};

class TGifExtension : public TGifItem {
public:
    explicit TGifExtension(TGifFrame* frame);
    ~TGifExtension() override;

    int ItemVersion() const override { return 2; }  // extensions need "89a"
    void SaveToStream(Stream& stream) override;     // introducer and label
    void LoadFromStream(Stream& stream) override;   // reads and checks them
    virtual uint8_t ExtensionLabel() const = 0;
    // The looping extension answers true; the optimiser keeps it on the first
    // frame.
    virtual bool IsLoopExtension() const { return false; }
    // A fresh copy belonging to another frame.
    std::unique_ptr<TGifExtension> CloneFor(TGifFrame* frame);

    TGifFrame* Frame() const { return frame_; }
    void DetachFromFrame() { frame_ = nullptr; }

protected:
    TGifFrame* frame_;
};

class TGifGraphicControlExtension : public TGifExtension {
public:
    static constexpr uint8_t kLabel = 0xF9;
    explicit TGifGraphicControlExtension(TGifFrame* frame);
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
    uint8_t BlockSize = 4;
    uint8_t PackedFields = 0;
    uint16_t DelayTime = 0;
    uint8_t TransparentIndex = 0;
    uint8_t Terminator = 0;
};

// Registry of extension classes by label; a later registration wins.
void RegisterExtension(const TGifExtensionClass* cls);
const TGifExtensionClass* FindExtensionClass(uint8_t label);
// The class for the extension whose label is the next byte of the stream;
// the stream position is unchanged afterwards.
const TGifExtensionClass* ExtensionClassAt(Stream& stream);

}  // namespace gif
