// 选项对话框的简体中文文本。
#include "options/options_ids.h"
#include "options/options_texts.h"

namespace txt {

const wchar_t OptionsCaption[] = L"Vorlix Tessavue - 选项";

const ControlText OptionsControlTexts[] = {
    {IDC_CLOSE, L"关闭"},
    {IDC_HELP_BUTTON, L"帮助(&H)"},
    // 启动方式
    {IDC_CK_HOTKEYS, L"热键(&K)"},
    {IDC_CK_MOUSE_BUTTON, L"鼠标右键(&R)"},
    {IDC_LB_ACTIVATION_TIME, L"按住时间(&A)"},
    {IDC_LB_HOLD_MIN, L"0.2"},
    {IDC_LB_HOLD_SECONDS, L"秒"},
    {IDC_LB_HOLD_MAX, L"1"},
    {IDC_LB_ACTIVATE_NOTE, L"按住鼠标右键，\n或使用热键，\n即可开始截图。"},
    // 截图
    {IDC_CK_INCLUDE, L"包含鼠标指针(&I)"},
    {IDC_LB_HIGHLIGHT, L"高亮颜色(&C)"},
    {IDC_GB_REPEAT, L" 重复 "},
    {IDC_CK_REPEAT_SCREENSHOT, L"上一张图像的副本(&P)"},
    {IDC_CK_REPEAT_AREA, L"按上次的区域截图(&A)"},
    {IDC_LB_HK_REPEAT, L"热键(&K)"},
    {IDC_LB_PRINT_SCREEN, L"按 Print Screen 键截取整个桌面。"},
    // 手绘、矩形、窗口
    {IDC_LB_HK_FREEHAND, L"热键(&K)"},
    {IDC_LB_HK_RECTANGLE, L"热键(&K)"},
    {IDC_GB_SELECTION, L" 选择 "},
    {IDC_CK_MANUALLY, L"手动(&M)"},
    {IDC_CK_FIXED, L"固定大小(&F)"},
    {IDC_LB_X, L"X"},
    {IDC_CK_LOCK, L"锁定数值(&L)"},
    {IDC_CK_EXTRA_LARGE, L"大十字光标(&C)"},
    {IDC_LB_HK_WINDOW, L"热键(&K)"},
    {IDC_CK_AUTO_SCROLL, L"自动滚动长窗口(&A)"},
    {IDC_LB_ALT_PRINT_SCREEN, L"按 Alt+Print Screen 截取活动窗口。"},
    // 发送到
    {IDC_GB_NOTIFICATION, L" 通知 "},
    {IDC_CK_SOUND, L"声音(&S)"},
    {IDC_CK_MOTION_MESSAGE, L"消息(&M)"},
    // 文件
    {IDC_LB_FILE_METHOD, L"方式(&M)"},
    {IDC_LB_FILE_NAME, L"名称(&N)"},
    {IDC_GB_FILE_FORMAT, L" 格式 "},
    {IDC_CK_FILE_BMP, L"BMP"},
    {IDC_CK_FILE_JPG, L"JPG"},
    {IDC_CK_FILE_GIF, L"GIF"},
    {IDC_CK_FILE_PNG, L"PNG"},
    {IDC_LB_FILE_LOCATION, L"输出文件夹(&F)"},
    {IDC_BT_FILE_BROWSE, L"浏览(&B)"},
    // 打印机/传真
    {IDC_GB_PRINT_SCALING, L" 大小 "},
    {IDC_CK_PRINTER_PROPORTIONAL, L"按比例(&P)"},
    {IDC_CK_PRINTER_FIT, L"适合页面(&F)"},
    {IDC_GB_PRINT_ORIENTATION, L" 方向 "},
    {IDC_CK_PRINTER_PORTRAIT, L"纵向(&O)"},
    {IDC_CK_PRINTER_LANDSCAPE, L"横向(&L)"},
    // 定时器
    {IDC_LB_TIMER_PERIOD, L"间隔(&I)"},
    {IDC_CK_IGNORE_IDENTICAL, L"忽略相同的截图(&G)"},
    {IDC_LB_HK_TIMER, L"热键(&K)"},
    {IDC_LB_TIMER_NOTE, L"使用热键开始/停止。"},
    // 精确
    {IDC_CK_RULLER, L"显示尺寸(&S)"},
    {IDC_GB_ZOOM, L" 放大镜 "},
    {IDC_CK_ZOOM_ON, L"开(&N)"},
    {IDC_CK_ZOOM_OFF, L"关(&F)"},
    {IDC_LB_ZOOM_FACTOR, L"倍数(&A)"},
    // 收藏夹
    {IDC_LB_FAVORITES_NOTE, L"在窗口中单击右键来管理收藏夹。"},
    {0, nullptr},
};

const wchar_t* const PageCaptions[PageCount] = {
    L"启动", L"截图", L"手绘", L"矩形", L"窗口",
    L"增强", L"边缘效果", L"注释", L"水印",
    L"发送到", L"剪贴板", L"文件", L"编辑器", L"Zovozu", L"Zovozu 未安装", L"邮件", L"网络", L"IM",
    L"ICQ", L"打印机/传真", L"自定义",
    L"定时器", L"精确", L"收藏夹",
};

const wchar_t* const PageTitles[PageCount] = {
    L"启动方式", L"截图", L"手绘", L"矩形", L"窗口",
    L"增强", L"边缘效果", L"注释", L"水印",
    L"发送到", L"剪贴板", L"文件", L"编辑器", L"Zovozu", L"Zovozu", L"邮件", L"网络",
    L"Windows Instant Messenger", L"ICQ", L"打印机/传真", L"自定义",
    L"定时器", L"精确", L"收藏夹",
};

const wchar_t* const PageBodies[PageCount] = {
    nullptr, nullptr, nullptr, nullptr, nullptr,
    L"使用自动边缘效果、注释和水印来美化您的截图。",
    nullptr, nullptr, nullptr,
    nullptr,
    L"与其他程序交换图像。",
    nullptr, nullptr,
    L"Vorlix Zovozu 可以为您的截图添加：\n\n- 气球提示\n- 文字\n- 便笺\n- 高亮\n- 形状\n- 图像\n- 颜色",
    L"Vorlix Zovozu 未安装。",
    nullptr, nullptr, nullptr, nullptr, nullptr,
    L"将您的截图发送到任何地方：\n\n- 您的网络\n- 互联网\n- 您的数据库\n- 您的共享文件夹\n- 其他应用程序",
    nullptr, nullptr, nullptr,
};

const wchar_t* const HighlightColorNames[3] = {L"天蓝", L"春绿", L"深色"};
const wchar_t* const FileMethodItems[3] = {L"提示输入文件名", L"固定文件名", L"自动生成文件名"};
const wchar_t* const TimerFormatItems[2] = {L"秒", L"分钟"};
const wchar_t* const ZoomFactorItems[3] = {L"x2", L"x4", L"x8"};

const wchar_t SelectionWidthRange[] = L"选择宽度必须介于 <MIN> 和 <MAX> 之间。";
const wchar_t SelectionHeightRange[] = L"选择高度必须介于 <MIN> 和 <MAX> 之间。";
const wchar_t FolderTooLong[] = L"此文件夹的路径太长。请选择路径较短的文件夹。\r<FOLDER>";
const wchar_t TextNotStorable[] = L"此文本包含无法保存到设置中的字符。请使用其他字符。";
const wchar_t BrowseFolderTitle[] = L"输出文件夹";

const wchar_t FavoriteApply[] = L"应用";
const wchar_t FavoriteAdd[] = L"将当前配置另存为...";
const wchar_t FavoriteUpdate[] = L"更新收藏";
const wchar_t FavoriteDelete[] = L"删除";
const wchar_t FavoriteRename[] = L"重命名";
const wchar_t FavoriteExists[] = L"收藏“<NAME>”已存在。\r是否替换？";
const wchar_t FavoriteUnreadable[] = L"收藏“<NAME>”无法读取。未做任何更改。";
const wchar_t FavoriteWriteFailed[] = L"收藏“<NAME>”无法保存。";
const wchar_t FavoriteDeleteFailed[] = L"收藏“<NAME>”无法删除。";
const wchar_t FavoriteNameTooLong[] = L"此名称对收藏来说太长。请选择较短的名称。";
const wchar_t SettingsNotSaved[] = L"无法保存当前设置。";

}  // namespace txt
