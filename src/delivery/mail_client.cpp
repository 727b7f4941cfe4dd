#include "delivery/mail_client.h"

#include <windows.h>
#include <shellapi.h>
#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/errors.h"
#include "base/foreground.h"
#include "base/globals.h"
#include "base/options_calls.h"
#include "base/notice.h"
#include "base/settings_store.h"
#include "base/texts.h"
#include "base/files.h"
#include "delivery/automation.h"
#include "delivery/command_line.h"
#include "delivery/destinations.h"
#include "delivery/image_savers.h"
#include "delivery/mail_base64.h"
#include "delivery/mail_message.h"
#include "delivery/mail_texts.h"
#include "ui/text_convert.h"

std::wstring OutlookPath, OutlookExpressPath, NetscapePath, EudoraPath, IncrediMailPath, LotusNotesPath;

namespace {

const wchar_t kPradomel[] = L"pradomel.exe";
const wchar_t kSulvane[] = L"sulvane.exe";

std::wstring Field(std::string_view bytes) { return ui::ToWide(bytes); }

std::wstring BlankIfEmpty(const std::wstring& s) { return s.empty() ? std::wstring(L" ") : s; }

// Extension-less file name of a path.
std::wstring Stem(const std::wstring& path) {
    const std::wstring name = FileNameOf(path);
    const size_t dot = name.find_last_of(L'.');
    return dot == std::wstring::npos ? name : name.substr(0, dot);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    if (!ok) DeleteFileW(path.c_str());
    return ok;
}

// The image file as MIME Base64 text; false when it cannot be read.
bool EncodeImageFile(const std::wstring& path, std::string& text) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    base64::EncodeStream(in, out);
    if (in.bad()) return false;
    text = out.str();
    return true;
}

mail::MessageFields CurrentFields() {
    mail::MessageFields f;
    f.to = Config.MailTo.str();
    f.subject = Config.MailSubject.str();
    // The messages name the image by its path (a link, the attachment's
    // name): in a form the code page holds, as the message's bytes are.
    f.imagePath = ui::ToAnsiPath(ImageFileName).value_or(ui::ToAnsi(ImageFileName));
    f.attached = Config.MailMethod == 2;
    // The record's texts are bytes of the system's code page: a subject or
    // file name that is not ASCII is written encoded under that code page's
    // name, so the mail program shows it whatever its own code page is.
    f.charset = mail::CharsetOfCodePage(GetACP());
    return f;
}

// Steps 1 and 2 shared by the routes that start a mail program: the program
// must be there (else false without a message: the options dialog shows it
// missing), then the image is written.
bool ClientReady(const std::wstring& path) { return FileExists(path) && PrepareMailImage(); }

// A message file written, then the program started on it. The messages: the
// file cannot be written, the program did not start.
bool SendMessageFile(const std::wstring& messagePath, const mail::Lines& lines, const std::wstring& program,
                     const std::wstring& parameters, const wchar_t* cannotSend, const wchar_t* broken) {
    if (lines.empty() || !WriteWholeFile(messagePath, mail::JoinLines(lines))) {
        ShowError(cannotSend);
        return false;
    }
    if (!StartOutsideProgram(program, parameters, L"")) {
        ShowError(broken);
        return false;
    }
    return true;
}

// The template and the image's Base64 text for the two MIME routes.
bool MimeParts(const wchar_t* resource, mail::Lines& lines, std::string& base64, bool needImage) {
    lines = LoadResourceStrings(resource);
    return !needImage || EncodeImageFile(ImageFileName, base64);
}

}  // namespace

std::wstring FindAssociatedProgram(const std::wstring& file) {
    wchar_t result[MAX_PATH + 1] = {};
    const std::wstring folder = FolderOf(file);
    const auto code = reinterpret_cast<INT_PTR>(
        FindExecutableW(FileNameOf(file).c_str(), folder.empty() ? nullptr : folder.c_str(), result));
    return code > 32 ? std::wstring(result) : std::wstring();
}

bool ProbeMailExtension(const wchar_t* extension, std::wstring& path) {
    path.clear();
    if (TempFolder.empty()) return false;
    const std::wstring scratch = TempFolder + L"client" + extension;
    // A file of this name may be somebody's own: it serves the question just
    // as well and is never touched.
    bool made = false;
    if (!FileExists(scratch)) {
        HANDLE file = CreateFileW(scratch.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            CloseHandle(file);
            made = true;
        }
    }
    path = FindAssociatedProgram(scratch);
    if (made) DeleteFileW(scratch.c_str());
    return !path.empty();
}

