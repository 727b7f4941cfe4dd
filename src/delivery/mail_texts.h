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

// The Outlook helper (pradomel.exe): what it reports. A text with a value
// has a placeholder where the value goes, filled by ui::FormatText
// (ui/text_format.h).
extern const wchar_t PradomelTitle[];            // caption of its message box
extern const wchar_t PradomelFailed[];           // no reason known
extern const wchar_t PradomelFailedBecause[];    // <REASON>: what failed, on the next line
extern const wchar_t PradomelBadArguments[];
extern const wchar_t PradomelNoImage[];          // <FILE>: the image's path
extern const wchar_t PradomelRefused[];          // <STEP>: the step Outlook refused, <CODE>: its error in hex

// The SMTP sender (sulvane.exe): its windows and what it reports.
extern const wchar_t SmtpTitle[];                // caption of its windows
extern const wchar_t SmtpPreview[];              // <TO>, <SUBJECT>, <IMAGE> (its name), <BODY> of the message
extern const wchar_t SmtpProgressConnecting[];
extern const wchar_t SmtpProgressSending[];
extern const wchar_t SmtpFailed[];               // no reason known
extern const wchar_t SmtpFailedBecause[];        // <REASON>: what failed, on the next line
extern const wchar_t SmtpBadArguments[];
extern const wchar_t SmtpBadAddress[];           // <ADDRESS>: the address as given
extern const wchar_t SmtpNoImage[];              // <FILE>: the image's path
extern const wchar_t SmtpNoConnection[];         // <SERVER>: the server, with its port where known
extern const wchar_t SmtpLoginRefused[];
extern const wchar_t SmtpRefused[];              // <REPLY>: the first line of the server's answer
extern const wchar_t SmtpConnectionLost[];

}  // namespace txt
