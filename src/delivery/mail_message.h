// The message files handed to the mail programs: the Outlook Express and
// Netscape MIME messages built from their templates, and Eudora's stationery.
// Every text is bytes in the system's ANSI code page; lines are joined with
// CR LF after each, the last one too.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mail {

using Lines = std::vector<std::string>;

// What a message says. Header values (to, subject) may come straight from the
// settings: CR and LF are dropped from them before they are written, so a
// value can never start a header line of its own.
struct MessageFields {
    std::string to;
    std::string subject;
    std::string imagePath;  // full path of the image file
    bool attached = false;  // attached (MailMethod 2) or embedded
};

// value without CR and LF.
std::string HeaderValue(std::string_view value);

// Base64 text cut at its CR LF line ends (none for an empty text).
Lines SplitLines(std::string_view text);
// Every line followed by CR LF.
std::string JoinLines(const Lines& lines);

// The media type of an image file by its extension ("image/gif" for GIF and
// any unknown one, the way the templates name every image).
std::string ImageMediaType(std::string_view fileName);

// The file name part of a path.
std::string FileNamePart(std::string_view path);

// The messages built from their templates (46 and 17 lines); base64 is the
// image file's encoded text. Empty when the template is not the expected one.
Lines OutlookExpressMessage(Lines lines, const MessageFields& fields, std::string_view base64);
Lines NetscapeMessage(Lines lines, const MessageFields& fields, std::string_view base64);

// Eudora's stationery file.
Lines EudoraStationery(const MessageFields& fields);

constexpr size_t OutlookExpressTemplateLines = 46;
constexpr size_t NetscapeTemplateLines = 17;

}  // namespace mail
