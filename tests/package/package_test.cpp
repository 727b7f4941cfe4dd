// What ships in the program's folder (build/bin, laid out as an installer
// places it), read as Windows reads it: every program and library there with
// its version resource through the version API, the program's manifest
// through an activation context made from its resource, the icon's images
// through the icon directory, and the files beside the program.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "support/vorlix_test.h"
#include "version.h"

namespace {

const std::wstring kVersion = L"" VORLIX_VERSION_TEXT;

std::wstring VersionString(const std::vector<BYTE>& block, const std::wstring& translation, const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = L"\\StringFileInfo\\" + translation + L"\\" + name;
    if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return L"<none>";
    return std::wstring(static_cast<const wchar_t*>(value), wcsnlen(static_cast<const wchar_t*>(value), length));
}

TEST(Package, EveryProgramAndLibraryCarriesTheVersion) {
    struct File {
        const wchar_t* name;
        DWORD type;
        WORD language;
        const wchar_t* description;
    } files[] = {
        {L"Vorlix.exe", VFT_APP, 0x0409, L"Vorlix Tessavue screen capture"},
        {L"Vorlix-cn.exe", VFT_APP, 0x0804, L"Vorlix Tessavue 屏幕截图"},
        {L"hovrak.dll", VFT_DLL, 0x0409, L"Vorlix Tessavue mouse and keyboard hook"},
        {L"stelmon.dll", VFT_DLL, 0x0409, L"Vorlix Tessavue screen freeze"},
        {L"trabbon.exe", VFT_APP, 0x0409, L"Vorlix Tessavue FTP uploader"},
        {L"sulvane.exe", VFT_APP, 0x0409, L"Vorlix Tessavue SMTP mail sender"},
        {L"pradomel.exe", VFT_APP, 0x0409, L"Vorlix Tessavue Outlook message helper"},
    };
    for (const File& f : files) {
        SCOPED_TRACE(vt::Utf8(f.name));
        const std::wstring path = vt::BinFile(f.name);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<BYTE> block(size);
        ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
        ASSERT_GE(length, sizeof *fixed);
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        EXPECT_EQ(fixed->dwFileVersionMS, DWORD(MAKELONG(VORLIX_VERSION_MINOR, VORLIX_VERSION_MAJOR)));
        EXPECT_EQ(fixed->dwFileVersionLS, 0u);
        EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
        EXPECT_EQ(fixed->dwFileType, f.type);
        EXPECT_EQ(fixed->dwFileOS, DWORD(VOS_NT_WINDOWS32));
        EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug or pre-release flag";

        struct Translation {
            WORD language, codePage;
        }* translation = nullptr;
        ASSERT_TRUE(VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                                   &length));
        ASSERT_EQ(length, sizeof *translation);
        EXPECT_EQ(translation->language, f.language);
        EXPECT_EQ(translation->codePage, 1200);
        wchar_t key[16];
        swprintf(key, 16, L"%04X%04X", translation->language, translation->codePage);
        EXPECT_EQ(VersionString(block, key, L"ProductName"), L"Vorlix Tessavue");
        EXPECT_EQ(VersionString(block, key, L"ProductVersion"), kVersion);
        EXPECT_EQ(VersionString(block, key, L"FileVersion"), kVersion + L".0.0");
        EXPECT_EQ(VersionString(block, key, L"CompanyName"), L"Vorlix");
        EXPECT_EQ(VersionString(block, key, L"FileDescription"), f.description);
        EXPECT_EQ(VersionString(block, key, L"OriginalFilename"), f.name);
        EXPECT_NE(VersionString(block, key, L"LegalCopyright"), L"<none>");
    }
}

// The compatibility information as current Windows (and Wine) lay it out:
// each element also carries the highest version tested, which the MinGW
// headers' element lacks.
struct CompatibilityElement {
    GUID id;
    DWORD type;
    ULONGLONG maxVersionTested;
};
struct CompatibilityInformation {
    DWORD count;
    CompatibilityElement elements[1];
};

