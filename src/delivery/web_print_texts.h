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
// filled by ui::FormatText (ui/text_format.h); the server's reply, where there
// is one, follows a refusal on a line of its own, as the server wrote it.
extern const wchar_t UploadCaption[];
extern const wchar_t UploadWrongArguments[];
extern const wchar_t UploadFileUnreadable[];    // <FILE>: the local path
extern const wchar_t UploadCannotConnect[];     // <SERVER>: host:port
extern const wchar_t UploadLoginRefused[];      // then the reply
extern const wchar_t UploadFolderRefused[];     // <FOLDER>: the remote folder; then the reply
extern const wchar_t UploadRefused[];           // <FILE>: the remote name; then the reply
extern const wchar_t UploadNoDataConnection[];  // then the reply, when there is one
extern const wchar_t UploadConnectionLost[];
extern const wchar_t UploadProgress[];          // <FILE>: the remote name

// Printer destination
extern const wchar_t SentToPrinter[];
extern const wchar_t NoPrinter[];
extern const wchar_t CannotPrint[];
extern const wchar_t PrintJobName[];

}  // namespace txt
