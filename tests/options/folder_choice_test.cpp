// What the File page's Browse button stores: the folder with its trailing
// backslash, whole or not at all.
#include <gtest/gtest.h>

#include "options/folder_choice.h"

namespace {

TEST(FolderChoice, AFolderIsStoredWholeWithItsBackslashOrRefused) {
    std::string bytes;
    EXPECT_EQ(ChooseFolder(L"C:\\shots", bytes), FolderChoice::Accepted);
    EXPECT_EQ(bytes, "C:\\shots\\");
    EXPECT_EQ(ChooseFolder(L"D:\\", bytes), FolderChoice::Accepted);
    EXPECT_EQ(bytes, "D:\\") << "a drive root keeps its one backslash";

    const std::wstring fits = L"C:\\" + std::wstring(246, L'f');  // 249 + the backslash = 250
    EXPECT_EQ(ChooseFolder(fits, bytes), FolderChoice::Accepted);
    EXPECT_EQ(bytes.size(), 250u);
    EXPECT_EQ(bytes.back(), '\\');
    // Cut to 250 it would lose its backslash and files would land in the parent.
    EXPECT_EQ(ChooseFolder(fits + L"g", bytes), FolderChoice::TooLong);
    EXPECT_EQ(ChooseFolder(L"C:\\\u56FE", bytes), FolderChoice::NotStorable) << "not in code page 1252";
}

}  // namespace