bool DetectOutlook() { return ProbeMailExtension(L".msg", OutlookPath); }

bool DetectOutlookExpress() {
    bool found = ProbeMailExtension(L".eml", OutlookExpressPath);
    // Another program may own .eml; Outlook Express is the one that also
    // opens news messages.
    if (found && FileNameOf(OutlookExpressPath) != L"msimn.exe") found = ProbeMailExtension(L".nws", OutlookExpressPath);
    return found;
}

bool DetectNetscape() {
    bool found = ProbeMailExtension(L".aim", NetscapePath);
    if (found) {
        const size_t at = NetscapePath.find(L"AIM");
        if (at != std::wstring::npos) {
            NetscapePath = NetscapePath.substr(0, at) + L"netscape.exe";
            found = FileExists(NetscapePath);
        } else {
            found = false;
        }
    }
    if (!found) NetscapePath.clear();
    return found;
}

bool DetectEudora() { return ProbeMailExtension(L".sta", EudoraPath); }

bool DetectIncrediMail() {
    static const wchar_t* const kExtensions[] = {L".imk", L".ima", L".imc", L".ime", L".imf",
                                                 L".imi", L".imn", L".ims", L".imw"};
    bool found = false;
    for (const wchar_t* extension : kExtensions) {
        if (ProbeMailExtension(extension, IncrediMailPath)) {
            IncrediMailPath = FolderOf(IncrediMailPath) + L"IncMail.exe";
            found = FileExists(IncrediMailPath);
            break;
        }
    }
    if (!found) IncrediMailPath.clear();
    return found;
}

bool DetectLotusNotes() { return ProbeMailExtension(L".nsf", LotusNotesPath); }

void CheckMailClient() {
    const bool found[] = {DetectOutlook(),   DetectOutlookExpress(), DetectNetscape(),
                          DetectEudora(),    DetectIncrediMail(),    DetectLotusNotes()};
    const int kind = Config.MailClient;
    if (kind >= mcOutlook && kind <= mcLotusNotes && !found[kind - 1]) {
        Config.MailClient = mcSmtp;
        SaveConfiguration();
    }
}

const std::wstring& MailClientPath(int kind) {
    static const std::wstring none;
    switch (kind) {
        case mcOutlook: return OutlookPath;
        case mcOutlookExpress: return OutlookExpressPath;
        case mcNetscape: return NetscapePath;
        case mcEudora: return EudoraPath;
        case mcIncrediMail: return IncrediMailPath;
        case mcLotusNotes: return LotusNotesPath;
        default: return none;
    }
}

bool MailClientAvailable(int kind) { return kind == mcSmtp || FileExists(MailClientPath(kind)); }

bool PrepareMailImage() {
    bool ok = false;
    if (!TempFolder.empty()) {
        if (Config.MailMethod == 1) {
            // An empty name would write a file called by its number alone,
            // which nothing would ever clean up.
            const std::wstring name = Field(Config.FileName.view());
            if (!name.empty() && IsPlainFileName(name)) {
                ImageFileName = NextNumberedFileName(TempFolder, name, Config.MailClient == mcEudora ? ifJPEG : ifGIF);
                ok = SaveCaptureByExtension();
            }
        } else if (Config.MailMethod == 2) {
            // An empty attachment name would write a file called only by its
            // extension.
            const std::wstring name = Field(Config.MailFileName.view());
            const std::wstring extension = ImageExtension(delivery::KnownFormat(Config.MailFormat));
            if (!name.empty() && IsPlainFileName(name) && !extension.empty()) {
                ImageFileName = TempFolder + name + extension;
                ok = SaveCaptureByExtension();
            }
        }
    }
    if (!ok) ShowError(txt::TempFileFailed);
    return ok;
}

std::wstring PradomelParameters() {
    return cmdline::JoinArguments({ImageFileName, BlankIfEmpty(Field(Config.MailTo.view())),
                                   BlankIfEmpty(Field(Config.MailSubject.view()))});
}

