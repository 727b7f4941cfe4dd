#include "options/folder_choice.h"

#include "ui/text_convert.h"

FolderChoice ChooseFolder(const std::wstring& picked, std::string& bytes) {
    std::wstring folder = picked;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    const auto whole = ui::ToAnsiFitting(folder, static_cast<size_t>(-1));
    if (!whole) return FolderChoice::NotStorable;
    // A cut folder would lose its backslash, or name another folder.
    if (whole->size() > 250) return FolderChoice::TooLong;
    bytes = *whole;
    return FolderChoice::Accepted;
}
