// Both builds on a Simplified Chinese system (ANSI code page 936): the
// record's strings are GBK bytes, so Chinese file names, folders and
// annotation texts must survive the trip from the registry to the file system
// and the screen; a record written by one build is read by the other; and
// bytes that are no GBK text (a record written on another code page) are
// stamped without a crash and stored back unchanged.
//
// The test runs with LANG/LC_ALL=zh_CN.UTF-8 (see CMakeLists.txt): Wine takes
// the ANSI code page of a process from the Unix locale it starts in, and the
// programs started from here inherit it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "base/configuration.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

std::string Gbk(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(936, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

class ChineseSystem : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(GetACP(), 936u) << "this test needs the zh_CN.UTF-8 locale (ANSI code page 936)";
        out = vt::WithSlash(vt::Join(scratch, L"输出图像"));
        ASSERT_TRUE(vt::MakeDirs(out));
        record.HotkeysOn = 1;
        std::memset(record.SendTo, 0, sizeof record.SendTo);
        record.SendTo[dFile] = 1;
        record.FileNaming = fnNumbered;
        record.FileFolder = Gbk(out);
        record.FileName = Gbk(L"截图");
        record.FileFormat = ifBMP;
    }
    // Starts a build from a folder with the record stored (a reader of what
    // an earlier start stored: without) and waits until its start-up is over.
    void Start(const std::wstring& folder, const wchar_t* exe, bool storeRecord = true) {
        run.folder = folder;
        run.storeRecord = storeRecord;
        ASSERT_TRUE(run.Start(exe));
    }
    void Stop() { run.Stop(); }
    TConfiguration Stored() { return run.Stored(); }

    // Hands an image to one destination and waits until the file has gone.
    void HandOver(UINT message, int seed) {
        vt::Pixels image(23, 11);
        for (int y = 0; y < image.height; ++y)
            for (int x = 0; x < image.width; ++x) image.At(x, y) = RGB(x * 9, y * 20, seed * 60);
        ASSERT_TRUE(run.HandOver(image, message, 10000));
    }
    bool WaitForFile(const std::wstring& path) {
        return vt::WaitUntil([&] { return vt::FileExists(path) && !vt::ReadFileBytes(path).empty(); }, 10000);
    }

    // A full-screen capture through the Print Screen hotkey (a key without
    // modifiers, so an injected press reaches the hotkey).
    void PressPrintScreen() {
        INPUT keys[2] = {};
        keys[0].type = keys[1].type = INPUT_KEYBOARD;
        keys[0].ki.wVk = keys[1].ki.wVk = VK_SNAPSHOT;
        keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
        ASSERT_EQ(SendInput(2, keys, sizeof(INPUT)), 2u);
    }

    vt::Program run{{.folder = L"程序文件", .notices = vt::Notices::Still}};
    TConfiguration& record = run.record;
    const std::wstring& scratch = run.scratch;
    const std::wstring program = run.folder;
    const vt::Process& running = run.process;
    const std::wstring& log = run.recorderLog;
    std::wstring out;
};

TEST_F(ChineseSystem, TheFileDestinationNumbersAndSavesChineseNamesInAChineseFolder) {
    Start(program, L"Vorlix-cn.exe");
    HandOver(WM_HANDOVER_FILE, 1);
    ASSERT_TRUE(WaitForFile(out + L"截图1.bmp"));
    HandOver(WM_HANDOVER_FILE, 2);
    ASSERT_TRUE(WaitForFile(out + L"截图2.bmp")) << "the number follows the files already there";
    auto first = vt::LoadBmp(out + L"截图1.bmp"), second = vt::LoadBmp(out + L"截图2.bmp");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->At(5, 3), RGB(45, 60, 60));
    EXPECT_EQ(second->At(5, 3), RGB(45, 60, 120));
    EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr);
    EXPECT_EQ(Stored().FileName.str(), Gbk(L"截图")) << "the record is untouched";
}

