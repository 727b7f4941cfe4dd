// Simplified Chinese texts of the Mail destination and the SMTP sender.
#include "delivery/mail_texts.h"

namespace txt {

const wchar_t SentToMail[] = L"图像已发送到邮件";
const wchar_t NoMailProgram[] = L"此计算机上没有可用的电子邮件程序。";
const wchar_t PradomelMissing[] = L"缺少文件 pradomel.exe，请重新安装 Vorlix";
const wchar_t OutlookNotWorking[] = L"Outlook 在此计算机上无法正常工作。";
const wchar_t OutlookCannotSend[] = L"Vorlix 无法通过 Outlook 发送您的图像。";
const wchar_t OutlookExpressBroken[] = L"您计算机上的 Outlook Express 已损坏或无法正常工作。\r请重新安装 Outlook Express。";
const wchar_t OutlookExpressCannotSend[] = L"Vorlix 无法通过 Outlook Express 发送您的图像。";
const wchar_t NetscapeBroken[] = L"您计算机上的 Netscape 已损坏或无法正常工作。\r请重新安装 Netscape。";
const wchar_t NetscapeCannotSend[] = L"Vorlix 无法通过 Netscape 发送您的图像。";
const wchar_t EudoraBroken[] = L"您计算机上的 Eudora 已损坏或无法正常工作。\r请重新安装 Eudora。";
const wchar_t EudoraCannotSend[] = L"Vorlix 无法通过 Eudora 发送您的图像。";
const wchar_t IncrediMailNoEmbedding[] = L"IncrediMail 不允许嵌入图像。\r您的屏幕截图将作为附件发送。";
const wchar_t LotusNotesNotRunning[] = L"要使用 Vorlix 通过电子邮件发送屏幕截图，Lotus Notes 必须正在运行。";
const wchar_t SmtpFieldsMissing[] = L"请输入收件人、电子邮件地址、SMTP 服务器和端口。";
const wchar_t TempFileNotSaved[] = L"无法保存临时文件。";

const wchar_t PradomelTitle[] = L"Vorlix 邮件";
const wchar_t PradomelFailed[] = L"无法将您的图像放入新的 Outlook 邮件。";
const wchar_t PradomelFailedBecause[] = L"无法将您的图像放入新的 Outlook 邮件。\r\n<REASON>";
const wchar_t PradomelBadArguments[] = L"Outlook 辅助程序的启动参数有误。";
const wchar_t PradomelNoImage[] = L"无法读取图像文件：<FILE>";
const wchar_t PradomelRefused[] = L"Outlook 拒绝了此步骤：<STEP> (0x<CODE>)";

const wchar_t SmtpTitle[] = L"Vorlix 邮件";
const wchar_t SmtpPreview[] = L"收件人：<TO>\r\n主题：<SUBJECT>\r\n图像：<IMAGE>\r\n\r\n<BODY>\r\n\r\n现在发送此邮件吗？";
const wchar_t SmtpProgressConnecting[] = L"正在连接邮件服务器...";
const wchar_t SmtpProgressSending[] = L"正在发送邮件...";
const wchar_t SmtpFailed[] = L"无法通过电子邮件发送您的图像。";
const wchar_t SmtpFailedBecause[] = L"无法通过电子邮件发送您的图像。\r\n<REASON>";
const wchar_t SmtpBadArguments[] = L"邮件发送程序的启动参数有误。";
const wchar_t SmtpBadAddress[] = L"电子邮件地址无效：<ADDRESS>";
const wchar_t SmtpNoImage[] = L"无法读取图像文件：<FILE>";
const wchar_t SmtpNoConnection[] = L"无法连接到邮件服务器：<SERVER>";
const wchar_t SmtpLoginRefused[] = L"邮件服务器拒绝了用户名或密码。";
const wchar_t SmtpRefused[] = L"邮件服务器拒绝了该邮件：<REPLY>";
const wchar_t SmtpConnectionLost[] = L"与邮件服务器的连接已断开。";

}  // namespace txt