bool SendViaOutlook() {
    if (!ClientReady(OutlookPath)) return false;
    if (Config.MailMethod == 1) {
        const std::wstring program = ProgramFolder + kPradomel;
        if (!FileExists(program)) {
            ShowError(txt::PradomelMissing);
            return false;
        }
        // Its start is checked like every other: a helper that did not start
        // has sent nothing.
        return StartOutsideProgram(program, PradomelParameters(), ProgramFolder, SW_HIDE);
    }
    // Attached: a new mail item of the running Outlook (or a new Outlook),
    // shown to the user to send. The references are released on every way
    // out, errors included.
    automation::Object outlook;
    try {
        outlook = automation::Object::RunningOrCreate(L"Outlook.Application");
    } catch (const automation::Error&) {
        ShowError(txt::OutlookNotWorking);
        return false;
    }
    try {
        automation::Object item = outlook.Call(L"CreateItem", {0}).AsObject();
        const std::wstring to = Field(Config.MailTo.view());
        if (!to.empty()) item.Get(L"Recipients").AsObject().Call(L"Add", {to});
        item.Put(L"Subject", Field(Config.MailSubject.view()));
        item.Get(L"Attachments").AsObject().Call(L"Add", {ImageFileName});
        item.Call(L"Display");
    } catch (const automation::Error&) {
        ShowError(txt::OutlookCannotSend);
        return false;
    }
    return true;
}

bool SendViaOutlookExpress() {
    if (!ClientReady(OutlookExpressPath)) return false;
    mail::Lines lines;
    std::string base64;
    const std::wstring message = TempFolder + Stem(ImageFileName) + L".eml";
    if (MimeParts(L"OUTLOOKEXPRESS", lines, base64, true))
        lines = mail::OutlookExpressMessage(std::move(lines), CurrentFields(), base64);
    else
        lines.clear();
    return SendMessageFile(message, lines, OutlookExpressPath,
                           L"/eml:" + cmdline::QuoteForeignArgument(OutsideProgramPath(message)),
                           txt::OutlookExpressCannotSend, txt::OutlookExpressBroken);
}

bool SendViaNetscape() {
    if (!ClientReady(NetscapePath)) return false;
    const mail::MessageFields fields = CurrentFields();
    mail::Lines lines;
    std::string base64;
    const std::wstring message = TempFolder + Stem(ImageFileName) + L".txt";
    if (MimeParts(L"NETSCAPE", lines, base64, fields.attached))
        lines = mail::NetscapeMessage(std::move(lines), fields, base64);
    else
        lines.clear();
    return SendMessageFile(message, lines, NetscapePath,
                           L"-compose " + cmdline::QuoteForeignArgument(OutsideProgramPath(message)),
                           txt::NetscapeCannotSend, txt::NetscapeBroken);
}

bool SendViaEudora() {
    if (!ClientReady(EudoraPath)) return false;
    const std::wstring stationery = TempFolder + Stem(ImageFileName) + L".sta";
    return SendMessageFile(stationery, mail::EudoraStationery(CurrentFields()), EudoraPath,
                           cmdline::QuoteForeignArgument(OutsideProgramPath(stationery)), txt::EudoraCannotSend,
                           txt::EudoraBroken);
}

std::wstring IncrediMailParameters() {
    std::wstring parameters = L"/c /n";
    const std::wstring to = Field(Config.MailTo.view());
    const std::wstring subject = Field(Config.MailSubject.view());
    if (!to.empty()) parameters += L" /r:" + cmdline::QuoteForeignArgument(L"1,," + to);
    if (!subject.empty()) parameters += L" /s:" + cmdline::QuoteForeignArgument(subject);
    if (Config.MailMethod == 2)
        parameters += L" /att:" + cmdline::QuoteForeignArgument(OutsideProgramPath(ImageFileName));
    return parameters;
}

bool SendViaIncrediMail() {
    if (!ClientReady(IncrediMailPath)) return false;
    if (Config.MailMethod == 1) {
        BringWindowToFront(ApplicationWindow);
        MessageBoxW(ApplicationWindow, txt::IncrediMailNoEmbedding, txt::MessageCaption, MB_ICONWARNING);
        Config.MailMethod = 2;
        SaveConfiguration();
    }
    return StartOutsideProgram(IncrediMailPath, IncrediMailParameters(), L"");
}