// Each build stores the Paint it found (in a folder with a Chinese name) in
// the record; the other build, started from another folder where no Paint is
// to be found, reads that path and starts it.
TEST_F(ChineseSystem, ARecordWrittenByOneBuildIsReadByTheOther) {
    struct Case { const wchar_t* writer; const wchar_t* reader; };
    for (const Case& c : {Case{L"Vorlix.exe", L"Vorlix-cn.exe"}, Case{L"Vorlix-cn.exe", L"Vorlix.exe"}}) {
        SCOPED_TRACE(Gbk(c.writer));
        const std::wstring first = vt::Join(scratch, L"写入者 " + std::to_wstring(c.writer == std::wstring(L"Vorlix.exe")));
        const std::wstring second = vt::Join(scratch, L"读取者 " + std::to_wstring(c.writer == std::wstring(L"Vorlix.exe")));
        ASSERT_TRUE(run.CopyProgramTo(first));
        ASSERT_TRUE(run.CopyProgramTo(second));
        const std::wstring paint = vt::CopyRecorderAs(vt::Join(first, L"mspaint.exe"));
        ASSERT_FALSE(paint.empty());
        DeleteFileW(log.c_str());
        record.SendTo[dEditor] = 1;
        record.UseCustomEditor = 1;
        record.CustomEditorPath.clear();
        record.CustomEditorCommandLine = "\"<CAPTURE>\"";
        record.EditorFileName = Gbk(L"编辑");
        record.EditorFormat = ifBMP;

        Start(first, c.writer);
        HandOver(WM_HANDOVER_EDITOR, 3);
        ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= 1; }, 10000));
        ASSERT_TRUE(vt::WaitUntil([&] { return Stored().CustomEditorPath.str() == Gbk(paint); }))
            << "the writer stores the path as GBK bytes";
        Stop();
        const TConfiguration written = Stored();

        Start(second, c.reader, false);
        HandOver(WM_HANDOVER_EDITOR, 4);
        ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= 2; }, 10000));
        const auto records = vt::ReadRecorderLog(log);
        EXPECT_TRUE(vt::SamePath(records[1].exe, paint)) << "the reader starts the stored editor";
        const auto args = vt::SplitCommandLine(records[1].commandLine);
        ASSERT_EQ(args.size(), 2u);
        EXPECT_TRUE(vt::SamePath(args[1], run.Temp(L"编辑1.bmp")));
        EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr);
        Stop();
        const TConfiguration after = Stored();
        EXPECT_EQ(std::memcmp(&after, &written, sizeof after), 0) << "the reader changed nothing";
        DeleteFileW(run.Temp(L"编辑1.bmp").c_str());
    }
}

// The annotation is stamped from GBK bytes with a font that has the glyphs:
// two texts that differ in their last character give different stamps (boxes
// for missing glyphs, or question marks for a lost conversion, would not).
TEST_F(ChineseSystem, AChineseAnnotationIsStampedWithItsOwnGlyphs) {
    record.FileNaming = fnFixed;
    record.AnnotationOn = 1;
    record.AnnotationFontSize = 14;
    record.AnnotationOpacity = 100;
    record.AnnotationBackColor = 0xFFFFFF;
    record.AnnotationFontColor = 0x800000;  // navy, on the black screen
    record.AnnotationPosition.corner = scTopLeft;
    record.AnnotationPosition.x = 300;
    record.AnnotationPosition.y = 300;
    const RECT box{290, 290, 450, 350};
    vt::Pixels stamps[3];
    const wchar_t* texts[3] = {L"截图测试", L"截图测验", L"截图测试"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        record.FileName = "stamp" + std::to_string(i);
        record.AnnotationText = Gbk(texts[i]);
        Start(program, L"Vorlix-cn.exe");
        PressPrintScreen();
        const std::wstring file = out + L"stamp" + std::to_wstring(i) + L".bmp";
        ASSERT_TRUE(WaitForFile(file));
        Stop();
        auto image = vt::LoadBmp(file);
        ASSERT_TRUE(image);
        stamps[i] = vt::Pixels(box.right - box.left, box.bottom - box.top);
        for (int y = box.top; y < box.bottom; ++y)
            for (int x = box.left; x < box.right; ++x) stamps[i].At(x - box.left, y - box.top) = image->At(x, y);
    }
    const int background = stamps[0].Count(RGB(255, 255, 255)), screen = stamps[0].Count(RGB(0, 0, 0));
    const int ink = int(stamps[0].data.size()) - background - screen;
    EXPECT_GT(background, 500) << "the box is drawn";
    EXPECT_GT(ink, 100) << "the text is drawn";
    EXPECT_TRUE(stamps[0].data == stamps[2].data) << "the same text, the same stamp";
    EXPECT_FALSE(stamps[0].data == stamps[1].data) << "another last character, another stamp";
}

