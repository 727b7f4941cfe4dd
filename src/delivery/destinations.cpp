#include "delivery/destinations.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/errors.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/notice.h"
#include "base/programs.h"
#include "base/save_dialog.h"
#include "base/settings_store.h"
#include "base/temp_files.h"
#include "base/texts.h"
#include "base/files.h"
#include "delivery/command_line.h"
#include "delivery/image_file.h"
#include "delivery/image_savers.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

const wchar_t CapturePlaceholder[] = L"\"<CAPTURE>\"";

namespace delivery {

bool FieldText(std::string_view field, std::wstring& text) {
    text = ui::ToWide(field);
    return ui::ToAnsi(text) == field;
}

TImageFormat KnownFormat(uint8_t value) {
    return value >= ifBMP && value <= ifPNG ? static_cast<TImageFormat>(value) : ifUnknown;
}

void Succeeded(const wchar_t* notice) {
    SetNoticeText(notice);
    ShowNotice();
}

bool Failed(const std::wstring& message) {
    if (!message.empty()) ShowError(message);
    NotifyCancelled();
    return false;
}

}  // namespace delivery

using delivery::Failed;
using delivery::FieldText;
using delivery::KnownFormat;
using delivery::Succeeded;

namespace {

// What the File destination saved last and a fingerprint of the image it
// saved. Other destinations hand that file on only while it still holds the
// image they are delivering: a capture handed over by another program, or a
// file name that a later destination has overwritten, must not send an old
// picture.
struct SavedFile {
    std::wstring path;
    uint64_t fingerprint = 0;
    bool valid = false;
} lastFileSave;

uint64_t Fingerprint(const ui::Bitmap& bitmap) {
    uint64_t h = 1469598103934665603ull;
    auto mix = [&h](uint64_t v) {
        h ^= v;
        h *= 1099511628211ull;
    };
    mix(static_cast<uint64_t>(bitmap.Width()));
    mix(static_cast<uint64_t>(bitmap.Height()));
    mix(static_cast<uint64_t>(bitmap.Bits()));
    if (bitmap.Empty()) return h;
    for (const RGBQUAD& c : bitmap.ColorTable()) mix(c.rgbRed | (c.rgbGreen << 8) | (c.rgbBlue << 16));
    const size_t rowBytes = (size_t(bitmap.Width()) * size_t(bitmap.Bits()) + 7) / 8;
    for (int y = 0; y < bitmap.Height(); ++y) {
        const uint8_t* row = bitmap.ScanLine(y);
        if (!row) continue;
        size_t i = 0;
        for (; i + 8 <= rowBytes; i += 8) {
            uint64_t v;
            std::memcpy(&v, row + i, 8);
            mix(v);
        }
        // A partly used last byte carries padding bits: only the used ones count.
        for (; i < rowBytes; ++i) {
            uint8_t b = row[i];
            if (i + 1 == rowBytes) {
                const int used = static_cast<int>((size_t(bitmap.Width()) * size_t(bitmap.Bits())) % 8);
                if (used) b = static_cast<uint8_t>(b & (0xFF << (8 - used)));
            }
            mix(b);
        }
    }
    return h;
}

std::wstring WithBackslash(std::wstring folder) {
    if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') folder += L'\\';
    return folder;
}

// An absolute folder (drive or network share) that exists. A relative folder
// would put the file wherever the current folder happens to be.
bool IsUsableFolder(const std::wstring& folder) {
    const bool absolute = (folder.size() >= 3 && folder[1] == L':' && (folder[2] == L'\\' || folder[2] == L'/') &&
                           ((folder[0] >= L'a' && folder[0] <= L'z') || (folder[0] >= L'A' && folder[0] <= L'Z'))) ||
                          (folder.size() >= 3 && (folder[0] == L'\\' || folder[0] == L'/') &&
                           (folder[1] == L'\\' || folder[1] == L'/'));
    if (!absolute) return false;
    const DWORD a = GetFileAttributesW(folder.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void RememberFileSave(bool ok) {
    lastFileSave.valid = ok;
    if (ok) {
        lastFileSave.path = ImageFileName;
        lastFileSave.fingerprint = Fingerprint(CaptureBitmap);
    } else {
        lastFileSave.path.clear();
    }
}

// The packed DIB (header, bits) of the capture as 24-bit rows: every program
// that reads images from the clipboard understands it, and no alpha byte can
// make a reader show the image transparent.
HGLOBAL PackedDib(const ui::Bitmap& bitmap) {
    const std::vector<uint8_t> rows = imagefile::Dib24Rows(bitmap, false);
    if (rows.empty()) return nullptr;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + rows.size());
    if (!memory) return nullptr;
    auto* p = static_cast<uint8_t*>(GlobalLock(memory));
    if (!p) {
        GlobalFree(memory);
        return nullptr;
    }
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = bitmap.Width();
    h.biHeight = bitmap.Height();  // bottom-up
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(rows.size());
    std::memcpy(p, &h, sizeof h);
    std::memcpy(p + sizeof h, rows.data(), rows.size());
    GlobalUnlock(memory);
    return memory;
}

// Another program may hold the clipboard for a moment.
bool OpenTheClipboard(HWND owner) {
    for (int attempt = 0; attempt < 20; ++attempt) {
        if (OpenClipboard(owner)) return true;
        Sleep(25);
    }
    return false;
}

}  // namespace

const std::wstring& FileDestinationFile() { return lastFileSave.path; }

bool IsPlainFileName(const std::wstring& name) {
    return name.find_first_of(L"\\/") == std::wstring::npos;
}

std::wstring ExpandEditorCommandLine(const std::wstring& commandLine, const std::wstring& path) {
    const std::wstring placeholder = ui::LowerCase(CapturePlaceholder);
    const std::wstring lower = ui::LowerCase(commandLine);
    if (lower.size() != commandLine.size() || lower.find(placeholder) == std::wstring::npos) return {};
    std::wstring out;
    size_t from = 0;
    for (size_t at = lower.find(placeholder); at != std::wstring::npos; at = lower.find(placeholder, from)) {
        out += commandLine.substr(from, at - from);
        out += cmdline::QuoteForeignArgument(path);
        from = at + placeholder.size();
    }
    out += commandLine.substr(from);
    return out;
}

std::wstring OutsideProgramPath(const std::wstring& path) {
    const auto bytes = ui::ToAnsiPath(path);
    return bytes ? ui::ToWide(*bytes) : path;
}

bool StartOutsideProgram(const std::wstring& program, const std::wstring& parameters, const std::wstring& folder,
                         int show) {
    if (program.empty()) return false;
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", program.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
                      folder.empty() ? nullptr : folder.c_str(), show));
    return result > 32;
}

