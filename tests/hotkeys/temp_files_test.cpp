// The clean-up of the program's temporary files: which names are its own,
// and what a real folder keeps.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <set>
#include <string>

#include "app/completion.h"
#include "base/configuration.h"
#include "base/temp_files.h"
#include "support/vorlix_test.h"

namespace {

TEST(TempNames, Matcher) {
    const TempNamePattern numbered{L"shot", true, L".png"};
    const TempNamePattern fixed{L"web", false, L".gif"};
    const struct {
        const TempNamePattern& p;
        const wchar_t* name;
        bool match;
    } cases[] = {
        {numbered, L"shot1.png", true},
        {numbered, L"shot4294967296.png", true},
        {numbered, L"SHOT12.PNG", true},          // the savers upper-case whole paths
        {numbered, L"Shot7.Png", true},
        {numbered, L"shot.png", false},           // no number
        {numbered, L"shot0.png", false},          // numbering starts at 1
        {numbered, L"shot01.png", false},         // never written with a leading zero
        {numbered, L"shot-1.png", false},
        {numbered, L"shot+1.png", false},
        {numbered, L"shot0x1.png", false},
        {numbered, L"shot 1.png", false},
        {numbered, L"shot1a.png", false},
        {numbered, L"shot1.png.tmp", false},
        {numbered, L"shot1.jpg", false},
        {numbered, L"myshot1.png", false},
        {numbered, L"shot1png", false},
        {numbered, L"shot", false},
        {numbered, L"", false},
        {fixed, L"web.gif", true},
        {fixed, L"WEB.GIF", true},
        {fixed, L"web1.gif", false},
        {fixed, L"web.gif.gif", false},
        {fixed, L"aweb.gif", false},
        {fixed, L"web.png", false},
    };
    for (const auto& c : cases) EXPECT_EQ(MatchesTempPattern(c.name, c.p), c.match) << c.name;
}

class TempFiles : public ::testing::Test {
protected:
    void SetUp() override {
        std::memset(&config, 0, sizeof config);
        SetDefaults(config, DefaultInputs{});
        config.FileName = "shot";
        config.EditorFileName = "edit";
        config.EditorFormat = ifPNG;
        config.IMFileName = "im";
        config.IMFormat = ifJPEG;
        config.IcqFileName = "icq";
        config.IcqFormat = ifGIF;
        config.WebFileName = "web";
        config.WebFormat = ifBMP;
        config.MailFileName = "mailshot";
        config.MailFormat = ifPNG;
        dir = vt::ScratchDir();
    }

    void Make(const std::wstring& name) { ASSERT_TRUE(vt::WriteFileBytes(vt::Join(dir, name), "x")) << name; }

    std::set<std::wstring> Left() const {
        std::set<std::wstring> names;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE) return names;
        do {
            const std::wstring n = fd.cFileName;
            if (n != L"." && n != L"..") names.insert(n);
        } while (FindNextFileW(h, &fd));
        FindClose(h);
        return names;
    }

    TConfiguration config;
    std::wstring dir;
};

TEST_F(TempFiles, DeletesOwnFilesOnly) {
    const wchar_t* own[] = {
        L"edit1.png", L"EDIT12.PNG",                      // Editor copies
        L"screenshot1.bmp", L"screenshot23.bmp",          // Zovozu copies
        L"im3.jpg", L"icq9.gif", L"web.bmp",              // IM, ICQ, Web
        L"shot4.gif", L"shot5.jpg",                       // embedded mail images
        L"shot4.eml", L"shot4.txt", L"shot5.sta",         // their message files
        L"mailshot.png", L"mailshot.eml", L"mailshot.txt", L"mailshot.sta",  // attached mail
        HandOverFileName,
    };
    const wchar_t* foreign[] = {
        L"edit.png", L"edit1.bmp", L"edit01.png", L"edit1a.png", L"edit1.png.tmp", L"myedit1.png",
        L"screenshot.bmp", L"screenshot1.png", L"screenshot1.jpg", L"screenshot1.bmp.bak",
        L"im3.gif", L"icq9.jpg", L"web1.bmp", L"web.png",
        L"shot.gif", L"shot1.png", L"shot1.bmp", L"shot.eml", L"mailshot1.png", L"mailshot.gif",
        L"client.txt", L"client1.msg", L"clients.eml",
        // a mail-program probe's name: the probe deletes its own at once
        L"client.msg", L"client.eml", L"client.nws", L"client.aim", L"client.imw", L"client.nsf",
        L"duridevazazu.jpg", L"duridevazazu1.bmp", L"xduridevazazu.bmp",  // near the hand-over file's name
        L"~DF1A2B.tmp", L"setup.log", L"1.png", L".bmp",
    };
    for (const wchar_t* n : own) Make(n);
    for (const wchar_t* n : foreign) Make(n);
    // A folder named like an own file, with an own-looking file inside.
    ASSERT_TRUE(vt::MakeDirs(vt::Join(dir, L"screenshot2.bmp")));
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(dir, L"screenshot2.bmp\\screenshot3.bmp"), "x"));

    CleanTempFiles(dir, config);

    std::set<std::wstring> expected(std::begin(foreign), std::end(foreign));
    expected.insert(L"screenshot2.bmp");
    EXPECT_EQ(Left(), expected);
    EXPECT_TRUE(vt::FileExists(vt::Join(dir, L"screenshot2.bmp\\screenshot3.bmp")));
}

TEST_F(TempFiles, FilesThatRefuseAreSkipped) {
    Make(L"screenshot1.bmp");
    Make(L"screenshot2.bmp");
    Make(L"screenshot3.bmp");
    const std::wstring readOnly = vt::Join(dir, L"screenshot1.bmp");
    ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
    HANDLE open = CreateFileW(vt::Join(dir, L"screenshot2.bmp").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(open, INVALID_HANDLE_VALUE);

    CleanTempFiles(dir + L"\\", config);  // with the trailing backslash, as TempFolder has it

    CloseHandle(open);
    SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_EQ(Left(), (std::set<std::wstring>{L"screenshot1.bmp", L"screenshot2.bmp"}));
}

TEST_F(TempFiles, EmptyNamesClaimNothing) {
    config.EditorFileName.clear();
    config.WebFileName.clear();
    config.MailFileName.clear();
    config.FileName.clear();
    Make(L"1.png");
    Make(L"2.gif");
    Make(L".bmp");
    Make(L".png");
    Make(L"3.eml");
    Make(L"screenshot4.bmp");
    CleanTempFiles(dir, config);
    EXPECT_EQ(Left(), (std::set<std::wstring>{L"1.png", L"2.gif", L".bmp", L".png", L"3.eml"}));
}

TEST_F(TempFiles, NoFolderNoSearchInTheCurrentOne) {
    Make(L"screenshot1.bmp");
    wchar_t previous[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, previous);
    SetCurrentDirectoryW(dir.c_str());
    CleanTempFiles(L"", config);
    CleanTempFiles(vt::Join(dir, L"missing"), config);
    SetCurrentDirectoryW(previous);
    EXPECT_EQ(Left(), (std::set<std::wstring>{L"screenshot1.bmp"}));
}

}  // namespace
