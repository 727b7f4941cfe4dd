// The Mail destination: which mail programs are installed (found through the
// shell's file associations), the image file every mail route sends, and the
// seven routes, one per kind of mail program (TMailClient).
#pragma once

#include <string>
#include <vector>

// Program paths found by CheckMailClient, one per client kind 1..6; empty
// when not found. A client counts as available while its path names a file.
extern std::wstring OutlookPath, OutlookExpressPath, NetscapePath, EudoraPath, IncrediMailPath, LotusNotesPath;

// The program the shell opens the file with; empty when there is none.
std::wstring FindAssociatedProgram(const std::wstring& file);
// Asks the shell which program opens files of the extension (".eml"),
// through a file "client<extension>" in the temporary folder. A file of that
// name that is already there is used as it is and left alone; one the probe
// made is deleted again.
bool ProbeMailExtension(const wchar_t* extension, std::wstring& path);

bool DetectOutlook();
bool DetectOutlookExpress();
bool DetectNetscape();
bool DetectEudora();
bool DetectIncrediMail();
bool DetectLotusNotes();

// Refreshes every client path; when the chosen client (1..6) is not found the
// setting becomes SMTP and is saved.
void CheckMailClient();

// The path of the chosen client kind's program (empty for SMTP or unknown).
const std::wstring& MailClientPath(int kind);
// True when the kind's program path names an existing file (always for SMTP).
bool MailClientAvailable(int kind);

// Writes the capture to the file the mail routes send and sets
// ImageFileName: embedded, a numbered GIF (JPEG for Eudora) after FileName;
// attached, MailFileName in MailFormat. Shows "Temporary file cannot be
// created." on failure.
bool PrepareMailImage();

bool SendViaOutlook();
bool SendViaOutlookExpress();
bool SendViaNetscape();
bool SendViaEudora();
bool SendViaIncrediMail();
bool SendViaLotusNotes();
bool SendViaSmtp();

// The arguments of the programs the routes start, quoted and joined.
std::wstring PradomelParameters();
std::wstring IncrediMailParameters();
// The thirteen values handed to the SMTP sender, in their order.
std::vector<std::wstring> SmtpArguments();

// The destination routine: the route of MailClient, the notice, and on
// failure the options dialog so that the mail settings can be mended.
bool SendToMail();