namespace {

// The desktop folder of which the user has been told in this run that the
// settings cannot hold it.
std::wstring toldNotStorable;

constexpr size_t kFolderBytes = decltype(TConfiguration::FileFolder)::Capacity;

}  // namespace

bool CheckDestinationFolder() {
    std::wstring folder;
    const bool readable = FieldText(Config.FileFolder.view(), folder);
    if (readable && IsUsableFolder(folder)) return true;
    const bool wasSet = !Config.FileFolder.empty();
    if (wasSet) ShowError(txt::FolderGone);
    if (const auto desktop = ui::ToAnsiPath(DesktopFolder, kFolderBytes)) {
        Config.FileFolder = *desktop;
        SaveConfiguration();
        return false;
    }
    // No form of the desktop's path survives the code page. Question marks
    // in its place would name no folder at all: the setting stays empty, the
    // File destination saves on the desktop itself, and the user hears of it
    // once in a run rather than at every check.
    if (wasSet) {
        Config.FileFolder.clear();
        SaveConfiguration();
    }
    if (toldNotStorable == DesktopFolder) return !wasSet;
    toldNotStorable = DesktopFolder;
    ShowError(ui::FormatText(txt::FolderNotStorable, {{L"<FOLDER>", DesktopFolder}}));
    return false;
}

