// The first-run tutorial and the about box of the running program: when the
// tutorial comes and goes, what it shows, the "Training" value it leaves, and
// the about box opened from the tray menu with its link.
#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "support/program.h"
#include "support/vorlix_test.h"
#include "version.h"

namespace {

const wchar_t kTutorialCaption[] = L"Vorlix - Create your first screenshot in two easy steps.";
const wchar_t kAboutCaption[] = L"About Vorlix Tessavue";
const WPARAM kDown = VK_DOWN;

// The picture resources of the program (its own bitmaps).
constexpr int kStepOnePicture = 2310, kStepTwoPicture = 2311, kTrayPicture = 2312, kCompanyPicture = 2313;

class Tutorial : public ::testing::Test {
protected:
    void SetUp() override {
        // A first run: nothing stored, unless a test stores it.
        run.storeRecord = false;
        run.training.reset();
    }
    void TearDown() override { Stop(); }

    // Starts the program and waits until its start-up is over.
    void Start(const wchar_t* exe = L"Vorlix.exe") { ASSERT_TRUE(run.Start(exe)); }
    void Stop() { EXPECT_TRUE(run.Stop()); }
    HWND WaitForDialog(const wchar_t* caption, DWORD ms = 10000) {
        HWND w = vt::WaitForWindow(program.Id(), L"#32770", caption, ms);
        // Found as soon as it exists; its controls are there once it shows.
        if (w) vt::WaitUntil([&] { return IsWindowVisible(w) != FALSE; }, ms);
        return w;
    }
    // The stored "Training" flag; a missing value reads as on.
    bool TrainingStored() {
        const auto v = vt::ReadDword(vt::kConfigurationKey, L"Training");
        return !v || *v != 0;
    }
    HWND Application() { return vt::FindWindowOf(program.Id(), L"TApplication"); }

    vt::Program run;
    const vt::Process& program = run.process;
    const HWND& main = run.main;
    const std::wstring& log = run.recorderLog;
};

// Texts of the visible controls of a dialog, in tab order, pictures left out.
std::vector<std::wstring> Texts(HWND dialog) {
    std::vector<std::wstring> texts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP && vt::ClassOf(child) == L"Static")
            continue;
        texts.push_back(vt::WindowText(child));
    }
    return texts;
}

