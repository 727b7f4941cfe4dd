// Simplified Chinese texts of the IM and ICQ destinations.
#include "delivery/messenger_texts.h"

namespace txt {

const wchar_t SentToIcq[] = L"图像已发送到 ICQ";
const wchar_t IcqNotAvailable[] = L"要使用 Vorlix 向 ICQ 用户发送屏幕截图，\rICQ 必须已安装、正在运行并且在线。";
const wchar_t IcqNoContact[] = L"请输入预设的 ICQ 目标用户。";
const wchar_t IcqNotOnline[] = L"<NICK> 不在线。    ";
const wchar_t IcqCannotSend[] = L"Vorlix 无法通过 ICQ 发送文件。";

const wchar_t SentToIm[] = L"图像已发送到 IM";
const wchar_t ImNotInstalled[] = L"必须安装 IM";
const wchar_t ImNotRunning[] = L"IM 必须正在运行";
const wchar_t ImSignIn[] = L"IM：请先登录。";
const wchar_t ImEmptyAddress[] = L"IM：电子邮件地址为空。";
const wchar_t ImUserOffline[] = L"IM：用户已离线";
const wchar_t ImUserNotFound[] = L"IM：在您的联系人列表中找不到该用户";
const wchar_t ImNotReady[] = L"IM：必须正在运行并且已登录。";

}  // namespace txt