bool PrepareTemporaryFile(const std::wstring& name, TImageFormat format, bool codePagePath) {
    if (Config.SendTo[dFile] && lastFileSave.valid && FileExists(lastFileSave.path) &&
        lastFileSave.fingerprint == Fingerprint(CaptureBitmap) && (!codePagePath || ui::ToAnsiPath(lastFileSave.path))) {
        ImageFileName = lastFileSave.path;
        return true;
    }
    // A name that reaches into another folder, or an unknown format, would
    // write somewhere else or something else than asked for.
    const std::wstring folder = codePagePath ? CodePageTempFolder() : TempFolder;
    if (!IsPlainFileName(name) || KnownFormat(format) == ifUnknown || folder.empty()) {
        ShowError(txt::TempFileFailed);
        return false;
    }
    ImageFileName = NextNumberedFileName(folder, name, format);
    if (!SaveCaptureByExtension() || (codePagePath && !ui::ToAnsiPath(ImageFileName))) {
        ShowError(txt::TempFileFailed);
        return false;
    }
    return true;
}

bool PutCaptureOnClipboard() {
    bool ok = false;
    try {
        HGLOBAL dib = PackedDib(CaptureBitmap);
        if (dib) {
            if (OpenTheClipboard(MainWindow ? MainWindow : ApplicationWindow)) {
                if (EmptyClipboard() && SetClipboardData(CF_DIB, dib)) {
                    ok = true;
                    dib = nullptr;  // the clipboard owns it now
                }
                CloseClipboard();
            }
            if (dib) GlobalFree(dib);
        }
    } catch (...) {
        ok = false;
    }
    return ok;
}

bool SendToClipboard() {
    const bool ok = PutCaptureOnClipboard();
    if (!ok) return Failed(txt::ClipboardFailed);
    Succeeded(txt::SentToClipboard);
    return true;
}

namespace {

enum class PromptResult { Saved, Cancelled, NotSaved };

PromptResult SaveWithPrompt(const std::wstring& folder, const std::wstring& name) {
    SaveDialogState dialog;
    dialog.initialDir = folder;
    dialog.fileName = name;
    dialog.filterIndex = KnownFormat(Config.FileFormat) != ifUnknown ? int(Config.FileFormat) : int(ifBMP);
    if (!ExecuteSaveDialog(ApplicationWindow, dialog)) {
        NotifyCancelled();
        if (TimerRunning) CallStopTimerCapture();
        return PromptResult::Cancelled;
    }

    std::wstring chosen = dialog.fileName;
    int index = dialog.filterIndex >= ifBMP && dialog.filterIndex <= ifPNG ? dialog.filterIndex : ifBMP;
    const TImageFormat typed = ImageFormatOfExtension(chosen);
    if (typed != ifUnknown) index = typed;
    else chosen += ImageExtension(static_cast<TImageFormat>(index));

    // Remember the choice for the next prompt. A part that the settings
    // cannot hold whole (too long, or characters of no code page) keeps its
    // old value rather than being stored cut or mangled.
    const std::wstring fileName = FileNameOf(chosen);
    const std::wstring stem = fileName.substr(0, fileName.find_last_of(L'.'));
    const std::wstring chosenFolder = FolderOf(chosen);
    auto fits = [](const std::wstring& s) {
        const std::string a = ui::ToAnsi(s);
        return a.size() <= 250 && ui::ToWide(a) == s;
    };
    if (fits(stem)) Config.FileName = ui::ToAnsi(stem);
    Config.FileFormat = static_cast<uint8_t>(index);
    if (const auto stored = ui::ToAnsiPath(chosenFolder, kFolderBytes)) Config.FileFolder = *stored;
    SaveConfiguration();
    if (OptionsOpen) CallOptionsFileChoiceChanged();

    ImageFileName = chosen;
    return SaveCaptureByExtension() ? PromptResult::Saved : PromptResult::NotSaved;
}

}  // namespace

