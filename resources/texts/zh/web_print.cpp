// 网络与打印目标以及上传程序的简体中文文本。
#include "delivery/web_print_texts.h"

namespace txt {

const wchar_t SentToWeb[] = L"图像已发送到网络";
const wchar_t FtpSettingsMissing[] = L"请输入您的 FTP 服务器、端口和路径。";
const wchar_t WebPromptCaption[] = L"Vorlix - 发送到网络";
const wchar_t WebPromptLabel[] = L"文件名：";
const wchar_t WebNameEmpty[] = L"文件名不能为空。";
const wchar_t WebTempFileFailed[] = L"无法保存临时文件。";
const wchar_t ButtonOK[] = L"确定";
const wchar_t ButtonCancel[] = L"取消";

const wchar_t UploadCaption[] = L"Trabbon";
const wchar_t UploadWrongArguments[] = L"Trabbon 启动参数错误。请重新安装 Vorlix。";
const wchar_t UploadFileUnreadable[] = L"文件 <FILE> 无法读取。";
const wchar_t UploadCannotConnect[] = L"无法连接到 <SERVER>。请检查 FTP 服务器、端口和代理。";
const wchar_t UploadGreetingRefused[] = L"无法连接到 <SERVER>。请检查 FTP 服务器、端口和代理。\r<REPLY>";
const wchar_t UploadLoginRefused[] = L"FTP 服务器拒绝了用户名或密码。\r<REPLY>";
const wchar_t UploadFolderRefused[] = L"FTP 服务器拒绝了文件夹 <FOLDER>。\r<REPLY>";
const wchar_t UploadRefused[] = L"FTP 服务器拒绝了文件 <FILE>。\r<REPLY>";
const wchar_t UploadNoDataConnection[] = L"无法建立到 FTP 服务器的数据连接。请尝试另一种传输模式（被动或主动）。";
const wchar_t UploadDataConnectionRefused[] =
    L"无法建立到 FTP 服务器的数据连接。请尝试另一种传输模式（被动或主动）。\r<REPLY>";
const wchar_t UploadConnectionLost[] = L"与 FTP 服务器的连接已断开。";
const wchar_t UploadProgress[] = L"正在上传 <FILE> ...";

const wchar_t SentToPrinter[] = L"图像已发送到打印机/传真";
const wchar_t NoPrinter[] = L"此计算机上没有安装打印机/传真。";
const wchar_t CannotPrint[] = L"Vorlix 无法打印/传真您的图像。";
const wchar_t PrintJobName[] = L"Vorlix Tessavue";

}  // namespace txt
