// Texts of the Web destination, of the uploader program (trabbon.exe) and of
// the Printer destination. Defined per language in
// resources/texts/<lang>/web_print.cpp.
#pragma once

namespace txt {

// Web destination
extern const wchar_t SentToWeb[];
extern const wchar_t FtpSettingsMissing[];
extern const wchar_t WebPromptCaption[];
extern const wchar_t WebPromptLabel[];
extern const wchar_t WebNameEmpty[];
extern const wchar_t WebTempFileFailed[];
extern const wchar_t ButtonOK[];
extern const wchar_t ButtonCancel[];

// The uploader. A text with a value has a placeholder where the value goes,
// filled by ui::FormatText (ui/text_format.h); <REPLY> is the server's reply
// as the server wrote it, on a line of its own.
extern const wchar_t UploadCaption[];
extern const wchar_t UploadWrongArguments[];
extern const wchar_t UploadFileUnreadable[];         // <FILE>: the local path
extern const wchar_t UploadCannotConnect[];          // <SERVER>: host:port
extern const wchar_t UploadGreetingRefused[];        // <SERVER>, <REPLY>: the server answered, but not with welcome
extern const wchar_t UploadLoginRefused[];           // <REPLY>
extern const wchar_t UploadFolderRefused[];          // <FOLDER>: the remote folder; <REPLY>
extern const wchar_t UploadRefused[];                // <FILE>: the remote name; <REPLY>
extern const wchar_t UploadNoDataConnection[];       // no reply to show
extern const wchar_t UploadDataConnectionRefused[];  // <REPLY>: the refusal of the data connection
extern const wchar_t UploadConnectionLost[];
extern const wchar_t UploadProgress[];               // <FILE>: the remote name

// Printer destination
extern const wchar_t SentToPrinter[];
extern const wchar_t NoPrinter[];
extern const wchar_t CannotPrint[];
extern const wchar_t PrintJobName[];

}  // namespace txt
