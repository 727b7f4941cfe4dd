#include "options/folder_choice.h"

#include "ui/text_convert.h"

FolderChoice ChooseFolder(const std::wstring& picked, std::string& bytes) {
    std::wstring folder = picked;
    if (folder.empty() || folder.back() != L'\\') folder += L'\\';
    // A cut folder would lose its backslash, or name another folder: the
    // whole path in 250 bytes, in its short form when need be.
    if (const auto stored = ui::ToAnsiPath(folder, 250)) {
        bytes = *stored;
        return FolderChoice::Accepted;
    }
    return ui::ToAnsiFitting(folder, static_cast<size_t>(-1)) ? FolderChoice::TooLong : FolderChoice::NotStorable;
}
