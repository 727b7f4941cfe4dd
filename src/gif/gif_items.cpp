#include "gif/gif_items.h"

#include "gif/gif_texts.h"
#include "gif/gif_extensions.h"
#include "gif/gif_image_data.h"
#include "gif/gif_lzw_decoder.h"
#include "gif/gif_read_texts.h"

namespace gif {

void TGifItem::ReportWarning(int severity, const std::wstring& message) {
    if (OwnerImage_) OwnerImage_->ReportWarning(this, severity, message);
}

void TGifList::ReportWarning(int severity, const std::wstring& message) {
    if (OwnerImage_) OwnerImage_->ReportWarning(this, severity, message);
}

void TGifList::SaveToStream(Stream& stream) {
    for (auto& item : ItemStore) item->SaveToStream(stream);
}

int TGifList::AddItem(std::unique_ptr<TGifItem> item) {
    ItemStore.push_back(std::move(item));
    return ItemCount() - 1;
}

void TGifList::ClearItems() {
    // Items may look at the list while they go (an extension leaving its
    // frame), so take each out before freeing it.
    while (!ItemStore.empty()) {
        std::unique_ptr<TGifItem> last = std::move(ItemStore.back());
        ItemStore.pop_back();
        last.reset();
    }
}

void TGifList::DeleteItem(int index) {
    if (index < 0 || index >= ItemCount()) return;
    std::unique_ptr<TGifItem> item = std::move(ItemStore[size_t(index)]);
    ItemStore.erase(ItemStore.begin() + index);
    item.reset();
}

std::unique_ptr<TGifItem> TGifList::RemoveItem(TGifItem* item) {
    const int i = IndexOf(item);
    if (i < 0) return nullptr;
    std::unique_ptr<TGifItem> held = std::move(ItemStore[size_t(i)]);
    ItemStore.erase(ItemStore.begin() + i);
    return held;
}

int TGifList::IndexOf(const TGifItem* item) const {
    // Searched from the end: the item asked for is most often the last one
    // added (an extension leaving its frame as the frame is reset).
    for (size_t i = ItemStore.size(); i-- > 0;)
        if (ItemStore[i].get() == item) return int(i);
    return -1;
}

TGifExtensionList::TGifExtensionList(TGifFrameData* frame)
    : TGifList(frame ? frame->OwnerImage() : nullptr), frame_(frame) {}

TGifExtension* TGifExtensionList::ExtensionAt(int index) const {
    return static_cast<TGifExtension*>(ItemAt(index));
}

void TGifExtensionList::LoadFromStream(Stream& stream) {
    uint8_t b;
    if (stream.Read(&b, 1) != 1) return;
    while (b != ',' && b != ';') {
        if (b != '!') {
            ReportWarning(1, txt::GifInvalidExtensionIntroducer);
            break;
        }
        const TGifExtensionClass* cls = ExtensionClassAt(stream);
        if (!cls) {
            // A kind nobody knows: skipped, as other readers do, rather than
            // failing the whole file.
            uint8_t label;
            if (stream.Read(&label, 1) != 1) return;
            ReportWarning(1, txt::GifUnknownExtensionSkipped);
            SkipDataSubBlocks(stream);
            if (stream.Read(&b, 1) != 1) return;
            continue;
        }
        stream.Seek(-1, SeekOrigin::Current);
        std::unique_ptr<TGifExtension> extension = cls->Create(frame_);
        extension->LoadFromStream(stream);  // a failure frees it on the way out
        AddItem(std::move(extension));
        if (stream.Read(&b, 1) != 1) return;
    }
    stream.Seek(-1, SeekOrigin::Current);
}

}  // namespace gif
