#include "base/files.h"

#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include "base/addresses.h"
#include "capture/freeze_window.h"
#include "base/globals.h"
#include "base/hotkeys.h"
#include "app/main_window.h"
#include "base/settings_store.h"
#include "base/texts.h"
#include "hook/hovrak.h"
#include "ui/gdi.h"
#include "ui/text_convert.h"

void CopyScreenToBitmap(int x, int y, int width, int height, HDC dc) {
    if (!dc || width <= 0 || height <= 0) return;
    // The copy below covers every pixel: the old picture (after the edge
    // effect, of another size) is neither kept nor the new one cleared.
    if (!CaptureBitmap.SetSizeForOverwrite(width, height)) return;
    if (GetDeviceCaps(dc, RASTERCAPS) & RC_PALETTE) {
        // A palette screen: keep the system palette's colours in the capture.
        PALETTEENTRY entries[256];
        const UINT n = GetSystemPaletteEntries(dc, 0, 256, entries);
        if (n > 0) {
            std::vector<RGBQUAD> colors;
            for (UINT i = 0; i < n; ++i)
                colors.push_back(RGBQUAD{entries[i].peBlue, entries[i].peGreen, entries[i].peRed, 0});
            CaptureBitmap.SetColorTable(colors);
        }
    }
    BitBlt(CaptureBitmap.Canvas(), 0, 0, width, height, dc, x, y, SRCCOPY);
}

bool ForceForegroundWindow(HWND window) {
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    if (GetForegroundWindow() == window) return true;
    const HWND foreground = GetForegroundWindow();
    const DWORD ourThread = GetWindowThreadProcessId(window, nullptr);
    const DWORD theirThread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    if (theirThread && theirThread != ourThread && AttachThreadInput(theirThread, ourThread, TRUE)) {
        BringWindowToTop(window);
        SetForegroundWindow(window);
        AttachThreadInput(theirThread, ourThread, FALSE);
    }
    if (GetForegroundWindow() != window) {
        DWORD timeout = 0;
        SystemParametersInfoW(SPI_GETFOREGROUNDLOCKTIMEOUT, 0, &timeout, 0);
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, nullptr, SPIF_SENDCHANGE);
        BringWindowToTop(window);
        SetForegroundWindow(window);
        SystemParametersInfoW(SPI_SETFOREGROUNDLOCKTIMEOUT, 0, reinterpret_cast<void*>(static_cast<UINT_PTR>(timeout)),
                              SPIF_SENDCHANGE);
    }
    return GetForegroundWindow() == window;
}

bool ForceForegroundWindowNT(HWND window) {
    // A key event and a short-lived topmost window of our own make the
    // system accept the foreground change despite its foreground lock.
    HWND temp = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 0, 0,
                                nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
    const bool ok = SetForegroundWindow(window) != FALSE;
    if (temp) DestroyWindow(temp);
    return ok;
}

namespace {

HWND LastUserWindow = nullptr;

bool IsUserWindow(HWND w) {
    if (!w || w == MainWindow || w == ApplicationWindow || !IsWindowVisible(w)) return false;
    if (uFreezeForm && w == uFreezeForm->Handle()) return false;
    RECT r{};
    return GetWindowRect(w, &r) && !IsRectEmpty(&r);
}

}  // namespace

void NoteUserWindow() {
    const HWND foreground = GetForegroundWindow();
    if (IsUserWindow(foreground)) LastUserWindow = foreground;
}

HWND UserWindow() {
    NoteUserWindow();
    return IsUserWindow(LastUserWindow) ? LastUserWindow : nullptr;
}

void GiveForegroundBack() {
    if (IsUserWindow(GetForegroundWindow())) return;  // the user's, or a dialog of ours the user sees
    if (IsUserWindow(LastUserWindow)) SetForegroundWindow(LastUserWindow);
}

bool IsNTPlatform() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwPlatformId >= VER_PLATFORM_WIN32_NT;
}

bool BringWindowToFront(HWND window) {
    return IsNTPlatform() ? ForceForegroundWindowNT(window) : ForceForegroundWindow(window);
}

void ShowError(const std::wstring& text) {
    // The box pumps messages, so a second box can open over the first: only
    // the outermost one gives the mouse activation and the hotkeys back.
    const bool outer = !ErrorBoxShown;
    ErrorBoxShown = true;
    if (TimerRunning) CallStopTimerCapture();
    HookActivateWithMouse(FALSE);
    NoteUserWindow();
    BringWindowToFront(ApplicationWindow);
    MessageBoxW(ApplicationWindow, text.c_str(), txt::MessageCaption, MB_OK | MB_ICONERROR);
    if (outer) {
        HookActivateWithMouse(Config.MouseActivation != 0);
        GiveForegroundBack();
        ErrorBoxShown = false;
        RunHeldHotkeys();
    }
}

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

