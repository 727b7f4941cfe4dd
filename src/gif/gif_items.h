// The two base classes of the GIF object model: one block of a file (header,
// frame, extension, trailer) and an owning list of blocks, such as the frame
// list and a frame's extension blocks. Needs no windows.h: everything that
// reads and writes the file's blocks stands on these, so the loader builds
// natively too (fuzzing, sanitizers).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gif/gif_stream.h"

namespace gif {

class TGifImageData;
class TGifFrameData;

// Stages of a long operation's progress reports.
enum TProgressStage { psStarting = 0, psRunning = 1, psEnding = 2 };

class TGifItem {
public:
    virtual ~TGifItem() = default;
    TGifItem(const TGifItem&) = delete;
    TGifItem& operator=(const TGifItem&) = delete;

    virtual int ItemVersion() const { return 1; }  // "87a"
    virtual void ReportWarning(int severity, const std::wstring& message);
    virtual void SaveToStream(Stream& stream) = 0;
    virtual void LoadFromStream(Stream& stream) = 0;

    TGifImageData* OwnerImage() const { return OwnerImage_; }

protected:
    explicit TGifItem(TGifImageData* image) : OwnerImage_(image) {}
    TGifImageData* OwnerImage_;
};

// An owning list of items.
class TGifList {
public:
    explicit TGifList(TGifImageData* image) : OwnerImage_(image) {}
    virtual ~TGifList() { ClearItems(); }
    TGifList(const TGifList&) = delete;
    TGifList& operator=(const TGifList&) = delete;

    virtual void ReportWarning(int severity, const std::wstring& message);
    virtual void SaveToStream(Stream& stream);
    virtual void LoadFromStream(Stream& stream) = 0;

    TGifItem* ItemAt(int index) const { return ItemStore[size_t(index)].get(); }
    int ItemCount() const { return static_cast<int>(ItemStore.size()); }
    int AddItem(std::unique_ptr<TGifItem> item);
    void ClearItems();
    void DeleteItem(int index);                            // frees it
    std::unique_ptr<TGifItem> RemoveItem(TGifItem* item);  // hands it back
    int IndexOf(const TGifItem* item) const;
    TGifImageData* OwnerImage() const { return OwnerImage_; }

protected:
    TGifImageData* OwnerImage_;
    std::vector<std::unique_ptr<TGifItem>> ItemStore;
};

class TGifExtension;

// A frame's extension blocks, in file order.
class TGifExtensionList : public TGifList {
public:
    explicit TGifExtensionList(TGifFrameData* frame);
    TGifExtension* ExtensionAt(int index) const;
    // Reads the blocks up to the image separator or the trailer.
    void LoadFromStream(Stream& stream) override;
    TGifFrameData* Frame() const { return frame_; }

private:
    TGifFrameData* frame_;
};

}  // namespace gif
