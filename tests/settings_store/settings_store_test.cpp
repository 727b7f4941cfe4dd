// The settings store against the real registry of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <map>
#include <string>

#include <cstring>
#include <set>

#include "base/globals.h"
#include "base/programs.h"
#include "base/settings_store.h"
#include "base/files.h"
#include "support/documented_defaults.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";
const wchar_t kEditorKey[] = L"Software\\Vorlix Editor";

void SetValue(const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
    HKEY h;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), 0);
    RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(h);
}

void DeleteValue(const wchar_t* key, const wchar_t* name) {
    HKEY h;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_SET_VALUE, &h) == 0) {
        RegDeleteValueW(h, name);
        RegCloseKey(h);
    }
}

DWORD ValueSize(const wchar_t* key, const wchar_t* name, DWORD* type = nullptr) {
    DWORD size = 0, t = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, &t, nullptr, &size) != 0) return 0;
    if (type) *type = t;
    return size;
}

class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        InitFolders();
        std::memset(&Config, 0, sizeof Config);
    }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kRoot); }

    static std::set<std::wstring> Names() {
        std::vector<std::wstring> list;
        ListSchemas(list);
        return {list.begin(), list.end()};
    }
};

const std::set<std::wstring> kFirstRunNames = {
    L"", L"Email To Friend", L"Rect To File", L"Rect To File, x8, Show Size", L"Rect To File, Automatic",
    L"Fixed Rect To File", L"Rect To Editor", L"Free Hand To Clipboard", L"Window To Support", L"Window To Zovozu"};

// What the defaults take from this machine, found here without the
// program's routines: the test program's folder, the desktop, Paint on the
// search path, half the double-click time within 200 to 1000 ms.
std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(size_t(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr,
                                          nullptr)));
    return out;
}

documented::Machine ThisMachine(bool makersEditorFound) {
    documented::Machine m;
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    m.programFolder = Ansi(folder.substr(0, folder.find_last_of(L'\\') + 1));
    wchar_t desktop[MAX_PATH] = {};
    SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOP, FALSE);
    m.desktopFolder = Ansi(std::wstring(desktop) + L"\\");
    wchar_t paint[MAX_PATH] = {};
    if (SearchPathW(nullptr, L"mspaint.exe", nullptr, MAX_PATH, paint, nullptr) ||
        SearchPathW(nullptr, L"pbrush.exe", nullptr, MAX_PATH, paint, nullptr))
        m.paintPath = Ansi(paint);
    m.makersEditorFound = makersEditorFound;
    m.holdTime = uint16_t(std::min(1000u, std::max(200u, GetDoubleClickTime() / 2)));
    return m;
}

const uint8_t* Bytes(const TConfiguration& c) { return reinterpret_cast<const uint8_t*>(&c); }

TEST_F(SettingsStore, FirstRunSeedsTheDefaultsAndTheNinePresets) {
    // Without and with the maker's editor installed: the current settings
    // send to File or to the Editor.
    for (bool editor : {false, true}) {
        SCOPED_TRACE(editor ? "maker's editor installed" : "no maker's editor");
        RegDeleteTreeW(HKEY_CURRENT_USER, kRoot);
        RegDeleteTreeW(HKEY_CURRENT_USER, kEditorKey);
        std::wstring editorFolder;
        if (editor) {
            wchar_t temp[MAX_PATH] = {};
            GetTempPathW(MAX_PATH, temp);
            editorFolder = std::wstring(temp) + L"settings store editor";
            CreateDirectoryW(editorFolder.c_str(), nullptr);
            HANDLE f = CreateFileW((editorFolder + L"\\quorrel.exe").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                   0, nullptr);
            ASSERT_NE(f, INVALID_HANDLE_VALUE);
            CloseHandle(f);
            SetValue(kEditorKey, L"InstallPath", REG_SZ, editorFolder.c_str(),
                     DWORD((editorFolder.size() + 1) * sizeof(wchar_t)));
        }
        std::memset(&Config, 0, sizeof Config);
        LoadConfiguration();
        EXPECT_TRUE(TrainingEnabled);
        EXPECT_EQ(LastNode, L"Activate");
        // The registry's enumeration order is its own: compare sets.
        EXPECT_EQ(Names(), kFirstRunNames);
        for (const auto& name : kFirstRunNames)
            EXPECT_EQ(ValueSize(kSchema, name.empty() ? nullptr : name.c_str()), 6492u)
                << std::string(name.begin(), name.end());

        // The live record is the documented defaults plus one destination.
        const documented::Machine machine = ThisMachine(editor);
        const size_t current = editor ? documented::SendToEditor : documented::SendToFile;
        documented::ExpectDefaults(Bytes(Config), machine, {{current, 1}});
        EXPECT_EQ(DestinationsOf(Config), DestinationBit(editor ? dEditor : dFile));
        TConfiguration stored;
        ASSERT_TRUE(ReadSchema(L"", stored));
        EXPECT_EQ(std::memcmp(&stored, &Config, sizeof stored), 0) << "the live record is the one stored";

        // The live settings match the preset of the same destination.
        EXPECT_EQ(FindMatchingSchema(), editor ? L"Rect To Editor" : L"Rect To File");

        // Every preset: the defaults with its own changes.
        using documented::SendToClipboard, documented::SendToFile, documented::SendToEditor,
            documented::SendToZovozu, documented::SendToMail;
        const struct {
            const wchar_t* name;
            std::map<size_t, uint32_t> changes;
        } presets[] = {
            {L"Email To Friend", {{0x008, 1}, {0x00A, 15}, {SendToMail, 1}}},
            {L"Rect To File", {{SendToFile, 1}}},
            {L"Rect To File, x8, Show Size", {{0x355, 1}, {0x1958, 1}, {0x1959, 8}, {SendToFile, 1}}},
            {L"Rect To File, Automatic", {{0x36C, 2}, {SendToFile, 1}}},
            {L"Fixed Rect To File", {{0x35C, 1}, {0x35E, 300}, {0x360, 200}, {SendToFile, 1}}},
            {L"Rect To Editor", {{SendToEditor, 1}}},
            {L"Free Hand To Clipboard", {{0x002, 1}, {SendToClipboard, 1}}},
            {L"Window To Support", {{0x002, 3}, {SendToMail, 1}}},
            {L"Window To Zovozu", {{0x002, 3}, {0x008, 1}, {SendToZovozu, 1}}},
        };
        for (const auto& preset : presets) {
            SCOPED_TRACE(std::string(preset.name, preset.name + wcslen(preset.name)));
            TConfiguration record;
            ASSERT_TRUE(ReadSchema(preset.name, record));
            documented::ExpectDefaults(Bytes(record), machine, preset.changes);
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, kEditorKey);
        if (editor) {
            DeleteFileW((editorFolder + L"\\quorrel.exe").c_str());
            RemoveDirectoryW(editorFolder.c_str());
        }
    }
}

