// The clipboard, file, editor and Zovozu destinations against the real
// registry, file system, clipboard and save dialog of the test prefix. Outside
// programs are the recorder, copied under their names and found the way the
// program finds the real ones.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstring>
#include <functional>
#include <set>
#include <thread>

#include "base/globals.h"
#include "app/main_window.h"
#include "base/programs.h"
#include "base/save_dialog.h"
#include "base/settings_store.h"
#include "base/temp_files.h"
#include "base/files.h"
#include "delivery/destinations.h"
#include "delivery/image_savers.h"
#include "harness.h"
#include "support/vorlix_test.h"
#include "ui/text_convert.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kEditorKey[] = L"Software\\Vorlix Editor";
const wchar_t kZovozuKey[] = L"Software\\Vorlix Zovozu";
const wchar_t kCaption[] = L"Vorlix Message";
const wchar_t kCancelled[] = L"CANCELLED";

int optionsOpened = 0, timerStops = 0, fileChoiceShown = 0;

std::wstring Slash(const std::wstring& folder) { return folder.back() == L'\\' ? folder : folder + L"\\"; }

// Every file below a folder, as paths relative to it.
std::set<std::wstring> FilesBelow(const std::wstring& root, const std::wstring& sub = L"") {
    std::set<std::wstring> out;
    WIN32_FIND_DATAW found;
    HANDLE h = FindFirstFileW((vt::Join(root, sub) + L"\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return out;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring rel = sub.empty() ? name : sub + L"\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            auto inner = FilesBelow(root, rel);
            out.insert(inner.begin(), inner.end());
        } else {
            out.insert(rel);
        }
    } while (FindNextFileW(h, &found));
    FindClose(h);
    return out;
}

TConfiguration StoredRecord() {
    TConfiguration c;
    std::memset(&c, 0, sizeof c);
    ReadSchema(L"", c);
    return c;
}

class Destinations : public ::testing::Test {
protected:
    void SetUp() override {
        harness::EnsureWindows();
        vt::DeleteKeyTree(kRoot);
        vt::DeleteKeyTree(kEditorKey);
        vt::DeleteKeyTree(kZovozuKey);
        InitFolders();
        scratch = vt::ScratchDir();
        temp = Slash(vt::Join(scratch, L"temp"));
        out = Slash(vt::Join(scratch, L"out"));
        desktop = Slash(vt::Join(scratch, L"desktop"));
        for (const auto& d : {temp, out, desktop}) ASSERT_TRUE(vt::MakeDirs(d));
        TempFolder = temp;
        DesktopFolder = desktop;

        std::memset(&Config, 0, sizeof Config);
        SetLiveDefaults();
        std::memset(Config.SendTo, 0, sizeof Config.SendTo);
        Config.NoticeSlideIn = 0;  // success notices only set their text
        Config.NoticeSound = 0;
        Config.FileFolder = ui::ToAnsi(out);
        Config.FileName = "shot";
        Config.FileFormat = ifPNG;
        Config.FileNaming = fnFixed;
        Config.EditorFileName = "editor";
        Config.EditorFormat = ifBMP;
        Config.UseCustomEditor = 1;
        Config.CustomEditorPath.clear();
        Config.CustomEditorCommandLine = "\"<CAPTURE>\"";
        TimerRunning = false;
        OptionsOpen = false;

        CaptureBitmap = harness::PatternImage(37, 23, ++seed);
        ImageFileName.clear();
        SetNoticeTextClear();
        optionsOpened = timerStops = fileChoiceShown = 0;
        OpenOptionsDialogProc = [] { ++optionsOpened; };
        StopTimerCaptureProc = [] { ++timerStops; };
        OptionsFileChoiceProc = [] { ++fileChoiceShown; };
        log = vt::Join(scratch, L"recorder.log");
    }
    void TearDown() override {
        OpenOptionsDialogProc = nullptr;
        StopTimerCaptureProc = nullptr;
        OptionsFileChoiceProc = nullptr;
        TimerRunning = false;
        OptionsOpen = false;
        vt::DeleteKeyTree(kRoot);
        vt::DeleteKeyTree(kEditorKey);
        vt::DeleteKeyTree(kZovozuKey);
    }

    static void SetNoticeTextClear() { harness::Form().noticeText.clear(); }
    static std::wstring Notice() { return harness::Form().noticeText; }

    // The image in path decoded by the system's codecs equals the capture
    // (JPEG within its loss).
    void ExpectImage(const std::wstring& path, const wchar_t* format) {
        auto image = harness::ReadImage(path);
        ASSERT_TRUE(image) << "cannot decode " << ui::ToAnsi(path);
        EXPECT_EQ(image->format, format);
        const int worst = harness::MaxDifference(image->pixels, harness::PixelsOf(CaptureBitmap));
        EXPECT_GE(worst, 0) << "size " << image->pixels.width << "x" << image->pixels.height;
        EXPECT_LE(worst, std::wstring(format) == L"JPEG" ? 16 : 0);
    }

    // Runs a destination with a thread answering the error boxes; returns
    // the texts of the boxes in order.
    std::vector<std::wstring> Run(const std::function<bool()>& destination, bool expected) {
        vt::BoxAnswerer answerer([](const vt::MessageBoxInfo& box) {
            return box.caption == kCaption ? std::wstring(L"OK") : std::wstring();
        });
        EXPECT_EQ(destination(), expected);
        std::vector<std::wstring> texts;
        for (const auto& box : answerer.Seen()) texts.push_back(box.text);
        return texts;
    }

    std::wstring InstallRecorder(const std::wstring& path) {
        EXPECT_EQ(vt::CopyRecorderAs(path), path);
        return path;
    }
    std::vector<vt::RecorderRecord> WaitForRecords(size_t n) {
        vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= n; }, 10000);
        return vt::ReadRecorderLog(log);
    }

    std::wstring scratch, temp, out, desktop, log;
    static inline int seed = 0;
};

// ---- Clipboard -------------------------------------------------------------

