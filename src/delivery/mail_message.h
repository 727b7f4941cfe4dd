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
    // The MIME name of the character set the texts are in (the system's
    // code page); empty leaves texts that are not ASCII as they are.
    std::string charset = "windows-1252";
};

// value without CR and LF.
std::string HeaderValue(std::string_view value);

// The MIME name of a Windows ANSI code page ("gbk" for 936), empty for a
// code page without one.
std::string CharsetOfCodePage(unsigned codePage);

// A header value (CR and LF dropped): as it is when it is printable ASCII,
// otherwise RFC 2047 encoded words ("=?charset?B?...?=") of at most 75
// characters each, on folded lines, never cutting a character of the
// charset in two. A mail program on any code page reads it back.
std::string EncodedHeader(std::string_view value, std::string_view charset);

// A file name parameter of a header ("name", "filename"): quoted when it is
// printable ASCII, otherwise RFC 2231 percent-encoded in charset.
std::string NameParameter(std::string_view key, std::string_view name, std::string_view charset);

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