TEST_F(SettingsStore, ACurrentValueOfTheWrongSizeOrTypeIsAFirstRunThatKeepsOtherFavourites) {
    SetLiveDefaults();
    TConfiguration mine = Config;
    mine.CaptureType = ctWindow;
    ASSERT_TRUE(WriteSchema(L"Mine, x8", mine));

    const std::vector<BYTE> shortened(100, 7);
    SetValue(kSchema, nullptr, REG_BINARY, shortened.data(), 100);
    LoadConfiguration();
    EXPECT_EQ(ValueSize(kSchema, nullptr), 6492u);
    auto names = kFirstRunNames;
    names.insert(L"Mine, x8");
    EXPECT_EQ(Names(), names);
    TConfiguration back;
    ASSERT_TRUE(ReadSchema(L"Mine, x8", back));
    EXPECT_EQ(std::memcmp(&back, &mine, sizeof mine), 0);

    // A value of 6492 bytes stored as a string is no record either.
    std::vector<wchar_t> text(3246, L'a');
    SetValue(kSchema, nullptr, REG_SZ, text.data(), 6492);
    Config.CaptureType = 0;
    LoadConfiguration();
    DWORD type = 0;
    EXPECT_EQ(ValueSize(kSchema, nullptr, &type), 6492u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(Config.CaptureType, ctRectangle);
}

TEST_F(SettingsStore, TrainingAndLastNodeFollowTheGuardedRead) {
    SetLiveDefaults();
    ASSERT_TRUE(WriteSchema(L"", Config));

    TrainingEnabled = false;
    LastNode = L"Mail";
    ASSERT_TRUE(SaveConfiguration());
    TrainingEnabled = true;
    LastNode.clear();
    LoadConfiguration();
    EXPECT_FALSE(TrainingEnabled);
    EXPECT_EQ(LastNode, L"Mail");

    // "Training" of string type ends the step before "Last Node".
    SetValue(kConfiguration, L"Training", REG_SZ, L"0", 4);
    LoadConfiguration();
    EXPECT_TRUE(TrainingEnabled);
    EXPECT_EQ(LastNode, L"Activate");

    // A present "Training" without "Last Node": an empty page name.
    const DWORD one = 1;
    SetValue(kConfiguration, L"Training", REG_DWORD, &one, 4);
    DeleteValue(kConfiguration, L"Last Node");
    LoadConfiguration();
    EXPECT_TRUE(TrainingEnabled);
    EXPECT_EQ(LastNode, L"");

    // A "Last Node" of the wrong type keeps its default; "Training" was read.
    const DWORD zero = 0;
    SetValue(kConfiguration, L"Training", REG_DWORD, &zero, 4);
    SetValue(kConfiguration, L"Last Node", REG_DWORD, &one, 4);
    LoadConfiguration();
    EXPECT_FALSE(TrainingEnabled);
    EXPECT_EQ(LastNode, L"Activate");
}

TEST_F(SettingsStore, FavouritesCanBeWrittenListedMatchedAndDeleted) {
    EXPECT_FALSE(ReadSchema(L"", Config)) << "no key yet";
    EXPECT_FALSE(DeleteSchema(L"none"));
    EXPECT_TRUE(Names().empty());
    EXPECT_EQ(FindMatchingSchema(), L"");

    SetLiveDefaults();
    Config.SendTo[dClipboard] = 1;
    ASSERT_TRUE(WriteSchema(L"a, b x8", Config));
    // A favourite of the wrong size is listed but never matches or applies.
    const std::vector<BYTE> broken(6491, 0);
    SetValue(kSchema, L"Broken", REG_BINARY, broken.data(), 6491);
    EXPECT_EQ(Names(), (std::set<std::wstring>{L"a, b x8", L"Broken"}));
    EXPECT_EQ(FindMatchingSchema(), L"a, b x8");
    TConfiguration scratch;
    EXPECT_FALSE(ReadSchema(L"Broken", scratch));

    // Mail server data never decides a match.
    Config.SmtpPassword = "other";
    Config.FtpServer = "ftp";
    EXPECT_EQ(FindMatchingSchema(), L"a, b x8");
    Config.SendTo[dWeb] = 1;
    EXPECT_EQ(FindMatchingSchema(), L"");

    EXPECT_TRUE(DeleteSchema(L"Broken"));
    EXPECT_FALSE(DeleteSchema(L"Broken"));
    EXPECT_EQ(Names(), (std::set<std::wstring>{L"a, b x8"}));
}

}  // namespace
