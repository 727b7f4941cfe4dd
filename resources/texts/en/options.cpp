// English texts of the options dialog.
#include "options/options_ids.h"
#include "options/options_texts.h"

namespace txt {

const wchar_t OptionsCaption[] = L"Vorlix Tessavue - Options";

const ControlText OptionsControlTexts[] = {
    {IDC_CLOSE, L"Close"},
    {IDC_HELP_BUTTON, L"&Help"},
    // Activate
    {IDC_CK_HOTKEYS, L"Hot&keys"},
    {IDC_CK_MOUSE_BUTTON, L"&Right Mouse Button"},
    {IDC_LB_ACTIVATION_TIME, L"&Activation Time"},
    {IDC_LB_HOLD_MIN, L"0.2"},
    {IDC_LB_HOLD_SECONDS, L"seconds"},
    {IDC_LB_HOLD_MAX, L"1"},
    {IDC_LB_ACTIVATE_NOTE, L"Press and hold the right mouse button,\nor use the hotkeys,\nto start capturing."},
    // Capture
    {IDC_CK_INCLUDE, L"&Include Cursor"},
    {IDC_LB_HIGHLIGHT, L"Highlight &Color"},
    {IDC_GB_REPEAT, L" Repeat "},
    {IDC_CK_REPEAT_SCREENSHOT, L"Copy of &previous image"},
    {IDC_CK_REPEAT_AREA, L"Capture using previous &area"},
    {IDC_LB_HK_REPEAT, L"Hot&key"},
    {IDC_LB_PRINT_SCREEN, L"Use Print Screen key to capture the desktop."},
    // Free Hand, Rectangle, Window
    {IDC_LB_HK_FREEHAND, L"Hot&key"},
    {IDC_LB_HK_RECTANGLE, L"Hot&key"},
    {IDC_GB_SELECTION, L" Selection "},
    {IDC_CK_MANUALLY, L"&Manually"},
    {IDC_CK_FIXED, L"&Fixed Size"},
    {IDC_LB_X, L"X"},
    {IDC_CK_LOCK, L"&Lock values"},
    {IDC_CK_EXTRA_LARGE, L"Large &crosshair"},
    {IDC_LB_HK_WINDOW, L"Hot&key"},
    {IDC_CK_AUTO_SCROLL, L"&Auto Scroll Long Windows"},
    {IDC_LB_ALT_PRINT_SCREEN, L"Use Alt-Print Screen to capture active window."},
    // Send To
    {IDC_GB_NOTIFICATION, L" Notification "},
    {IDC_CK_SOUND, L"&Sound"},
    {IDC_CK_MOTION_MESSAGE, L"&Message"},
    // File
    {IDC_LB_FILE_METHOD, L"&Method"},
    {IDC_LB_FILE_NAME, L"&Name"},
    {IDC_GB_FILE_FORMAT, L" Format "},
    {IDC_CK_FILE_BMP, L"BMP"},
    {IDC_CK_FILE_JPG, L"JPG"},
    {IDC_CK_FILE_GIF, L"GIF"},
    {IDC_CK_FILE_PNG, L"PNG"},
    {IDC_LB_FILE_LOCATION, L"Output &Folder"},
    {IDC_BT_FILE_BROWSE, L"&Browse"},
    // Printer/Fax
    {IDC_GB_PRINT_SCALING, L" Size "},
    {IDC_CK_PRINTER_PROPORTIONAL, L"&Proportional"},
    {IDC_CK_PRINTER_FIT, L"&Fit To Page"},
    {IDC_GB_PRINT_ORIENTATION, L" Orientation "},
    {IDC_CK_PRINTER_PORTRAIT, L"P&ortrait"},
    {IDC_CK_PRINTER_LANDSCAPE, L"&Landscape"},
    // Timer
    {IDC_LB_TIMER_PERIOD, L"&Interval"},
    {IDC_CK_IGNORE_IDENTICAL, L"I&gnore identical captures"},
    {IDC_LB_HK_TIMER, L"Hot&key"},
    {IDC_LB_TIMER_NOTE, L"Use the hotkey to start/stop."},
    // Precision
    {IDC_CK_RULLER, L"&Show Size"},
    {IDC_GB_ZOOM, L" Zoom "},
    {IDC_CK_ZOOM_ON, L"O&n"},
    {IDC_CK_ZOOM_OFF, L"O&ff"},
    {IDC_LB_ZOOM_FACTOR, L"F&actor"},
    // Favorites
    {IDC_LB_FAVORITES_NOTE, L"Right-click in the window to manage favorites."},
    {0, nullptr},
};

const wchar_t* const PageCaptions[PageCount] = {
    L"Activate", L"Capture", L"Free Hand", L"Rectangle", L"Window",
    L"Enhance", L"Edge Effect", L"Annotation", L"Watermark",
    L"Send To", L"Clipboard", L"File", L"Editor", L"Zovozu", L"Zovozu Not Installed", L"Mail", L"Web", L"IM",
    L"ICQ", L"Printer/Fax", L"Custom",
    L"Timer", L"Precision", L"Favorites",
};

const wchar_t* const PageTitles[PageCount] = {
    L"Activate With", L"Capture", L"Free Hand", L"Rectangle", L"Window",
    L"Enhance", L"Edge Effect", L"Annotation", L"Watermark",
    L"Send To", L"Clipboard", L"File", L"Editor", L"Zovozu", L"Zovozu", L"Mail", L"Web",
    L"Windows Instant Messenger", L"ICQ", L"Printer/Fax", L"Custom",
    L"Timer", L"Precision", L"Favorites",
};

const wchar_t* const PageBodies[PageCount] = {
    nullptr, nullptr, nullptr, nullptr, nullptr,
    L"Improve your screenshots with automatic edge effects, annotations and watermarks.",
    nullptr, nullptr, nullptr,
    nullptr,
    L"Exchange images with other programs.",
    nullptr, nullptr,
    L"Vorlix Zovozu adds to your screenshots:\n\n- balloons\n- text\n- notes\n- highlights\n- shapes\n"
    L"- images\n- colours",
    L"Vorlix Zovozu is not installed.",
    nullptr, nullptr, nullptr, nullptr, nullptr,
    L"Send your screenshots anywhere :\n\n- your network\n- over the internet\n- your databases\n"
    L"- your shared folders\n- other applications",
    nullptr, nullptr, nullptr,
};

const wchar_t* const HighlightColorNames[3] = {L"Blue Sky", L"Spring", L"Dark"};
const wchar_t* const FileMethodItems[3] = {L"Prompt For File Name", L"Fixed File Name",
                                           L"Automatic File Name Generation"};
const wchar_t* const TimerFormatItems[2] = {L"seconds", L"minutes"};
const wchar_t* const ZoomFactorItems[3] = {L"x2", L"x4", L"x8"};

const wchar_t SelectionWidthRange[] = L"Selection Width must be between <MIN> and <MAX>.";
const wchar_t SelectionHeightRange[] = L"Selection Height must be between <MIN> and <MAX>.";
const wchar_t FolderTooLong[] =
    L"The path of this folder is too long. Please choose a folder with a shorter path.\r<FOLDER>";
const wchar_t TextNotStorable[] =
    L"This text holds characters that cannot be stored in the settings. Please use other characters.";
const wchar_t BrowseFolderTitle[] = L"Output Folder";

const wchar_t FavoriteApply[] = L"Apply";
const wchar_t FavoriteAdd[] = L"Save current configuration as ...";
const wchar_t FavoriteUpdate[] = L"Update favorite";
const wchar_t FavoriteDelete[] = L"Delete";
const wchar_t FavoriteRename[] = L"Rename";
const wchar_t FavoriteExists[] = L"Favorite '<NAME>' already exists. \rDo you want to replace ?";
const wchar_t FavoriteUnreadable[] = L"The favorite '<NAME>' cannot be read. Nothing was changed.";
const wchar_t FavoriteWriteFailed[] = L"The favorite '<NAME>' could not be saved.";
const wchar_t FavoriteDeleteFailed[] = L"The favorite '<NAME>' could not be deleted.";
const wchar_t FavoriteNameTooLong[] = L"This name is too long for a favorite. Please choose a shorter name.";
const wchar_t SettingsNotSaved[] = L"The current settings could not be saved.";

}  // namespace txt
