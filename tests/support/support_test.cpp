// The test helpers themselves, against real processes, windows, registry,
// screen and clipboard of the Wine prefix.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <set>

#include "support/text_fit.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kBoxCaption[] = L"Support Box";
const wchar_t kBoxText[] = L"First line\nSecond line \u00e4\u00f6\u00fc \u4e2d\u6587";

TEST(Paths, BinDirHoldsTheProgramsAndScratchIsFresh) {
    EXPECT_TRUE(vt::FileExists(vt::RecorderExe()));
    EXPECT_TRUE(vt::FileExists(vt::BinFile(L"support_box_child.exe")));

    std::wstring dir = vt::ScratchDir();
    EXPECT_NE(dir.find(L"Paths.BinDirHoldsTheProgramsAndScratchIsFresh"), std::wstring::npos);
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(dir, L"sub dir\\a.bin"), std::string("x\0y", 3)));
    EXPECT_EQ(vt::ReadFileBytes(vt::Join(dir, L"sub dir\\a.bin")), std::string("x\0y", 3));
    ASSERT_TRUE(vt::CopyFileTo(vt::Join(dir, L"sub dir\\a.bin"), vt::Join(dir, L"new\\deeper\\b.bin")));
    EXPECT_TRUE(vt::FileExists(vt::Join(dir, L"new\\deeper\\b.bin")));

    EXPECT_EQ(vt::ScratchDir(), dir);
    EXPECT_FALSE(vt::FileExists(vt::Join(dir, L"sub dir\\a.bin")));
    EXPECT_TRUE(vt::SamePath(dir + L"\\", dir));
}

// ---- A message box in another process -------------------------------------------

struct BoxCase {
    UINT type;
    const wchar_t* press;  // nullptr: close the box instead
    std::vector<std::wstring> buttons;
    DWORD exitCode;
};

TEST(MessageBoxes, BoxOfAChildIsReadAndAnswered) {
    const BoxCase cases[] = {
        {MB_OKCANCEL, L"OK", {L"OK", L"Cancel"}, 100 + IDOK},
        {MB_OKCANCEL, L"cancel", {L"OK", L"Cancel"}, 100 + IDCANCEL},
        {MB_YESNOCANCEL, L"&No", {L"Yes", L"No", L"Cancel"}, 100 + IDNO},
        {MB_OKCANCEL, nullptr, {L"OK", L"Cancel"}, 100 + IDCANCEL},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.press ? c.press : L"(close)");
        vt::Process child = vt::Process::Start(vt::BinFile(L"support_box_child.exe"), std::to_wstring(c.type));
        ASSERT_TRUE(child);
        HWND box = vt::WaitForMessageBox(child.Id(), kBoxCaption, 10000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(vt::FindMessageBox(child.Id(), L"Another Caption"), nullptr);
        EXPECT_EQ(vt::FindMessageBox(GetCurrentProcessId()), nullptr);
        EXPECT_EQ(vt::FindMessageBox(0, kBoxCaption), box);

        vt::WindowState state = vt::ReadWindow(box);
        EXPECT_EQ(state.className, L"#32770");
        EXPECT_TRUE(state.visible);
        EXPECT_EQ(state.processId, child.Id());

        vt::MessageBoxInfo info = vt::ReadMessageBox(box);
        EXPECT_EQ(info.caption, kBoxCaption);
        EXPECT_EQ(info.text, kBoxText);
        std::vector<std::wstring> buttons = info.buttons;
        std::sort(buttons.begin(), buttons.end());
        std::vector<std::wstring> expected = c.buttons;
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(buttons, expected);

        EXPECT_FALSE(vt::PressButton(box, L"Retry"));
        if (c.press)
            EXPECT_TRUE(vt::PressButton(box, c.press));
        else
            EXPECT_TRUE(vt::CloseDialog(box));
        ASSERT_TRUE(child.Wait(10000));
        EXPECT_EQ(child.ExitCode(), c.exitCode);
        EXPECT_TRUE(vt::WaitGone(box, 1000));
    }
}

