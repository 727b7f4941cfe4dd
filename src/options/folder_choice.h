// What the File page's Browse button stores for a picked folder.
#pragma once

#include <string>

enum class FolderChoice {
    Accepted,   // `bytes` holds the folder with its trailing backslash, in its
                // short form where the long one does not fit the code page or the field
    TooLong,    // more than the field's 250 bytes, and no shorter form: refused, not cut
    NotStorable // a character the code page cannot hold, and no short name
};

// The picked folder with a backslash appended unless it ends in one.
FolderChoice ChooseFolder(const std::wstring& picked, std::string& bytes);
