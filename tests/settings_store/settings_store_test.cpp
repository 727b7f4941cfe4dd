// The settings store against the real registry of the test prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>

#include "core/globals.h"
#include "core/settings_store.h"
#include "core/work.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";

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

TEST_F(SettingsStore, FirstRunSeedsTheDefaultsAndTheNinePresets) {
    LoadConfiguration();
    EXPECT_TRUE(TrainingEnabled);
    EXPECT_EQ(LastNode, L"Activate");
    // The registry's enumeration order is its own: compare sets.
    EXPECT_EQ(Names(), kFirstRunNames);
    for (const auto& name : kFirstRunNames)
        EXPECT_EQ(ValueSize(kSchema, name.empty() ? nullptr : name.c_str()), 6492u)
            << std::string(name.begin(), name.end());

    const TConfiguration loaded = Config;
    SetLiveDefaults();
    TConfiguration expected = Config;
    Config = loaded;
    const bool customEditor = expected.UseCustomEditor == 1;
    expected.SendTo[customEditor ? dFile : dEditor] = 1;
    EXPECT_TRUE(SettingsEqual(Config, expected));
    EXPECT_EQ(DestinationsOf(Config), DestinationBit(customEditor ? dFile : dEditor));
    TConfiguration stored;
    ASSERT_TRUE(ReadSchema(L"", stored));
    EXPECT_EQ(std::memcmp(&stored, &Config, sizeof stored), 0) << "the live record is the one stored";

    // The live settings match the preset of the same destination.
    EXPECT_EQ(FindMatchingSchema(), customEditor ? L"Rect To File" : L"Rect To Editor");

    TConfiguration preset;
    ASSERT_TRUE(ReadSchema(L"Fixed Rect To File", preset));
    EXPECT_EQ(preset.RectSelection, 1);
    EXPECT_EQ(preset.FixedWidth, 300);
    EXPECT_EQ(preset.FixedHeight, 200);
    ASSERT_TRUE(ReadSchema(L"Email To Friend", preset));
    EXPECT_EQ(preset.EdgeSides, 15);
    EXPECT_EQ(DestinationsOf(preset), DestinationBit(dMail));
    ASSERT_TRUE(ReadSchema(L"Window To Zovozu", preset));
    EXPECT_EQ(preset.CaptureType, ctWindow);
    EXPECT_EQ(preset.EdgeOn, 1);
    ASSERT_TRUE(ReadSchema(L"Rect To File, x8, Show Size", preset));
    EXPECT_EQ(preset.ZoomFactor, 8);
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
