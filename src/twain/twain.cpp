#include "twain/twain.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "base/texts.h"
#include "twain/scan_image.h"
#include "twain/twain_texts.h"
#include "ui/text_convert.h"

namespace twain {

namespace {

// Shows the hourglass for the life of the object.
class WaitCursor {
public:
    WaitCursor() : old_(SetCursor(LoadCursorW(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(old_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

private:
    HCURSOR old_;
};

void CopyName(char (&field)[34], const char* text) {
    std::memset(field, 0, sizeof field);
    std::strncpy(field, text, sizeof field - 1);
}

std::wstring WindowsFolderLibrary() {
    wchar_t folder[MAX_PATH];
    const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return L"";
    std::wstring path(folder, n);
    if (path.back() != L'\\') path += L'\\';
    path += L"TWAIN_32.DLL";
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return L"";
    return path;
}

// The strip buffer of a memory transfer: what the source prefers, within
// reason. A source that prefers nothing gets room for a few rows.
constexpr TW_UINT32 MaxStripBuffer = 16u << 20;

TW_UINT32 StripBufferSize(const TW_SETUPMEMXFER& setup, uint32_t stride) {
    TW_UINT32 size = setup.Preferred ? setup.Preferred : setup.MaxBufSize ? setup.MaxBufSize : setup.MinBufSize;
    if (size == 0) size = std::max<uint32_t>(stride, 1) * 16;
    return std::min(size, MaxStripBuffer);
}

// Strips in a row that bring nothing before a memory transfer is given up.
constexpr int MaxEmptyStrips = 1000;
// Failed transfers in a row before the pending ones are given up. A transfer
// after which the source's count of pending ones did not go down counts as
// failed too: some sources never lower it (Wine's camera source reports one
// more after its last), and one that kept handing over an image would
// otherwise be asked for ever.
constexpr int MaxFailedTransfers = 3;

// The count the source reports (Count of TW_PENDINGXFERS) when it does not
// know how many images are left (a document feeder).
constexpr TW_UINT16 UnknownPending = 0xFFFF;

// A 64-bit FNV-1a hash of a block, to tell an image handed over again.
uint64_t HashOf(const uint8_t* data, size_t size) {
    uint64_t h = 14695981039346656037ull;
    for (size_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    return h;
}

}  // namespace

TTwain::TTwain(HWND form) : libraryPath_(WindowsFolderLibrary()) {
    SetForm(form);
    appIdentity_.Id = static_cast<TW_UINT32>(reinterpret_cast<uintptr_t>(form));
    appIdentity_.Version.MajorNum = 1;
    appIdentity_.Version.MinorNum = 5;
    appIdentity_.Version.Language = 6;
    appIdentity_.Version.Country = 49;
    CopyName(appIdentity_.Version.Info, "Vorlix Tessavue");
    appIdentity_.ProtocolMajor = 1;
    appIdentity_.ProtocolMinor = 8;
    appIdentity_.SupportedGroups = TWDG_CONTROL | TWDG_IMAGE;
    CopyName(appIdentity_.Manufacturer, "VORLIX");
    CopyName(appIdentity_.ProductFamily, "Image Capture");
    CopyName(appIdentity_.ProductName, "Screen Capture");
}

TTwain::~TTwain() {
    Unwind();
    if (library_) FreeLibrary(library_);
}

void TTwain::SetForm(HWND form) {
    form_ = form;
    parentWindow_ = form;
}

TW_UINT16 TTwain::Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data) {
    if (!entry_) return TWRC_FAILURE;
    return entry_(&appIdentity_, dest, dg, dat, msg, data);
}

void TTwain::Report(TMessageType type, int code, TMessageLevel level, const std::wstring& misc) {
    if (!OnMessage) return;
    // mlNone as the level marks a report that is always made.
    if (level != TMessageLevel::mlNone && (MessageLevel == TMessageLevel::mlNone || MessageLevel < level)) return;
    OnMessage(type, code, misc);
}

void TTwain::UserError(const std::wstring& text) {
    if (OnUserError) OnUserError(text);
    else MessageBoxW(parentWindow_, text.c_str(), txt::MessageCaption, MB_OK | MB_ICONERROR);
}

// ---- Manager and source ---------------------------------------------------------

bool TTwain::OpenManager() {
    if (managerOpen_) return true;
    if (libraryPath_.empty()) {
        Error(-5);
        return false;
    }
    if (!library_) library_ = LoadLibraryW(libraryPath_.c_str());
    if (!library_) {
        Error(-4);
        return false;
    }
    // The manager's entry point is exported by ordinal 1.
    entry_ = reinterpret_cast<DsmEntryProc>(
        reinterpret_cast<void (*)()>(GetProcAddress(library_, MAKEINTRESOURCEA(1))));
    if (!entry_) {
        FreeLibrary(library_);
        library_ = nullptr;
        Error(-3);
        return false;
    }
    HWND parent = parentWindow_;
    if (Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, &parent) != TWRC_SUCCESS) {
        Error(-2);
        return false;
    }
    managerOpen_ = true;
    Report(mtInfo, -1, TMessageLevel::mlFull);
    return true;
}

bool TTwain::CloseManager() {
    if (!managerOpen_) {
        Error(-7);
        return false;
    }
    if (sourceOpen_) {
        Error(-6);
        return false;
    }
    HWND parent = parentWindow_;
    const TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, &parent);
    if (rc != TWRC_SUCCESS) {
        Error(-8, std::to_wstring(rc));
        return false;
    }
    managerOpen_ = false;
    entry_ = nullptr;
    if (library_) FreeLibrary(library_);
    library_ = nullptr;
    sourceIdentity_.Id = 0;
    sourceIdentity_.ProductName[0] = 0;
    Report(mtInfo, -9, TMessageLevel::mlFull);
    return true;
}

bool TTwain::OpenSource() {
    if (!managerOpen_) {
        Error(-10);
        return false;
    }
    if (sourceOpen_) {
        Report(mtError, -11, TMessageLevel::mlFull);
        return true;
    }
    const TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &sourceIdentity_);
    if (rc != TWRC_SUCCESS) {
        Error(rc == TWRC_FAILURE ? -13 : -14);
        return false;
    }
    sourceOpen_ = true;
    Report(mtInfo, -12, TMessageLevel::mlInfo);
    return true;
}

bool TTwain::CloseSource() {
    if (!sourceOpen_) {
        Error(-15);
        return false;
    }
    if (sourceEnabled_) {
        Error(-16);
        return false;
    }
    if (Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &sourceIdentity_) != TWRC_SUCCESS) {
        Error(-17);
        return false;
    }
    sourceOpen_ = false;
    sourceIdentity_.Id = 0;
    sourceIdentity_.ProductName[0] = 0;
    Report(mtInfo, -18, TMessageLevel::mlFull);
    return true;
}

bool TTwain::EnableSource() {
    if (!sourceOpen_) {
        Error(-19);
        return false;
    }
    if (sourceEnabled_) {
        Error(-21);
        return false;
    }
    TW_USERINTERFACE ui{static_cast<TW_BOOL>(ShowUI ? 1 : 0), 0, parentWindow_};
    if (Call(&sourceIdentity_, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui) != TWRC_SUCCESS) {
        Error(-22);
        return false;
    }
    sourceEnabled_ = true;
    Report(mtInfo, -20, TMessageLevel::mlFull);
    return true;
}

bool TTwain::DisableSource() {
    if (!sourceEnabled_) {
        Error(-23);
        return false;
    }
    TW_USERINTERFACE ui{1, 0, parentWindow_};
    if (Call(&sourceIdentity_, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui) != TWRC_SUCCESS) {
        Error(-25);
        return false;
    }
    sourceEnabled_ = false;
    Report(mtInfo, -24, TMessageLevel::mlFull);
    return true;
}

void TTwain::CloseAll() {
    if (DisableSource()) {
        acquireMode_ = 0;
        if (CloseSource()) CloseManager();
    }
}

void TTwain::Unwind() {
    if (sourceEnabled_) {
        GiveUpPending();
        DisableSource();
    }
    if (sourceOpen_ && !sourceEnabled_) CloseSource();
    if (managerOpen_ && !sourceOpen_) CloseManager();
    acquireMode_ = 0;
}

// ---- Selection and acquisition ----------------------------------------------

void TTwain::SelectSource() {
    // While a scan holds a source open there is nothing to choose.
    if (sourceOpen_) {
        Error(-26);
        return;
    }
    WaitCursor wait;
    if (!OpenManager()) return;
    TW_IDENTITY chosen{};
    Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &chosen);
    const TW_UINT16 rc = Call(nullptr, DG_CONTROL, DAT_IDENTITY, MSG_USERSELECT, &chosen);
    if (rc == TWRC_SUCCESS) {
        sourceIdentity_ = chosen;
        Report(mtInfo, -27, TMessageLevel::mlInfo);
    } else if (rc == TWRC_CANCEL) {
        Report(mtInfo, -28, TMessageLevel::mlInfo);
    } else {
        Error(-29);
    }
    CloseManager();
}