TEST_F(Destinations, ClipboardHoldsTheCaptureAsDibAndBitmap) {
    ASSERT_TRUE(vt::EmptyTheClipboard());
    EXPECT_TRUE(Run(SendToClipboard, true).empty());
    EXPECT_EQ(Notice(), L"Image sent to Clipboard");
    auto dib = vt::ClipboardDib();
    ASSERT_TRUE(dib);
    EXPECT_EQ(harness::MaxDifference(*dib, harness::PixelsOf(CaptureBitmap)), 0);
    auto bitmap = vt::ClipboardBitmap();  // made by the system from the DIB
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(harness::MaxDifference(*bitmap, harness::PixelsOf(CaptureBitmap)), 0);
}

TEST_F(Destinations, ClipboardFailuresShowTheMessageAndCancel) {
    const std::wstring message = L"Vorlix cannot copy your screenshot to the Clipboard.";
    // Another window keeps the clipboard open for longer than the routine waits.
    std::atomic<bool> opened{false}, release{false};
    std::thread holder([&] {
        ui::Window w;
        w.Create(L"VorlixTestClipboardHolder", L"", WS_POPUP, 0, 0, 0, 0, 0);
        opened = OpenClipboard(w.Handle()) != FALSE;
        while (!release) Sleep(10);
        if (opened) CloseClipboard();
    });
    vt::WaitUntil([&] { return opened.load(); });
    ASSERT_TRUE(opened);
    EXPECT_EQ(Run(SendToClipboard, false), std::vector<std::wstring>{message});
    EXPECT_EQ(Notice(), kCancelled);
    release = true;
    holder.join();

    // Nothing captured.
    CaptureBitmap = ui::Bitmap();
    SetNoticeTextClear();
    EXPECT_EQ(Run(SendToClipboard, false), std::vector<std::wstring>{message});
    EXPECT_EQ(Notice(), kCancelled);
}

// ---- File: fixed and numbered names, the folder check -----------------------

// A capture of 4 x 4 x 4 colours, none of them near a system colour, in a
// pattern in which neighbours differ.
ui::Bitmap FewColours(int width, int height) {
    ui::Bitmap b(width, height, ui::PixelFormat::Bits32);
    const uint8_t levels[] = {40, 88, 136, 184};
    for (int y = 0; y < height; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            row[4 * x + 0] = levels[(x / 4 + y / 4) % 4];
            row[4 * x + 1] = levels[y % 4];
            row[4 * x + 2] = levels[x % 4];
            row[4 * x + 3] = 0;
        }
    }
    return b;
}

TEST_F(Destinations, FixedNameWritesAndOverwritesWithoutAsking) {
    struct Case { TImageFormat format; const wchar_t* ext; const wchar_t* reader; };
    for (const Case& c : {Case{ifBMP, L".bmp", L"BMP"}, Case{ifJPEG, L".jpg", L"JPEG"}, Case{ifPNG, L".png", L"PNG"},
                          Case{ifGIF, L".gif", L"GIF"}}) {
        SCOPED_TRACE(ui::ToAnsi(c.ext));
        Config.FileFormat = c.format;
        // A GIF holds at most 256 colours: its capture has 64, so that the
        // file must hold every pixel exactly like the other formats.
        if (c.format == ifGIF) CaptureBitmap = FewColours(37, 23);
        const std::wstring path = out + L"shot" + c.ext;
        ASSERT_TRUE(vt::WriteFileBytes(path, "old content"));
        EXPECT_TRUE(Run(SendToFile, true).empty());
        EXPECT_EQ(Notice(), L"Image sent to File");
        EXPECT_EQ(ImageFileName, path);
        ExpectImage(path, c.reader);
    }
}

TEST_F(Destinations, NumberedNamesFollowTheLargestNumber) {
    Config.FileNaming = fnNumbered;
    Config.FileFormat = ifBMP;
    for (const wchar_t* f : {L"shot1.bmp", L"shot7.bmp", L"shotx.bmp", L"shot9.jpg"})
        ASSERT_TRUE(vt::WriteFileBytes(out + f, "x"));
    EXPECT_TRUE(Run(SendToFile, true).empty());
    EXPECT_EQ(ImageFileName, out + L"shot8.bmp");
    ExpectImage(out + L"shot8.bmp", L"BMP");
    EXPECT_TRUE(Run(SendToFile, true).empty());
    EXPECT_EQ(ImageFileName, out + L"shot9.bmp");
}

// Names from the settings that cannot name a file in the output folder: the
// message of the naming mode, the cancelled notice, and no file anywhere.
TEST_F(Destinations, UnusableNamesEndInTheMessageAndWriteNothing) {
    ASSERT_TRUE(vt::MakeDirs(out + L"sub"));
    // Device names only matter for fixed names: numbered ones get a digit.
    const std::vector<std::string> both = {"sub\\shot", "..\\escape", "a/b", "a:b", "a*b", "a|b",
                                           "a<b>", "tab\tname", std::string(250, 'n')};
    const std::vector<std::string> fixedOnly = {"a?b", "a\"b", "CON", "nul", "lpt1"};
    const std::set<std::wstring> before = FilesBelow(scratch);
    for (uint8_t naming : {uint8_t(fnFixed), uint8_t(fnNumbered)}) {
        std::vector<std::string> names = both;
        if (naming == fnFixed) names.insert(names.end(), fixedOnly.begin(), fixedOnly.end());
        for (const auto& name : names) {
            SCOPED_TRACE(name + (naming == fnFixed ? " fixed" : " numbered"));
            Config.FileNaming = naming;
            Config.FileName = name;
            SetNoticeTextClear();
            const auto boxes = Run(SendToFile, false);
            ASSERT_EQ(boxes.size(), 1u);
            if (naming == fnFixed) {
                const std::wstring a = L"Vorlix cannot save your screenshot to :\r";
                const std::wstring b =
                    L"\rClose the application which is using the file or choose another File Name/Location.";
                ASSERT_GE(boxes[0].size(), a.size() + b.size());
                EXPECT_EQ(boxes[0].substr(0, a.size()), a);
                EXPECT_EQ(boxes[0].substr(boxes[0].size() - b.size()), b);
                EXPECT_EQ(boxes[0].substr(a.size(), boxes[0].size() - a.size() - b.size()), ImageFileName);
            } else {
                EXPECT_EQ(boxes[0], L"Vorlix cannot save your screenshot.");
            }
            EXPECT_EQ(Notice(), kCancelled);
        }
    }
    EXPECT_EQ(FilesBelow(scratch), before);
}

