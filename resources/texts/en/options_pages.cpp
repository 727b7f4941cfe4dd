// English texts of the Enhance pages and of the Editor, Zovozu Not Installed,
// Mail, Web, IM and ICQ pages of the options dialog.
#include "options/options_pages_texts.h"
#include "options/page_controls_ids.h"

namespace txt {

const ControlText PageControlTexts[] = {
    // Edge Effect
    {IDC_CK_TORN, L"&Torn Edge"},
    {IDC_LB_TORN_SIZE, L"&Depth"},
    {IDC_GB_TORN_LOCATION, L" Location "},
    {IDC_BT_TORN_TOP, L"Top"},
    {IDC_BT_TORN_RIGHT, L"Right"},
    {IDC_BT_TORN_BOTTOM, L"Bottom"},
    {IDC_BT_TORN_LEFT, L"Left"},
    {IDC_CK_OUTLINE, L"&Outline"},
    {IDC_CK_SHADOW, L"&Shadow"},
    {IDC_LB_BACKGROUND_COLOR, L"Background"},
    // Annotation
    {IDC_LB_ANNOTATION_CAPTION, L"&Caption"},
    {IDC_BT_ANNOTATION_ADD, L"+"},
    {IDC_BT_ANNOTATION_FONT, L"&Font"},
    {IDC_BT_ANNOTATION_COLOR, L"C&olor \x25BC"},
    {IDC_CK_ANNOTATION_BORDER, L"&Border"},
    {IDC_LB_ANNOTATION_OPACITY_MIN, L"0%"},
    {IDC_LB_ANNOTATION_OPACITY, L"opacity"},
    {IDC_LB_ANNOTATION_OPACITY_MAX, L"100%"},
    {IDC_GB_ANNOTATION_POSITION, L" Position "},
    {IDC_GB_ANNOTATION_OFFSET, L" Offset "},
    {IDC_LB_ANNOTATION_X, L"Hori&zontal"},
    {IDC_LB_ANNOTATION_Y, L"&Vertical"},
    // Watermark
    {IDC_LB_WATERMARK_LOCATION, L"Image Location"},
    {IDC_BT_WATERMARK_BROWSE, L"&Browse"},
    {IDC_BT_WATERMARK_PREVIEW, L"&Preview"},
    {IDC_CK_WATERMARK_TRANSPARENT, L"&Transparent"},
    {IDC_LB_WATERMARK_OPACITY_MIN, L"0%"},
    {IDC_LB_WATERMARK_OPACITY, L"opacity"},
    {IDC_LB_WATERMARK_OPACITY_MAX, L"100%"},
    {IDC_GB_WATERMARK_POSITION, L" Position "},
    {IDC_GB_WATERMARK_OFFSET, L" Offset "},
    {IDC_LB_WATERMARK_X, L"Hori&zontal"},
    {IDC_LB_WATERMARK_Y, L"&Vertical"},
    // Editor
    {IDC_RB_EDITOR_VORLIX, L"Vorlix &Editor"},
    {IDC_LB_EDITOR_NOT_INSTALLED, L"Vorlix Editor is not installed."},
    {IDC_BT_EDITOR_DOWNLOAD, L"&Download Now"},
    {IDC_RB_EDITOR_CUSTOM, L"&Custom"},
    {IDC_LB_EDITOR_PATH, L"Program Location"},
    {IDC_BT_EDITOR_BROWSE, L"&Browse"},
    {IDC_LB_EDITOR_COMMAND_LINE, L"Command &Line (e.g. \"<CAPTURE>\")"},
    {IDC_GB_EDITOR_FILE, L"Temporary File "},
    {IDC_LB_EDITOR_FILE_NAME, L"&Name"},
    {IDC_CK_EDITOR_BMP, L"BMP"},
    {IDC_CK_EDITOR_JPG, L"JPG"},
    {IDC_CK_EDITOR_GIF, L"GIF"},
    {IDC_CK_EDITOR_PNG, L"PNG"},
    // Zovozu Not Installed
    {IDC_BT_ZOVOZU_DOWNLOAD, L"&Download Now"},
    // Mail
    {IDC_LB_MAIL_TO, L"&To"},
    {IDC_LB_MAIL_SUBJECT, L"&Subject"},
    {IDC_LB_MAIL_PROGRAM, L"&Program"},
    {IDC_CK_MAIL_EMBEDDED, L"&Embedded"},
    {IDC_CK_MAIL_ATTACHED, L"&Attached"},
    {IDC_GB_SMTP, L" SMTP "},
    {IDC_LB_SMTP_EMAIL, L"&From"},
    {IDC_LB_SMTP_SERVER, L"Ser&ver"},
    {IDC_LB_SMTP_PORT, L"Port"},
    {IDC_LB_SMTP_USER_NAME, L"&User Name"},
    {IDC_LB_SMTP_PASSWORD, L"Pass&word"},
    {IDC_LB_SMTP_BODY, L"EMail &Body"},
    {IDC_CK_SMTP_PREVIEW, L"P&review"},
    {IDC_CK_SMTP_PROGRESS, L"Show pro&gress"},
    {IDC_GB_ATTACH_FILE, L"Attached File "},
    {IDC_LB_ATTACH_FILE_NAME, L"&Name"},
    {IDC_CK_ATTACH_BMP, L"BMP"},
    {IDC_CK_ATTACH_JPG, L"JPG"},
    {IDC_CK_ATTACH_GIF, L"GIF"},
    {IDC_CK_ATTACH_PNG, L"PNG"},
    // Web
    {IDC_LB_FTP_SERVER, L"FTP &Server"},
    {IDC_LB_FTP_PORT, L"P&ort"},
    {IDC_LB_FTP_PATH, L"P&ath"},
    {IDC_LB_FTP_USER_NAME, L"&User Name"},
    {IDC_LB_FTP_PASSWORD, L"Pass&word"},
    {IDC_CK_FTP_PASSIVE, L"Pass&ive mode (for firewalls)"},
    {IDC_CK_FTP_PROGRESS, L"Show upload pro&gress"},
    {IDC_LB_PROXY_SERVER, L"Pro&xy Server"},
    {IDC_LB_PROXY_PORT, L"Po&rt"},
    {IDC_LB_FTP_FILE_METHOD, L"&Method"},
    {IDC_GB_FTP_FILE, L"File "},
    {IDC_LB_FTP_FILE_NAME, L"&Name"},
    {IDC_CK_FTP_BMP, L"BMP"},
    {IDC_CK_FTP_JPG, L"JPG"},
    {IDC_CK_FTP_GIF, L"GIF"},
    {IDC_CK_FTP_PNG, L"PNG"},
    // IM
    {IDC_LB_IM_EMAIL, L"&E-Mail"},
    {IDC_GB_IM_FILE, L"Temporary File "},
    {IDC_LB_IM_FILE_NAME, L"&Name"},
    {IDC_CK_IM_BMP, L"BMP"},
    {IDC_CK_IM_JPG, L"JPG"},
    {IDC_CK_IM_GIF, L"GIF"},
    {IDC_CK_IM_PNG, L"PNG"},
    // ICQ
    {IDC_LB_ICQ_USER, L"&User"},
    {IDC_GB_ICQ_FILE, L"Temporary File "},
    {IDC_LB_ICQ_FILE_NAME, L"&Name"},
    {IDC_CK_ICQ_BMP, L"BMP"},
    {IDC_CK_ICQ_JPG, L"JPG"},
    {IDC_CK_ICQ_GIF, L"GIF"},
    {IDC_CK_ICQ_PNG, L"PNG"},
    {0, nullptr},
};

const wchar_t* const MailProgramItems[7] = {L"Outlook", L"Outlook Express", L"Netscape Messenger", L"Eudora",
                                            L"IncrediMail", L"Lotus Notes", L"SMTP"};
const wchar_t* const PlaceholderItems[5] = {L"HH:MM:SS - Time", L"MM/DD/YY - Date", L"Computer Name", L"User Name",
                                            L"New Line"};
const wchar_t AnnotationColorBorder[] = L"Border";
const wchar_t AnnotationColorBackground[] = L"Background";
const wchar_t OutlineColorCaption[] = L" Outline Color ";
const wchar_t ShadowColorCaption[] = L" Shadow Color ";
const wchar_t BackgroundColorCaption[] = L" Background Color ";

const wchar_t PortRange[] = L"Please enter a number between 1 and 255";
const wchar_t OffsetRange[] = L"Please enter a number between 0 and <MAX>";
const wchar_t PlaceholderTooLong[] =
    L"The caption is full: the placeholder does not fit. Please shorten the caption first.";
const wchar_t PathTooLong[] = L"The path of this file is too long. Please choose a file with a shorter path.\r<FILE>";
const wchar_t ChooseWatermark[] = L"Choose Watermark";
const wchar_t WatermarkFilter[] = L"Windows Bitmap (*.bmp)";
const wchar_t ChooseEditor[] = L"Choose Editor";
const wchar_t EditorFilter[] = L"EXE Files [.exe]";

}  // namespace txt