bool TTwain::Acquire() {
    // A second Acquire during a scan would reset the running transfer.
    if (sourceOpen_) return false;
    bool started;
    {
        WaitCursor wait;
        const TW_UINT16 mode = !ShowUI ? 2 : Disable ? 1 : 3;
        started = StartAcquisition(mode);
    }
    MessageLoop();
    // However the loop ended, nothing stays open behind it.
    if (!quitSeen_) Unwind();
    return started;
}

bool TTwain::StartAcquisition(TW_UINT16 mode) {
    acquireMode_ = 0;
    if (!OpenManager()) return false;
    if (!OpenSource()) {
        CloseManager();
        // Nothing else would tell the user why the scan did not start (under
        // Wine every Acquire before a source was selected ends here).
        UserError(txt::ScanSourceNotOpened);
        return false;
    }
    if (!SetTransferMechanism() || (AutoFeed && !SetFeeder())) {
        CloseSource();
        CloseManager();
        return false;
    }
    if (!sourceEnabled_) {
        if (!EnableSource()) {
            if (CloseSource() && CloseManager()) acquireMode_ = 0;
            return false;
        }
    }
    acquireMode_ = mode;
    return true;
}

void TTwain::MessageLoop() {
    quitSeen_ = false;
    MSG msg;
    // The source's state is checked before waiting for a message, so that
    // no message is taken once the source has closed. A disabled source
    // sends nothing any more, so the loop ends with it too.
    while (sourceOpen_ && sourceEnabled_) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            // The program is ending: close the source and leave the quit
            // message for the main loop.
            quitSeen_ = true;
            Unwind();
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) break;
        if (ProcessEvent(msg)) continue;
        if (PreTranslateMessage && PreTranslateMessage(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool TTwain::ProcessEvent(MSG& msg) {
    if (!managerOpen_ || !sourceOpen_) return false;
    TW_EVENT event{&msg, MSG_NULL};
    const TW_UINT16 rc = Call(&sourceIdentity_, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
    switch (event.TWMessage) {
        case MSG_XFERREADY:
            if (acquireMode_ > 0) TransferImages();
            else Error(-57);
            break;
        case MSG_CLOSEDSREQ:
            if (DisableSource()) CloseSource();
            break;
        default: break;
    }
    return rc == TWRC_DSEVENT;
}

// ---- Capabilities ------------------------------------------------------------

bool TTwain::GetOneValue(TW_UINT16 cap, TW_UINT16 conType, TW_UINT32& value, TW_UINT16& itemType) {
    TW_CAPABILITY c{cap, conType, nullptr};
    const TW_UINT16 rc = Call(&sourceIdentity_, DG_CONTROL, DAT_CAPABILITY, MSG_GET, &c);
    bool ok = false;
    if (rc == TWRC_SUCCESS && c.hContainer && c.ConType == TWON_ONEVALUE &&
        GlobalSize(c.hContainer) >= sizeof(TW_ONEVALUE)) {
        if (auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(c.hContainer))) {
            value = one->Item;
            itemType = one->ItemType;
            GlobalUnlock(c.hContainer);
            ok = true;
        }
    }
    // The container is the application's to free, whatever it held.
    if (c.hContainer) GlobalFree(c.hContainer);
    return ok;
}

bool TTwain::SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value) {
    HGLOBAL container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    if (!container) return false;
    auto* one = static_cast<TW_ONEVALUE*>(GlobalLock(container));
    one->ItemType = itemType;
    one->Item = value;
    GlobalUnlock(container);
    TW_CAPABILITY c{cap, TWON_ONEVALUE, container};
    const TW_UINT16 rc = Call(&sourceIdentity_, DG_CONTROL, DAT_CAPABILITY, MSG_SET, &c);
    GlobalFree(container);
    return rc == TWRC_SUCCESS;
}

bool TTwain::SetTransferMechanism() {
    TW_UINT32 mechanism = TWSX_NATIVE;
    if (TransferMode == TTransferMode::tmFile) {
        mechanism = TWSX_FILE;
        if (FileName.empty()) {
            wchar_t temp[MAX_PATH];
            const DWORD n = GetTempPathW(MAX_PATH, temp);
            FileName = std::wstring(temp, n < MAX_PATH ? n : 0) + L"_scan_transfer_.bmp";
            DeleteFileW(FileName.c_str());
        }
    } else if (TransferMode == TTransferMode::tmMemory) {
        mechanism = TWSX_MEMORY;
    }
    HGLOBAL container = GlobalAlloc(GHND, sizeof(TW_ONEVALUE));
    if (!container) {
        Error(-30);
        return false;
    }
    GlobalFree(container);
    if (!SetOneValue(ICAP_XFERMECH, TWTY_UINT16, mechanism)) {
        Error(-31);
        return false;
    }
    return true;
}

bool TTwain::SetFeeder() {
    static const struct {
        TW_UINT16 cap;
        const wchar_t* name;
    } feeder[] = {{CAP_FEEDERENABLED, L"CAP_FEEDERENABLED"}, {CAP_AUTOFEED, L"CAP_AUTOFEED"}};
    for (const auto& f : feeder) {
        TW_UINT32 value = 0;
        TW_UINT16 type = 0;
        bool ok = GetOneValue(f.cap, TWON_DONTCARE16, value, type);
        if (ok && (value & 0xFFFF) == 0)
            ok = SetOneValue(f.cap, TWTY_BOOL, 1) && GetOneValue(f.cap, TWON_DONTCARE16, value, type);
        if (!ok) {
            autoFeedOn_ = false;
            Error(-34, f.name);
            return false;
        }
    }
    autoFeedOn_ = true;
    return true;
}

// ---- Transfers -----------------------------------------------------------------

void TTwain::TransferImages() {
    switch (TransferMode) {
        case TTransferMode::tmNative: NativeTransfer(); break;
        case TTransferMode::tmFile: FileTransfer(); break;
        case TTransferMode::tmMemory: MemoryTransfer(); break;
    }
    if (acquireMode_ == 1) {
        if (!managerOpen_) acquireMode_ = 0;
    } else if (acquireMode_ == 2) {
        if (DisableSource()) acquireMode_ = 0;
    }
}

bool TTwain::EndTransfer(int failureCode) {
    pending_ = {};
    if (Call(&sourceIdentity_, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending_) == TWRC_SUCCESS) return true;
    Error(failureCode);
    GiveUpPending();
    return false;
}

void TTwain::GiveUpPending() {
    // The rest is reset, so that the source leaves the transfer state and can
    // be disabled and closed.
    if (pending_.Count != 0) {
        TW_PENDINGXFERS reset{};
        Call(&sourceIdentity_, DG_CONTROL, DAT_PENDINGXFERS, MSG_RESET, &reset);
    }
    pending_.Count = 0;
}

bool TTwain::CountedDown(int& previous) const {
    const bool down = previous < 0 || pending_.Count == UnknownPending || int(pending_.Count) < previous;
    previous = pending_.Count;
    return down;
}

void TTwain::NativeTransfer() {
    int failures = 0;
    int previous = -1;  // the pending count after the last transfer; none yet
    do {
        HANDLE image = nullptr;
        const TW_UINT16 rc = Call(&sourceIdentity_, DG_IMAGE, DAT_IMAGENATIVEXFER, MSG_GET, &image);
        if (rc == TWRC_XFERDONE) {
            Report(mtInfo, -38, TMessageLevel::mlFull);
            EndTransfer(-39);
            // A source that does not count down may be handing over the same
            // image again: that one is not delivered twice.
            const bool counted = CountedDown(previous);
            failures = counted ? 0 : failures + 1;
            if (failures >= MaxFailedTransfers) GiveUpPending();
            if (pending_.Count == 0 && acquireMode_ != 3) CloseAll();
            DeliverNative(reinterpret_cast<uintptr_t>(image) >= 32 ? image : nullptr, !counted);
            Report(mtInfo, -40, TMessageLevel::mlInfo, std::to_wstring(pending_.Count));
            continue;
        }
        // A handle handed over with a failed transfer is not an image.
        FreeNativeImage(image);
        if (rc == TWRC_CANCEL) {
            Error(-41);
            EndTransfer(-42);
        } else {
            Error(rc == TWRC_FAILURE ? -43 : -45);
            EndTransfer(-44);
        }
        if (++failures >= MaxFailedTransfers) GiveUpPending();
    } while (pending_.Count != 0 && sourceEnabled_);
    if (pending_.Count == 0 && acquireMode_ != 3 && sourceEnabled_) CloseAll();
    acquireMode_ = 0;
}

void TTwain::FileTransfer() {
    TW_UINT16 rc = TWRC_SUCCESS;
    int failures = 0;
    int previous = -1;
    do {
        TW_SETUPFILEXFER setup{};
        setup.Format = TWFF_BMP;
        setup.VRefNum = 0;
        HANDLE file = CreateFileW(FileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr);
        // The source takes the name in the code page: a form of the path it
        // holds, which exists once the file does.
        const auto name = file == INVALID_HANDLE_VALUE ? std::nullopt : ui::ToAnsiPath(FileName, sizeof setup.FileName - 1);
        if (!name) {
            if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
            Report(mtError, -46, TMessageLevel::mlNone);
            rc = TWRC_FAILURE;
        } else {
            std::strncpy(setup.FileName, name->c_str(), sizeof setup.FileName - 1);
            CloseHandle(file);
            rc = Call(&sourceIdentity_, DG_CONTROL, DAT_SETUPFILEXFER, MSG_SET, &setup);
            if (rc != TWRC_SUCCESS) Error(-47);
            else rc = Call(&sourceIdentity_, DG_IMAGE, DAT_IMAGEFILEXFER, MSG_GET, nullptr);
        }
        switch (rc) {
            case TWRC_XFERDONE:
                Report(mtInfo, -38, TMessageLevel::mlFull);
                EndTransfer(-39);
                failures = CountedDown(previous) ? 0 : failures + 1;
                if (failures >= MaxFailedTransfers) GiveUpPending();
                if (!autoFeedOn_) acquireMode_ = 1;
                if (pending_.Count == 0 && acquireMode_ != 3) CloseAll();
                // Only a completed transfer is delivered: a file a failed
                // transfer left behind may hold part of an image.
                DeliverFile();
                Report(mtInfo, -40, TMessageLevel::mlInfo, std::to_wstring(pending_.Count));
                break;
            case TWRC_FAILURE:
                Error(-48);
                EndTransfer(-44);
                break;
            case TWRC_CANCEL:
                Error(-41);
                EndTransfer(-42);
                break;
            default:
                Error(-45);
                EndTransfer(-44);
                break;
        }
        if (rc != TWRC_XFERDONE && ++failures >= MaxFailedTransfers) GiveUpPending();
    } while (pending_.Count != 0 && rc != TWRC_FAILURE && sourceEnabled_);
    if (pending_.Count == 0 && acquireMode_ != 3 && sourceEnabled_) CloseAll();
}

void TTwain::MemoryTransfer() {
    int failures = 0;
    int previous = -1;
    do {
        TW_IMAGEINFO info{};
        if (Call(&sourceIdentity_, DG_IMAGE, DAT_IMAGEINFO, MSG_GET, &info) != TWRC_SUCCESS) {
            Error(-39);
            EndTransfer(-44);
            break;
        }
        TW_SETUPMEMXFER setup{};
        Call(&sourceIdentity_, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup);
        const int bits = info.BitsPerPixel;
        MemoryImage image;
        std::vector<uint8_t> strip;
        bool started = false;
        try {
            started = image.Start(info.ImageWidth, info.ImageLength, bits);
            if (started) strip.resize(StripBufferSize(setup, DibStride(info.ImageWidth, bits)));
        } catch (const std::bad_alloc&) {
            Error(-49);
            EndTransfer(-44);
            continue;
        }
        if (!started) {
            // An image no bitmap can be made of: not transferred.
            Error(-45);
            EndTransfer(-44);
            if (++failures >= MaxFailedTransfers) GiveUpPending();
            continue;
        }

        int32_t xPpm = 0, yPpm = 0;
        TW_UINT32 units = 0;
        TW_UINT16 type = 0;
        if (GetOneValue(ICAP_UNITS, TWON_DONTCARE16, units, type)) {
            xPpm = PixelsPerMetre(Fix32ToDouble(info.XResolution.Whole, info.XResolution.Frac), units & 0xFFFF);
            yPpm = PixelsPerMetre(Fix32ToDouble(info.YResolution.Whole, info.YResolution.Frac), units & 0xFFFF);
        } else {
            Error(-50);
        }
        TW_UINT32 flavor = 0;
        if (bits == 1 && !GetOneValue(ICAP_PIXELFLAVOR, TWON_DONTCARE16, flavor, type)) {
            Report(mtError, -51, TMessageLevel::mlInfo);
            flavor = 0;
        }
        const std::vector<uint32_t> table = ScanColorTable(bits, flavor & 0xFFFF);
        if (Call(&sourceIdentity_, DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, &setup) != TWRC_SUCCESS) Error(-53);

        TW_UINT16 rc;
        int emptyStrips = 0;
        while (true) {
            TW_IMAGEMEMXFER mx{};
            mx.Compression = TWON_DONTCARE16;
            mx.BytesPerRow = mx.Columns = mx.Rows = mx.XOffset = mx.YOffset = mx.BytesWritten = 0xFFFFFFFF;
            mx.Memory.Flags = TWMF_APPOWNS | TWMF_POINTER;
            mx.Memory.Length = static_cast<TW_UINT32>(strip.size());
            mx.Memory.TheMem = strip.data();
            rc = Call(&sourceIdentity_, DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, &mx);
            if (rc != TWRC_SUCCESS && rc != TWRC_XFERDONE) break;
            // What a source says it wrote is never taken beyond the buffer.
            const size_t written = std::min<size_t>(mx.BytesWritten, strip.size());
            image.AddStrip(strip.data(), written, mx.BytesPerRow, mx.Rows, mx.YOffset);
            if (rc == TWRC_XFERDONE) break;
            emptyStrips = written ? 0 : emptyStrips + 1;
            if (emptyStrips >= MaxEmptyStrips) {
                rc = TWRC_FAILURE;
                break;
            }
        }
        if (rc == TWRC_XFERDONE) {
            Report(mtError, -45, TMessageLevel::mlFull);
            std::vector<uint8_t> block;
            try {
                block = image.Finish(table, xPpm, yPpm);
            } catch (const std::bad_alloc&) {
                Error(-56);
            }
            EndTransfer(-42);
            const bool counted = CountedDown(previous);
            failures = counted ? 0 : failures + 1;
            if (failures >= MaxFailedTransfers) GiveUpPending();
            if (pending_.Count == 0 && acquireMode_ != 3) CloseAll();
            if (!block.empty()) DeliverBlock(block.data(), block.size(), !counted);
            Report(mtError, -40, autoFeedOn_ ? TMessageLevel::mlError : TMessageLevel::mlInfo,
                   std::to_wstring(pending_.Count));
            continue;
        }
        if (rc == TWRC_FAILURE) {
            Error(-55);
            EndTransfer(-54);
        } else if (rc == TWRC_CANCEL) {
            Error(-41);
            EndTransfer(-42);
        } else {
            Error(-45);
            EndTransfer(-44);
            Report(mtError, -40, TMessageLevel::mlInfo, std::to_wstring(pending_.Count));
        }
        if (++failures >= MaxFailedTransfers) GiveUpPending();
    } while (pending_.Count != 0 && sourceEnabled_);
    if (pending_.Count == 0 && acquireMode_ != 3 && sourceEnabled_) CloseAll();
}

// ---- Handing the image over -----------------------------------------------------

namespace {

// What a source's native transfer handed over: the DIB block the protocol
// asks for, or a bitmap, as some sources hand over instead (Wine's camera
// source gives a DIB section).
bool IsBitmap(HANDLE image) { return image && GetObjectType(image) == OBJ_BITMAP; }

// A bitmap's pixels as one DIB block (header, colour table, bottom-up rows),
// read through GDI in the bitmap's own depth: GDI knows which way a DIB
// section's rows run, which its header alone does not tell reliably. Empty
// when the bitmap cannot be read.
std::vector<uint8_t> DibBlockOfBitmap(HBITMAP bitmap) {
    BITMAP info{};
    if (GetObjectW(bitmap, sizeof info, &info) < int(sizeof info) || info.bmWidth <= 0 || info.bmHeight <= 0 ||
        int64_t(info.bmWidth) * info.bmHeight > MaxScanPixels)
        return {};
    const int depth = info.bmBitsPixel * info.bmPlanes;
    const int bits = depth == 1 || depth == 4 || depth == 8 || depth == 24 ? depth : 32;
    const uint32_t colors = bits <= 8 ? 1u << bits : 0;
    const size_t head = sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD);
    const size_t rows = size_t(DibStride(info.bmWidth, bits)) * size_t(info.bmHeight);
    std::vector<uint8_t> block(head + rows);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(block.data());
    header->biSize = sizeof *header;
    header->biWidth = info.bmWidth;
    header->biHeight = info.bmHeight;
    header->biPlanes = 1;
    header->biBitCount = WORD(bits);
    header->biCompression = BI_RGB;
    HDC screen = GetDC(nullptr);
    const int copied = GetDIBits(screen, bitmap, 0, UINT(info.bmHeight), block.data() + head,
                                 reinterpret_cast<BITMAPINFO*>(block.data()), DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (copied != info.bmHeight) return {};
    // What GDI filled in is what the block holds: the table it wrote, no more.
    header->biClrUsed = colors;
    header->biSizeImage = 0;
    return block;
}

}  // namespace

void TTwain::FreeNativeImage(HANDLE image) {
    if (!image) return;
    if (IsBitmap(image)) DeleteObject(image);
    else GlobalFree(image);
}

void TTwain::DeliverNative(HANDLE image, bool unlessRepeated) {
    if (!image) return;
    if (!IsBitmap(image)) {
        DeliverDib(static_cast<HGLOBAL>(image), unlessRepeated);
        return;
    }
    std::vector<uint8_t> block;
    try {
        block = DibBlockOfBitmap(static_cast<HBITMAP>(image));
    } catch (const std::bad_alloc&) {
        block.clear();
    }
    DeleteObject(image);
    if (block.empty()) {
        UserError(txt::ScanDamaged);
        return;
    }
    DeliverBlock(block.data(), block.size(), unlessRepeated);
}

void TTwain::DeliverDib(HGLOBAL dib, bool unlessRepeated) {
    if (!dib) return;
    const SIZE_T size = GlobalSize(dib);
    if (const void* block = GlobalLock(dib)) {
        DeliverBlock(static_cast<const uint8_t*>(block), size, unlessRepeated);
        GlobalUnlock(dib);
    } else {
        UserError(txt::ScanDamaged);
    }
    GlobalFree(dib);
}

void TTwain::DeliverBlock(const uint8_t* block, size_t size, bool unlessRepeated) {
    const uint64_t hash = HashOf(block, size);
    if (unlessRepeated && hash == lastDelivered_) return;
    WaitCursor wait;
    // The block comes from outside the program: its header is checked against
    // the block's size before a byte of the rows is read.
    const auto layout = InspectDib(block, size);
    ui::Bitmap bitmap;
    bool ok = false;
    if (layout) {
        try {
            const std::vector<uint8_t> file = DibToBmpFile(block, *layout);
            ok = bitmap.LoadFromMemory(file.data(), file.size(), MaxScanPixels) &&
                 bitmap.SetFormat(ui::PixelFormat::Device);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) {
        UserError(txt::ScanDamaged);
        return;
    }
    lastDelivered_ = hash;
    ScannedBmp = std::move(bitmap);
    if (OnChangeBitmap) OnChangeBitmap();
}

void TTwain::DeliverFile() {
    if (TransferMode != TTransferMode::tmFile || GetFileAttributesW(FileName.c_str()) == INVALID_FILE_ATTRIBUTES)
        return;
    WaitCursor wait;
    ui::Bitmap bitmap;
    if (!bitmap.LoadFromFile(FileName, MaxScanPixels) || !bitmap.SetFormat(ui::PixelFormat::Device)) {
        ScannedBmp = ui::Bitmap();
        return;
    }
    ScannedBmp = std::move(bitmap);
    if (OnChangeBitmap) OnChangeBitmap();
}

}  // namespace twain
