#include "delivery/web_destination.h"

#include "base/errors.h"
#include "base/file_name_chars.h"
#include "base/globals.h"
#include "base/notice.h"
#include "base/texts.h"
#include "base/files.h"
#include "delivery/command_line.h"
#include "delivery/destinations.h"
#include "delivery/image_savers.h"
#include "delivery/web_print_texts.h"
#include "ui/input_box.h"
#include "ui/text_convert.h"

void (*OptionsWebFileNameProc)() = nullptr;

namespace {

using delivery::Failed;

constexpr wchar_t kUploader[] = L"trabbon.exe";

std::wstring TextOrBlank(std::string_view field) {
    const std::wstring text = ui::ToWide(field);
    return text.empty() ? std::wstring(L" ") : text;
}

// The longest start of text whose code-page form fits a field of that many
// bytes (a double-byte character is never cut in half).
std::string FittingField(std::wstring text, size_t bytes) {
    std::string ansi = ui::ToAnsi(text);
    while (ansi.size() > bytes && !text.empty()) {
        text.pop_back();
        if (!text.empty() && text.back() >= 0xD800 && text.back() <= 0xDBFF) text.pop_back();
        ansi = ui::ToAnsi(text);
    }
    return ansi;
}

bool IsBlank(const std::wstring& s) { return s.find_first_not_of(L' ') == std::wstring::npos; }

// Asks for the remote name until a usable one is given. The answer passes the
// program's file-name filter, so that it names a file in the temporary folder
// and nowhere else. False when the user cancels.
bool AskForName() {
    std::wstring text = ui::ToWide(Config.WebFileName.view());
    const ui::InputBoxTexts texts{txt::WebPromptCaption, txt::WebPromptLabel, txt::ButtonOK, txt::ButtonCancel};
    for (;;) {
        if (!ui::InputQuery(ApplicationWindow, texts, text)) return false;
        const std::wstring name = StripFileNameChars(text);
        if (IsBlank(name)) {
            ShowError(txt::WebNameEmpty);
            continue;
        }
        // Kept for this session only; the settings are not stored.
        Config.WebFileName = FittingField(name, decltype(Config.WebFileName)::Capacity);
        if (OptionsOpen && OptionsWebFileNameProc) OptionsWebFileNameProc();
        return true;
    }
}

}  // namespace

std::vector<std::wstring> UploaderArguments(const TConfiguration& c, const std::wstring& localFile,
                                            const std::wstring& remoteName) {
    return {
        ui::ToWide(c.FtpServer.view()),
        std::to_wstring(c.FtpPort),
        TextOrBlank(c.FtpPath.view()),
        c.FtpPassive ? L"1" : L"0",
        TextOrBlank(c.FtpUserName.view()),
        TextOrBlank(c.FtpPassword.view()),
        c.FtpProgress ? L"1" : L"0",
        TextOrBlank(c.ProxyServer.view()),
        std::to_wstring(c.ProxyPort),
        localFile,
        remoteName,
        c.WebNaming == fnNumbered ? L"1" : L"0",
    };
}

bool SendToWeb() {
    if (Config.FtpServer.empty() || Config.FtpPort == 0) return Failed(txt::FtpSettingsMissing);
    const std::wstring uploader = ProgramFolder + kUploader;
    if (ProgramFolder.empty() || !FileExists(uploader)) return Failed(txt::ProgramFileMissing);
    if (Config.WebNaming == fnAsk && !AskForName()) {
        NotifyCancelled();
        return false;
    }

    // A fixed name without number, overwritten by every upload. A stored
    // name that is empty or would reach outside the temporary folder saves
    // nothing.
    std::wstring name;
    const bool readable = delivery::FieldText(Config.WebFileName.view(), name);
    const TImageFormat format = delivery::KnownFormat(Config.WebFormat);
    if (!readable || IsBlank(name) || StripFileNameChars(name) != name || format == ifUnknown || TempFolder.empty())
        return Failed(txt::WebTempFileFailed);
    const std::wstring remoteName = name + ImageExtension(format);
    ImageFileName = TempFolder + remoteName;
    if (!SaveCaptureByExtension()) return Failed(txt::WebTempFileFailed);

    const std::wstring arguments = cmdline::JoinArguments(UploaderArguments(Config, ImageFileName, remoteName));
    if (!StartOutsideProgram(uploader, arguments, ProgramFolder)) return Failed();
    delivery::Succeeded(txt::SentToWeb);
    return true;
}