bool MouseButtonsSwapped() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Mouse", 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ui::RegKey guard(key);
    wchar_t value[16] = {};
    DWORD type = 0, size = sizeof value - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"SwapMouseButtons", nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS || type != REG_SZ)
        return false;
    return std::wstring(value) == L"1";
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

bool MovedFarEnough(POINT a, POINT b) {
    if (a.x == b.x || a.y == b.y) return false;
    const long long dx = b.x - a.x, dy = b.y - a.y;
    return dx * dx + dy * dy >= 100;
}

void OpenFile(const std::wstring& path) {
    if (!FileExists(path)) {
        ShowError(txt::FileMissingA + FileNameOf(path) + txt::FileMissingB);
        return;
    }
    const std::wstring folder = FolderOf(path);
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", path.c_str(), nullptr, folder.empty() ? nullptr : folder.c_str(), SW_SHOW));
    if (result <= 32) ShowError(txt::FileNotOpenedA + FileNameOf(path) + txt::FileNotOpenedB);
}

void ShowHelp() { OpenFile(ProgramFolder + L"Vorlix.chm"); }

namespace {

std::wstring FindMakerProgram(const wchar_t* key, const wchar_t* file) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h) != ERROR_SUCCESS) return {};
    ui::RegKey guard(h);
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(h, L"InstallPath", nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0 || size > 65536)
        return {};
    std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(h, L"InstallPath", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) !=
        ERROR_SUCCESS)
        return {};
    value.resize(wcsnlen(value.c_str(), value.size()));
    const std::wstring path = value + file;
    return FileExists(path) ? path : std::wstring();
}

void RunMakerProgram(const std::wstring& path, const wchar_t* question, const wchar_t* download) {
    if (!path.empty()) {
        OpenFile(path);
        return;
    }
    if (MessageBoxW(ApplicationWindow, question, txt::AppTitle, MB_YESNO | MB_ICONQUESTION) == IDYES)
        ShellExecuteW(nullptr, L"open", download, nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace

std::wstring FindZovozuProgram() { return FindMakerProgram(L"Software\\Vorlix Zovozu", L"\\brannet.exe"); }
std::wstring FindEditorProgram() { return FindMakerProgram(L"Software\\Vorlix Editor", L"\\quorrel.exe"); }

void RunZovozuProgram() { RunMakerProgram(FindZovozuProgram(), txt::ZovozuNotInstalled, addr::ZovozuDownload); }
void RunEditorProgram() { RunMakerProgram(FindEditorProgram(), txt::EditorNotInstalled, addr::EditorDownload); }

std::wstring FindPaint() {
    wchar_t buffer[256] = {};
    wchar_t* part = nullptr;
    DWORD n = SearchPathW(nullptr, L"mspaint", L".exe", 255, buffer, &part);
    if (n == 0 || n >= 255) n = SearchPathW(nullptr, L"pbrush", L".exe", 255, buffer, &part);
    return n > 0 && n < 255 ? std::wstring(buffer, n) : std::wstring();
}

int CheckGraphicEditor() {
    const std::wstring current = ui::ToWide(Config.CustomEditorPath.view());
    if (!current.empty() && FileExists(current)) return 0;
    const std::wstring paint = FindPaint();
    // A Paint whose path the settings cannot hold counts as none.
    const auto stored = paint.empty() ? std::nullopt : ui::ToAnsiPath(paint, decltype(Config.CustomEditorPath)::Capacity);
    if (stored) {
        if (!current.empty())
            ShowError(FileNameOf(current) + txt::EditorNoLongerExists + L"\r" + txt::EditorNowSetTo + FileNameOf(paint));
        Config.CustomEditorPath = *stored;
        SaveConfiguration();
        return 1;
    }
    Config.CustomEditorPath.clear();
    ShowError(txt::NoGraphicEditor);
    SaveConfiguration();
    return 2;
}

DefaultInputs SystemDefaultInputs() {
    DefaultInputs in;
    in.doubleClickTime = GetDoubleClickTime();
    // Paths in forms that the code page holds, or nothing rather than
    // question marks: an empty output folder is the desktop itself, which
    // the folder check then tells the user about.
    const auto path = [](const std::wstring& p, size_t bytes = size_t(-1)) {
        return ui::ToAnsiPath(p, bytes).value_or(std::string());
    };
    in.programFolder = path(ProgramFolder);
    in.desktopFolder = path(DesktopFolder, decltype(TConfiguration::FileFolder)::Capacity);
    in.editorProgramFound = !FindEditorProgram().empty();
    const std::wstring paint = FindPaint();
    in.paintPath = paint.empty() ? std::string() : path(paint, decltype(TConfiguration::CustomEditorPath)::Capacity);
    return in;
}

void SetLiveDefaults() { SetDefaults(Config, SystemDefaultInputs()); }