TEST_F(Destinations, LockedReadOnlyAndUnwritableTargetsFail) {
    // A file another program holds open.
    const std::wstring path = out + L"shot.png";
    ASSERT_TRUE(vt::WriteFileBytes(path, "locked"));
    {
        HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        const auto boxes = Run(SendToFile, false);
        CloseHandle(lock);
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0], L"Vorlix cannot save your screenshot to :\r" + path +
                                L"\rClose the application which is using the file or choose another File "
                                L"Name/Location.");
        EXPECT_EQ(Notice(), kCancelled);
        EXPECT_EQ(vt::ReadFileBytes(path), "locked");
    }
    // A read-only file is not replaced.
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(Run(SendToFile, false).size(), 1u);
    EXPECT_EQ(vt::ReadFileBytes(path), "locked");
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Destinations, AFolderNoFileCanBeCreatedInFails) {
    // The tests run with full rights, so a system folder of the host in
    // which nobody can create files stands for it; without one this case
    // cannot run and says so.
    if (GetFileAttributesW(L"Z:\\proc\\") == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no folder here refuses new files (Z:\\proc is missing)";
    Config.FileFolder = "Z:\\proc\\";
    for (uint8_t naming : {uint8_t(fnFixed), uint8_t(fnNumbered)}) {
        Config.FileNaming = naming;
        EXPECT_EQ(Run(SendToFile, false).size(), 1u);
        EXPECT_EQ(Notice(), kCancelled);
        EXPECT_FALSE(vt::FileExists(L"Z:\\proc\\shot.png"));
        EXPECT_FALSE(vt::FileExists(L"Z:\\proc\\shot1.png"));
    }
}

TEST_F(Destinations, OtherNamingValuesSaveNothing) {
    Config.FileNaming = 3;
    const auto before = FilesBelow(scratch);
    EXPECT_TRUE(Run(SendToFile, false).empty());
    EXPECT_EQ(Notice(), kCancelled);
    EXPECT_EQ(FilesBelow(scratch), before);
}

TEST_F(Destinations, DestinationFolderCheck) {
    struct Case { std::string folder; bool ok; bool message; };
    const std::string missing = ui::ToAnsi(scratch + L"\\gone\\");
    const std::string aFile = ui::ToAnsi(out + L"file.txt");
    ASSERT_TRUE(vt::WriteFileBytes(out + L"file.txt", "x"));
    for (const Case& c : {Case{ui::ToAnsi(out), true, false}, Case{ui::ToAnsi(out.substr(0, out.size() - 1)), true, false},
                          Case{missing, false, true}, Case{"", false, false}, Case{"relative\\", false, true},
                          Case{aFile, false, true}}) {
        SCOPED_TRACE(c.folder);
        vt::DeleteKeyTree(kRoot);
        Config.FileFolder = c.folder;
        const auto boxes = Run(CheckDestinationFolder, c.ok);
        if (c.message)
            EXPECT_EQ(boxes, std::vector<std::wstring>{
                                 L"Destination folder no longer exists.\rDestination is now set to desktop."});
        else
            EXPECT_TRUE(boxes.empty());
        if (c.ok) {
            EXPECT_EQ(Config.FileFolder.str(), c.folder);
            EXPECT_FALSE(vt::KeyExists(kRoot)) << "nothing stored";
        } else {
            EXPECT_EQ(ui::ToWide(Config.FileFolder.view()), desktop);
            EXPECT_EQ(ui::ToWide(StoredRecord().FileFolder.view()), desktop) << "stored at once";
        }
    }
}

TEST_F(Destinations, AMissingFolderOpensTheOptionsAndSavesOnTheDesktop) {
    Config.FileFolder = ui::ToAnsi(scratch + L"\\gone\\");
    const auto boxes = Run(SendToFile, true);
    EXPECT_EQ(boxes, std::vector<std::wstring>{
                         L"Destination folder no longer exists.\rDestination is now set to desktop."});
    EXPECT_EQ(optionsOpened, 1);
    ExpectImage(desktop + L"shot.png", L"PNG");
    // An empty folder setting: silently the desktop as well.
    Config.FileFolder.clear();
    Config.FileName = "second";
    EXPECT_TRUE(Run(SendToFile, true).empty());
    EXPECT_EQ(optionsOpened, 2);
    EXPECT_TRUE(vt::FileExists(desktop + L"second.png"));
}

// A name that code page 1252 cannot hold (the desktop of a Chinese user).
const wchar_t kChinese[] = L"\u684c\u9762 \u622a\u56fe";

// A volume without short names, as NTFS volumes may be: the system answers
// with the long form of what exists.
class NoShortNames {
public:
    NoShortNames() : old_(ui::ShortPathOf) {
        ui::ShortPathOf = [](const std::wstring& p) {
            return GetFileAttributesW(p.c_str()) == INVALID_FILE_ATTRIBUTES ? std::wstring() : p;
        };
    }
    ~NoShortNames() { ui::ShortPathOf = old_; }

private:
    ui::ShortPathLookup old_;
};

// The folder a stored path names, in its long form.
std::wstring LongFormOf(const std::string& stored) {
    const std::wstring wide = ui::ToWide(stored);
    std::wstring out(32768, L'\0');
    out.resize(GetLongPathNameW(wide.c_str(), out.data(), DWORD(out.size())));
    return out;
}

TEST_F(Destinations, ADesktopOutsideTheCodePageIsStoredInAFormThatHolds) {
    desktop = Slash(vt::Join(scratch, kChinese));
    ASSERT_TRUE(vt::MakeDirs(desktop));
    DesktopFolder = desktop;
    // The defaults and the folder check store the desktop's short form.
    TConfiguration defaults{};
    SetDefaults(defaults, SystemDefaultInputs());
    EXPECT_EQ(ui::ToAnsi(ui::ToWide(defaults.FileFolder.view())), defaults.FileFolder.str()) << "no question marks";
    EXPECT_TRUE(vt::SamePath(LongFormOf(defaults.FileFolder.str()), desktop));
    Config.FileFolder = ui::ToAnsi(scratch + L"\\gone\\");
    Config.FileName = "shot";
    EXPECT_EQ(Run(SendToFile, true), std::vector<std::wstring>{
                                         L"Destination folder no longer exists.\rDestination is now set to desktop."});
    ExpectImage(desktop + L"shot.png", L"PNG");
    const std::string stored = StoredRecord().FileFolder.str();
    EXPECT_EQ(stored.find('?'), std::string::npos) << stored;
    EXPECT_TRUE(vt::SamePath(LongFormOf(stored), desktop)) << stored;
    // From now on the folder is there.
    EXPECT_TRUE(Run(CheckDestinationFolder, true).empty());
    EXPECT_EQ(optionsOpened, 1);
}

TEST_F(Destinations, ADesktopWithoutAFormTheCodePageHoldsIsToldOnceAndStillUsed) {
    NoShortNames volume;
    desktop = Slash(vt::Join(scratch, kChinese));
    ASSERT_TRUE(vt::MakeDirs(desktop));
    DesktopFolder = desktop;
    TConfiguration defaults{};
    SetDefaults(defaults, SystemDefaultInputs());
    EXPECT_TRUE(defaults.FileFolder.empty()) << "nothing rather than question marks";
    Config.FileFolder.clear();
    const std::wstring told = L"The settings cannot hold the name of the folder " + desktop +
                              L": the system's code page has no characters for it, and the drive gives the folder "
                              L"no short name.\rScreenshots are saved there until you choose another destination folder.";
    EXPECT_EQ(Run(SendToFile, true), std::vector<std::wstring>{told});
    EXPECT_EQ(optionsOpened, 1);
    ExpectImage(desktop + L"shot.png", L"PNG");
    // Once: the next checks and deliveries go on quietly, on the desktop.
    Config.FileName = "again";
    EXPECT_TRUE(Run(SendToFile, true).empty());
    EXPECT_TRUE(Run(CheckDestinationFolder, true).empty());
    EXPECT_EQ(optionsOpened, 1);
    EXPECT_TRUE(vt::FileExists(desktop + L"again.png"));
    EXPECT_TRUE(Config.FileFolder.empty());
    // A folder that is gone is still reported, and nothing is stored for it.
    Config.FileFolder = ui::ToAnsi(scratch + L"\\gone\\");
    EXPECT_EQ(Run(CheckDestinationFolder, false), std::vector<std::wstring>{
                                                      L"Destination folder no longer exists.\rDestination is now set to desktop."});
    EXPECT_TRUE(Config.FileFolder.empty());
    EXPECT_TRUE(StoredRecord().FileFolder.empty());
}

TEST_F(Destinations, CopiesForCodePageHandOffsGoWhereTheirPathHolds) {
    // The temporary folder has a short form: the copy stays there, and its
    // path in the code page names it.
    TempFolder = Slash(vt::Join(scratch, kChinese));
    ASSERT_TRUE(vt::MakeDirs(TempFolder));
    Config.IcqFileName = "icqshot";
    Config.IMFileName = "imshot";
    Config.IcqFormat = Config.IMFormat = ifPNG;
    ASSERT_TRUE(PrepareTemporaryFile(L"icqshot", ifPNG, true));
    EXPECT_EQ(ImageFileName, TempFolder + L"icqshot1.png");
    const auto path = ui::ToAnsiPath(ImageFileName);
    ASSERT_TRUE(path);
    EXPECT_EQ(vt::ReadFileBytes(ImageFileName), vt::ReadFileBytes(ui::ToWide(*path)));
    EXPECT_EQ(path->substr(path->size() - 13), "\\icqshot1.png") << "the file keeps its own name";

    // Without short names the copy goes to the Windows folder's Temp, which
    // the clean-up at the next start empties too.
    NoShortNames volume;
    WindowsFolder = Slash(vt::Join(scratch, L"windows"));
    ASSERT_TRUE(vt::MakeDirs(WindowsFolder + L"Temp"));
    EXPECT_EQ(CodePageTempFolder(), WindowsFolder + L"Temp\\");
    ASSERT_TRUE(PrepareTemporaryFile(L"icqshot", ifPNG, true));
    EXPECT_EQ(ImageFileName, WindowsFolder + L"Temp\\icqshot1.png");
    ExpectImage(ImageFileName, L"PNG");
    // The File destination's file is handed on only when its path holds.
    Config.SendTo[dFile] = 1;
    Config.FileFolder.clear();
    DesktopFolder = TempFolder;
    Config.FileName = "saved";
    Run(SendToFile, true);
    ASSERT_EQ(FileDestinationFile(), TempFolder + L"saved.png");
    ASSERT_TRUE(PrepareTemporaryFile(L"imshot", ifPNG, true));
    EXPECT_EQ(ImageFileName, WindowsFolder + L"Temp\\imshot1.png");
    ASSERT_TRUE(PrepareTemporaryFile(L"editor", ifPNG));
    EXPECT_EQ(ImageFileName, TempFolder + L"saved.png") << "by its wide path it is handed on as it is";
    CleanTempFiles();
    EXPECT_FALSE(vt::FileExists(WindowsFolder + L"Temp\\icqshot1.png"));
    EXPECT_FALSE(vt::FileExists(WindowsFolder + L"Temp\\imshot1.png"));
    // Neither folder holds: no copy, the message.
    WindowsFolder = TempFolder;
    Config.SendTo[dFile] = 0;
    EXPECT_EQ(Run([] { return PrepareTemporaryFile(L"icqshot", ifPNG, true); }, false),
              std::vector<std::wstring>{L"Temporary file cannot be created."});
}

// ---- File: the save prompt ---------------------------------------------------

// Drives the save dialog from a second thread while the destination waits
// in it.
class Prompt {
public:
    static HWND FindDialog() {
        for (HWND w : vt::FindWindows(GetCurrentProcessId(), L"#32770"))
            if (IsWindowVisible(w) && GetDlgItem(w, cmb1)) return w;
        return nullptr;
    }
    static HWND NameField(HWND dialog) {
        if (HWND combo = GetDlgItem(dialog, cmb13)) return combo;
        return GetDlgItem(dialog, edt1);
    }
    static void Type(HWND dialog, const std::wstring& name) {
        SendMessageW(NameField(dialog), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    static void Filter(HWND dialog, int index) {
        HWND combo = GetDlgItem(dialog, cmb1);
        SendMessageW(combo, CB_SETCURSEL, index - 1, 0);
        // What a choice in the list sends (dialogs listen to one or the other).
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb1, CBN_SELENDOK), reinterpret_cast<LPARAM>(combo));
    }
    static int SelectedFilter(HWND dialog) {
        return static_cast<int>(SendMessageW(GetDlgItem(dialog, cmb1), CB_GETCURSEL, 0, 0)) + 1;
    }
    static void Accept(HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }
    static void Cancel(HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }
    // A box owned by the dialog (not the dialog itself).
    static HWND WaitBox(HWND dialog, DWORD ms = 5000) {
        HWND found = nullptr;
        vt::WaitUntil([&] {
            for (HWND w : vt::FindWindows(GetCurrentProcessId(), L"#32770"))
                if (w != dialog && IsWindowVisible(w) && GetWindow(w, GW_OWNER) == dialog) return (found = w) != nullptr;
            return false;
        }, ms);
        if (!found)
            for (HWND w : vt::FindWindows(GetCurrentProcessId(), L"#32770"))
                printf("no box: %p '%ls' owner %p visible %d (dialog %p)\n", (void*)w, vt::WindowText(w).c_str(),
                       (void*)GetWindow(w, GW_OWNER), IsWindowVisible(w), (void*)dialog);
        return found;
    }

    // Runs script(dialog) on a thread once the dialog is up; the destination
    // runs on this thread. Whatever the script leaves open is cancelled.
    template <typename Script>
    static bool Run(const std::function<bool()>& destination, Script script) {
        std::atomic<bool> done{false};
        std::thread driver([&] {
            HWND dialog = nullptr;
            vt::WaitUntil([&] { return (dialog = FindDialog()) != nullptr; }, 10000);
            if (dialog) script(dialog);
            // Leftovers: never leave the test hanging in a modal loop.
            while (!done) {
                if (HWND d = FindDialog()) Cancel(d);
                if (HWND box = vt::FindMessageBox(GetCurrentProcessId(), kCaption)) vt::PressButton(box, L"OK");
                Sleep(100);
            }
        });
        const bool result = destination();
        done = true;
        driver.join();
        return result;
    }

private:
    static constexpr int cmb1 = 0x470, cmb13 = 0x47C, edt1 = 0x480;
};

class SavePrompt : public Destinations {
protected:
    void SetUp() override {
        Destinations::SetUp();
        Config.FileNaming = fnAsk;
    }
};

TEST_F(SavePrompt, ShowsTheRememberedChoiceOnTopAndStoresTheNewOne) {
    Config.FileName = "remembered";
    Config.FileFormat = ifJPEG;
    OptionsOpen = true;
    const std::wstring other = Slash(vt::Join(scratch, L"other folder"));
    ASSERT_TRUE(vt::MakeDirs(other));
    std::wstring shownName;
    int shownFilter = 0;
    bool topmost = false;
    const bool ok = Prompt::Run(SendToFile, [&](HWND dialog) {
        shownName = vt::WindowText(Prompt::NameField(dialog));
        shownFilter = Prompt::SelectedFilter(dialog);
        topmost = (GetWindowLongPtrW(dialog, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        // Typed without extension, PNG chosen: the file gets ".png".
        Prompt::Filter(dialog, ifPNG);
        Prompt::Type(dialog, other + L"typed");
        Prompt::Accept(dialog);
    });
    EXPECT_TRUE(ok);
    EXPECT_EQ(shownName, L"remembered");
    EXPECT_EQ(shownFilter, ifJPEG);
    EXPECT_TRUE(topmost);
    EXPECT_EQ(Notice(), L"Image sent to File");
    EXPECT_EQ(ImageFileName, other + L"typed.png");
    ExpectImage(other + L"typed.png", L"PNG");
    EXPECT_EQ(Config.FileName.str(), "typed");
    EXPECT_EQ(Config.FileFormat, ifPNG);
    EXPECT_EQ(ui::ToWide(Config.FileFolder.view()), other);
    const TConfiguration stored = StoredRecord();
    EXPECT_EQ(stored.FileName.str(), "typed");
    EXPECT_EQ(stored.FileFormat, ifPNG);
    EXPECT_EQ(ui::ToWide(stored.FileFolder.view()), other);
    EXPECT_EQ(fileChoiceShown, 1) << "the open options dialog follows";
}

TEST_F(SavePrompt, ATypedExtensionChoosesTheFormat) {
    struct Case { const wchar_t* name; TImageFormat format; const wchar_t* reader; };
    for (const Case& c : {Case{L"pic.jpg", ifJPEG, L"JPEG"}, Case{L"pic.gif", ifGIF, L"GIF"}, Case{L"PIC.Png", ifPNG, L"PNG"}}) {
        SCOPED_TRACE(ui::ToAnsi(c.name));
        Config.FileFormat = ifBMP;
        Config.FileFolder = ui::ToAnsi(out);
        EXPECT_TRUE(Prompt::Run(SendToFile, [&](HWND dialog) {
            Prompt::Type(dialog, c.name);
            Prompt::Accept(dialog);
        }));
        EXPECT_EQ(Config.FileFormat, c.format);
        const std::wstring stem = std::wstring(c.name).substr(0, 3);
        EXPECT_EQ(ui::ToWide(Config.FileName.view()), stem);
        auto image = harness::ReadImage(ImageFileName);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->format, c.reader);
    }
}

TEST_F(SavePrompt, TheCloseCheckRefusesUnknownExtensionsAndAsksBeforeReplacing) {
    ASSERT_TRUE(vt::WriteFileBytes(out + L"shot.gif", "old"));
    std::vector<vt::MessageBoxInfo> boxes;
    bool stayedOpen = false;
    const bool ok = Prompt::Run(SendToFile, [&](HWND dialog) {
        Prompt::Type(dialog, L"shot.jpeg");
        Prompt::Accept(dialog);
        HWND box = Prompt::WaitBox(dialog);
        if (!box) return;
        boxes.push_back(vt::ReadMessageBox(box));
        vt::PressButton(box, L"OK");
        vt::WaitGone(box);

        Prompt::Filter(dialog, ifGIF);
        Prompt::Type(dialog, L"shot");
        Prompt::Accept(dialog);
        box = Prompt::WaitBox(dialog);
        if (!box) return;
        boxes.push_back(vt::ReadMessageBox(box));
        vt::PressButton(box, L"Cancel");
        vt::WaitGone(box);
        Sleep(300);
        stayedOpen = IsWindowVisible(dialog) != FALSE;

        Prompt::Accept(dialog);
        box = Prompt::WaitBox(dialog);
        if (!box) return;
        boxes.push_back(vt::ReadMessageBox(box));
        vt::PressButton(box, L"OK");
    });
    EXPECT_TRUE(ok);
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].caption, kCaption);
    EXPECT_EQ(boxes[0].text, L"Please type a valid file extension   [*.bmp or *.jpg or *.gif or *.png]     ");
    EXPECT_EQ(boxes[1].caption, L"Save As");
    EXPECT_EQ(boxes[1].text, out + L"shot.gif already exists.\rDo you want to replace it?");
    EXPECT_EQ(boxes[1].buttons, (std::vector<std::wstring>{L"OK", L"Cancel"}));
    EXPECT_TRUE(stayedOpen) << "Cancel keeps the dialog";
    EXPECT_EQ(boxes[2].text, boxes[1].text);
    EXPECT_EQ(ImageFileName, out + L"shot.gif");
    EXPECT_EQ(Config.FileFormat, ifGIF);
    EXPECT_NE(vt::ReadFileBytes(out + L"shot.gif"), "old");
}

