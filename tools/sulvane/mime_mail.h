// The message the SMTP sender hands to the server: headers, the text and the
// image (attached, or embedded in an HTML text), and the SMTP rules for
// addresses and for the data that follows DATA. Every text comes in as
// bytes of one character set, named by charset.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace smtpmail {

struct Message {
    std::string from;                     // address
    std::vector<std::string> to;          // addresses
    std::string subject;                  // its bytes
    std::string body;                     // the text, any line ends
    std::string charset;                  // e.g. "windows-1252", "gbk"
    std::string date;                     // RFC 5322 date (FormatDate)
    std::string messageId;                // id-left "@" id-right, without the angle brackets
    std::string imageName;                // file name given to the image (its bytes)
    std::string imageType;                // media type, "image/png"
    std::string image;                    // the image file's bytes
    bool embedded = false;                // in an HTML text, or attached
};

// The recipients of a list separated by commas or semicolons, blanks around
// each removed; empty entries dropped.
std::vector<std::string> SplitRecipients(std::string_view list);

// An address the envelope can carry: not empty, no CR, LF, "<", ">", blank
// or control character, and one "@" with text on both sides.
bool IsValidAddress(std::string_view address);

// An RFC 5322 date-time of a local time and that time's offset from UTC in
// minutes (east positive): "Tue, 1 Apr 2025 09:05:03 +0200". The day of the
// week follows from the date.
std::string FormatDate(int year, int month, int day, int hour, int minute, int second, int offsetMinutes);

// The right side of a Message-ID: the domain of the sender's address when it
// is a dot-atom or a domain literal, else the computer's name (its letters,
// digits and the other characters of an atom, lower case), else "localhost".
std::string MessageIdDomain(std::string_view from, std::string_view computerName);

// The whole message, lines ending in CR LF; the Message-ID header only when
// the message has one.
std::string Compose(const Message& message, const std::string& boundary);

// The message as the DATA command sends it: a dot doubled at the start of
// every line, then the final "." line.
std::string DataSection(std::string_view message);

}  // namespace smtpmail
