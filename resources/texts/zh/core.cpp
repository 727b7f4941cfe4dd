// Simplified Chinese user-interface texts.
#include "base/texts.h"

namespace txt {

const wchar_t AppTitle[] = L"Vorlix Tessavue";
const wchar_t MessageCaption[] = L"Vorlix 消息";
const wchar_t AlreadyRunning[] = L"Vorlix 已经在运行。";
const wchar_t StartupError[] = L"启动过程中出现错误，请重新启动 Vorlix Tessavue。";
const wchar_t TrayTip[] = L" Vorlix Tessavue ";

const wchar_t MenuOptions[] = L"选项";
const wchar_t MenuTools[] = L"工具";
const wchar_t MenuZovozu[] = L"Vorlix Zovozu";
const wchar_t MenuEditor[] = L"Vorlix Editor";
const wchar_t MenuTwain[] = L"扫描仪和相机";
const wchar_t MenuAcquire[] = L"获取图像 ...";
const wchar_t MenuSelectSource[] = L"选择来源 ...";
const wchar_t MenuTell[] = L"推荐给朋友 ...";
const wchar_t MenuCheckVersion[] = L"检查新版本";
const wchar_t MenuHelp[] = L"帮助";
const wchar_t MenuAbout[] = L"关于";
const wchar_t MenuExit[] = L"退出";

// Shared work routines
const wchar_t FileMissing[] = L"文件 <FILE> 丢失。请重新安装 Vorlix。";
const wchar_t FileNotOpened[] = L"无法打开文件 <FILE>。请重试。";
const wchar_t ZovozuNotInstalled[] = L"Vorlix Zovozu 尚未安装。是否立即下载？";
const wchar_t EditorNotInstalled[] = L"Vorlix Editor 尚未安装。是否立即下载？";
const wchar_t EditorReplaced[] = L"<OLD EDITOR> 已不存在。\r图形编辑器现已设置为 <EDITOR>";
const wchar_t NoGraphicEditor[] = L"未选择图形编辑器。";

// Notices
const wchar_t NoticeTimerOn[] = L"定时器开启";
const wchar_t NoticeTimerOff[] = L"定时器关闭";
const wchar_t NoticeCancelled[] = L"已取消";
const wchar_t TimerNoticeMark[] = L"定时器";
const int NoticeFontHeight = 11;

}  // namespace txt

namespace txt {

// Hotkeys (key names stay as printed on the keys)
const wchar_t HotkeyCtrl[] = L"CTRL + ";
const wchar_t HotkeyShift[] = L"SHIFT + ";
const wchar_t HotkeyAlt[] = L"ALT + ";
const wchar_t* const KeyTableNames[54] = {
    L"F1", L"F2", L"F3", L"F4", L"F5", L"F6", L"F7", L"F8", L"F9", L"F10", L"F11", L"F12", L"F13", L"F14",
    L"F15", L"F16", L"F17", L"F18", L"F19", L"F20", L"F21", L"F22", L"F23", L"F24", L"RETURN", L"SPACE",
    L"PRIOR", L"NEXT", L"END", L"HOME", L"LEFT", L"UP", L"RIGHT", L"DOWN", L"SELECT", L"PRINT SCREEN",
    L"INSERT", L"DELETE", L"0", L"1", L"2", L"3", L"4", L"5", L"6", L"7", L"8", L"9", L"MULTIPLY", L"ADD",
    L"SEPARATOR", L"SUBSTRACT", L"DECIMAL", L"DIVIDE"};
const wchar_t HotkeyLine[] = L"热键: <HOTKEY>\t 功能: <FUNCTION>\r";
const wchar_t FunctionCaptureDesktop[] = L"捕获桌面";
const wchar_t FunctionCaptureActiveWindow[] = L"捕获活动窗口";
const wchar_t FunctionRepeat[] = L"重复上次截图/上次捕获区域";
const wchar_t FunctionTimer[] = L"启动/停止定时器";
const wchar_t FunctionFreeHand[] = L"捕获任意形状";
const wchar_t FunctionRectangle[] = L"捕获矩形";
const wchar_t FunctionWindow[] = L"捕获窗口";
const wchar_t HotkeysUnavailable[] =
    L"以下热键无法被 Vorlix 使用:\r<HOTKEYS>\r您可以尝试其他热键，或者关闭正在使用这些热键的应用程序。";

}  // namespace txt

namespace txt {

// Destinations
const wchar_t SentToClipboard[] = L"图像已发送到剪贴板";
const wchar_t SentToFile[] = L"图像已发送到文件";
const wchar_t SentToEditor[] = L"图像已发送到编辑器";
const wchar_t SentToZovozu[] = L"图像已发送到 Zovozu";
const wchar_t ClipboardFailed[] = L"Vorlix 无法将您的截图复制到剪贴板。";
const wchar_t FolderGone[] = L"目标文件夹已不存在。\r目标现已设置为桌面。";
const wchar_t FolderNotStorable[] =
    L"设置无法保存文件夹 <FOLDER> 的名称：系统的代码页没有它的字符，驱动器也没有为该文件夹提供短名称。"
    L"\r在您选择其他目标文件夹之前，截图将保存在那里。";
const wchar_t CannotSaveTo[] = L"Vorlix 无法将您的截图保存到：\r<FILE>\r请关闭正在使用该文件的应用程序，或选择其他文件名/位置。";
const wchar_t CannotSave[] = L"Vorlix 无法保存您的截图。";
const wchar_t TempFileFailed[] = L"无法创建临时文件。";
const wchar_t PlaceholderMissing[] = L"命令行必须包含 <PLACEHOLDER>";
const wchar_t MakerEditorMissing[] = L"Vorlix Editor 尚未安装。";
const wchar_t ProgramFileMissing[] = L"缺少文件。请重新安装 Vorlix。";
const wchar_t SaveFilter[] =
    L"Windows 位图 (*.bmp)|*.bmp;|JPEG 图像文件 (*.jpg)|*.jpg;*.jpeg;|CompuServe GIF (*.gif)|*.gif;|"
    L"便携式网络图形 (*.png)|*.png";
const wchar_t SaveAsCaption[] = L"另存为";
const wchar_t Replace[] = L"<FILE> 已存在。\r是否要替换它？";
const wchar_t InvalidExtension[] = L"请输入有效的文件扩展名   [*.bmp 或 *.jpg 或 *.gif 或 *.png]     ";

}  // namespace txt

namespace txt {

// Finishing: edge effect, blur, annotation and watermark
const wchar_t BlurNeeds24Bit[] = L"高斯模糊需要 24 位位图";
const wchar_t WatermarkMissing[] = L"水印图像不存在。\r\"<FILE>\"";
const wchar_t WatermarkUnreadable[] = L"无法读取水印图像，截图将不带水印发送。\r\"<FILE>\"";

}  // namespace txt

namespace txt {

// Capture completion and delivery
const wchar_t NoDestinationSelected[] = L"请至少选择一个目标。";

}  // namespace txt
