// The files beside the program as the running program uses them, in both
// builds: the options dialog's Help opens Wine's own HTML Help viewer on
// Vorlix.chm; Preview on a fresh record opens the default watermark; a
// capture with the watermark switched on carries the default picture,
// blended as the settings say, pixel for pixel.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "capture_road/pattern_screen.h"
#include "options/options_ids.h"
#include "options/options_program.h"
#include "options/page_controls_ids.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kHelpTitle[] = L"Vorlix Tessavue Help";
const std::vector<std::wstring> kHelpContents = {L"Vorlix Tessavue Help", L"Capturing screenshots",
                                                 L"Sending screenshots",  L"The options dialog",
                                                 L"Hotkeys",              L"The tray menu",
                                                 L"Favorites"};
const wchar_t kWatermark[] = L"watermarks\\default.bmp";

TEST(PackageProgram, TheOptionsHelpButtonOpensTheHelpInBothBuilds) {
    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        SCOPED_TRACE(vt::Utf8(exe));
        opt::OptionsProgram p({L"Vorlix.chm"});
        ASSERT_TRUE(p.Start(exe));
        ASSERT_TRUE(p.Open());
        p.Click(IDC_HELP_BUTTON);
        HWND viewer = vt::WaitForHelpViewer(kHelpTitle);
        ASSERT_TRUE(viewer) << "no help viewer";
        EXPECT_EQ(vt::HelpViewerContents(viewer), kHelpContents);
        EXPECT_EQ(p.Box(500), nullptr) << "the help opened without a message";
        EXPECT_TRUE(vt::CloseHelpViewer(viewer));
        EXPECT_TRUE(p.Close());
    }
}

TEST(PackageProgram, PreviewOnAFreshRecordOpensTheDefaultWatermark) {
    // The record of the set-up is the one a first start writes in its folder.
    opt::OptionsProgram p({kWatermark});
    const std::wstring mark = vt::Join(p.dir, kWatermark);
    const std::wstring& log = p.recorderLog;
    ASSERT_TRUE(p.Start());
    ASSERT_TRUE(p.Open());
    p.Select(L"Watermark");
    EXPECT_EQ(p.Text(IDC_ED_WATERMARK_LOCATION), mark);
    p.Click(IDC_BT_WATERMARK_PREVIEW);
    // Bitmaps open in the recorder here: the shell's "open" on the picture.
    ASSERT_TRUE(vt::WaitUntil([&] { return !vt::ReadRecorderLog(log).empty(); }, 10000)) << "nothing opened";
    const auto args = vt::SplitCommandLine(vt::ReadRecorderLog(log)[0].commandLine);
    ASSERT_EQ(args.size(), 2u);
    EXPECT_TRUE(vt::SamePath(args[1], mark));
    EXPECT_EQ(p.Box(500), nullptr) << "no message";
    EXPECT_TRUE(p.Close());
}

// The watermark as the stamping lays it on: its top-left colour left out,
// every other pixel blended at the opacity (80 % by default).
vt::Pixels Stamped(const vt::Pixels& capture, const vt::Pixels& mark, int x0, int y0, int opacity) {
    vt::Pixels out = capture;
    const int alpha = opacity * 255 / 100;
    const COLORREF key = mark.At(0, 0);
    auto blend = [&](int o, int d) { return o + (255 - alpha) * (d - o) / 255; };
    for (int y = 0; y < mark.height; ++y)
        for (int x = 0; x < mark.width; ++x) {
            const COLORREF o = mark.At(x, y);
            if (o == key) continue;
            COLORREF& d = out.At(x0 + x, y0 + y);
            d = RGB(blend(GetRValue(o), GetRValue(d)), blend(GetGValue(o), GetGValue(d)),
                    blend(GetBValue(o), GetBValue(d)));
        }
    return out;
}

TEST(PackageProgram, ACaptureWithTheWatermarkOnCarriesTheDefaultPicture) {
    road::PatternScreen screen;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const auto mark = vt::LoadBmp(vt::BinFile(kWatermark));
    ASSERT_TRUE(mark);
    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        SCOPED_TRACE(vt::Utf8(exe));
        // The defaults of a program in that folder; the watermark switched on.
        vt::Program run({.files = {kWatermark}, .notices = vt::Notices::Still});
        run.record.WatermarkOn = 1;
        run.record.SendTo[dFile] = 1;
        run.record.FileNaming = fnFixed;
        run.record.FileFormat = ifBMP;
        run.record.FileName = "stamped";
        ASSERT_TRUE(run.Start(exe));
        const std::wstring saved = vt::Join(run.out, L"stamped.bmp");
        // Print Screen: the whole screen, finished and saved.
        ASSERT_TRUE(vt::Post(run.main, WM_HOTKEY, GlobalFindAtomW(L"Print Screen")));
        ASSERT_TRUE(vt::WaitUntil([&] { return vt::LoadBmp(saved).has_value(); }, 15000)) << "nothing saved";
        run.Stop();
        const auto image = vt::LoadBmp(saved);
        ASSERT_EQ(image->width, w);
        ASSERT_EQ(image->height, h);
        vt::Pixels screenPicture(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) screenPicture.At(x, y) = road::Pattern(x, y);
        // Bottom right, 3 pixels in from both edges.
        const vt::Pixels expected =
            Stamped(screenPicture, *mark, w - mark->width - 3, h - mark->height - 3, run.record.WatermarkOpacity);
        // The lower half, where nothing but the picture and the mark is (the
        // notice strip and Wine's tray window stay at the top).
        int wrong = 0, marked = 0;
        for (int y = h / 2; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                wrong += image->At(x, y) != expected.At(x, y);
                marked += expected.At(x, y) != screenPicture.At(x, y);
            }
        EXPECT_EQ(wrong, 0);
        EXPECT_GT(marked, mark->width * mark->height / 2) << "the mark is in the expected picture";
    }
}

}  // namespace
