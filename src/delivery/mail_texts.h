// Texts of the Mail destination, its mail-program routes and the SMTP sender.
// Defined per language in resources/texts/<lang>/mail.cpp.
#pragma once

namespace txt {

extern const wchar_t SentToMail[];               // "Image sent to Mail"
extern const wchar_t NoMailProgram[];
extern const wchar_t PradomelMissing[];
extern const wchar_t OutlookNotWorking[];
extern const wchar_t OutlookCannotSend[];
extern const wchar_t OutlookExpressBroken[];
extern const wchar_t OutlookExpressCannotSend[];
extern const wchar_t NetscapeBroken[];
extern const wchar_t NetscapeCannotSend[];
extern const wchar_t EudoraBroken[];
extern const wchar_t EudoraCannotSend[];
extern const wchar_t IncrediMailNoEmbedding[];
extern const wchar_t LotusNotesNotRunning[];
extern const wchar_t SmtpFieldsMissing[];
extern const wchar_t TempFileNotSaved[];

// The Outlook helper (pradomel.exe): what it reports.
extern const wchar_t PradomelTitle[];            // caption of its message box
extern const wchar_t PradomelFailed[];           // followed by the reason on the next line
extern const wchar_t PradomelBadArguments[];
extern const wchar_t PradomelNoImage[];          // followed by the file's path
extern const wchar_t PradomelRefused[];          // followed by the step Outlook refused

// The SMTP sender (sulvane.exe): its windows and what it reports.
extern const wchar_t SmtpTitle[];                // caption of its windows
extern const wchar_t SmtpPreviewA[];             // before the recipients
extern const wchar_t SmtpPreviewSubject[];
extern const wchar_t SmtpPreviewAttachment[];
extern const wchar_t SmtpPreviewQuestion[];
extern const wchar_t SmtpProgressConnecting[];
extern const wchar_t SmtpProgressSending[];
extern const wchar_t SmtpFailed[];               // followed by the reason on the next line
extern const wchar_t SmtpBadArguments[];
extern const wchar_t SmtpBadAddress[];
extern const wchar_t SmtpNoImage[];
extern const wchar_t SmtpNoConnection[];
extern const wchar_t SmtpLoginRefused[];
extern const wchar_t SmtpRefused[];              // followed by the server's answer
extern const wchar_t SmtpConnectionLost[];

}  // namespace txt
