// The drop-files block handed to the messenger's conversation window, read
// back by the system's own drop functions.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "delivery/messenger_binding.h"

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

}  // namespace