TEST_F(SavePrompt, CancellingEndsARunningTimerCapture) {
    TimerRunning = true;
    const auto before = Config;
    EXPECT_FALSE(Prompt::Run(SendToFile, [](HWND dialog) { Prompt::Cancel(dialog); }));
    EXPECT_EQ(Notice(), kCancelled);
    EXPECT_EQ(timerStops, 1);
    EXPECT_TRUE(SettingsEqual(Config, before)) << "nothing remembered";
    TimerRunning = false;
    EXPECT_FALSE(Prompt::Run(SendToFile, [](HWND dialog) { Prompt::Cancel(dialog); }));
    EXPECT_EQ(timerStops, 1);
}

TEST_F(SavePrompt, ARememberedNameTheDialogCannotShowStillPrompts) {
    Config.FileName = "bad|name";
    EXPECT_TRUE(Prompt::Run(SendToFile, [](HWND dialog) {
        Prompt::Type(dialog, L"good");
        Prompt::Accept(dialog);
    }));
    EXPECT_TRUE(vt::FileExists(out + L"good.png"));
}

TEST_F(SavePrompt, ALockedChoiceShowsTheSaveMessage) {
    const std::wstring path = out + L"busy.png";
    ASSERT_TRUE(vt::WriteFileBytes(path, "locked"));
    HANDLE lock = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    std::vector<std::wstring> errors;
    const bool ok = Prompt::Run(SendToFile, [&](HWND dialog) {
        Prompt::Type(dialog, L"busy");  // no extension: the close check asks
        Prompt::Accept(dialog);
        if (HWND box = Prompt::WaitBox(dialog)) vt::PressButton(box, L"OK");
        // The error box comes after the dialog has closed.
        HWND error = vt::WaitForMessageBox(GetCurrentProcessId(), kCaption, 5000);
        if (!error) return;
        errors.push_back(vt::ReadMessageBox(error).text);
        vt::PressButton(error, L"OK");
    });
    CloseHandle(lock);
    EXPECT_FALSE(ok);
    EXPECT_EQ(errors, std::vector<std::wstring>{L"Vorlix cannot save your screenshot."});
    EXPECT_EQ(Notice(), kCancelled);
    EXPECT_EQ(vt::ReadFileBytes(path), "locked");
}

