// The image savers and the numbered file names: which name each save lands
// on, what a failed save leaves behind (nothing), and the numbering rules.
// The pixels of the written files are checked on the host by independent
// readers (check_images.sh).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "base/globals.h"
#include "delivery/image_savers.h"
#include "delivery/jpeg_simd.h"
#include "delivery/png_writer.h"
#include "ui/bitmap.h"
#include "ui/text_convert.h"

namespace {

std::wstring Upper(std::wstring s) {
    for (auto& c : s)
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    return s;
}

void DeleteTree(const std::wstring& path) {
    const DWORD a = GetFileAttributesW(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring n = f.cFileName;
            if (n != L"." && n != L"..") DeleteTree(path + L"\\" + n);
        } while (FindNextFileW(h, &f));
        FindClose(h);
    }
    RemoveDirectoryW(path.c_str());
}

// Names in a folder (sub-folders marked with a trailing backslash), sorted.
std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW f;
    HANDLE h = FindFirstFileW((folder + L"*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring n = f.cFileName;
        if (n == L"." || n == L"..") continue;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) n += L"\\";
        names.push_back(n);
    } while (FindNextFileW(h, &f));
    FindClose(h);
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary);
    out << bytes;
}

ui::Bitmap Sample(int width = 13, int height = 7) {
    ui::Bitmap b(width, height, ui::PixelFormat::Bits24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = b.ScanLine(y) + 3 * x;
            p[0] = uint8_t(x * 20); p[1] = uint8_t(y * 30); p[2] = 200;
        }
    return b;
}

struct Saver {
    const char* name;
    std::wstring ext;
    bool (*save)(const ui::Bitmap&, const std::wstring&);
};

bool SaveByExtension(const ui::Bitmap& b, const std::wstring& p) {
    std::wstring path = p;
    return SaveImageByExtension(b, path);
}

std::vector<Saver> AllSavers() {
    return {
        {"bmp", L".bmp", SaveBMP}, {"jpeg", L".jpg", SaveJPEG}, {"png", L".png", SavePNG},
        {"dispatch", L".png", SaveByExtension},
    };
}

// Every test works in a fresh folder of its own below the temporary folder.
class Savers : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = std::wstring(temp) + L"vtv-savers-" + ui::ToWide(info->name()) + L"\\";
        DeleteTree(dir_.substr(0, dir_.size() - 1));
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    void TearDown() override { DeleteTree(dir_.substr(0, dir_.size() - 1)); }

    // Creates the entries (a trailing backslash makes a folder) in a fresh
    // sub-folder and returns it with its trailing backslash.
    std::wstring Folder(const std::wstring& name, const std::vector<std::wstring>& entries) {
        const std::wstring folder = dir_ + name + L"\\";
        EXPECT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        for (const auto& e : entries) {
            if (!e.empty() && e.back() == L'\\')
                EXPECT_TRUE(CreateDirectoryW((folder + e).c_str(), nullptr));
            else
                WriteBytes(folder + e, "x");
        }
        return folder;
    }

    // What a failed save must leave (nothing), and how an existing file is
    // replaced or kept, for each of savers.
    void CheckUnwritablePaths(const std::vector<Saver>& savers);
    void CheckReplacing(const std::vector<Saver>& savers);

    std::wstring dir_;
};

// ---- numbering ---------------------------------------------------------------

