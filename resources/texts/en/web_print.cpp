// English texts of the Web and Printer destinations and of the uploader.
#include "delivery/web_print_texts.h"

namespace txt {

const wchar_t SentToWeb[] = L"Image sent to Web";
const wchar_t FtpSettingsMissing[] = L"Please enter your FTP server, port and path.";
const wchar_t WebPromptCaption[] = L"Vorlix - Send To Web";
const wchar_t WebPromptLabel[] = L"Prompt : ";
const wchar_t WebNameEmpty[] = L"The file name can't be empty.";
const wchar_t WebTempFileFailed[] = L"Temporary file cannot be saved.";
const wchar_t ButtonOK[] = L"OK";
const wchar_t ButtonCancel[] = L"Cancel";

const wchar_t UploadCaption[] = L"Trabbon";
const wchar_t UploadWrongArguments[] = L"Trabbon was started with wrong arguments. Please reinstall Vorlix.";
const wchar_t UploadFileUnreadable[] = L"The file <FILE> cannot be read.";
const wchar_t UploadCannotConnect[] = L"Cannot connect to <SERVER>. Please check the FTP server, port and proxy.";
const wchar_t UploadGreetingRefused[] =
    L"Cannot connect to <SERVER>. Please check the FTP server, port and proxy.\r<REPLY>";
const wchar_t UploadLoginRefused[] = L"The FTP server refused the user name or password.\r<REPLY>";
const wchar_t UploadFolderRefused[] = L"The FTP server refused the folder <FOLDER>.\r<REPLY>";
const wchar_t UploadRefused[] = L"The FTP server refused the file <FILE>.\r<REPLY>";
const wchar_t UploadNoDataConnection[] = L"No data connection to the FTP server. Please try the other transfer mode (passive or active).";
const wchar_t UploadDataConnectionRefused[] =
    L"No data connection to the FTP server. Please try the other transfer mode (passive or active).\r<REPLY>";
const wchar_t UploadConnectionLost[] = L"The connection to the FTP server was lost.";
const wchar_t UploadProgress[] = L"Uploading <FILE> ...";

const wchar_t SentToPrinter[] = L"Image sent to Printer/Fax";
const wchar_t NoPrinter[] = L"No printer/fax installed on this computer.";
const wchar_t CannotPrint[] = L"Vorlix cannot print/fax your image.";
const wchar_t PrintJobName[] = L"Vorlix Tessavue";

}  // namespace txt
