#include "delivery/mail_message.h"

#include "delivery/mail_base64.h"

namespace mail {

namespace {

bool EndsWithNoCase(std::string_view s, std::string_view suffix) {
    if (s.size() < suffix.size()) return false;
    for (size_t i = 0; i < suffix.size(); ++i) {
        char c = s[s.size() - suffix.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i]) return false;
    }
    return true;
}

void AppendBase64(Lines& lines, std::string_view base64) {
    for (std::string& line : SplitLines(base64)) lines.push_back(std::move(line));
}

bool IsPrintableAscii(std::string_view s) {
    for (unsigned char c : s)
        if (c < 0x20 || c > 0x7E) return false;
    return true;
}

// The length of the character that starts at s[i] in charset: the double-byte
// code pages take a lead byte and the byte after it, UTF-8 takes its
// sequence, every other charset one byte.
size_t CharacterLength(std::string_view s, size_t i, std::string_view charset) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    size_t n = 1;
    if (charset == "utf-8") {
        n = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    } else if (charset == "shift_jis") {
        n = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC) ? 2 : 1;
    } else if (charset == "gbk" || charset == "big5" || charset == "ks_c_5601-1987") {
        n = b >= 0x81 && b <= 0xFE ? 2 : 1;
    }
    return i + n <= s.size() ? n : s.size() - i;
}

}  // namespace

std::string CharsetOfCodePage(unsigned codePage) {
    switch (codePage) {
        case 874: return "windows-874";
        case 932: return "shift_jis";
        case 936: return "gbk";
        case 949: return "ks_c_5601-1987";
        case 950: return "big5";
        case 65001: return "utf-8";
        default:
            if (codePage >= 1250 && codePage <= 1258) return "windows-" + std::to_string(codePage);
            return {};
    }
}

std::string EncodedHeader(std::string_view value, std::string_view charset) {
    const std::string text = HeaderValue(value);
    if (IsPrintableAscii(text) || charset.empty()) return text;
    // 33 bytes give 44 Base64 characters: with a charset name of up to 14
    // letters a word takes at most 65 characters, so even the first line,
    // after "Subject: ", stays within the 76 that lines with words may have.
    const size_t limit = 33;
    std::string out, chunk;
    auto flush = [&] {
        if (chunk.empty()) return;
        if (!out.empty()) out += "\r\n ";
        out += "=?" + std::string(charset) + "?B?" + base64::Encode(chunk) + "?=";
        chunk.clear();
    };
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharacterLength(text, i, charset);
        if (chunk.size() + n > limit) flush();
        chunk.append(text, i, n);
        i += n;
    }
    flush();
    return out;
}

std::string NameParameter(std::string_view key, std::string_view name, std::string_view charset) {
    bool plain = IsPrintableAscii(name) || charset.empty();
    for (char c : name)
        if (c == '"' || c == '\\') plain = false;
    if (plain) return std::string(key) + "=\"" + std::string(name) + "\"";
    static const char hex[] = "0123456789ABCDEF";
    std::string out = std::string(key) + "*=" + std::string(charset.empty() ? "us-ascii" : charset) + "''";
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
            c == '_') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

std::string HeaderValue(std::string_view value) {
    std::string out;
    out.reserve(value.size());
    for (char c : value)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

Lines SplitLines(std::string_view text) {
    Lines lines;
    size_t from = 0;
    while (from < text.size()) {
        const size_t end = text.find("\r\n", from);
        if (end == std::string_view::npos) {
            lines.emplace_back(text.substr(from));
            break;
        }
        lines.emplace_back(text.substr(from, end - from));
        from = end + 2;
    }
    return lines;
}

std::string JoinLines(const Lines& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::string ImageMediaType(std::string_view fileName) {
    if (EndsWithNoCase(fileName, ".bmp")) return "image/bmp";
    if (EndsWithNoCase(fileName, ".jpg") || EndsWithNoCase(fileName, ".jpeg")) return "image/jpeg";
    if (EndsWithNoCase(fileName, ".png")) return "image/png";
    return "image/gif";
}

std::string FileNamePart(std::string_view path) {
    const size_t slash = path.find_last_of("\\/:");
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

Lines OutlookExpressMessage(Lines lines, const MessageFields& fields, std::string_view base64) {
    if (lines.size() != OutlookExpressTemplateLines) return {};
    const std::string name = FileNamePart(fields.imagePath);
    lines[1] = "To: \"" + HeaderValue(fields.to) + "\"";
    lines[2] += EncodedHeader(fields.subject, fields.charset);
    lines[41] = "Content-Type: " + ImageMediaType(name) + ";";
    lines[42] = "\t" + NameParameter("name", name, fields.charset);
    if (fields.attached) {
        lines[36] =
            "<HTML><HEAD><META content=3D\"text/html; charset=3Diso-8859-1\" = http-equiv=3DContent-Type><META "
            "content=3D\"MSHTML 5.00.2919.6307\" name=3DGENERATOR><STYLE></STYLE></HEAD><BODY "
            "bgColor=3D#ffffff><DIV>&nbsp;</DIV><BR></BODY></HTML>";
        lines[44] = "Content-Disposition: attachment;";
        lines.emplace_back();
    }
    AppendBase64(lines, base64);
    lines.emplace_back();
    lines.push_back(lines[40] + "--");
    return lines;
}

Lines NetscapeMessage(Lines lines, const MessageFields& fields, std::string_view base64) {
    if (lines.size() != NetscapeTemplateLines) return {};
    lines[0] = "To:" + HeaderValue(fields.to);
    lines[2] += EncodedHeader(fields.subject, fields.charset);
    if (!fields.attached) {
        const std::string marker = "file:///";
        const size_t at = lines[13].find(marker);
        if (at != std::string::npos) lines[13].insert(at + marker.size(), fields.imagePath);
        return lines;
    }
    const std::string name = FileNamePart(fields.imagePath);
    lines[4] = "Content-Type: multipart/mixed;";
    lines[13].clear();
    lines[16] = "------=_NextPart_000_AAA1_1234ABCD";
    lines.push_back("Content-Type: " + ImageMediaType(name) + ";");
    lines.push_back("\t" + NameParameter("name", name, fields.charset));
    lines.push_back("Content-Transfer-Encoding: base64");
    lines.push_back("Content-Disposition: attachment;");
    lines.push_back("\t" + NameParameter("filename", name, fields.charset));
    lines.emplace_back();
    lines.emplace_back();
    AppendBase64(lines, base64);
    lines.emplace_back();
    lines.push_back(lines[16] + "--");
    return lines;
}

Lines EudoraStationery(const MessageFields& fields) {
    Lines lines;
    lines.push_back("To: " + HeaderValue(fields.to));
    lines.push_back("From: ");
    lines.push_back("Subject: " + HeaderValue(fields.subject));
    lines.push_back("X-Stationery: 41405 3");
    if (!fields.attached) {
        lines.emplace_back();
        lines.push_back(
            "<x-html><html><head></head><body><font face=\"Arial, Helvetica\">&nbsp;</font><br><br><div><img "
            "src=\"file://" +
            fields.imagePath + "\" border=0></div></body></html><x-html>");
    } else {
        lines.push_back("X-Attachments: " + fields.imagePath + ";");
        lines.push_back("X-Eudora-Signature: <Standard>");
        lines.emplace_back();
    }
    return lines;
}

}  // namespace mail