// ---- Editor, the temporary-file rule, Zovozu -------------------------------------

TEST_F(Destinations, TheCustomEditorGetsTheQuotedPathAndItsSwitches) {
    const std::wstring folder = vt::Join(scratch, L"My Editor");
    const std::wstring editor = InstallRecorder(vt::Join(folder, L"edit.exe"));
    // Blanks in the temporary folder as well: the path stays one argument.
    TempFolder = Slash(vt::Join(scratch, L"temp dir"));
    ASSERT_TRUE(vt::MakeDirs(TempFolder));
    ASSERT_TRUE(vt::WriteFileBytes(TempFolder + L"editor4.bmp", "x"));
    Config.CustomEditorPath = ui::ToAnsi(editor);
    Config.CustomEditorCommandLine = "-open \"<capture>\" /switch \"<CaPtUrE>\"";
    vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    EXPECT_EQ(Notice(), L"Image sent to Editor");
    const std::wstring file = TempFolder + L"editor5.bmp";
    EXPECT_EQ(ImageFileName, file);
    ExpectImage(file, L"BMP");
    const auto records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(vt::SamePath(records[0].exe, editor));
    EXPECT_TRUE(vt::SamePath(records[0].workDir, folder));
    const auto args = vt::SplitCommandLine(records[0].commandLine);
    ASSERT_EQ(args.size(), 5u) << ui::ToAnsi(records[0].commandLine);
    EXPECT_EQ(args[1], L"-open");
    EXPECT_EQ(args[2], file);
    EXPECT_EQ(args[3], L"/switch");
    EXPECT_EQ(args[4], file);
}

