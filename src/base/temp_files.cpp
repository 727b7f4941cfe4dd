#include "base/temp_files.h"

#include <windows.h>

#include "base/globals.h"
#include "ui/text_convert.h"

namespace {

// Names fixed by the destinations and the hand-over protocol.
constexpr wchar_t kZovozuPrefix[] = L"screenshot";
// The empty "client.<ext>" files that ask the shell which mail program opens
// a type are not claimed: the detection deletes the ones it made at once, and
// one found there is somebody else's.
// Message files of Outlook Express, Netscape and Eudora, named after the image.
constexpr const wchar_t* kMailMessageExtensions[] = {L".eml", L".txt", L".sta"};

const wchar_t* FormatExtension(uint8_t format) {
    switch (format) {
        case ifBMP: return L".bmp";
        case ifJPEG: return L".jpg";
        case ifGIF: return L".gif";
        case ifPNG: return L".png";
        default: return nullptr;
    }
}

bool SameText(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           (a.empty() || CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL);
}

bool IsPlainNumber(std::wstring_view s) {
    if (s.empty() || s.front() == L'0') return false;
    for (wchar_t ch : s)
        if (ch < L'0' || ch > L'9') return false;
    return true;
}

}  // namespace

std::vector<TempNamePattern> OwnTempFilePatterns(const TConfiguration& c) {
    std::vector<TempNamePattern> list;
    auto add = [&list](const std::wstring& prefix, bool numbered, const wchar_t* extension) {
        // A name setting left empty would claim every bare number or bare
        // extension in the folder, which other programs may well use.
        if (prefix.empty() || !extension) return;
        list.push_back({prefix, numbered, extension});
    };
    const std::wstring fileName = ui::ToWide(c.FileName.view());
    const std::wstring mailFileName = ui::ToWide(c.MailFileName.view());

    add(ui::ToWide(c.EditorFileName.view()), true, FormatExtension(c.EditorFormat));
    add(kZovozuPrefix, true, L".bmp");
    add(ui::ToWide(c.IMFileName.view()), true, FormatExtension(c.IMFormat));
    add(ui::ToWide(c.IcqFileName.view()), true, FormatExtension(c.IcqFormat));
    add(ui::ToWide(c.WebFileName.view()), false, FormatExtension(c.WebFormat));
    // Mail: embedded images are numbered after the File name, as GIF (or JPEG
    // for Eudora); attached ones carry the fixed mail name. The mail client
    // and method may have changed since, so every variant counts.
    add(fileName, true, L".gif");
    add(fileName, true, L".jpg");
    add(mailFileName, false, FormatExtension(c.MailFormat));
    for (const wchar_t* ext : kMailMessageExtensions) {
        add(fileName, true, ext);
        add(mailFileName, false, ext);
    }
    add(HandOverFileName, false, L"");
    return list;
}

bool MatchesTempPattern(std::wstring_view name, const TempNamePattern& p) {
    if (name.size() < p.prefix.size() + p.extension.size()) return false;
    if (!SameText(name.substr(0, p.prefix.size()), p.prefix)) return false;
    if (!SameText(name.substr(name.size() - p.extension.size()), p.extension)) return false;
    const std::wstring_view middle =
        name.substr(p.prefix.size(), name.size() - p.prefix.size() - p.extension.size());
    return p.numbered ? IsPlainNumber(middle) : middle.empty();
}

bool IsOwnTempFile(std::wstring_view name, const std::vector<TempNamePattern>& patterns) {
    for (const TempNamePattern& p : patterns)
        if (MatchesTempPattern(name, p)) return true;
    return false;
}

void CleanTempFiles(const std::wstring& folder, const TConfiguration& c) {
    // Without a folder the search would run in the current directory.
    if (folder.empty()) return;
    std::wstring base = folder;
    if (base.back() != L'\\' && base.back() != L'/') base += L'\\';

    const std::vector<TempNamePattern> patterns = OwnTempFilePatterns(c);
    std::vector<std::wstring> doomed;
    WIN32_FIND_DATAW fd;
    HANDLE find = FindFirstFileW((base + L"*").c_str(), &fd);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (fd.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) continue;
        if (IsOwnTempFile(fd.cFileName, patterns)) doomed.push_back(base + fd.cFileName);
    } while (FindNextFileW(find, &fd));
    FindClose(find);

    // Files in use or read-only refuse; they are simply left for next time.
    for (const std::wstring& path : doomed) DeleteFileW(path.c_str());
}

void CleanTempFiles() {
    CleanTempFiles(TempFolder, Config);
    const std::wstring other = CodePageTempFolder();
    if (!other.empty() && other != TempFolder) CleanTempFiles(other, Config);
}

std::wstring CodePageTempFolder() {
    if (!TempFolder.empty() && ui::ToAnsiPath(TempFolder)) return TempFolder;
    // Users may create files there on every system; each file is its maker's.
    const std::wstring windowsTemp = WindowsFolder.empty() ? std::wstring() : WindowsFolder + L"Temp\\";
    const DWORD a = windowsTemp.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(windowsTemp.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) && ui::ToAnsiPath(windowsTemp)) return windowsTemp;
    return {};
}