TEST(MessageBoxes, AnswererAnswersOurOwnModalBoxes) {
    vt::BoxAnswerer answerer([](const vt::MessageBoxInfo& box) -> std::wstring {
        return box.caption == L"First" ? L"No" : L"OK";
    });
    EXPECT_EQ(MessageBoxW(nullptr, L"Replace it?", L"First", MB_YESNO | MB_ICONQUESTION), IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, L"Done.", L"Second", MB_OK), IDOK);
    auto seen = answerer.Seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, L"Replace it?");
    EXPECT_EQ(seen[1].caption, L"Second");
}

// ---- Processes ---------------------------------------------------------------------

TEST(Processes, WaitTimesOutAndKillEndsTheChild) {
    vt::Process child = vt::Process::Start(vt::BinFile(L"support_box_child.exe"), L"0");
    ASSERT_TRUE(child);
    ASSERT_NE(vt::WaitForMessageBox(child.Id(), kBoxCaption, 10000), nullptr);
    EXPECT_FALSE(child.Wait(200));
    EXPECT_TRUE(child.Running());
    EXPECT_EQ(child.ExitCode(), STILL_ACTIVE);
    child.Kill(7);
    EXPECT_FALSE(child.Running());
    EXPECT_EQ(child.ExitCode(), 7u);

    EXPECT_FALSE(vt::Process::Start(vt::BinFile(L"no such program.exe")));
}

// ---- Windows of our own process --------------------------------------------------------

const wchar_t kTestClass[] = L"VorlixSupportTestWindow";
int g_posted = 0;
COLORREF g_fill = RGB(255, 0, 0);

LRESULT CALLBACK TestProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    switch (m) {
    case WM_USER + 7: ++g_posted; return 0;
    case WM_USER + 8: return 1234;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(w, &ps);
        RECT r;
        GetClientRect(w, &r);
        HBRUSH fill = CreateSolidBrush(g_fill), square = CreateSolidBrush(RGB(0, 0, 255));
        FillRect(dc, &r, fill);
        RECT s{5, 5, 15, 15};
        FillRect(dc, &s, square);
        DeleteObject(fill);
        DeleteObject(square);
        EndPaint(w, &ps);
        return 0;
    }
    }
    return DefWindowProcW(w, m, wp, lp);
}

class Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = TestProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kTestClass;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        RegisterClassW(&wc);
    }
    HWND Create(DWORD ex, DWORD style, const wchar_t* title, int x, int y, int w, int h, HWND parent = nullptr) {
        HWND window = CreateWindowExW(ex, kTestClass, title, style, x, y, w, h, parent, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
        if (window) windows_.push_back(window);
        return window;
    }
    void TearDown() override {
        for (HWND w : windows_) DestroyWindow(w);
    }
    std::vector<HWND> windows_;
};

