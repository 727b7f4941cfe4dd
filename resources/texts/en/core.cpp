// English user-interface texts.
#include "base/texts.h"

namespace txt {

const wchar_t AppTitle[] = L"Vorlix Tessavue";
const wchar_t MessageCaption[] = L"Vorlix Message";
const wchar_t AlreadyRunning[] = L"Vorlix is already running.";
const wchar_t StartupError[] = L"There was an error during startup process, please restart Vorlix Tessavue.";
const wchar_t TrayTip[] = L" Vorlix Tessavue ";

const wchar_t MenuOptions[] = L"Options";
const wchar_t MenuTools[] = L"Tools";
const wchar_t MenuZovozu[] = L"Vorlix Zovozu";
const wchar_t MenuEditor[] = L"Vorlix Editor";
const wchar_t MenuTwain[] = L"Scanners && Cameras";
const wchar_t MenuAcquire[] = L"Acquire ...";
const wchar_t MenuSelectSource[] = L"Select Source ...";
const wchar_t MenuTell[] = L"Tell a Friend ...";
const wchar_t MenuCheckVersion[] = L"Check for new version";
const wchar_t MenuHelp[] = L"Help";
const wchar_t MenuAbout[] = L"About";
const wchar_t MenuExit[] = L"Exit";

// Shared work routines
const wchar_t FileMissing[] = L"The file <FILE> is missing. Please reinstall Vorlix.";
const wchar_t FileNotOpened[] = L"The file <FILE> could not be opened. Please try again.";
const wchar_t ZovozuNotInstalled[] = L"Vorlix Zovozu is not installed. Do you want to download it now ?";
const wchar_t EditorNotInstalled[] = L"Vorlix Editor is not installed. Do you want to download it now ?";
const wchar_t EditorReplaced[] = L"<OLD EDITOR> no longer exists.\rGraphic Editor is now set to <EDITOR>";
const wchar_t NoGraphicEditor[] = L"No graphic editor is selected.";

// Notices
const wchar_t NoticeTimerOn[] = L"Timer ON";
const wchar_t NoticeTimerOff[] = L"Timer OFF";
const wchar_t NoticeCancelled[] = L"CANCELLED";
const wchar_t TimerNoticeMark[] = L"timer";
const int NoticeFontHeight = 9;

}  // namespace txt

namespace txt {

// Hotkeys
const wchar_t HotkeyCtrl[] = L"CTRL + ";
const wchar_t HotkeyShift[] = L"SHIFT + ";
const wchar_t HotkeyAlt[] = L"ALT + ";
const wchar_t* const KeyTableNames[54] = {
    L"F1", L"F2", L"F3", L"F4", L"F5", L"F6", L"F7", L"F8", L"F9", L"F10", L"F11", L"F12", L"F13", L"F14",
    L"F15", L"F16", L"F17", L"F18", L"F19", L"F20", L"F21", L"F22", L"F23", L"F24", L"RETURN", L"SPACE",
    L"PRIOR", L"NEXT", L"END", L"HOME", L"LEFT", L"UP", L"RIGHT", L"DOWN", L"SELECT", L"PRINT SCREEN",
    L"INSERT", L"DELETE", L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"MULTIPLY", L"ADD",
    L"SEPARATOR", L"SUBSTRACT", L"DECIMAL", L"DIVIDE"};
const wchar_t HotkeyLine[] = L"Hotkey: <HOTKEY>\t Function: <FUNCTION>\r";
const wchar_t FunctionCaptureDesktop[] = L"Capture Desktop";
const wchar_t FunctionCaptureActiveWindow[] = L"Capture Active Window";
const wchar_t FunctionRepeat[] = L"Repeat Last Screenshot/Last Captured Area";
const wchar_t FunctionTimer[] = L"Start/Stop Timer";
const wchar_t FunctionFreeHand[] = L"Capture Free Hand";
const wchar_t FunctionRectangle[] = L"Capture Rectangle";
const wchar_t FunctionWindow[] = L"Capture Window";
const wchar_t HotkeysUnavailable[] =
    L"The following hotkeys are not available to Vorlix:\r<HOTKEYS>\rYou can either try other hotkeys or close the "
    L"applications which are using them.";

}  // namespace txt

namespace txt {

// Destinations
const wchar_t SentToClipboard[] = L"Image sent to Clipboard";
const wchar_t SentToFile[] = L"Image sent to File";
const wchar_t SentToEditor[] = L"Image sent to Editor";
const wchar_t SentToZovozu[] = L"Image sent to Zovozu";
const wchar_t ClipboardFailed[] = L"Vorlix cannot copy your screenshot to the Clipboard.";
const wchar_t FolderGone[] = L"Destination folder no longer exists.\rDestination is now set to desktop.";
const wchar_t FolderNotStorable[] =
    L"The settings cannot hold the name of the folder <FOLDER>: the system's code page has no characters for it, "
    L"and the drive gives the folder no short name.\rScreenshots are saved there until you choose another "
    L"destination folder.";
const wchar_t CannotSaveTo[] =
    L"Vorlix cannot save your screenshot to :\r<FILE>\rClose the application which is using the file or choose another "
    L"File Name/Location.";
const wchar_t CannotSave[] = L"Vorlix cannot save your screenshot.";
const wchar_t TempFileFailed[] = L"Temporary file cannot be created.";
const wchar_t PlaceholderMissing[] = L"Command line must contain <PLACEHOLDER>";
const wchar_t MakerEditorMissing[] = L"Vorlix Editor is not installed.";
const wchar_t ProgramFileMissing[] = L"A file is missing. Please reinstall Vorlix.";
const wchar_t SaveFilter[] =
    L"Windows Bitmap (*.bmp)|*.bmp;|JPEG Image File (*.jpg)|*.jpg;*.jpeg;|CompuServe GIF (*.gif)|*.gif;|"
    L"Portable Network Graphics (*.png)|*.png";
const wchar_t SaveAsCaption[] = L"Save As";
const wchar_t Replace[] = L"<FILE> already exists.\rDo you want to replace it?";
const wchar_t InvalidExtension[] = L"Please type a valid file extension   [*.bmp or *.jpg or *.gif or *.png]     ";

}  // namespace txt

namespace txt {

// Finishing: edge effect, blur, annotation and watermark
const wchar_t BlurNeeds24Bit[] = L"Gaussian blur needs a 24-bit bitmap";
const wchar_t WatermarkMissing[] = L"Watermark image does not exist.\r\"<FILE>\"";
const wchar_t WatermarkUnreadable[] =
    L"The watermark image cannot be read; the screenshot is sent without the watermark.\r\"<FILE>\"";

}  // namespace txt

namespace txt {

// Capture completion and delivery
const wchar_t NoDestinationSelected[] = L"Please select at least one destination.";

}  // namespace txt
