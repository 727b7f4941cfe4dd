#include "base/settings_store.h"

#include <windows.h>

#include <cstring>

#include "base/globals.h"
#include "base/programs.h"
#include "ui/gdi.h"

bool TrainingEnabled = true;
std::wstring LastNode = L"Activate";

namespace {

const wchar_t kConfigurationKey[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchemaKey[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";

ui::RegKey OpenKey(const wchar_t* path, bool create, REGSAM access) {
    HKEY key = nullptr;
    LONG rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, nullptr)
                     : RegOpenKeyExW(HKEY_CURRENT_USER, path, 0, access, &key);
    return ui::RegKey(rc == ERROR_SUCCESS ? key : nullptr);
}

static_assert(StoredRecordType == REG_BINARY);

const wchar_t* ValueName(const std::wstring& name) { return name.empty() ? nullptr : name.c_str(); }

}  // namespace

bool WriteSchema(const std::wstring& name, const TConfiguration& record) {
    ui::RegKey key = OpenKey(kSchemaKey, true, KEY_SET_VALUE);
    if (!key) return false;
    return RegSetValueExW(key, ValueName(name), 0, StoredRecordType, reinterpret_cast<const BYTE*>(&record),
                          static_cast<DWORD>(sizeof record)) == ERROR_SUCCESS;
}

bool ReadSchema(const std::wstring& name, TConfiguration& record) {
    ui::RegKey key = OpenKey(kSchemaKey, false, KEY_QUERY_VALUE);
    if (!key) return false;
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, ValueName(name), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (type != StoredRecordType || size != sizeof(TConfiguration)) return false;
    // Read into a scratch record first: a value that changes between the two
    // calls must not leave a half-written live record.
    TConfiguration scratch;
    if (RegQueryValueExW(key, ValueName(name), nullptr, &type, reinterpret_cast<BYTE*>(&scratch), &size) !=
        ERROR_SUCCESS)
        return false;
    return RecordFromStoredValue(type, &scratch, size, record);
}

bool DeleteSchema(const std::wstring& name) {
    ui::RegKey key = OpenKey(kSchemaKey, false, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return false;
    if (RegQueryValueExW(key, ValueName(name), nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return false;
    return RegDeleteValueW(key, ValueName(name)) == ERROR_SUCCESS;
}

void ListSchemas(std::vector<std::wstring>& list) {
    ui::RegKey key = OpenKey(kSchemaKey, false, KEY_QUERY_VALUE);
    if (!key) return;
    DWORD longest = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &longest, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return;
    std::vector<wchar_t> buffer(longest + 2);
    for (DWORD i = 0;; ++i) {
        DWORD n = static_cast<DWORD>(buffer.size());
        const LONG rc = RegEnumValueW(key, i, buffer.data(), &n, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2);
            --i;
            continue;
        }
        if (rc != ERROR_SUCCESS) break;
        list.emplace_back(buffer.data(), n);
    }
}

std::wstring FindMatchingSchema() {
    std::vector<std::wstring> names;
    ListSchemas(names);
    for (const auto& name : names) {
        if (name.empty()) continue;
        TConfiguration scratch;
        if (ReadSchema(name, scratch) && SettingsEqual(Config, scratch)) return name;
    }
    return {};
}

void LoadConfiguration() {
    TrainingEnabled = true;
    LastNode = L"Activate";
    if (ui::RegKey key = OpenKey(kConfigurationKey, false, KEY_QUERY_VALUE)) {
        // One guarded step: the first value that is missing or of the wrong
        // type ends it, and what was not read keeps its default.
        DWORD type = 0, value = 0, size = sizeof value;
        if (RegQueryValueExW(key, L"Training", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
                ERROR_SUCCESS &&
            type == REG_DWORD && size == sizeof value) {
            TrainingEnabled = value != 0;
            size = 0;
            const LONG rc = RegQueryValueExW(key, L"Last Node", nullptr, &type, nullptr, &size);
            if (rc == ERROR_FILE_NOT_FOUND) {
                LastNode.clear();
            } else if (rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size < 65536) {
                std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
                if (RegQueryValueExW(key, L"Last Node", nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                                     &size) == ERROR_SUCCESS) {
                    text.resize(wcsnlen(text.c_str(), text.size()));
                    LastNode = text;
                }
            }
        }
    }
    if (!ReadSchema(L"", Config)) CreateDefaultPresets();
}

bool SaveConfiguration() {
    if (ui::RegKey key = OpenKey(kConfigurationKey, true, KEY_SET_VALUE)) {
        const DWORD training = TrainingEnabled ? 1 : 0;
        RegSetValueExW(key, L"Training", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&training), sizeof training);
        RegSetValueExW(key, L"Last Node", 0, REG_SZ, reinterpret_cast<const BYTE*>(LastNode.c_str()),
                       static_cast<DWORD>((LastNode.size() + 1) * sizeof(wchar_t)));
    }
    return WriteSchema(L"", Config);
}

bool CreateDefaultPresets() {
    struct Preset {
        const wchar_t* name;
        void (*change)(TConfiguration&);
    };
    static const Preset presets[] = {
        {L"Email To Friend", [](TConfiguration& c) { c.EdgeOn = 1; c.EdgeSides = 15; c.SendTo[dMail] = 1; }},
        {L"Rect To File", [](TConfiguration& c) { c.SendTo[dFile] = 1; }},
        {L"Rect To File, x8, Show Size",
         [](TConfiguration& c) { c.ShowSize = 1; c.ZoomOn = 1; c.ZoomFactor = 8; c.SendTo[dFile] = 1; }},
        {L"Rect To File, Automatic", [](TConfiguration& c) { c.FileNaming = fnNumbered; c.SendTo[dFile] = 1; }},
        {L"Fixed Rect To File",
         [](TConfiguration& c) { c.RectSelection = 1; c.FixedWidth = 300; c.FixedHeight = 200; c.SendTo[dFile] = 1; }},
        {L"Rect To Editor", [](TConfiguration& c) { c.SendTo[dEditor] = 1; }},
        {L"Free Hand To Clipboard", [](TConfiguration& c) { c.CaptureType = ctFreeHand; c.SendTo[dClipboard] = 1; }},
        {L"Window To Support", [](TConfiguration& c) { c.CaptureType = ctWindow; c.SendTo[dMail] = 1; }},
        {L"Window To Zovozu", [](TConfiguration& c) { c.CaptureType = ctWindow; c.EdgeOn = 1; c.SendTo[dZovozu] = 1; }},
    };
    const DefaultInputs inputs = SystemDefaultInputs();
    for (const auto& preset : presets) {
        SetDefaults(Config, inputs);
        preset.change(Config);
        WriteSchema(preset.name, Config);
    }
    SetDefaults(Config, inputs);
    Config.SendTo[Config.UseCustomEditor == 1 ? dFile : dEditor] = 1;
    return WriteSchema(L"", Config);
}