TEST_F(Destinations, EditorFailures) {
    const std::wstring editor = InstallRecorder(vt::Join(scratch, L"edit.exe"));
    Config.CustomEditorPath = ui::ToAnsi(editor);
    vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
    const std::wstring placeholder = L"Command line must contain \"<CAPTURE>\"";
    for (const char* line : {"<CAPTURE>", "", "\"<CAPTURE>", "'<CAPTURE>'"}) {
        SCOPED_TRACE(line);
        Config.CustomEditorCommandLine = line;
        SetNoticeTextClear();
        EXPECT_EQ(Run(SendToEditor, false), std::vector<std::wstring>{placeholder});
        EXPECT_EQ(Notice(), kCancelled);
    }
    // The program does not start: no box, cancelled.
    Config.CustomEditorCommandLine = "\"<CAPTURE>\"";
    Config.CustomEditorPath = ui::ToAnsi(vt::Join(scratch, L"missing.exe"));
    EXPECT_TRUE(Run(SendToEditor, false).empty());
    EXPECT_EQ(Notice(), kCancelled);
    // A temporary name that reaches out of the temporary folder, an unknown
    // format, a temporary folder that is gone.
    Config.CustomEditorPath = ui::ToAnsi(editor);
    const auto before = FilesBelow(scratch);
    struct Case { const char* name; uint8_t format; std::wstring folder; };
    for (const Case& c : {Case{"..\\out", ifBMP, temp}, Case{"a/b", ifBMP, temp}, Case{"bad*", ifBMP, temp},
                          Case{"editor", 0, temp}, Case{"editor", 9, temp},
                          Case{"editor", ifBMP, Slash(vt::Join(scratch, L"no temp"))}}) {
        SCOPED_TRACE(c.name);
        Config.EditorFileName = c.name;
        Config.EditorFormat = c.format;
        TempFolder = c.folder;
        EXPECT_EQ(Run(SendToEditor, false), std::vector<std::wstring>{L"Temporary file cannot be created."});
        EXPECT_EQ(Notice(), kCancelled);
    }
    EXPECT_EQ(FilesBelow(scratch), before);
    EXPECT_TRUE(vt::ReadRecorderLog(log).empty()) << "no editor started";
}