TEST_F(Windows, FindsHiddenAndMessageOnlyWindowsAndReadsThem) {
    HWND hidden = Create(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WS_POPUP, L"Hidden One", -500, 3, 138, 15);
    HWND messageOnly = Create(0, 0, L"Message Only", 0, 0, 0, 0, HWND_MESSAGE);
    ASSERT_TRUE(hidden && messageOnly);

    const DWORD self = GetCurrentProcessId();
    std::vector<HWND> found = vt::FindWindows(self, kTestClass);
    EXPECT_EQ(std::set<HWND>(found.begin(), found.end()), (std::set<HWND>{hidden, messageOnly}));
    EXPECT_EQ(vt::FindWindowOf(self, kTestClass, L"Hidden One"), hidden);
    EXPECT_EQ(vt::FindWindowOf(0, nullptr, L"Message Only"), messageOnly);
    EXPECT_EQ(vt::FindWindowOf(self + 4, kTestClass), nullptr);
    EXPECT_EQ(vt::WaitForWindow(self, kTestClass, L"Never There", 100), nullptr);

    vt::WindowState s = vt::ReadWindow(hidden);
    EXPECT_EQ(s.className, kTestClass);
    EXPECT_EQ(s.title, L"Hidden One");
    EXPECT_TRUE(s.style & WS_POPUP);
    EXPECT_FALSE(s.style & WS_VISIBLE);
    EXPECT_EQ(s.exStyle & (WS_EX_TOOLWINDOW | WS_EX_TOPMOST), WS_EX_TOOLWINDOW | WS_EX_TOPMOST);
    EXPECT_EQ(s.rect.left, -500);
    EXPECT_EQ(s.rect.right - s.rect.left, 138);
    EXPECT_EQ(s.rect.bottom - s.rect.top, 15);
    EXPECT_FALSE(s.visible);
    EXPECT_EQ(s.processId, self);

    g_posted = 0;
    EXPECT_TRUE(vt::Post(messageOnly, WM_USER + 7));
    EXPECT_TRUE(vt::WaitUntil([] { return g_posted == 1; }, 2000));
    EXPECT_EQ(vt::Send(hidden, WM_USER + 8), 1234);
    EXPECT_FALSE(vt::WaitUntil([] { return false; }, 50));
}

