// English texts of the Mail destination and the SMTP sender.
#include "delivery/mail_texts.h"

namespace txt {

const wchar_t SentToMail[] = L"Image sent to Mail";
const wchar_t NoMailProgram[] = L"No email program available on this computer.";
const wchar_t PradomelMissing[] = L"File pradomel.exe is missing, please reinstall Vorlix";
const wchar_t OutlookNotWorking[] = L"Outlook is not working properly on this computer.";
const wchar_t OutlookCannotSend[] = L"Vorlix cannot send your image via Outlook.";
const wchar_t OutlookExpressBroken[] =
    L"Outlook Express is either corrupted or not working properly on your computer.\rPlease reinstall Outlook Express.";
const wchar_t OutlookExpressCannotSend[] = L"Vorlix cannot send your image via Outlook Express.";
const wchar_t NetscapeBroken[] =
    L"Netscape is either corrupted or not working properly on your computer.\rPlease reinstall Netscape.";
const wchar_t NetscapeCannotSend[] = L"Vorlix cannot send your image via Netscape.";
const wchar_t EudoraBroken[] =
    L"Eudora is either corrupted or not working properly on your computer.\rPlease reinstall Eudora.";
const wchar_t EudoraCannotSend[] = L"Vorlix cannot send your image via Eudora.";
const wchar_t IncrediMailNoEmbedding[] =
    L"IncrediMail doesn't allow embedding.\rYour screenshots will be sent as attachements.";
const wchar_t LotusNotesNotRunning[] = L"To e-mail screenshots using Vorlix, Lotus Notes must be running.";
const wchar_t SmtpFieldsMissing[] = L"Please enter your Recipient, E-Mail, SMTP Server and Port.";
const wchar_t TempFileNotSaved[] = L"Temporary file cannot be saved.";

const wchar_t PradomelTitle[] = L"Vorlix Mail";
const wchar_t PradomelFailed[] = L"Your image could not be put into a new Outlook message.";
const wchar_t PradomelFailedBecause[] = L"Your image could not be put into a new Outlook message.\r\n<REASON>";
const wchar_t PradomelBadArguments[] = L"The Outlook helper was started with wrong arguments.";
const wchar_t PradomelNoImage[] = L"The image file cannot be read: <FILE>";
const wchar_t PradomelRefused[] = L"Outlook refused this step: <STEP> (0x<CODE>)";

const wchar_t SmtpTitle[] = L"Vorlix Mail";
const wchar_t SmtpPreview[] =
    L"To: <TO>\r\nSubject: <SUBJECT>\r\nImage: <IMAGE>\r\n\r\n<BODY>\r\n\r\nSend this message now?";
const wchar_t SmtpProgressConnecting[] = L"Connecting to the mail server...";
const wchar_t SmtpProgressSending[] = L"Sending the message...";
const wchar_t SmtpFailed[] = L"Your image could not be sent by e-mail.";
const wchar_t SmtpFailedBecause[] = L"Your image could not be sent by e-mail.\r\n<REASON>";
const wchar_t SmtpBadArguments[] = L"The mail sender was started with wrong arguments.";
const wchar_t SmtpBadAddress[] = L"An e-mail address is not valid: <ADDRESS>";
const wchar_t SmtpNoImage[] = L"The image file cannot be read: <FILE>";
const wchar_t SmtpNoConnection[] = L"The mail server cannot be reached: <SERVER>";
const wchar_t SmtpLoginRefused[] = L"The mail server refused the user name or password.";
const wchar_t SmtpRefused[] = L"The mail server refused the message: <REPLY>";
const wchar_t SmtpConnectionLost[] = L"The connection to the mail server was lost.";

}  // namespace txt