bool SendViaLotusNotes() {
    HWND notes = FindWindowW(L"NOTES", nullptr);
    if (!FileExists(LotusNotesPath) || !notes) {
        ShowError(txt::LotusNotesNotRunning);
        return false;
    }
    ForceForegroundWindow(notes);
    // A memo composed through the Notes automation objects; a failure there
    // ends the route without a message.
    try {
        automation::Object session = automation::Object::Create(L"Notes.NotesSession");
        automation::Object workspace = automation::Object::Create(L"Notes.NotesUIWorkspace");
        const std::wstring server = session.Call(L"GetEnvironmentString", {L"MailServer", true}).Text();
        std::wstring mailFile = session.Call(L"GetEnvironmentString", {L"MailFile", true}).Text();
        if (ui::LowerCase(mailFile).find(L"mail\\") == std::wstring::npos) mailFile = L"mail\\" + mailFile;
        automation::Object compose = workspace.Call(L"ComposeDocument", {server, mailFile, L"Memo"}).AsObject();
        automation::Object document = compose.Get(L"Document").AsObject();
        const std::wstring to = Field(Config.MailTo.view());
        try {
            document.Call(L"ReplaceItemValue", {L"SendTo", to});
            document.Call(L"ReplaceItemValue", {L"EnterSendTo", to});
        } catch (const automation::Error&) {
            // A memo form without these fields is still worth showing.
        }
        document.Call(L"ReplaceItemValue", {L"Subject", Field(Config.MailSubject.view())});
        automation::Object body = document.Call(L"CreateRichTextItem", {L"Body"}).AsObject();
        if (Config.MailMethod == 2 && PrepareMailImage()) {
            constexpr int kAttachment = 1454;
            body.Call(L"EmbedObject", {kAttachment, L"", ImageFileName});
        }
        automation::Object editor = workspace.Call(L"EditDocument", {true, document}).AsObject();
        editor.Call(L"GoToField", {L"Body"});
        if (Config.MailMethod == 1) {
            // The picture goes into the body through the clipboard; no image
            // file is written for an embedded Notes memo.
            if (!PutCaptureOnClipboard()) return false;
            editor.Call(L"Paste");
        }
        compose.Call(L"Close", {false});
    } catch (const automation::Error&) {
        return false;
    }
    return true;
}

std::vector<std::wstring> SmtpArguments() {
    const std::wstring extension = ImageExtension(delivery::KnownFormat(Config.MailFormat));
    return {BlankIfEmpty(Field(Config.MailTo.view())),
            BlankIfEmpty(Field(Config.MailSubject.view())),
            BlankIfEmpty(Field(Config.SmtpBody.view())),
            Field(Config.SmtpFrom.view()),
            Field(Config.SmtpServer.view()),
            std::to_wstring(Config.SmtpPort),
            BlankIfEmpty(Field(Config.SmtpUserName.view())),
            BlankIfEmpty(Field(Config.SmtpPassword.view())),
            Config.SmtpPreview ? L"1" : L"0",
            Config.SmtpProgress ? L"1" : L"0",
            ImageFileName,
            Field(Config.MailFileName.view()) + extension,
            Config.MailMethod == 1 ? L"1" : L"2"};
}

bool SendViaSmtp() {
    if (Config.MailTo.empty() || Config.SmtpFrom.empty() || Config.SmtpServer.empty() || Config.SmtpPort == 0) {
        ShowError(txt::SmtpFieldsMissing);
        return false;
    }
    const std::wstring program = ProgramFolder + kSulvane;
    if (!FileExists(program)) {
        ShowError(txt::ProgramFileMissing);
        return false;
    }
    if (!PrepareMailImage()) {
        ShowError(txt::TempFileNotSaved);
        return false;
    }
    // By its full path: by its bare name the shell could find another
    // program of that name first.
    return StartOutsideProgram(program, cmdline::JoinArguments(SmtpArguments()), ProgramFolder);
}

bool SendToMail() {
    bool ok = false;
    switch (Config.MailClient) {
        case mcOutlook: ok = SendViaOutlook(); break;
        case mcOutlookExpress: ok = SendViaOutlookExpress(); break;
        case mcNetscape: ok = SendViaNetscape(); break;
        case mcEudora: ok = SendViaEudora(); break;
        case mcIncrediMail: ok = SendViaIncrediMail(); break;
        case mcLotusNotes: ok = SendViaLotusNotes(); break;
        case mcSmtp: ok = SendViaSmtp(); break;
        default: ShowError(txt::NoMailProgram); break;
    }
    if (ok) {
        delivery::Succeeded(txt::SentToMail);
        return true;
    }
    // The user mends the mail settings in the options dialog.
    if (OptionsOpen) CallReloadOptionsDialog();
    else CallOpenOptionsDialog();
    return delivery::Failed();
}
