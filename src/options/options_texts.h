// Texts of the options dialog, defined per language in
// resources/texts/<lang>/options.cpp. The dialog templates carry no text:
// every control gets its text from OptionsControlTexts by its id.
#pragma once

#include "options/page_ids.h"

namespace txt {

struct ControlText {
    int id;
    const wchar_t* text;
};
// Texts of the frame's and the pages' controls; ends with {0, nullptr}.
extern const ControlText OptionsControlTexts[];

extern const wchar_t OptionsCaption[];                 // "Vorlix Tessavue - Options"
extern const wchar_t* const PageCaptions[PageCount];   // tree node captions
extern const wchar_t* const PageTitles[PageCount];     // bold title line above the page
extern const wchar_t* const PageBodies[PageCount];     // the fixed text of a text-only page, else nullptr

// Combo box items
extern const wchar_t* const HighlightColorNames[3];    // "Blue Sky", "Spring", "Dark"
extern const wchar_t* const FileMethodItems[3];
extern const wchar_t* const TimerFormatItems[2];
extern const wchar_t* const ZoomFactorItems[3];

// Messages of the pages
// A text with a value has a placeholder where the value goes, filled by
// ui::FormatText (ui/text_format.h).
extern const wchar_t SelectionWidthRange[];   // <MIN>, <MAX>: the bounds of a fixed selection's width
extern const wchar_t SelectionHeightRange[];  // <MIN>, <MAX>: the bounds of its height
extern const wchar_t FolderTooLong[];      // <FOLDER>: the chosen folder, on a line of its own
extern const wchar_t TextNotStorable[];    // a character the code page cannot hold
extern const wchar_t BrowseFolderTitle[];

// Favorites
extern const wchar_t FavoriteApply[];
extern const wchar_t FavoriteAdd[];
extern const wchar_t FavoriteUpdate[];
extern const wchar_t FavoriteDelete[];
extern const wchar_t FavoriteRename[];
extern const wchar_t FavoriteExists[];       // <NAME>: the favourite's name, in all four
extern const wchar_t FavoriteUnreadable[];
extern const wchar_t FavoriteWriteFailed[];
extern const wchar_t FavoriteDeleteFailed[];
extern const wchar_t FavoriteNameTooLong[];
extern const wchar_t SettingsNotSaved[];     // the applied favourite could not become the current settings

}  // namespace txt
