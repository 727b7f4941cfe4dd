// The messenger binding in the test process: the drop-files block handed to
// the conversation window, read back by the system's own drop functions, and
// the contacts offered for choosing, from the scripted stand-in.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "delivery/messenger_binding.h"
#include "stand_in.h"
#include "support/vorlix_test.h"

namespace {

TEST(MessengerDrop, TheBlockHoldsEveryNameForTheSystemsReader) {
    const std::vector<std::wstring> names = {L"C:\\Temp\\im1.png", L"D:\\a b\\c.jpg"};
    HGLOBAL block = MakeDropFiles(names);
    ASSERT_NE(block, nullptr);
    HDROP drop = static_cast<HDROP>(block);
    ASSERT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    for (UINT i = 0; i < 2; ++i) {
        wchar_t name[MAX_PATH] = {};
        DragQueryFileW(drop, i, name, MAX_PATH);
        EXPECT_EQ(std::wstring(name), names[i]);
    }
    POINT at{5, 5};
    EXPECT_TRUE(DragQueryPoint(drop, &at)) << "dropped in the client area";
    EXPECT_EQ(at.x, 0);
    EXPECT_EQ(at.y, 0);
    auto* header = static_cast<DROPFILES*>(GlobalLock(block));
    ASSERT_NE(header, nullptr);
    EXPECT_FALSE(header->fWide) << "narrow names";
    const char* list = reinterpret_cast<const char*>(header) + header->pFiles;
    EXPECT_STREQ(list, "C:\\Temp\\im1.png");
    EXPECT_EQ(std::string(list + 16, 14), std::string("D:\\a b\\c.jpg\0\0", 14)) << "two zeros end the list";
    GlobalUnlock(block);
    DragFinish(drop);
}

// The list the options dialog offers: only contacts that are online, in the
// messenger's order; the silent check shows nothing.
TEST(MessengerList, OnlyOnlineContactsAndNoBoxWhenSilent) {
    RegisterAutomationStandIn();
    const std::wstring dir = vt::ScratchDir();
    const std::wstring script = vt::Join(dir, L"script.txt");
    vt::ScopedEnv scriptEnv(L"VORLIX_AUTOMATION_SCRIPT", script);
    vt::ScopedEnv logEnv(L"VORLIX_AUTOMATION_LOG", vt::Join(dir, L"log.txt"));
    ASSERT_TRUE(vt::WriteFileBytes(script, "contact a@x.example 2\ncontact b@x.example 1\ncontact c@x.example 3\n"
                                           "contact d@x.example 2\n"));
    std::vector<std::wstring> list{L"old"};
    ASSERT_TRUE(ListImContacts(list));
    EXPECT_EQ(list, (std::vector<std::wstring>{L"a@x.example", L"d@x.example"}));

    vt::BoxAnswerer answerer;
    for (const char* s : {"status 1\n", "fail Messenger.MySigninName\n", "refuse Messenger.UIAutomation.1\n"}) {
        SCOPED_TRACE(s);
        ASSERT_TRUE(vt::WriteFileBytes(script, s));
        EXPECT_FALSE(ImAvailable(true));
        EXPECT_FALSE(ListImContacts(list));
    }
    EXPECT_EQ(answerer.Count(), 0u);
}

}  // namespace