// A record from the English build on a Western system: its strings hold bytes
// that are no GBK text. The Chinese build stamps such an annotation without
// failing, and when it stores the record (here: the Paint it found) every
// such string is stored back byte for byte.
TEST_F(ChineseSystem, BytesThatAreNoGbkTextAreStampedAndStoredBackUnchanged) {
    const std::string foreign = "Gr\xFC\xDF" "e \xFF\x81\x20" "caf\xE9\x80";
    record.FileNaming = fnFixed;
    record.FileName = "foreign";
    record.AnnotationOn = 1;
    record.AnnotationText = foreign;
    record.MailSubject = foreign;
    record.MailTo = foreign;
    record.SmtpBody = foreign;
    record.FtpPath = foreign;
    record.WebFileName = foreign;
    record.MailClient = mcSmtp;  // what the start-up sets where no mail program is installed
    record.SendTo[dEditor] = 1;
    record.UseCustomEditor = 1;
    record.CustomEditorPath.clear();
    record.CustomEditorCommandLine = "\"<CAPTURE>\"";
    ASSERT_FALSE(vt::CopyRecorderAs(vt::Join(program, L"mspaint.exe")).empty());
    Start(program, L"Vorlix-cn.exe");
    PressPrintScreen();
    ASSERT_TRUE(WaitForFile(out + L"foreign.bmp"));
    ASSERT_TRUE(vt::WaitUntil([&] { return !Stored().CustomEditorPath.empty(); })) << "the record was stored";
    EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr);
    EXPECT_TRUE(running.Running());
    Stop();
    TConfiguration stored = Stored();
    for (const std::string& bytes : {stored.AnnotationText.str(), stored.MailSubject.str(), stored.MailTo.str(),
                                     stored.SmtpBody.str(), stored.FtpPath.str(), stored.WebFileName.str()})
        EXPECT_EQ(bytes, foreign);
    std::memcpy(&stored.CustomEditorPath, &record.CustomEditorPath, sizeof stored.CustomEditorPath);
    const auto* a = reinterpret_cast<const uint8_t*>(&stored);
    const auto* b = reinterpret_cast<const uint8_t*>(&record);
    for (size_t i = 0; i < sizeof stored; ++i) EXPECT_EQ(a[i], b[i]) << "record byte " << i << " changed";
}

// The helpers that both builds start (the uploader, the mail sender, the
// Outlook helper) report their failures in the language of the system:
// here, started without arguments.
TEST(ChineseHelpers, TheHelpersReportInChinese) {
    ASSERT_EQ(GetACP(), 936u);
    struct Helper {
        const wchar_t* exe;
        const wchar_t* caption;
        const wchar_t* text;
        DWORD exitCode;
    } helpers[] = {
        {L"trabbon.exe", L"Trabbon", L"Trabbon 启动参数错误。请重新安装 Vorlix。", 2},
        {L"sulvane.exe", L"Vorlix 邮件", L"无法通过电子邮件发送您的图像。\r\n邮件发送程序的启动参数有误。", 1},
        {L"pradomel.exe", L"Vorlix 邮件", L"无法将您的图像放入新的 Outlook 邮件。\r\nOutlook 辅助程序的启动参数有误。", 2},
    };
    for (const Helper& h : helpers) {
        SCOPED_TRACE(vt::Utf8(h.exe));
        vt::Process helper = vt::Process::Start(vt::BinFile(h.exe), L"");
        ASSERT_TRUE(helper);
        HWND box = vt::WaitForMessageBox(helper.Id(), h.caption, 10000);
        ASSERT_TRUE(box);
        EXPECT_EQ(vt::ReadMessageBox(box).text, h.text);
        ASSERT_TRUE(vt::PressButton(box, L"确定"));
        ASSERT_TRUE(helper.Wait());
        EXPECT_EQ(helper.ExitCode(), h.exitCode);
    }
}

}  // namespace
