// The options dialog of the running program: opening and closing, the page
// tree with its marks, and the Activate, Capture, Free Hand, Rectangle,
// Window, Send To, File, Printer/Fax, Timer and Precision pages, driven
// through their real controls; the stored record is read back at the
// offsets of the settings layout.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>

#include "options/options_ids.h"
#include "options/options_program.h"

namespace {

using opt::OptionsProgram;

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// Every page in both builds, saved as BMP files for a person to look at,
// when VORLIX_SHOTS names a folder.
TEST(OptionsLook, ScreenshotsOfEveryPage) {
    wchar_t folder[MAX_PATH] = L"";
    if (!GetEnvironmentVariableW(L"VORLIX_SHOTS", folder, MAX_PATH)) GTEST_SKIP() << "VORLIX_SHOTS not set";
    for (const wchar_t* exe : {L"Vorlix.exe", L"Vorlix-cn.exe"}) {
        OptionsProgram p;
        ASSERT_TRUE(p.Start(exe));
        ASSERT_TRUE(p.Open());
        int i = 0;
        for (const opt::TreeNode& n : p.Tree()) {
            p.Select(n.caption);
            UpdateWindow(p.Dialog());
            vt::PumpFor(200);
            RECT r;
            GetWindowRect(p.Dialog(), &r);
            wchar_t name[64];
            wsprintfW(name, L"%s-%02d.bmp", exe, i++);
            vt::SaveScreenBmp(r, vt::Join(folder, name));
        }
        EXPECT_TRUE(p.Close());
    }
}

}  // namespace