TEST_F(Windows, ScreenPixelsAndBmpFilesRoundTrip) {
    g_fill = RGB(255, 0, 0);
    HWND w = Create(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, L"Painted", 100, 120, 60, 40);
    ASSERT_TRUE(w);
    ShowWindow(w, SW_SHOWNOACTIVATE);
    UpdateWindow(w);
    vt::PumpFor(150);

    RECT area{100, 120, 160, 160};
    vt::Pixels shot = vt::CaptureScreen(area);
    ASSERT_EQ(shot.width, 60);
    ASSERT_EQ(shot.height, 40);
    EXPECT_EQ(shot.At(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(shot.At(59, 39), RGB(255, 0, 0));
    EXPECT_EQ(shot.At(5, 5), RGB(0, 0, 255));
    EXPECT_EQ(shot.At(14, 14), RGB(0, 0, 255));
    EXPECT_EQ(shot.Count(RGB(0, 0, 255)), 100);
    EXPECT_EQ(vt::ScreenPixel(130, 150), RGB(255, 0, 0));

    std::wstring dir = vt::ScratchDir();
    std::wstring file = vt::Join(dir, L"shot.bmp");
    ASSERT_TRUE(vt::SaveScreenBmp(area, file));
    EXPECT_EQ(vt::ReadFileBytes(file).size(), 54u + 180u * 40u);
    auto loaded = vt::LoadBmp(file);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded->data, shot.data);

    std::string truncated = vt::ReadFileBytes(file).substr(0, 200);
    vt::WriteFileBytes(vt::Join(dir, L"short.bmp"), truncated);
    EXPECT_FALSE(vt::LoadBmp(vt::Join(dir, L"short.bmp")));
    EXPECT_FALSE(vt::LoadBmp(vt::Join(dir, L"missing.bmp")));
}

TEST(Pixels, DecodesIndexedAndTopDownDibs) {
    // 8-bit, 3 x 2, two palette entries, bottom-up: bottom row 0 1 0, top row 1 1 0.
    struct {
        BITMAPINFOHEADER h;
        RGBQUAD colours[2];
        uint8_t bits[8];
    } indexed{};
    indexed.h = {sizeof(BITMAPINFOHEADER), 3, 2, 1, 8, BI_RGB, 0, 0, 0, 2, 0};
    indexed.colours[0] = {0x30, 0x20, 0x10, 0};  // blue, green, red
    indexed.colours[1] = {0xFF, 0xFF, 0xFF, 0};
    const uint8_t rows[8] = {0, 1, 0, 0, 1, 1, 0, 0};
    memcpy(indexed.bits, rows, 8);
    auto p = vt::DecodeDib(&indexed, sizeof indexed);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->At(0, 0), RGB(255, 255, 255));
    EXPECT_EQ(p->At(2, 0), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(p->At(0, 1), RGB(0x10, 0x20, 0x30));
    EXPECT_EQ(p->At(1, 1), RGB(255, 255, 255));

    // 32-bit top-down, 2 x 1.
    struct {
        BITMAPINFOHEADER h;
        uint32_t bits[2];
    } top{};
    top.h = {sizeof(BITMAPINFOHEADER), 2, -1, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    top.bits[0] = 0x00112233;
    top.bits[1] = 0x00AABBCC;
    p = vt::DecodeDib(&top, sizeof top);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->At(0, 0), RGB(0x11, 0x22, 0x33));
    EXPECT_EQ(p->At(1, 0), RGB(0xAA, 0xBB, 0xCC));

    EXPECT_FALSE(vt::DecodeDib(&top, sizeof top - 1));  // bits cut short
}

TEST(Clipboard, ImageRoundTripThroughDibAndBitmap) {
    vt::Pixels image(3, 2);
    image.At(0, 0) = RGB(255, 0, 0);
    image.At(1, 0) = RGB(0, 255, 0);
    image.At(2, 0) = RGB(0, 0, 255);
    image.At(0, 1) = RGB(1, 2, 3);
    image.At(1, 1) = RGB(250, 251, 252);
    image.At(2, 1) = RGB(128, 128, 128);
    ASSERT_TRUE(vt::PutClipboardImage(image));

    auto formats = vt::ClipboardFormats();
    EXPECT_NE(std::find(formats.begin(), formats.end(), UINT(CF_DIB)), formats.end());
    auto dib = vt::ClipboardDib();
    ASSERT_TRUE(dib);
    EXPECT_EQ(dib->data, image.data);
    auto bitmap = vt::ClipboardBitmap();
    ASSERT_TRUE(bitmap);
    EXPECT_EQ(bitmap->data, image.data);

    ASSERT_TRUE(vt::EmptyTheClipboard());
    EXPECT_TRUE(vt::ClipboardFormats().empty());
    EXPECT_FALSE(vt::ClipboardDib());
}

// ---- Registry -----------------------------------------------------------------------------

TEST(Registry, ValuesOfEveryTypeRoundTrip) {
    const std::wstring key = L"Software\\Vorlix Support Test";
    ASSERT_TRUE(vt::DeleteKeyTree(key));
    EXPECT_FALSE(vt::ReadValue(key, L"x"));
    EXPECT_TRUE(vt::ValueNames(key).empty());

    const uint8_t record[5] = {1, 0, 2, 0, 0xFF};
    const uint64_t quad = 0x0102030405060708ull;
    const wchar_t multi[] = L"a\0bc\0";
    ASSERT_TRUE(vt::WriteValue(key, L"", REG_BINARY, record, sizeof record));
    ASSERT_TRUE(vt::WriteValue(key, L"Empty", REG_BINARY, nullptr, 0));
    ASSERT_TRUE(vt::WriteValue(key, L"Quad", REG_QWORD, &quad, sizeof quad));
    ASSERT_TRUE(vt::WriteValue(key, L"Multi", REG_MULTI_SZ, multi, sizeof multi));
    ASSERT_TRUE(vt::WriteDword(key, L"Training", 1));
    ASSERT_TRUE(vt::WriteString(key, L"Last Node", L"Capture \u00e4"));
    // A value of the wrong type, as a damaged or hand-edited registry holds it.
    ASSERT_TRUE(vt::WriteString(key, L"Wrong", L"1"));
    ASSERT_TRUE(vt::WriteValue(key, L"Short", REG_BINARY, record, 4));
    ASSERT_TRUE(vt::WriteValue(key + L"\\Schema", L"Set", REG_BINARY, record, 1));

    auto v = vt::ReadValue(key, L"");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, DWORD(REG_BINARY));
    EXPECT_EQ(v->data, std::vector<uint8_t>(record, record + 5));
    v = vt::ReadValue(key, L"Empty");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, DWORD(REG_BINARY));
    EXPECT_TRUE(v->data.empty());
    v = vt::ReadValue(key, L"Quad");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, DWORD(REG_QWORD));
    EXPECT_EQ(v->data.size(), 8u);
    v = vt::ReadValue(key, L"Multi");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->type, DWORD(REG_MULTI_SZ));
    EXPECT_EQ(v->data.size(), sizeof multi);

    EXPECT_EQ(vt::ReadDword(key, L"Training"), 1u);
    EXPECT_EQ(vt::ReadString(key, L"Last Node"), L"Capture \u00e4");
    EXPECT_EQ(vt::ReadValue(key, L"Wrong")->type, DWORD(REG_SZ));
    EXPECT_FALSE(vt::ReadDword(key, L"Wrong"));
    EXPECT_FALSE(vt::ReadDword(key, L"Short"));
    EXPECT_FALSE(vt::ReadString(key, L"Training"));

    std::vector<std::wstring> names = vt::ValueNames(key);
    EXPECT_EQ(std::set<std::wstring>(names.begin(), names.end()),
              (std::set<std::wstring>{L"", L"Empty", L"Quad", L"Multi", L"Training", L"Last Node", L"Wrong", L"Short"}));

    EXPECT_TRUE(vt::DeleteValue(key, L"Wrong"));
    EXPECT_FALSE(vt::ReadValue(key, L"Wrong"));
    EXPECT_FALSE(vt::DeleteValue(key, L"Wrong"));

    EXPECT_TRUE(vt::DeleteKeyTree(key));
    EXPECT_FALSE(vt::KeyExists(key + L"\\Schema"));
    EXPECT_FALSE(vt::KeyExists(key));
    EXPECT_TRUE(vt::DeleteKeyTree(key));  // already gone
}

