// src/twain: scanners and cameras through the TWAIN source manager. It may
// include src/base and src/ui only; its texts are its own (twain_texts.h).
//
// TTwain: scanners and cameras through the platform's TWAIN source manager
// ("TWAIN_32.DLL" in the Windows folder, entry point exported by ordinal 1).
// It lets the user choose a source, runs an acquisition with a message loop
// of its own until the source closes, and hands each image over as
// ScannedBmp, firing OnChangeBitmap.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "twain/twain_protocol.h"
#include "ui/bitmap.h"

namespace twain {

enum class TMessageLevel { mlNone, mlError, mlInfo, mlFull };
enum class TTransferMode { tmNative, tmFile, tmMemory };
enum TMessageType { mtError = 0, mtInfo = 1 };

using DsmEntryProc = TW_UINT16(WINAPI*)(TW_IDENTITY*, TW_IDENTITY*, TW_UINT32, TW_UINT16, TW_UINT16, TW_MEMREF);

class TTwain {
public:
    explicit TTwain(HWND form = nullptr);
    ~TTwain();  // unwinds from any state
    TTwain(const TTwain&) = delete;
    TTwain& operator=(const TTwain&) = delete;

    bool AutoFeed = false;
    bool Disable = true;
    TMessageLevel MessageLevel = TMessageLevel::mlError;
    std::wstring FileName;
    bool ShowUI = true;
    ui::Bitmap ScannedBmp;
    TTransferMode TransferMode = TTransferMode::tmNative;
    std::function<void()> OnChangeBitmap;
    std::function<void(TMessageType type, int code, const std::wstring& misc)> OnMessage;
    // A scan the program cannot use (its data is damaged) is told to the user
    // through this; without it, a plain message box.
    std::function<void(const std::wstring& text)> OnUserError;
    // Offered every message of the acquisition's own loop that the source did
    // not claim (dialog keyboard handling); true when it was handled.
    std::function<bool(MSG& msg)> PreTranslateMessage;

    void SetForm(HWND form);
    HWND Form() const { return form_; }

    // Both do nothing while a source is open (a scan is running).
    void SelectSource();
    bool Acquire();

    bool SourceIsOpen() const { return sourceOpen_; }
    bool ManagerIsOpen() const { return managerOpen_; }
    const TW_IDENTITY& SourceIdentity() const { return sourceIdentity_; }
    // The manager library to load (the Windows folder's TWAIN_32.DLL unless
    // set otherwise, empty when there is none).
    const std::wstring& LibraryPath() const { return libraryPath_; }
    void SetLibraryPath(const std::wstring& path) { libraryPath_ = path; }

private:
    TW_UINT16 Call(TW_IDENTITY* dest, TW_UINT32 dg, TW_UINT16 dat, TW_UINT16 msg, TW_MEMREF data);
    void Report(TMessageType type, int code, TMessageLevel level, const std::wstring& misc = L"");
    void Error(int code, const std::wstring& misc = L"") { Report(mtError, code, TMessageLevel::mlError, misc); }

    bool OpenManager();
    bool CloseManager();
    bool OpenSource();
    bool CloseSource();
    bool EnableSource();
    bool DisableSource();
    bool StartAcquisition(TW_UINT16 mode);
    void MessageLoop();
    bool ProcessEvent(MSG& msg);
    bool SetTransferMechanism();
    bool SetFeeder();
    bool GetOneValue(TW_UINT16 cap, TW_UINT16 conType, TW_UINT32& value, TW_UINT16& itemType);
    bool SetOneValue(TW_UINT16 cap, TW_UINT16 itemType, TW_UINT32 value);
    void CloseAll();
    void Unwind();

    // Transfers (run on a transfer-ready event).
    void TransferImages();
    void NativeTransfer();
    void FileTransfer();
    void MemoryTransfer();
    bool EndTransfer(int failureCode);
    void GiveUpPending();
    // Whether the source's pending count went down since the last transfer
    // (previous: that count, or -1); remembers the new one.
    bool CountedDown(int& previous) const;
    // The native transfer's image: a DIB block or a bitmap (freed after).
    // unlessRepeated: not delivered when it is the image delivered last.
    void DeliverNative(HANDLE image, bool unlessRepeated);
    void FreeNativeImage(HANDLE image);
    void DeliverDib(HGLOBAL dib, bool unlessRepeated);
    void DeliverBlock(const uint8_t* block, size_t size, bool unlessRepeated);
    void DeliverFile();
    void UserError(const std::wstring& text);

    HWND form_ = nullptr;
    HWND parentWindow_ = nullptr;
    std::wstring libraryPath_;
    HMODULE library_ = nullptr;
    DsmEntryProc entry_ = nullptr;
    bool managerOpen_ = false, sourceOpen_ = false, sourceEnabled_ = false;
    TW_IDENTITY appIdentity_{};
    TW_IDENTITY sourceIdentity_{};
    TW_UINT16 acquireMode_ = 0;
    bool autoFeedOn_ = false;
    TW_PENDINGXFERS pending_{};
    uint64_t lastDelivered_ = 0;  // hash of the last image delivered
    bool quitSeen_ = false;
};

}  // namespace twain
