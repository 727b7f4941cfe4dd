#include "base/files.h"

#include <shellapi.h>
#include <shlobj.h>

#include "base/errors.h"
#include "base/globals.h"
#include "base/texts.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

namespace {
std::wstring WithBackslash(std::wstring s) {
    if (!s.empty() && s.back() != L'\\') s += L'\\';
    return s;
}
}  // namespace

std::wstring GetSpecialFolder(int csidl) {
    LPITEMIDLIST list = nullptr;
    std::wstring path;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, csidl, &list)) && list) {
        wchar_t buffer[MAX_PATH] = {};
        if (SHGetPathFromIDListW(list, buffer)) path = buffer;
        CoTaskMemFree(list);
    }
    return WithBackslash(path);
}

void InitFolders() {
    wchar_t buffer[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(255, buffer);
    TempFolder = WithBackslash(n && n < 255 ? std::wstring(buffer, n) : std::wstring());
    n = GetWindowsDirectoryW(buffer, MAX_PATH);
    WindowsFolder = std::wstring(buffer, n) + L"\\";
    ProgramFilesFolder = GetSpecialFolder(CSIDL_PROGRAM_FILES);
    if (ProgramFilesFolder.empty()) ProgramFilesFolder = L"C:\\Program Files\\";
    DesktopFolder = GetSpecialFolder(CSIDL_DESKTOP);
    std::vector<wchar_t> module(32768);
    n = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    ProgramFolder = FolderOf(std::wstring(module.data(), n));
    // Buffers of 255 characters, as long as the longest allowed name.
    wchar_t name[256] = {};
    DWORD size = 255;
    ComputerName = GetComputerNameW(name, &size) ? std::wstring(name, size) : std::wstring();
    size = 255;
    if (GetUserNameW(name, &size) && size > 0) UserName = std::wstring(name, size - 1);  // size counts the NUL
    else UserName.clear();
}

std::vector<std::string> LoadResourceStrings(const wchar_t* name) {
    std::vector<std::string> lines;
    HRSRC res = FindResourceW(nullptr, name, MAKEINTRESOURCEW(10));  // RT_RCDATA
    if (!res) return lines;
    HGLOBAL data = LoadResource(nullptr, res);
    const char* p = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    if (!p) return lines;
    const DWORD size = SizeofResource(nullptr, res);
    std::string line;
    for (DWORD i = 0; i < size; ++i) {
        if (p[i] == '\r') continue;
        if (p[i] == '\n') { lines.push_back(line); line.clear(); }
        else line += p[i];
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::wstring FileNameOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring FolderOf(const std::wstring& path) {
    const size_t slash = path.find_last_of(L"\\/:");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

bool FileExists(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

TImageFormat ImageFormatOfExtension(const std::wstring& fileName) {
    const std::wstring name = FileNameOf(fileName);
    const size_t dot = name.find_last_of(L'.');
    if (dot == std::wstring::npos) return ifUnknown;
    const std::wstring ext = ui::LowerCase(name.substr(dot));
    static const wchar_t* const known[] = {L".bmp", L".jpg", L".gif", L".png"};
    for (int i = 0; i < 4; ++i)
        if (ext == known[i]) return static_cast<TImageFormat>(i + 1);
    return ifUnknown;
}

void OpenFile(const std::wstring& path) {
    if (!FileExists(path)) {
        ShowError(ui::FormatText(txt::FileMissing, {{L"<FILE>", FileNameOf(path)}}));
        return;
    }
    const std::wstring folder = FolderOf(path);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOW));
    if (result <= 32) ShowError(ui::FormatText(txt::FileNotOpened, {{L"<FILE>", FileNameOf(path)}}));
}

void ShowHelp() { OpenFile(ProgramFolder + L"Vorlix.chm"); }