bool SendToFile() {
    if (!CheckDestinationFolder()) CallOpenOptionsDialog();

    std::wstring folder, name;
    // Bytes that are no text of the code page cannot name a file; they end
    // in the save failure like any other unusable name.
    const bool readable = FieldText(Config.FileFolder.view(), folder) && FieldText(Config.FileName.view(), name);
    // Empty only when the settings cannot hold the desktop: it is used as it is.
    folder = folder.empty() ? DesktopFolder : WithBackslash(folder);
    const TImageFormat format = KnownFormat(Config.FileFormat);
    switch (Config.FileNaming) {
        case fnFixed: {
            ImageFileName = folder + name + ImageExtension(format);
            const bool ok = readable && IsPlainFileName(name) && format != ifUnknown && SaveCaptureByExtension();
            if (!ok) {
                RememberFileSave(false);
                return Failed(ui::FormatText(txt::CannotSaveTo, {{L"<FILE>", ImageFileName}}));
            }
            break;
        }
        case fnNumbered: {
            bool ok = readable && IsPlainFileName(name) && format != ifUnknown;
            if (ok) {
                ImageFileName = NextNumberedFileName(folder, name, format);
                ok = SaveCaptureByExtension();
            }
            if (!ok) {
                RememberFileSave(false);
                return Failed(txt::CannotSave);
            }
            break;
        }
        case fnAsk: {
            const PromptResult result = SaveWithPrompt(folder, readable ? name : std::wstring());
            if (result != PromptResult::Saved) {
                RememberFileSave(false);
                // A cancelled prompt has given its notice already.
                return result == PromptResult::Cancelled ? false : Failed(txt::CannotSave);
            }
            break;
        }
        default:
            RememberFileSave(false);
            return Failed();
    }
    RememberFileSave(true);
    Succeeded(txt::SentToFile);
    return true;
}

bool SendToEditor() {
    if (!PrepareTemporaryFile(ui::ToWide(Config.EditorFileName.view()), KnownFormat(Config.EditorFormat)))
        return Failed();
    std::wstring program, parameters;
    if (Config.UseCustomEditor) {
        const std::wstring commandLine = ui::ToWide(Config.CustomEditorCommandLine.view());
        parameters = ExpandEditorCommandLine(commandLine, OutsideProgramPath(ImageFileName));
        if (parameters.empty())
            return Failed(ui::FormatText(txt::PlaceholderMissing, {{L"<PLACEHOLDER>", CapturePlaceholder}}));
        program = ui::ToWide(Config.CustomEditorPath.view());
    } else {
        program = FindEditorProgram();
        if (program.empty()) {
            Config.UseCustomEditor = 1;  // live only: the next delivery goes to the graphic editor
            return Failed(txt::MakerEditorMissing);
        }
        parameters = cmdline::QuoteForeignArgument(OutsideProgramPath(ImageFileName));
    }
    // The program is started by its full path: by its bare name the shell
    // could as well find another program of that name on the search path.
    if (!StartOutsideProgram(program, parameters, FolderOf(program))) return Failed();
    Succeeded(txt::SentToEditor);
    return true;
}

bool SendToZovozu() {
    const std::wstring program = FindZovozuProgram();
    if (program.empty()) return Failed(txt::ProgramFileMissing);
    ImageFileName = NextNumberedFileName(TempFolder, L"screenshot", ifBMP);
    if (TempFolder.empty() || !SaveCaptureByExtension()) return Failed(txt::TempFileFailed);
    if (!StartOutsideProgram(program, cmdline::QuoteForeignArgument(OutsideProgramPath(ImageFileName)), FolderOf(program)))
        return Failed();
    Succeeded(txt::SentToZovozu);
    return true;
}