// ---- Recorder -----------------------------------------------------------------------------

const wchar_t kLogVariable[] = L"VORLIX_RECORDER_LOG";

TEST(Recorder, RecordsPathCommandLineAndFolderOfRenamedCopies) {
    std::wstring dir = vt::ScratchDir();
    std::wstring mail = vt::CopyRecorderAs(vt::Join(dir, L"Program Files (x86)\\Brannet Mail\\brannet.exe"));
    std::wstring paint = vt::CopyRecorderAs(vt::Join(dir, L"windows\\mspaint.exe"));
    ASSERT_FALSE(mail.empty());
    ASSERT_FALSE(paint.empty());
    std::wstring work = vt::Join(dir, L"work dir");
    ASSERT_TRUE(vt::MakeDirs(work));
    std::wstring log = vt::Join(dir, L"log dir\\recorder log.txt");
    ASSERT_TRUE(vt::MakeDirs(vt::Join(dir, L"log dir")));

    // Blanks, quotes, a literal %, a tab, a line break and non-ASCII text.
    const std::wstring args =
        L"/send \"C:\\My Pictures\\shot 1.bmp\" 100%25 %TEMP% tab\there line\r\nbreak \u00fc\u4e2d";
    vt::Process first = vt::Process::Start(mail, args, work, {{kLogVariable, log}});
    ASSERT_TRUE(first);
    ASSERT_TRUE(first.Wait());
    EXPECT_EQ(first.ExitCode(), 0u);
    vt::Process second = vt::Process::Start(paint, L"", dir, {{kLogVariable, log}});
    ASSERT_TRUE(second);
    ASSERT_TRUE(second.Wait());
    EXPECT_EQ(second.ExitCode(), 0u);

    std::string raw = vt::ReadFileBytes(log);
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), 2);
    auto records = vt::ReadRecorderLog(log);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(vt::SamePath(records[0].exe, mail)) << records[0].exe;
    EXPECT_EQ(records[0].commandLine, L"\"" + mail + L"\" " + args);
    EXPECT_TRUE(vt::SamePath(records[0].workDir, work)) << records[0].workDir;
    auto split = vt::SplitCommandLine(records[0].commandLine);
    ASSERT_EQ(split.size(), 9u);
    EXPECT_EQ(split[2], L"C:\\My Pictures\\shot 1.bmp");
    EXPECT_EQ(split[3], L"100%25");
    EXPECT_EQ(records[0].show, -1) << "started without a show state";

    EXPECT_TRUE(vt::SamePath(records[1].exe, paint)) << records[1].exe;
    EXPECT_EQ(records[1].commandLine, L"\"" + paint + L"\"");
    EXPECT_TRUE(vt::SamePath(records[1].workDir, dir));
}

