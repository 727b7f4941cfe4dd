// pradomel.exe: puts a capture into a new Outlook message, embedded in its
// HTML body, for the user to finish and send. The program starts it hidden
// beside itself with three arguments (image file, recipients, subject; a
// single blank stands for an empty value) and does not wait for it, so it
// reports a failure itself: a message box, a non-zero exit code, and a line
// in the file that VORLIX_PRADOMEL_LOG names (when it names one).
//
// The message is made through Outlook's automation object (the running
// Outlook, else a new one): a mail item addressed and titled by the
// arguments, the image attached and given a content id, hidden from the
// attachment list, and an HTML body whose picture refers to that id, so the
// image shows inside the text as Outlook sends it. Every object of Outlook's
// is released on every way out.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "delivery/automation.h"
#include "delivery/mail_texts.h"
#include "helper_log.h"
#include "ui/text_format.h"

// The Simplified Chinese texts, compiled into their own namespace: one helper
// serves both builds and speaks the language of the system's code page.
namespace txt_zh {
extern const wchar_t OutlookNotWorking[], PradomelTitle[], PradomelFailed[], PradomelFailedBecause[],
    PradomelBadArguments[], PradomelNoImage[], PradomelRefused[];
}

namespace {

bool Chinese() { return GetACP() == 936; }
#define TEXT_OF(name) (Chinese() ? txt_zh::name : txt::name)

enum ExitCode : int {
    kOpened = 0,
    kWrongArguments = 2,
    kImageUnreadable = 3,
    kNoOutlook = 4,
    kOutlookRefused = 5,
};

// MAPI properties of the attachment, set through its PropertyAccessor:
// PR_ATTACH_CONTENT_ID (a string) and PR_ATTACHMENT_HIDDEN (a boolean).
constexpr wchar_t kContentIdProperty[] = L"http://schemas.microsoft.com/mapi/proptag/0x3712001F";
constexpr wchar_t kHiddenProperty[] = L"http://schemas.microsoft.com/mapi/proptag/0x7FFE000B";
constexpr int kMailItem = 0;      // olMailItem
constexpr int kByValue = 1;       // olByValue: a copy of the file travels with the message

struct Failure {
    int code;
    std::wstring reason;
};

void Log(const std::wstring& what, const std::wstring& why = std::wstring()) {
    AppendHelperLog(L"VORLIX_PRADOMEL_LOG", what, why);
}

// An argument as the program passes it: a single blank is an empty value.
std::wstring Value(const wchar_t* arg) { return std::wstring(arg) == L" " ? std::wstring() : std::wstring(arg); }

bool Readable(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    const bool ok = GetFileSizeEx(file, &size) && size.QuadPart > 0;
    CloseHandle(file);
    return ok;
}

std::wstring FileNameOf(const std::wstring& path) { return path.substr(path.find_last_of(L"\\/:") + 1); }

std::wstring HtmlEscaped(const std::wstring& text) {
    std::wstring out;
    for (wchar_t c : text) {
        switch (c) {
            case L'&': out += L"&amp;"; break;
            case L'<': out += L"&lt;"; break;
            case L'>': out += L"&gt;"; break;
            case L'"': out += L"&quot;"; break;
            default: out += c;
        }
    }
    return out;
}

// A content id that no other part of a message (a forwarded one among them)
// is likely to carry: the time and this process.
std::wstring ContentId() {
    wchar_t id[64];
    std::swprintf(id, 64, L"capture.%08lX.%08lX@vorlix.tessavue", GetTickCount(), GetCurrentProcessId());
    return id;
}

std::wstring Refused(const wchar_t* step, HRESULT code) {
    wchar_t hex[16];
    std::swprintf(hex, 16, L"%08lX", static_cast<unsigned long>(code));
    return ui::FormatText(TEXT_OF(PradomelRefused), {{L"<STEP>", step}, {L"<CODE>", hex}});
}

void Run(int argc, wchar_t** argv) {
    if (argc != 4) throw Failure{kWrongArguments, TEXT_OF(PradomelBadArguments)};
    const std::wstring image = Value(argv[1]), to = Value(argv[2]), subject = Value(argv[3]);
    if (image.empty() || !Readable(image))
        throw Failure{kImageUnreadable, ui::FormatText(TEXT_OF(PradomelNoImage), {{L"<FILE>", image}})};

    automation::Object outlook;
    try {
        outlook = automation::Object::RunningOrCreate(L"Outlook.Application");
    } catch (const automation::Error&) {
        throw Failure{kNoOutlook, TEXT_OF(OutlookNotWorking)};
    }
    // The step being made, named in the message when Outlook refuses it.
    const wchar_t* step = L"CreateItem";
    try {
        automation::Object item = outlook.Call(L"CreateItem", {kMailItem}).AsObject();
        step = L"To";
        if (!to.empty()) item.Put(L"To", to);
        step = L"Subject";
        item.Put(L"Subject", subject);
        step = L"Attachments.Add";
        automation::Object attachment =
            item.Get(L"Attachments").AsObject().Call(L"Add", {image, kByValue}).AsObject();
        step = L"PropertyAccessor.SetProperty";
        const std::wstring cid = ContentId();
        automation::Object properties = attachment.Get(L"PropertyAccessor").AsObject();
        properties.Call(L"SetProperty", {kContentIdProperty, cid});
        properties.Call(L"SetProperty", {kHiddenProperty, true});
        step = L"HTMLBody";
        item.Put(L"HTMLBody", L"<html><body><p>&nbsp;</p><p><img src=\"cid:" + cid + L"\" alt=\"" +
                                  HtmlEscaped(FileNameOf(image)) + L"\"></p></body></html>");
        step = L"Display";
        item.Call(L"Display");
    } catch (const automation::Error& e) {
        throw Failure{kOutlookRefused, Refused(step, e.code)};
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int code = kOpened;
    try {
        if (!argv) throw Failure{kWrongArguments, TEXT_OF(PradomelBadArguments)};
        Run(argc, argv);
        Log(L"opened");
    } catch (const Failure& f) {
        Log(L"failed", f.reason);
        const std::wstring text = ui::FormatText(TEXT_OF(PradomelFailedBecause), {{L"<REASON>", f.reason}});
        MessageBoxW(nullptr, text.c_str(), TEXT_OF(PradomelTitle), MB_OK | MB_ICONERROR | MB_TOPMOST);
        code = f.code;
    } catch (...) {
        Log(L"failed");
        MessageBoxW(nullptr, TEXT_OF(PradomelFailed), TEXT_OF(PradomelTitle), MB_OK | MB_ICONERROR | MB_TOPMOST);
        code = 1;
    }
    if (argv) LocalFree(argv);
    return code;
}