TEST_F(Savers, NumberingCountsOnlyWholeNumbersOfTheSameExtension) {
    struct Case {
        std::vector<std::wstring> entries;
        std::wstring prefix;
        TImageFormat format;
        std::wstring expected;
    };
    const std::vector<Case> cases = {
        {{L"screenshot1.bmp", L"screenshot7.bmp", L"screenshotx.bmp"}, L"screenshot", ifBMP, L"screenshot8.bmp"},
        {{L"screenshot3.jpg"}, L"screenshot", ifBMP, L"screenshot1.bmp"},
        {{}, L"screenshot", ifPNG, L"screenshot1.png"},
        // letter case of names and extensions does not matter; folders count
        {{L"SCREENSHOT4.BMP", L"Screenshot2.bmp"}, L"screenshot", ifBMP, L"screenshot5.bmp"},
        {{L"screenshot9.gif\\", L"screenshot3.gif"}, L"screenshot", ifGIF, L"screenshot10.gif"},
        // leading zeros; 0 itself
        {{L"shot007.jpg", L"shot0.jpg"}, L"shot", ifJPEG, L"shot8.jpg"},
        {{L"shot0.jpg"}, L"shot", ifJPEG, L"shot1.jpg"},
        // no 32-bit wrap-around, no length limit
        {{L"shot4294967295.png"}, L"shot", ifPNG, L"shot4294967296.png"},
        {{L"shot99999999999999999999999.png", L"shot12.png"}, L"shot", ifPNG, L"shot100000000000000000000000.png"},
        // signs, hexadecimal, blanks, inner dots, empty numbers and longer
        // extensions are no numbers
        {{L"shot-5.bmp", L"shot+3.bmp", L"shot$10.bmp", L"shot0x20.bmp", L"shot 4.bmp", L"shot1.2.bmp", L"shot.bmp",
          L"shot5.bmp.bak", L"shot6.bmpx", L"shot\u0663.bmp"},
         L"shot", ifBMP, L"shot1.bmp"},
        // digits at the end of the prefix; an empty prefix
        {{L"shot12.gif"}, L"shot1", ifGIF, L"shot13.gif"},
        {{L"3.png", L"x.png", L"a4.png"}, L"", ifPNG, L"4.png"},
    };
    int i = 0;
    for (const auto& c : cases) {
        const std::wstring folder = Folder(L"case" + std::to_wstring(i++), c.entries);
        const std::wstring result = NextNumberedFileName(folder, c.prefix, c.format);
        EXPECT_EQ(result, folder + c.expected) << ui::ToAnsi(c.expected);
        EXPECT_EQ(GetFileAttributesW(result.c_str()), INVALID_FILE_ATTRIBUTES) << ui::ToAnsi(result);
    }
}

