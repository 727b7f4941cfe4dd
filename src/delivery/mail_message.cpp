#include "delivery/mail_message.h"

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

}  // namespace

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
    lines[2] += HeaderValue(fields.subject);
    lines[41] = "Content-Type: " + ImageMediaType(name) + ";";
    lines[42] = "\tname=\"" + name + "\"";
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
    lines[2] += HeaderValue(fields.subject);
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
    lines.push_back("\tname=\"" + name + "\"");
    lines.push_back("Content-Transfer-Encoding: base64");
    lines.push_back("Content-Disposition: attachment;");
    lines.push_back("\tfilename=\"" + name + "\"");
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
