// Texts of the Enhance pages and of the Editor, Zovozu Not Installed, Mail,
// Web, IM and ICQ pages, defined per language in
// resources/texts/<lang>/options_pages.cpp. Controls get theirs by id from
// PageControlTexts, like the rest of the dialog.
#pragma once

#include "options/options_texts.h"

namespace txt {

// Texts of these pages' controls; ends with {0, nullptr}.
extern const ControlText PageControlTexts[];

extern const wchar_t* const MailProgramItems[7];    // index = mail client - 1
extern const wchar_t* const PlaceholderItems[5];    // time, date, computer name, user name, new line
extern const wchar_t AnnotationColorBorder[];       // the colour menu of the Annotation page
extern const wchar_t AnnotationColorBackground[];
extern const wchar_t OutlineColorCaption[];         // captions of the floating colour palettes
extern const wchar_t ShadowColorCaption[];
extern const wchar_t BackgroundColorCaption[];

extern const wchar_t PortRange[];          // a port outside 1..255
extern const wchar_t OffsetRange[];        // <MAX>: the limit in decimal; an offset outside 0..limit
extern const wchar_t PlaceholderTooLong[]; // a placeholder that does not fit the caption whole
extern const wchar_t PathTooLong[];        // <FILE>: a chosen file whose path does not fit, on a line of its own
extern const wchar_t ChooseWatermark[];    // title and filter of the watermark's open-file dialog
extern const wchar_t WatermarkFilter[];
extern const wchar_t ChooseEditor[];       // title and filter of the editor's open-file dialog
extern const wchar_t EditorFilter[];

}  // namespace txt