TEST_F(Savers, NumberingSeesHiddenEntriesAndNewFiles) {
    const std::wstring folder = Folder(L"f", {L"screenshot5.bmp", L"screenshot6.bmp"});
    SetFileAttributesW((folder + L"screenshot5.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW((folder + L"screenshot6.bmp").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(NextNumberedFileName(folder, L"screenshot", ifBMP), folder + L"screenshot7.bmp");
    // No cache: a file written in between is taken into account.
    ASSERT_TRUE(SaveBMP(Sample(), folder + L"screenshot7.bmp"));
    EXPECT_EQ(NextNumberedFileName(folder, L"screenshot", ifBMP), folder + L"screenshot8.bmp");
}

TEST_F(Savers, NumberingWithMissingOrUnterminatedOrEmptyFolder) {
    EXPECT_EQ(NextNumberedFileName(dir_ + L"missing\\", L"screenshot", ifBMP), dir_ + L"missing\\screenshot1.bmp");
    const std::wstring folder = Folder(L"f", {L"shot2.png"});
    EXPECT_EQ(NextNumberedFileName(folder.substr(0, folder.size() - 1), L"shot", ifPNG), folder + L"shot3.png");
    // Without a folder the relative name comes back, and no save takes it.
    EXPECT_EQ(NextNumberedFileName(L"", L"shot", ifPNG), L"shot1.png");
    std::wstring relative = L"shot1.png";
    EXPECT_FALSE(SaveImageByExtension(Sample(), relative));
    EXPECT_EQ(GetFileAttributesW(L"shot1.png"), INVALID_FILE_ATTRIBUTES);
}

// ---- names and formats ---------------------------------------------------------

TEST_F(Savers, UpperCaseBaseNameUpperCasesTheWholePath) {
    struct Case {
        std::wstring name;
        bool upper;
    };
    const std::vector<Case> cases = {
        {L"SHOT.bmp", true}, {L"2004.png", true}, {L"SHOT_1 (2).Jpg", true},
        {L"Shot.bmp", false}, {L"shot.BMP", false}, {L"sHOT.png", false},
    };
    int i = 0;
    for (const auto& c : cases) {
        const std::wstring folder = Folder(L"Mixed" + std::to_wstring(i++), {});
        std::wstring path = folder + c.name;
        ASSERT_TRUE(SaveImageByExtension(Sample(), path)) << ui::ToAnsi(c.name);
        const std::wstring expected = c.upper ? Upper(folder + c.name) : folder + c.name;
        EXPECT_EQ(path, expected);
        // The file carries the name as saved; the folder on disk keeps its case.
        const std::wstring fileName = c.upper ? Upper(c.name) : c.name;
        EXPECT_EQ(Listing(folder), std::vector<std::wstring>{fileName});
    }
}

TEST_F(Savers, CaptureIsSavedToImageFileName) {
    CaptureBitmap = Sample();
    ImageFileName = dir_ + L"capture.png";
    ASSERT_TRUE(SaveCaptureByExtension());
    EXPECT_EQ(ImageFileName, dir_ + L"capture.png");
    EXPECT_EQ(ReadBytes(dir_ + L"capture.png").substr(0, 4), "\x89PNG");
    ImageFileName = dir_ + L"CAPTURE.bmp";
    ASSERT_TRUE(SaveCaptureByExtension());
    EXPECT_EQ(ImageFileName, Upper(dir_ + L"CAPTURE.bmp"));
    CaptureBitmap = ui::Bitmap();
}

TEST_F(Savers, FormatFollowsTheExtension) {
    struct Case {
        std::wstring name;
        std::string magic;  // "" = nothing may be written
    };
    const std::vector<Case> cases = {
        {L"a.bmp", "BM"}, {L"b.jpg", "\xFF\xD8\xFF"}, {L"c.png", "\x89PNG\r\n\x1A\n"}, {L"d.Png", "\x89PNG"},
        {L"f.jpeg", ""}, {L"g.tif", ""}, {L"h", ""}, {L"i.png.txt", ""}, {L"j.", ""},
    };
    for (const auto& c : cases) {
        std::wstring path = dir_ + c.name;
        const bool saved = SaveImageByExtension(Sample(), path);
        EXPECT_EQ(saved, !c.magic.empty()) << ui::ToAnsi(c.name);
        if (saved) EXPECT_EQ(ReadBytes(path).substr(0, c.magic.size()), c.magic) << ui::ToAnsi(c.name);
        else EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << ui::ToAnsi(c.name);
    }
    // Only the files themselves: no temporary file is left over.
    for (const auto& name : Listing(dir_)) EXPECT_EQ(name.find(L".tmp"), std::wstring::npos) << ui::ToAnsi(name);
}

// ---- failures --------------------------------------------------------------------

void Savers::CheckUnwritablePaths(const std::vector<Saver>& savers) {
    ASSERT_TRUE(CreateDirectoryW((dir_ + L"sub").c_str(), nullptr));
    // A folder so deep that a file in it passes the length the system allows.
    const std::wstring deep = dir_ + std::wstring(220 - dir_.size(), L'd') + L"\\";
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    const std::wstring deepName = std::wstring(MAX_PATH - deep.size(), L'n');
    const std::vector<std::wstring> before = Listing(dir_);

    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    SetCurrentDirectoryW(dir_.c_str());
    for (const auto& saver : savers) {
        const std::wstring& e = saver.ext;
        const std::vector<std::wstring> paths = {
            dir_ + L"missing\\shot" + e,
            dir_ + L"a?b" + e, dir_ + L"a*b" + e, dir_ + L"a<b" + e, dir_ + L"a>b" + e, dir_ + L"a|b" + e,
            dir_ + L"a\"b" + e, dir_ + L"a\x01" L"b" + e,
            dir_ + L"stream:b" + e,  // would be a data stream of a file "stream"
            dir_ + std::wstring(300, L'n') + e,
            deep + deepName + e,
            dir_ + L"NUL" + e, dir_ + L"con" + e, dir_ + L"LPT1" + e, dir_ + L"aux " + e,
            dir_ + L"sub.\\shot" + e, dir_ + L"sub \\shot" + e,  // the system would write into "sub"
            L"shot" + e, L"sub\\shot" + e, L"\\shot" + e,       // relative
            L"\\\\?\\" + dir_ + L"shot" + e,
            dir_ + L"sub",                                       // an existing folder
        };
        for (const auto& path : paths) {
            EXPECT_FALSE(saver.save(Sample(), path)) << saver.name << " " << ui::ToAnsi(path);
            EXPECT_EQ(Listing(dir_), before) << saver.name << " " << ui::ToAnsi(path);
            EXPECT_TRUE(Listing(dir_ + L"sub\\").empty()) << saver.name << " " << ui::ToAnsi(path);
            EXPECT_TRUE(Listing(deep).empty()) << saver.name << " " << ui::ToAnsi(path);
        }
        EXPECT_FALSE(saver.save(ui::Bitmap(), dir_ + L"empty" + e)) << saver.name;
        EXPECT_EQ(Listing(dir_), before) << saver.name;
    }
    SetCurrentDirectoryW(cwd);
}

void Savers::CheckReplacing(const std::vector<Saver>& savers) {
    for (const auto& saver : savers) {
        const std::wstring folder = Folder(ui::ToWide(saver.name), {});
        const std::wstring path = folder + L"fixed" + saver.ext;
        WriteBytes(path, "old content");

        // Replaced without a question.
        ASSERT_TRUE(saver.save(Sample(), path)) << saver.name;
        const std::string written = ReadBytes(path);
        EXPECT_GT(written.size(), 20u) << saver.name;
        EXPECT_EQ(Listing(folder), std::vector<std::wstring>{L"fixed" + saver.ext}) << saver.name;

        // Nothing to write: the file stays as it is.
        EXPECT_FALSE(saver.save(ui::Bitmap(), path)) << saver.name;
        EXPECT_EQ(ReadBytes(path), written) << saver.name;

        // Read-only: refused.
        WriteBytes(path, "old content");
        ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
        EXPECT_FALSE(saver.save(Sample(), path)) << saver.name;
        EXPECT_EQ(ReadBytes(path), "old content") << saver.name;
        SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

        // Held open by another program without sharing: refused.
        HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_FALSE(saver.save(Sample(), path)) << saver.name;
        CloseHandle(held);
        EXPECT_EQ(ReadBytes(path), "old content") << saver.name;
        EXPECT_EQ(Listing(folder), std::vector<std::wstring>{L"fixed" + saver.ext}) << saver.name;
    }
}

TEST_F(Savers, UnwritablePathsGiveFalseAndWriteNothingAnywhere) { CheckUnwritablePaths(AllSavers()); }

TEST_F(Savers, ExistingFileIsReplacedWholeOrKeptAsItWas) { CheckReplacing(AllSavers()); }

#ifdef VORLIX_HAVE_GIF
// The GIF codec writes its own file; the savers' rules hold for it all the same.
TEST_F(Savers, GifGoesThroughTheCodecUnderTheSameRules) {
    std::wstring path = dir_ + L"shot.gif";
    ASSERT_TRUE(SaveImageByExtension(Sample(), path));
    EXPECT_EQ(ReadBytes(path).substr(0, 4), "GIF8");
    EXPECT_EQ(Listing(dir_), std::vector<std::wstring>{L"shot.gif"});
    DeleteFileW(path.c_str());
    const std::vector<Saver> gif = {{"gif", L".gif", SaveByExtension}};
    CheckUnwritablePaths(gif);
    CheckReplacing(gif);
}
#endif

TEST_F(Savers, PngWriterReportsWhatFailed) {
    const std::wstring missing = dir_ + L"missing\\x.png";
    try {
        SaveBitmapAsPng(missing, Sample());
        ADD_FAILURE() << "no error";
    } catch (const PngError& e) {
        EXPECT_EQ(std::string(e.what()), "Error Opening File " + ui::ToAnsi(missing) + "!");
    }
    try {
        SaveBitmapAsPng(dir_ + L"x.png", ui::Bitmap());
        ADD_FAILURE() << "no error";
    } catch (const PngError& e) {
        EXPECT_EQ(std::string(e.what()), "Error Writing PNG File!");
    }
    EXPECT_TRUE(Listing(dir_).empty());
}

// ---- JPEG compression ------------------------------------------------------------

// The library's SIMD routines write the bytes of its C routines
// (check_images.sh compares the files with cjpeg's) in a third of the time:
// every step of a default compression must take them here.
TEST(JpegCompression, TakesTheSimdRoutinesOnThisProcessor) {
    ASSERT_EQ(GetEnvironmentVariableW(L"JSIMD_FORCENONE", nullptr, 0), 0u) << "the environment switches SIMD off";
    const delivery::JpegSimd simd = delivery::JpegSimdInUse();
    EXPECT_TRUE(simd.colourConversion);
    EXPECT_TRUE(simd.downsampling);
    EXPECT_TRUE(simd.sampleConversion);
    EXPECT_TRUE(simd.dct);
    EXPECT_TRUE(simd.quantisation);
    EXPECT_TRUE(simd.huffman);
}

}  // namespace