TEST(Package, TheManifestDeclaresTheSystemsDpiAwarenessAndRights) {
    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        SCOPED_TRACE(vt::Utf8(exe));
        const std::wstring path = vt::BinFile(exe);
        HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_TRUE(module);
        HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
        ASSERT_TRUE(found) << "no manifest resource 1";
        const char* data = static_cast<const char*>(LockResource(LoadResource(module, found)));
        const std::string manifest(data, SizeofResource(module, found));
        FreeLibrary(module);
        auto has = [&](const std::string& part) { return manifest.find(part) != std::string::npos; };
        EXPECT_TRUE(has("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""));
        EXPECT_TRUE(has("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"));
        EXPECT_TRUE(has("version=\"" VORLIX_VERSION_TEXT ".0.0\""));

        // Read as the system reads it: an activation context made from the
        // resource, its supported systems and its settings.
        ACTCTXW context{};
        context.cbSize = sizeof context;
        context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
        context.lpSource = path.c_str();
        context.lpResourceName = MAKEINTRESOURCEW(1);
        HANDLE actctx = CreateActCtxW(&context);
        ASSERT_NE(actctx, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << GetLastError();
        SIZE_T needed = 0;
        QueryActCtxW(0, actctx, nullptr, CompatibilityInformationInActivationContext, nullptr, 0, &needed);
        std::vector<ULONGLONG> info(needed / sizeof(ULONGLONG) + 1);
        ASSERT_TRUE(QueryActCtxW(0, actctx, nullptr, CompatibilityInformationInActivationContext, info.data(),
                                 info.size() * sizeof(ULONGLONG), &needed));
        const auto* compatibility = reinterpret_cast<const CompatibilityInformation*>(info.data());
        ASSERT_EQ(needed, offsetof(CompatibilityInformation, elements) + compatibility->count * sizeof(CompatibilityElement));
        std::set<std::wstring> systems;
        for (DWORD i = 0; i < compatibility->count; ++i) {
            const CompatibilityElement& element = compatibility->elements[i];
            if (element.type != ACTCTX_COMPATIBILITY_ELEMENT_TYPE_OS) continue;
            wchar_t id[40];
            StringFromGUID2(element.id, id, 40);
            systems.insert(id);
        }
        // Windows 7, 8, 8.1 and 10/11.
        EXPECT_EQ(systems, (std::set<std::wstring>{L"{35138B9A-5D96-4FBD-8E2D-A2440225F93A}",
                                                   L"{4A2F28E3-53B9-4441-BA9C-D69D4A4A6E38}",
                                                   L"{1F676C76-80E1-4239-95BB-83D0F6D0DA78}",
                                                   L"{8E0F7A12-BFB3-4FE8-B9A5-48FD50A15A9A}"}));
        // System awareness: nothing of the program follows a change of DPI
        // between monitors, so it does not claim per-monitor awareness.
        wchar_t value[64] = L"";
        EXPECT_TRUE(QueryActCtxSettingsW(0, actctx, nullptr, L"dpiAware", value, 64, nullptr));
        EXPECT_STREQ(value, L"true");
        value[0] = 0;
        QueryActCtxSettingsW(0, actctx, L"http://schemas.microsoft.com/SMI/2016/WindowsSettings", L"dpiAwareness",
                             value, 64, nullptr);
        EXPECT_STREQ(value, L"system");
        ReleaseActCtx(actctx);
    }
}

#pragma pack(push, 2)
struct IconDirectoryEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bitCount;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST(Package, TheIconHoldsEverySizeWindowsAsksFor) {
    const std::wstring path = vt::BinFile(L"Vorlix.exe");
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(module);
    HRSRC group = FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON);
    ASSERT_TRUE(group);
    const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
    const WORD count = reinterpret_cast<const WORD*>(directory)[2];
    const auto* entries = reinterpret_cast<const IconDirectoryEntry*>(directory + 6);
    std::set<int> sizes;
    for (WORD i = 0; i < count; ++i) {
        const int size = entries[i].width ? entries[i].width : 256;
        SCOPED_TRACE(size);
        sizes.insert(size);
        EXPECT_EQ(entries[i].height ? entries[i].height : 256, size);
        EXPECT_EQ(entries[i].bitCount, 32) << "colours with an alpha channel";
        // The image itself: an icon of that size the system can make.
        HRSRC image = FindResourceW(module, MAKEINTRESOURCEW(entries[i].id), RT_ICON);
        ASSERT_TRUE(image);
        HICON icon = CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(module, image))),
                                              SizeofResource(module, image), TRUE, 0x00030000, size, size, 0);
        ASSERT_TRUE(icon);
        ICONINFO info{};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP bm{};
        GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
        EXPECT_EQ(bm.bmWidth, size);
        if (info.hbmColor) DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 48, 256}));
    FreeLibrary(module);
}

TEST(Package, TheFilesBesideTheProgramAreThere) {
    for (const wchar_t* f : {L"Vorlix.exe", L"Vorlix-cn.exe", L"hovrak.dll", L"stelmon.dll", L"trabbon.exe",
                             L"sulvane.exe", L"pradomel.exe", L"Vorlix.chm", L"Sound.wav"})
        EXPECT_TRUE(vt::FileExists(vt::BinFile(f))) << vt::Utf8(f);
    // The default watermark, where the default settings point: a picture
    // whose top-left pixel is the colour left out, with the mark in it.
    const auto mark = vt::LoadBmp(vt::BinFile(L"watermarks\\default.bmp"));
    ASSERT_TRUE(mark);
    EXPECT_GE(mark->width, 32);
    EXPECT_GE(mark->height, 32);
    const int key = mark->Count(mark->At(0, 0));
    EXPECT_GT(key, 0);
    EXPECT_LT(key, mark->width * mark->height / 2) << "the mark covers most of the picture";
}

}  // namespace