TEST_F(Destinations, TheMakersEditorIsFoundInTheRegistry) {
    const std::wstring folder = vt::Join(scratch, L"Vorlix Editor");
    const std::wstring editor = InstallRecorder(vt::Join(folder, L"quorrel.exe"));
    ASSERT_TRUE(vt::WriteString(kEditorKey, L"InstallPath", folder));
    Config.UseCustomEditor = 0;
    Config.EditorFileName = "capture";
    Config.EditorFormat = ifPNG;
    vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    const auto records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(vt::SamePath(records[0].exe, editor));
    EXPECT_TRUE(vt::SamePath(records[0].workDir, folder));
    const auto args = vt::SplitCommandLine(records[0].commandLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[1], temp + L"capture1.png");
    ExpectImage(args[1], L"PNG");

    // Not installed: the message, and the graphic editor from now on (not stored).
    vt::DeleteKeyTree(kEditorKey);
    SaveConfiguration();
    EXPECT_EQ(Run(SendToEditor, false), std::vector<std::wstring>{L"Vorlix Editor is not installed."});
    EXPECT_EQ(Notice(), kCancelled);
    EXPECT_EQ(Config.UseCustomEditor, 1);
    EXPECT_EQ(StoredRecord().UseCustomEditor, 0);
}

TEST_F(Destinations, TheEditorReusesTheFileDestinationsFileOnlyForTheSameImage) {
    const std::wstring editor = InstallRecorder(vt::Join(scratch, L"edit.exe"));
    Config.CustomEditorPath = ui::ToAnsi(editor);
    Config.SendTo[dFile] = 1;
    Config.SendTo[dEditor] = 1;
    Config.FileFormat = ifJPEG;
    vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
    auto editorArgument = [&](size_t n) {
        const auto records = WaitForRecords(n);
        return records.size() >= n ? vt::SplitCommandLine(records[n - 1].commandLine).at(1) : std::wstring();
    };

    // File on and saved: the editor gets that very file, no temporary copy.
    EXPECT_TRUE(Run(SendToFile, true).empty());
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    EXPECT_EQ(editorArgument(1), out + L"shot.jpg");
    EXPECT_TRUE(FilesBelow(temp).empty());

    // Another image (a hand-over, say) with the File destination not run for
    // it: a copy of that image, not the old file.
    CaptureBitmap = harness::PatternImage(20, 10, 99);
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    EXPECT_EQ(editorArgument(2), temp + L"editor1.bmp");
    ExpectImage(temp + L"editor1.bmp", L"BMP");

    // File on but its save failed: a temporary copy.
    Config.FileName = "bad*";
    EXPECT_EQ(Run(SendToFile, false).size(), 1u);
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    EXPECT_EQ(editorArgument(3), temp + L"editor2.bmp");

    // File switched off although it succeeded before.
    Config.FileName = "shot";
    EXPECT_TRUE(Run(SendToFile, true).empty());
    Config.SendTo[dFile] = 0;
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    EXPECT_EQ(editorArgument(4), temp + L"editor3.bmp");

    // The saved file deleted meanwhile: a copy again.
    Config.SendTo[dFile] = 1;
    ASSERT_TRUE(DeleteFileW((out + L"shot.jpg").c_str()));
    EXPECT_TRUE(Run(SendToEditor, true).empty());
    EXPECT_EQ(editorArgument(5), temp + L"editor4.bmp");
}

