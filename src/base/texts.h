// Every text the user can see. Each language build defines these in its own
// texts unit (resources/texts/en/, resources/texts/zh/, one file per concern,
// each concern declaring its texts in a header of its own); code never spells
// a user-visible text itself.
#pragma once

namespace txt {

// Program start-up and shutdown
extern const wchar_t AppTitle[];            // "Vorlix Tessavue"
extern const wchar_t MessageCaption[];      // caption of the program's message boxes
extern const wchar_t AlreadyRunning[];
extern const wchar_t StartupError[];
extern const wchar_t TrayTip[];

// Tray menu
extern const wchar_t MenuOptions[];
extern const wchar_t MenuTools[];
extern const wchar_t MenuZovozu[];
extern const wchar_t MenuEditor[];
extern const wchar_t MenuTwain[];
extern const wchar_t MenuAcquire[];
extern const wchar_t MenuSelectSource[];
extern const wchar_t MenuTell[];
extern const wchar_t MenuCheckVersion[];
extern const wchar_t MenuHelp[];
extern const wchar_t MenuAbout[];
extern const wchar_t MenuExit[];

}  // namespace txt

namespace txt {

// Shared work routines. A text with a value has a placeholder where the value
// goes, filled by ui::FormatText (ui/text_format.h).
extern const wchar_t FileMissing[];       // <FILE>: the file's name
extern const wchar_t FileNotOpened[];     // <FILE>: the file's name
extern const wchar_t ZovozuNotInstalled[];
extern const wchar_t EditorNotInstalled[];
extern const wchar_t EditorReplaced[];    // <OLD EDITOR>, <EDITOR>: file names of the lost and the new editor
extern const wchar_t NoGraphicEditor[];

}  // namespace txt

namespace txt {

// Notices
extern const wchar_t NoticeTimerOn[];
extern const wchar_t NoticeTimerOff[];
extern const wchar_t NoticeCancelled[];
// The word that marks a notice about timer capture: with sliding in switched
// off, only notices holding it (in any letter case) are shown.
extern const wchar_t TimerNoticeMark[];
// Height in pixels of the notice strip's font: Chinese characters stay
// readable only a little larger than the Latin text of the English build.
extern const int NoticeFontHeight;

}  // namespace txt

namespace txt {

// Hotkeys: modifier prefixes and key names of hotkey texts, the lines of the
// registration failure report and the function names in it
extern const wchar_t HotkeyCtrl[];
extern const wchar_t HotkeyShift[];
extern const wchar_t HotkeyAlt[];
extern const wchar_t* const KeyTableNames[54];  // in the order of the key table
extern const wchar_t HotkeyLine[];       // <HOTKEY>: the hotkey's text, <FUNCTION>: its function; ends the line
extern const wchar_t FunctionCaptureDesktop[];
extern const wchar_t FunctionCaptureActiveWindow[];
extern const wchar_t FunctionRepeat[];
extern const wchar_t FunctionTimer[];
extern const wchar_t FunctionFreeHand[];
extern const wchar_t FunctionRectangle[];
extern const wchar_t FunctionWindow[];
extern const wchar_t HotkeysUnavailable[];  // <HOTKEYS>: the failure lines, HotkeyLine each

}  // namespace txt

namespace txt {

// Destinations (clipboard, file, editor, Zovozu): notices and failure
// messages, and the File destination's save prompt
extern const wchar_t SentToClipboard[];
extern const wchar_t SentToFile[];
extern const wchar_t SentToEditor[];
extern const wchar_t SentToZovozu[];
extern const wchar_t ClipboardFailed[];
extern const wchar_t FolderGone[];            // two lines, "\r" between them
extern const wchar_t FolderNotStorable[];     // <FOLDER>: the folder; two lines
extern const wchar_t CannotSaveTo[];          // <FILE>: the path, on a line of its own
extern const wchar_t CannotSave[];
extern const wchar_t TempFileFailed[];
extern const wchar_t PlaceholderMissing[];    // <PLACEHOLDER>: the quoted placeholder "<CAPTURE>"
extern const wchar_t MakerEditorMissing[];
extern const wchar_t ProgramFileMissing[];
extern const wchar_t SaveFilter[];            // description|patterns|... for the formats 1 to 4
extern const wchar_t SaveAsCaption[];
extern const wchar_t Replace[];               // <FILE>: the file's full name; two lines
extern const wchar_t InvalidExtension[];

}  // namespace txt

namespace txt {

// Finishing: edge effect, blur, annotation and watermark
extern const wchar_t BlurNeeds24Bit[];
extern const wchar_t WatermarkMissing[];      // <FILE>: the file name, in double quotes on a line of its own
extern const wchar_t WatermarkUnreadable[];   // <FILE>: as in WatermarkMissing

}  // namespace txt

namespace txt {

// Capture completion and delivery
extern const wchar_t NoDestinationSelected[];

}  // namespace txt
