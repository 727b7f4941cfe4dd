// The options dialog of the Simplified Chinese build under code page 936
// (this test runs under LANG=zh_CN.UTF-8, and so does the program it starts).
#include <gtest/gtest.h>

#include <windows.h>

#include "options/options_ids.h"
#include "options/options_program.h"

namespace {

using opt::OptionsProgram;

// The Chinese build stores two bytes per Chinese character: a long name is
// cut after a whole character, and a character that code page 936 cannot
// hold is refused rather than stored as "?".
TEST(OptionsText, TextIsCutAtACharacterAndUnstorableCharactersAreRefused) {
    OptionsProgram p;
    ASSERT_EQ(GetACP(), 936u) << "run under LANG=zh_CN.UTF-8";
    ASSERT_TRUE(p.Start(L"Vorlix-cn.exe"));
    ASSERT_TRUE(p.Open());
    p.Select(L"文件");
    p.SetText(IDC_ED_FILE_NAME, L"a" + std::wstring(200, L'图'));
    ASSERT_TRUE(p.Close());
    TConfiguration c = p.Stored();
    ASSERT_EQ(c.FileName.length, 249) << "1 + 124 characters of 2 bytes; the 125th would not fit whole";
    EXPECT_EQ(uint8_t(c.FileName.chars[247]), 0xCD);  // 图 is CD BC in code page 936
    EXPECT_EQ(uint8_t(c.FileName.chars[248]), 0xBC);

    ASSERT_TRUE(p.Open());
    p.Select(L"文件");
    p.SetText(IDC_ED_FILE_NAME, L"ok");
    // A Thai letter: the box keeps the sending thread waiting, so the send
    // gives up early and the box is answered below.
    static const wchar_t thai[] = L"ok\u0E01";
    vt::Send(p.Item(IDC_ED_FILE_NAME), WM_SETTEXT, 0, LPARAM(thai), 300);
    HWND box = p.Box();
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text, L"此文本包含无法保存到设置中的字符。请使用其他字符。");
    vt::Post(box, WM_COMMAND, IDOK, 0);
    vt::WaitGone(box);
    vt::PumpFor(100);
    EXPECT_EQ(p.Text(IDC_ED_FILE_NAME), L"ok") << "the edit shows what is stored";
    ASSERT_TRUE(p.Close());
    c = p.Stored();
    EXPECT_EQ(std::string(c.FileName.chars, c.FileName.length), "ok");
}

}  // namespace
