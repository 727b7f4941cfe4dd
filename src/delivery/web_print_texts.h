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

// The uploader. Parts ending in A and B enclose a name or a server reply.
extern const wchar_t UploadCaption[];
extern const wchar_t UploadWrongArguments[];
extern const wchar_t UploadFileUnreadableA[];   // + path + UploadFileUnreadableB
extern const wchar_t UploadFileUnreadableB[];
extern const wchar_t UploadCannotConnectA[];    // + host:port + UploadCannotConnectB
extern const wchar_t UploadCannotConnectB[];
extern const wchar_t UploadLoginRefused[];      // + "\r" + the server's reply
extern const wchar_t UploadFolderRefusedA[];    // + folder + UploadFolderRefusedB + "\r" + reply
extern const wchar_t UploadFolderRefusedB[];
extern const wchar_t UploadRefusedA[];          // + remote name + UploadRefusedB + "\r" + reply
extern const wchar_t UploadRefusedB[];
extern const wchar_t UploadNoDataConnection[];  // + "\r" + reply (may be empty)
extern const wchar_t UploadConnectionLost[];
extern const wchar_t UploadProgressA[];         // + remote name + UploadProgressB
extern const wchar_t UploadProgressB[];

// Printer destination
extern const wchar_t SentToPrinter[];
extern const wchar_t NoPrinter[];
extern const wchar_t CannotPrint[];
extern const wchar_t PrintJobName[];

}  // namespace txt
