// Printing without any printer (the plain prefix, no CUPS reachable).
#include <gtest/gtest.h>

#include <windows.h>

#include "support/program.h"

namespace {

TEST(NoPrinter, BothBuildsSayThatNoPrinterIsInstalled) {
    vt::Program run;
    struct Case { const wchar_t* exe; const wchar_t* text; };
    for (const Case& c : {Case{L"Vorlix.exe", L"No printer/fax installed on this computer."},
                          Case{L"Vorlix-cn.exe", L"此计算机上没有安装打印机/传真。"}}) {
        ASSERT_TRUE(run.Start(c.exe));
        EXPECT_EQ(run.HandOverForMessage(WM_HANDOVER_PRINTER), c.text);
        run.Stop();
    }
}

}  // namespace