// The picture controls of a dialog, in order.
std::vector<HWND> Pictures(HWND dialog) {
    std::vector<HWND> pictures;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (vt::ClassOf(child) == L"Static" && (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            pictures.push_back(child);
    return pictures;
}

// A bitmap resource of a program file, as pixels.
std::optional<vt::Pixels> ResourcePicture(const wchar_t* exe, int id) {
    HMODULE module = LoadLibraryExW(vt::BinFile(exe).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::nullopt;
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageW(module, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    std::optional<vt::Pixels> pixels;
    if (bitmap) pixels = vt::BitmapPixels(bitmap);
    if (bitmap) DeleteObject(bitmap);
    FreeLibrary(module);
    return pixels;
}

RECT ScreenRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}

// What the screen shows in the top-left corner of a control equals the
// program's picture of that id.
void ExpectPictureShown(HWND control, const wchar_t* exe, int id) {
    const auto picture = ResourcePicture(exe, id);
    ASSERT_TRUE(picture) << "no picture " << id;
    const RECT r = ScreenRect(control);
    const vt::Pixels shown = vt::CaptureScreen(RECT{r.left, r.top, r.left + picture->width, r.top + picture->height});
    EXPECT_EQ(shown.data, picture->data) << "picture " << id;
}

void ExpectCentred(HWND w) {
    const RECT r = ScreenRect(w);
    EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 2);
}

TEST_F(Tutorial, AFirstRunShowsItInFrontUntilSwitchedOff) {
    Start();
    HWND tutorial = WaitForDialog(kTutorialCaption);
    ASSERT_TRUE(tutorial);
    ASSERT_TRUE(vt::WaitUntil([&] { return GetForegroundWindow() == tutorial; })) << "in front";
    const vt::WindowState state = vt::ReadWindow(tutorial);
    EXPECT_TRUE(state.visible);
    EXPECT_TRUE(state.style & WS_CAPTION);
    EXPECT_FALSE(state.style & WS_THICKFRAME) << "a single border";
    EXPECT_EQ(GetWindow(tutorial, GW_OWNER), Application());
    ExpectCentred(tutorial);
    EXPECT_EQ(Texts(tutorial), (std::vector<std::wstring>{
                                   L"Create your first screenshot in two easy steps.",
                                   L"Press and hold the right mouse button.",
                                   L"The cursor will turn into a crosshair.",
                                   L"Drag with the left mouse button and release the mouse.",
                                   L"Vorlix will ask for a file name to save your screenshot.",
                                   L"Right-click on the icon to see the Menu.",
                                   L"Left-click on the icon to see Options Panel.",
                                   L"Don't show again",
                                   L"Close",
                               }));
    // The two steps and the tray, each picture beside its texts.
    const std::vector<HWND> pictures = Pictures(tutorial);
    ASSERT_EQ(pictures.size(), 3u);
    vt::PumpFor(300);
    ExpectPictureShown(pictures[0], L"Vorlix.exe", kStepOnePicture);
    ExpectPictureShown(pictures[1], L"Vorlix.exe", kStepTwoPicture);
    ExpectPictureShown(pictures[2], L"Vorlix.exe", kTrayPicture);

    // Another window in front; activating the main window brings the
    // tutorial back.
    HWND other = CreateWindowExW(0, L"STATIC", L"Other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 300, 200, nullptr,
                                 nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ASSERT_TRUE(vt::WaitUntil([&] { return GetForegroundWindow() == other; }));
    SetForegroundWindow(main);
    EXPECT_TRUE(vt::WaitUntil([&] { return GetForegroundWindow() == tutorial; }));
    DestroyWindow(other);

    // "Don't show again", then Close: gone, and "Training" stored as 0.
    HWND check = nullptr;
    for (HWND b : vt::ChildWindows(tutorial, L"Button"))
        if (vt::WindowText(b) == L"Don't show again") check = b;
    ASSERT_TRUE(check);
    ASSERT_TRUE(vt::Post(check, BM_CLICK));
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::Send(check, BM_GETCHECK) == BST_CHECKED; }));
    ASSERT_TRUE(vt::PressButton(tutorial, L"Close"));
    EXPECT_TRUE(vt::WaitGone(tutorial));
    EXPECT_TRUE(vt::WaitUntil([&] { return !IsWindow(tutorial); })) << "the window is freed";
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::ReadDword(vt::kConfigurationKey, L"Training") == DWORD(0); }));
    EXPECT_TRUE(program.Running());
    Stop();

    // The next start shows nothing.
    Start();
    EXPECT_EQ(WaitForDialog(kTutorialCaption, 1500), nullptr);
}

