#include "base/programs.h"

#include <shellapi.h>

#include "base/addresses.h"
#include "base/errors.h"
#include "base/files.h"
#include "base/globals.h"
#include "base/settings_store.h"
#include "base/texts.h"
#include "ui/gdi.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

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
            ShowError(ui::FormatText(txt::EditorReplaced,
                                     {{L"<OLD EDITOR>", FileNameOf(current)}, {L"<EDITOR>", FileNameOf(paint)}}));
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
