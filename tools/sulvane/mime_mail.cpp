#include "mime_mail.h"

#include <cstdio>

#include "delivery/mail_base64.h"
#include "delivery/mail_message.h"

namespace smtpmail {

namespace {

std::string Trim(std::string_view s) {
    const size_t a = s.find_first_not_of(" \t");
    if (a == std::string_view::npos) return {};
    const size_t b = s.find_last_not_of(" \t");
    return std::string(s.substr(a, b - a + 1));
}

// Every line end (CR LF, CR, LF) as CR LF.
std::string CrLf(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

// A text part: 7bit when it is plain ASCII in short lines, else Base64.
std::string TextPart(const std::string& type, const std::string& text, const std::string& charset) {
    bool plain = true;
    size_t line = 0;
    for (unsigned char c : text) {
        if (c == '\n') line = 0;
        else if (++line > 900 || (c >= 0x80) || (c < 0x20 && c != '\r' && c != '\t')) plain = false;
    }
    if (plain) {
        return "Content-Type: " + type + "; charset=us-ascii\r\nContent-Transfer-Encoding: 7bit\r\n\r\n" + text +
               "\r\n";
    }
    return "Content-Type: " + type + "; charset=\"" + charset + "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
           base64::Encode(text) + "\r\n";
}

// The characters of an atom (RFC 5322 3.2.3) besides letters and digits.
bool IsAtomChar(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::string_view("!#$%&'*+-/=?^_`{|}~").find(char(c)) != std::string_view::npos;
}

bool IsDotAtom(std::string_view s) {
    if (s.empty() || s.front() == '.' || s.back() == '.' || s.find("..") != std::string_view::npos) return false;
    for (unsigned char c : s)
        if (c != '.' && !IsAtomChar(c)) return false;
    return true;
}

// "[", printable US-ASCII other than "[", "]" and the backslash, then "]".
bool IsDomainLiteral(std::string_view s) {
    if (s.size() < 3 || s.front() != '[' || s.back() != ']') return false;
    for (unsigned char c : s.substr(1, s.size() - 2))
        if (c < 33 || c > 126 || c == '[' || c == ']' || c == '\\') return false;
    return true;
}

std::string HtmlEscaped(std::string_view text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            case '\n': out += "<br>\r\n"; break;
            case '\r': break;
            default: out += c;
        }
    }
    return out;
}

}  // namespace

std::vector<std::string> SplitRecipients(std::string_view list) {
    std::vector<std::string> out;
    size_t from = 0;
    while (from <= list.size()) {
        const size_t end = list.find_first_of(",;", from);
        const std::string one = Trim(list.substr(from, end == std::string_view::npos ? std::string_view::npos : end - from));
        if (!one.empty()) out.push_back(one);
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
    return out;
}

std::string FormatDate(int year, int month, int day, int hour, int minute, int second, int offsetMinutes) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    if (month < 1 || month > 12) month = 1;
    // Days since 1970-01-01 (a Thursday) of the civil date.
    const int y = month <= 2 ? year - 1 : year;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long long days = static_cast<long long>(era) * 146097 + doe - 719468;
    const int weekday = static_cast<int>(((days % 7) + 11) % 7);  // 0 Sunday
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    char out[64];
    std::snprintf(out, sizeof out, "%s, %d %s %04d %02d:%02d:%02d %c%02d%02d", kDays[weekday], day, kMonths[month - 1],
                  year, hour, minute, second, offsetMinutes < 0 ? '-' : '+', offset / 60 % 100, offset % 60);
    return out;
}

std::string MessageIdDomain(std::string_view from, std::string_view computerName) {
    const size_t at = from.rfind('@');
    if (at != std::string_view::npos) {
        const std::string_view domain = from.substr(at + 1);
        if (IsDotAtom(domain) || IsDomainLiteral(domain)) return std::string(domain);
    }
    std::string name;
    for (unsigned char c : computerName) {
        if (c == '.' ? !name.empty() && name.back() != '.' : IsAtomChar(c))
            name += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    while (!name.empty() && name.back() == '.') name.pop_back();
    return name.empty() ? "localhost" : name;
}

bool IsValidAddress(std::string_view a) {
    if (a.empty() || a.size() > 254) return false;
    for (unsigned char c : a)
        if (c <= 0x20 || c == 0x7F || c == '<' || c == '>' || c == '(' || c == ')' || c == ',' || c == ';')
            return false;
    const size_t at = a.rfind('@');
    return at != std::string_view::npos && at > 0 && at + 1 < a.size();
}

std::string Compose(const Message& m, const std::string& boundary) {
    std::string to;
    for (const std::string& r : m.to) to += (to.empty() ? "" : ", ") + r;
    std::string out;
    out += "From: " + m.from + "\r\n";
    out += "To: " + to + "\r\n";
    out += "Subject: " + mail::EncodedHeader(m.subject, m.charset) + "\r\n";
    out += "Date: " + m.date + "\r\n";
    if (!m.messageId.empty()) out += "Message-ID: <" + m.messageId + ">\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += std::string("Content-Type: multipart/") + (m.embedded ? "related; type=\"text/html\"" : "mixed") +
           "; boundary=\"" + boundary + "\"\r\n\r\n";
    out += "This is a multi-part message in MIME format.\r\n\r\n";
    out += "--" + boundary + "\r\n";
    const size_t unique = boundary.find_first_not_of("-=_");
    const std::string contentId = "image1." + (unique == std::string::npos ? boundary : boundary.substr(unique)) + "@vorlix";
    if (m.embedded) {
        out += TextPart("text/html",
                        "<html><body>" + HtmlEscaped(m.body) + "<br><img src=\"cid:" + contentId + "\"></body></html>",
                        m.charset);
    } else {
        out += TextPart("text/plain", CrLf(m.body), m.charset);
    }
    out += "\r\n--" + boundary + "\r\n";
    out += "Content-Type: " + m.imageType + "; " + mail::NameParameter("name", m.imageName, m.charset) + "\r\n";
    out += "Content-Transfer-Encoding: base64\r\n";
    if (m.embedded) out += "Content-ID: <" + contentId + ">\r\n";
    out += std::string("Content-Disposition: ") + (m.embedded ? "inline" : "attachment") + "; " +
           mail::NameParameter("filename", m.imageName, m.charset) + "\r\n\r\n";
    out += base64::Encode(m.image);
    out += "\r\n\r\n--" + boundary + "--\r\n";
    return out;
}

std::string DataSection(std::string_view message) {
    std::string out;
    out.reserve(message.size() + message.size() / 64 + 8);
    bool lineStart = true;
    for (char c : message) {
        if (lineStart && c == '.') out += '.';
        out += c;
        lineStart = c == '\n';
    }
    if (!out.empty() && (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0)) out += "\r\n";
    out += ".\r\n";
    return out;
}

}  // namespace smtpmail