TEST_F(Tutorial, ClosedAnyOtherWayItComesAgainAtTheNextStart) {
    struct Way {
        const char* name;
        void (*close)(HWND tutorial);
    };
    const Way ways[] = {
        {"Close with the box clear", [](HWND t) { vt::PressButton(t, L"Close"); }},
        {"the window's close box", [](HWND t) { vt::Post(t, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Esc", [](HWND t) { vt::Post(t, WM_COMMAND, IDCANCEL, 0); }},
    };
    for (const Way& way : ways) {
        SCOPED_TRACE(way.name);
        Start();
        HWND tutorial = WaitForDialog(kTutorialCaption);
        ASSERT_TRUE(tutorial);
        way.close(tutorial);
        EXPECT_TRUE(vt::WaitGone(tutorial));
        vt::PumpFor(200);
        EXPECT_TRUE(TrainingStored());
        Stop();
    }
    Start();
    EXPECT_TRUE(WaitForDialog(kTutorialCaption));
}

TEST_F(Tutorial, TheAboutBoxIsModalOnTopAndItsLinkOpensTheProductPage) {
    ASSERT_TRUE(vt::WriteDword(vt::kConfigurationKey, L"Training", 0));
    Start();
    EXPECT_EQ(WaitForDialog(kTutorialCaption, 500), nullptr);
    const auto chooseAbout = [&] { return vt::ChooseFromTrayMenu(program.Id(), {kDown, kDown, kDown, kDown, kDown, kDown}); };
    ASSERT_TRUE(chooseAbout());
    HWND about = WaitForDialog(kAboutCaption);
    ASSERT_TRUE(about);
    const vt::WindowState state = vt::ReadWindow(about);
    EXPECT_TRUE(state.exStyle & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(about, GW_OWNER), Application());
    EXPECT_FALSE(IsWindowEnabled(Application())) << "modal";
    ExpectCentred(about);
    const std::vector<std::wstring> texts = Texts(about);
    ASSERT_EQ(texts.size(), 6u);
    EXPECT_EQ(texts[0], L"Vorlix Tessavue");
    EXPECT_EQ(texts[1], L"Version:");
    EXPECT_EQ(texts[2], L"" VORLIX_VERSION_TEXT) << "the version of the version resources";
    EXPECT_EQ(texts[3], L"https://www.vorlix.com/");
    EXPECT_NE(texts[4].find(L"copyright"), std::wstring::npos) << "the legal notice";
    EXPECT_EQ(texts[5], L"Close");
    const std::vector<HWND> pictures = Pictures(about);
    ASSERT_EQ(pictures.size(), 1u);
    vt::PumpFor(300);
    ExpectPictureShown(pictures[0], L"Vorlix.exe", kCompanyPicture);

    // A second About while the box is open opens nothing.
    ASSERT_TRUE(chooseAbout());
    vt::PumpFor(500);
    EXPECT_EQ(vt::FindWindows(program.Id(), L"#32770", kAboutCaption).size(), 1u);

    // The pointer over the link underlines it; over the rest of the box the
    // underline goes.
    HWND link = nullptr;
    for (HWND s : vt::ChildWindows(about, L"Static"))
        if (vt::WindowText(s) == L"https://www.vorlix.com/") link = s;
    ASSERT_TRUE(link);
    RECT r = ScreenRect(link);
    POINT onLink{r.left + 10, (r.top + r.bottom) / 2};
    ScreenToClient(about, &onLink);
    const vt::Pixels plain = vt::CaptureScreen(r);
    vt::Post(about, WM_MOUSEMOVE, 0, MAKELPARAM(onLink.x, onLink.y));
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::CaptureScreen(r).data != plain.data; })) << "underlined";
    vt::Post(about, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(vt::WaitUntil([&] { return vt::CaptureScreen(r).data == plain.data; })) << "underline removed";

    // A click on the link opens the product's page and closes the box.
    vt::Post(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(onLink.x, onLink.y));
    vt::Post(about, WM_LBUTTONUP, 0, MAKELPARAM(onLink.x, onLink.y));
    EXPECT_TRUE(vt::WaitGone(about));
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() == 1; }, 10000));
    const auto args = vt::SplitCommandLine(vt::ReadRecorderLog(log)[0].commandLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_EQ(args[1], L"https://www.vorlix.com/tessavue/");
    EXPECT_TRUE(vt::WaitUntil([&] { return IsWindowEnabled(Application()) != FALSE; }));
    // Hidden first, destroyed a moment later: the next box must not be
    // mistaken for this one.
    ASSERT_TRUE(vt::WaitUntil([&] { return !IsWindow(about); }));

    // Closed, it opens again; Close closes it without opening anything.
    ASSERT_TRUE(chooseAbout());
    about = WaitForDialog(kAboutCaption);
    ASSERT_TRUE(about);
    ASSERT_TRUE(vt::PressButton(about, L"Close"));
    EXPECT_TRUE(vt::WaitGone(about));
    vt::PumpFor(300);
    EXPECT_EQ(vt::ReadRecorderLog(log).size(), 1u);
    EXPECT_TRUE(program.Running());
}

TEST_F(Tutorial, TheChineseBuildShowsBothInItsOwnTexts) {
    Start(L"Vorlix-cn.exe");
    HWND tutorial = WaitForDialog(L"Vorlix - 只需两步，创建您的第一张屏幕截图。");
    ASSERT_TRUE(tutorial);
    const std::vector<std::wstring> texts = Texts(tutorial);
    ASSERT_EQ(texts.size(), 9u);
    EXPECT_EQ(texts[1], L"按住鼠标右键。");
    EXPECT_EQ(texts[7], L"不再显示");
    EXPECT_EQ(texts[8], L"关闭");
    ASSERT_TRUE(vt::PressButton(tutorial, L"关闭"));
    EXPECT_TRUE(vt::WaitGone(tutorial));

    ASSERT_TRUE(vt::ChooseFromTrayMenu(program.Id(), {kDown, kDown, kDown, kDown, kDown, kDown}));
    HWND about = WaitForDialog(L"关于 Vorlix Tessavue");
    ASSERT_TRUE(about);
    const std::vector<std::wstring> aboutTexts = Texts(about);
    ASSERT_EQ(aboutTexts.size(), 6u);
    EXPECT_EQ(aboutTexts[1], L"版本：");
    EXPECT_EQ(aboutTexts[5], L"关闭");
    ASSERT_TRUE(vt::PressButton(about, L"关闭"));
    EXPECT_TRUE(vt::WaitGone(about));
}

}  // namespace
