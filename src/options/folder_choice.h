// What the File page's Browse button stores for a picked folder.
#pragma once

#include <string>

enum class FolderChoice {
    Accepted,   // `bytes` holds the folder with its trailing backslash
    TooLong,    // more than the field's 250 bytes: refused, not cut
    NotStorable // a character the code page cannot hold
};

// The picked folder with a backslash appended unless it ends in one.
FolderChoice ChooseFolder(const std::wstring& picked, std::string& bytes);