TEST(Recorder, WritesNothingWithoutTheVariable) {
    std::wstring dir = vt::ScratchDir();
    std::wstring log = vt::Join(dir, L"log.txt");
    vt::ScopedEnv inherited(kLogVariable, log);

    vt::Process removed = vt::Process::Start(vt::RecorderExe(), L"x", L"", {{kLogVariable, L""}});
    ASSERT_TRUE(removed && removed.Wait());
    EXPECT_EQ(removed.ExitCode(), 0u);
    EXPECT_FALSE(vt::FileExists(log));

    vt::Process inheriting = vt::Process::Start(vt::RecorderExe(), L"y");
    ASSERT_TRUE(inheriting && inheriting.Wait());
    auto records = vt::ReadRecorderLog(log);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(vt::SplitCommandLine(records[0].commandLine).back(), L"y");
}

TEST(Recorder, CopiesRunningAtOnceKeepTheirLinesWhole) {
    std::wstring dir = vt::ScratchDir();
    std::wstring log = vt::Join(dir, L"log.txt");
    std::vector<vt::Process> running;
    std::set<std::wstring> expected;
    for (int i = 0; i < 8; ++i) {
        std::wstring arg(3000, wchar_t(L'a' + i));
        expected.insert(arg);
        running.push_back(vt::Process::Start(vt::RecorderExe(), arg, L"", {{kLogVariable, log}}));
        ASSERT_TRUE(running.back());
    }
    for (auto& p : running) ASSERT_TRUE(p.Wait());
    std::set<std::wstring> got;
    for (const auto& r : vt::ReadRecorderLog(log)) got.insert(vt::SplitCommandLine(r.commandLine).back());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(vt::ReadRecorderLog(log).size(), 8u);
}

// The text measure: a text too long for its static, check box or group box is
// found, one with room is not, and a static without text is reported empty.
TEST(TextFit, FindsTextsTooLongForTheirControlsAndEmptyOnes) {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 200, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_TRUE(parent);
    auto child = [&](const wchar_t* cls, const wchar_t* text, DWORD style, int id, int w, int h) {
        return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | style, 0, id * 20, w, h, parent,
                               HMENU(INT_PTR(id)), nullptr, nullptr);
    };
    child(L"STATIC", L"按住鼠标右键，或使用热键，即可开始截图。", SS_LEFT, 1, 40, 12);
    child(L"BUTTON", L"包含鼠标指针和很长的说明文字", BS_AUTOCHECKBOX, 2, 60, 16);
    child(L"STATIC", L"关闭", SS_LEFT, 3, 200, 40);
    child(L"STATIC", L"", SS_LEFT, 4, 50, 12);
    child(L"BUTTON", L" A caption far too long for it ", BS_GROUPBOX, 5, 60, 18);
    child(L"BUTTON", L" Zoom ", BS_GROUPBOX, 6, 200, 18);
    const std::vector<std::string> clipped = look::ClippedTexts(parent);
    ASSERT_EQ(clipped.size(), 3u) << ::testing::PrintToString(clipped);
    EXPECT_EQ(clipped[0].substr(0, 2), "1 ");
    EXPECT_EQ(clipped[1].substr(0, 2), "2 ");
    EXPECT_EQ(clipped[2].substr(0, 2), "5 ");
    EXPECT_EQ(look::EmptyTexts(parent), std::vector<std::string>{"4 Static"});
    DestroyWindow(parent);
}

}  // namespace
