// 选项对话框中增强页面以及编辑器、Zovozu 未安装、邮件、网络、IM 和 ICQ 页面的简体中文文本。
#include "options/options_pages_texts.h"
#include "options/page_controls_ids.h"

namespace txt {

const ControlText PageControlTexts[] = {
    // 边缘效果
    {IDC_CK_TORN, L"撕边(&T)"},
    {IDC_LB_TORN_SIZE, L"深度(&D)"},
    {IDC_GB_TORN_LOCATION, L" 位置 "},
    {IDC_BT_TORN_TOP, L"上"},
    {IDC_BT_TORN_RIGHT, L"右"},
    {IDC_BT_TORN_BOTTOM, L"下"},
    {IDC_BT_TORN_LEFT, L"左"},
    {IDC_CK_OUTLINE, L"轮廓(&O)"},
    {IDC_CK_SHADOW, L"阴影(&S)"},
    {IDC_LB_BACKGROUND_COLOR, L"背景"},
    // 注释
    {IDC_LB_ANNOTATION_CAPTION, L"文字(&C)"},
    {IDC_BT_ANNOTATION_ADD, L"+"},
    {IDC_BT_ANNOTATION_FONT, L"字体(&F)"},
    {IDC_BT_ANNOTATION_COLOR, L"颜色(&O) \x25BC"},
    {IDC_CK_ANNOTATION_BORDER, L"边框(&B)"},
    {IDC_LB_ANNOTATION_OPACITY_MIN, L"0%"},
    {IDC_LB_ANNOTATION_OPACITY, L"不透明度"},
    {IDC_LB_ANNOTATION_OPACITY_MAX, L"100%"},
    {IDC_GB_ANNOTATION_POSITION, L" 位置 "},
    {IDC_GB_ANNOTATION_OFFSET, L" 偏移 "},
    {IDC_LB_ANNOTATION_X, L"水平(&Z)"},
    {IDC_LB_ANNOTATION_Y, L"垂直(&V)"},
    // 水印
    {IDC_LB_WATERMARK_LOCATION, L"图像位置"},
    {IDC_BT_WATERMARK_BROWSE, L"浏览(&B)"},
    {IDC_BT_WATERMARK_PREVIEW, L"预览(&P)"},
    {IDC_CK_WATERMARK_TRANSPARENT, L"透明(&T)"},
    {IDC_LB_WATERMARK_OPACITY_MIN, L"0%"},
    {IDC_LB_WATERMARK_OPACITY, L"不透明度"},
    {IDC_LB_WATERMARK_OPACITY_MAX, L"100%"},
    {IDC_GB_WATERMARK_POSITION, L" 位置 "},
    {IDC_GB_WATERMARK_OFFSET, L" 偏移 "},
    {IDC_LB_WATERMARK_X, L"水平(&Z)"},
    {IDC_LB_WATERMARK_Y, L"垂直(&V)"},
    // 编辑器
    {IDC_RB_EDITOR_VORLIX, L"Vorlix Editor(&E)"},
    {IDC_LB_EDITOR_NOT_INSTALLED, L"未安装 Vorlix Editor。"},
    {IDC_BT_EDITOR_DOWNLOAD, L"立即下载(&D)"},
    {IDC_RB_EDITOR_CUSTOM, L"自定义(&C)"},
    {IDC_LB_EDITOR_PATH, L"程序位置"},
    {IDC_BT_EDITOR_BROWSE, L"浏览(&B)"},
    {IDC_LB_EDITOR_COMMAND_LINE, L"命令行(&L)（例如 \"<CAPTURE>\"）"},
    {IDC_GB_EDITOR_FILE, L"临时文件 "},
    {IDC_LB_EDITOR_FILE_NAME, L"名称(&N)"},
    {IDC_CK_EDITOR_BMP, L"BMP"},
    {IDC_CK_EDITOR_JPG, L"JPG"},
    {IDC_CK_EDITOR_GIF, L"GIF"},
    {IDC_CK_EDITOR_PNG, L"PNG"},
    // Zovozu 未安装
    {IDC_BT_ZOVOZU_DOWNLOAD, L"立即下载(&D)"},
    // 邮件
    {IDC_LB_MAIL_TO, L"收件人(&T)"},
    {IDC_LB_MAIL_SUBJECT, L"主题(&S)"},
    {IDC_LB_MAIL_PROGRAM, L"程序(&P)"},
    {IDC_CK_MAIL_EMBEDDED, L"嵌入(&E)"},
    {IDC_CK_MAIL_ATTACHED, L"附件(&A)"},
    {IDC_GB_SMTP, L" SMTP "},
    {IDC_LB_SMTP_EMAIL, L"发件人(&F)"},
    {IDC_LB_SMTP_SERVER, L"服务器(&V)"},
    {IDC_LB_SMTP_PORT, L"端口"},
    {IDC_LB_SMTP_USER_NAME, L"用户名(&U)"},
    {IDC_LB_SMTP_PASSWORD, L"密码(&W)"},
    {IDC_LB_SMTP_BODY, L"正文(&B)"},
    {IDC_CK_SMTP_PREVIEW, L"预览(&R)"},
    {IDC_CK_SMTP_PROGRESS, L"显示进度(&G)"},
    {IDC_GB_ATTACH_FILE, L"附件文件 "},
    {IDC_LB_ATTACH_FILE_NAME, L"名称(&N)"},
    {IDC_CK_ATTACH_BMP, L"BMP"},
    {IDC_CK_ATTACH_JPG, L"JPG"},
    {IDC_CK_ATTACH_GIF, L"GIF"},
    {IDC_CK_ATTACH_PNG, L"PNG"},
    // 网络
    {IDC_LB_FTP_SERVER, L"FTP 服务器(&S)"},
    {IDC_LB_FTP_PORT, L"端口(&O)"},
    {IDC_LB_FTP_PATH, L"路径(&A)"},
    {IDC_LB_FTP_USER_NAME, L"用户名(&U)"},
    {IDC_LB_FTP_PASSWORD, L"密码(&W)"},
    {IDC_CK_FTP_PASSIVE, L"被动模式（用于防火墙）(&I)"},
    {IDC_CK_FTP_PROGRESS, L"显示上传进度(&G)"},
    {IDC_LB_PROXY_SERVER, L"代理服务器(&X)"},
    {IDC_LB_PROXY_PORT, L"端口(&R)"},
    {IDC_LB_FTP_FILE_METHOD, L"方式(&M)"},
    {IDC_GB_FTP_FILE, L"文件 "},
    {IDC_LB_FTP_FILE_NAME, L"名称(&N)"},
    {IDC_CK_FTP_BMP, L"BMP"},
    {IDC_CK_FTP_JPG, L"JPG"},
    {IDC_CK_FTP_GIF, L"GIF"},
    {IDC_CK_FTP_PNG, L"PNG"},
    // IM
    {IDC_LB_IM_EMAIL, L"电子邮件(&E)"},
    {IDC_GB_IM_FILE, L"临时文件 "},
    {IDC_LB_IM_FILE_NAME, L"名称(&N)"},
    {IDC_CK_IM_BMP, L"BMP"},
    {IDC_CK_IM_JPG, L"JPG"},
    {IDC_CK_IM_GIF, L"GIF"},
    {IDC_CK_IM_PNG, L"PNG"},
    // ICQ
    {IDC_LB_ICQ_USER, L"用户(&U)"},
    {IDC_GB_ICQ_FILE, L"临时文件 "},
    {IDC_LB_ICQ_FILE_NAME, L"名称(&N)"},
    {IDC_CK_ICQ_BMP, L"BMP"},
    {IDC_CK_ICQ_JPG, L"JPG"},
    {IDC_CK_ICQ_GIF, L"GIF"},
    {IDC_CK_ICQ_PNG, L"PNG"},
    {0, nullptr},
};

const wchar_t* const MailProgramItems[7] = {L"Outlook", L"Outlook Express", L"Netscape Messenger", L"Eudora",
                                            L"IncrediMail", L"Lotus Notes", L"SMTP"};
const wchar_t* const PlaceholderItems[5] = {L"时:分:秒 - 时间", L"月/日/年 - 日期", L"计算机名", L"用户名",
                                            L"换行"};
const wchar_t AnnotationColorBorder[] = L"边框";
const wchar_t AnnotationColorBackground[] = L"背景";
const wchar_t OutlineColorCaption[] = L" 轮廓颜色 ";
const wchar_t ShadowColorCaption[] = L" 阴影颜色 ";
const wchar_t BackgroundColorCaption[] = L" 背景颜色 ";

const wchar_t PortRange[] = L"请输入 1 到 255 之间的数字";
const wchar_t OffsetRange[] = L"请输入 0 到 <MAX> 之间的数字";
const wchar_t PlaceholderTooLong[] = L"文字已满，无法插入此占位符。请先缩短文字。";
const wchar_t PathTooLong[] = L"此文件的路径太长。请选择路径较短的文件。\r<FILE>";
const wchar_t ChooseWatermark[] = L"选择水印";
const wchar_t WatermarkFilter[] = L"Windows 位图 (*.bmp)";
const wchar_t ChooseEditor[] = L"选择编辑器";
const wchar_t EditorFilter[] = L"可执行文件 (*.exe)";

}  // namespace txt