TEST_F(Destinations, ZovozuGetsANumberedBitmap) {
    const std::wstring folder = vt::Join(scratch, L"Vorlix Zovozu");
    const std::wstring program = InstallRecorder(vt::Join(folder, L"brannet.exe"));
    ASSERT_TRUE(vt::WriteString(kZovozuKey, L"InstallPath", folder));
    TempFolder = Slash(vt::Join(scratch, L"temp dir"));
    ASSERT_TRUE(vt::MakeDirs(TempFolder));
    ASSERT_TRUE(vt::WriteFileBytes(TempFolder + L"screenshot3.bmp", "x"));
    ASSERT_TRUE(vt::WriteFileBytes(TempFolder + L"screenshot9.png", "x"));
    vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
    EXPECT_TRUE(Run(SendToZovozu, true).empty());
    EXPECT_EQ(Notice(), L"Image sent to Zovozu");
    const auto records = WaitForRecords(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(vt::SamePath(records[0].exe, program));
    EXPECT_TRUE(vt::SamePath(records[0].workDir, folder));
    const auto args = vt::SplitCommandLine(records[0].commandLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[1], TempFolder + L"screenshot4.bmp");
    ExpectImage(args[1], L"BMP");
}

TEST_F(Destinations, ZovozuFailures) {
    // Not installed, or its program file gone.
    EXPECT_EQ(Run(SendToZovozu, false), std::vector<std::wstring>{L"A file is missing. Please reinstall Vorlix."});
    EXPECT_EQ(Notice(), kCancelled);
    const std::wstring folder = vt::Join(scratch, L"zovozu");
    ASSERT_TRUE(vt::MakeDirs(folder));
    ASSERT_TRUE(vt::WriteString(kZovozuKey, L"InstallPath", folder));
    EXPECT_EQ(Run(SendToZovozu, false), std::vector<std::wstring>{L"A file is missing. Please reinstall Vorlix."});
    // The temporary copy cannot be written.
    InstallRecorder(vt::Join(folder, L"brannet.exe"));
    TempFolder = Slash(vt::Join(scratch, L"no temp"));
    vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
    EXPECT_EQ(Run(SendToZovozu, false), std::vector<std::wstring>{L"Temporary file cannot be created."});
    EXPECT_EQ(Notice(), kCancelled);
    Sleep(300);
    EXPECT_TRUE(vt::ReadRecorderLog(log).empty());
}

TEST(EditorCommandLine, EveryQuotedPlaceholderIsReplaced) {
    struct Case { const wchar_t* line; const wchar_t* expected; };
    for (const Case& c : {Case{L"\"<CAPTURE>\"", L"\"C:\\a b\\x.png\""},
                          Case{L"\"<capture>\" /s", L"\"C:\\a b\\x.png\" /s"},
                          Case{L"x\"<Capture>\"y\"<CAPTURE>\"", L"x\"C:\\a b\\x.png\"y\"C:\\a b\\x.png\""},
                          Case{L"<CAPTURE>", L""}, Case{L"\"<CAPTURE >\"", L""}}) {
        EXPECT_EQ(ExpandEditorCommandLine(c.line, L"C:\\a b\\x.png"), c.expected) << ui::ToAnsi(c.line);
    }
}

TEST(CodePagePath, APathComesOutInAFormThatNamesItAgain) {
    const std::wstring scratch = vt::ScratchDir();
    const std::wstring chinese = vt::Join(scratch, kChinese);
    ASSERT_TRUE(vt::MakeDirs(chinese));
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(chinese, L"screenshot12.png"), "twelve"));
    const std::wstring accented = vt::Join(scratch, L"Caf\u00e9 Cr\u00e8me");
    ASSERT_TRUE(vt::MakeDirs(accented));

    // What the code page holds stays as it is, to the byte, existing or not.
    for (const std::wstring& p : {scratch + L"\\a b\\x.png", accented + L"\\", accented + L"\\new.gif"})
        EXPECT_EQ(ui::ToAnsiPath(p), ui::ToAnsi(p)) << vt::Utf8(p);
    // A folder outside it: its short name; the file keeps its long name.
    for (const std::wstring& p : {chinese, chinese + L"\\", chinese + L"\\screenshot12.png", chinese + L"\\new.png"}) {
        SCOPED_TRACE(vt::Utf8(p));
        const auto bytes = ui::ToAnsiPath(p);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(ui::ToAnsi(ui::ToWide(*bytes)), *bytes);
        EXPECT_EQ(bytes->find('?'), std::string::npos);
        EXPECT_EQ(bytes->substr(0, ui::ToAnsi(scratch).size()), ui::ToAnsi(scratch)) << "only the foreign name is short";
        EXPECT_EQ(bytes->back() == '\\', p.back() == L'\\');
    }
    const auto file = ui::ToAnsiPath(chinese + L"\\screenshot12.png");
    ASSERT_TRUE(file);
    EXPECT_EQ(vt::ReadFileBytes(ui::ToWide(*file)), "twelve");
    EXPECT_EQ(file->substr(file->size() - 17), "\\screenshot12.png");
    // A name outside the code page that does not exist has no short name.
    EXPECT_FALSE(ui::ToAnsiPath(chinese + L"\\\u65b0.png"));
    EXPECT_FALSE(ui::ToAnsiPath(vt::Join(scratch, L"\u65b0\\x.png")));

    // Too long for the field: the whole short form, when it fits.
    const std::wstring deep = vt::Join(scratch, std::wstring(120, L'd') + L"\\" + std::wstring(120, L'e'));
    ASSERT_TRUE(vt::MakeDirs(deep));
    const auto cut = ui::ToAnsiPath(deep + L"\\", 250);
    ASSERT_TRUE(cut);
    EXPECT_LE(cut->size(), 250u);
    EXPECT_TRUE(vt::SamePath(LongFormOf(*cut), deep));
    EXPECT_FALSE(ui::ToAnsiPath(deep + L"\\" + std::wstring(250, L'f'), 250)) << "what does not exist is not shortened";

    // Without short names a foreign name has no form at all.
    NoShortNames volume;
    EXPECT_FALSE(ui::ToAnsiPath(chinese));
    EXPECT_EQ(ui::ToAnsiPath(accented), ui::ToAnsi(accented));
}

}  // namespace
