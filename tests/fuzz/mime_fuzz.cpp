// The mail messages and their Base64 with any texts: Base64 decodes back to
// the bytes in lines of 76 characters, whether encoded whole or streamed; a
// header value (To, Subject, a file name) can never start a header line of
// its own, and an encoded header decodes back to the value; the messages
// built from the mail programs' templates and the SMTP sender's message keep
// the header lines they have for plain values, every line end is CR LF, and
// the DATA section gives the message back once its dots are taken out.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "delivery/mail_base64.h"
#include "delivery/mail_message.h"
#include "fuzz_input.h"
#include "mail/mail_templates.h"
#include "mime_mail.h"

namespace {

std::string Decode(std::string_view text) {
    static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        if (c == '\r' || c == '\n' || c == '=') continue;
        const size_t v = kAlphabet.find(c);
        FUZZ_CHECK(v != std::string::npos);
        bits = bits << 6 | uint32_t(v);
        if ((count += 6) >= 8) {
            count -= 8;
            out += char((bits >> count) & 0xFF);
        }
    }
    return out;
}

void CheckBase64(std::string_view bytes) {
    const std::string text = base64::Encode(bytes);
    if (!bytes.empty()) FUZZ_CHECK(text.size() == base64::EncodedSize(bytes.size()));
    FUZZ_CHECK(Decode(text) == bytes);
    const mail::Lines lines = mail::SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(lines[i].size() <= base64::LineChars);
        if (i + 1 < lines.size()) FUZZ_CHECK(lines[i].size() == base64::LineChars);
    }
    std::istringstream source{std::string(bytes)};
    std::ostringstream streamed;
    base64::EncodeStream(source, streamed);
    const bool wholeBlocks = !bytes.empty() && bytes.size() % base64::BlockBytes == 0;
    FUZZ_CHECK(streamed.str() == (wholeBlocks ? text + "\r\n" : text));
}

// Every CR is followed by LF and every LF follows a CR; with folding, the
// line after one starts with a blank.
void CheckLineEnds(std::string_view text, bool folded) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') FUZZ_CHECK(i + 1 < text.size() && text[i + 1] == '\n');
        if (text[i] == '\n') {
            FUZZ_CHECK(i > 0 && text[i - 1] == '\r');
            if (folded) FUZZ_CHECK(i + 1 < text.size() && (text[i + 1] == ' ' || text[i + 1] == '\t'));
        }
    }
}

void CheckHeader(const std::string& value, const std::string& charset) {
    const std::string encoded = mail::EncodedHeader(value, charset);
    CheckLineEnds(encoded, true);
    const std::string plain = mail::HeaderValue(value);
    if (encoded == plain) return;
    // Encoded words, one per folded line, each of at most 75 characters.
    std::string decoded;
    for (const std::string& word : mail::SplitLines(encoded)) {
        const std::string w = word.substr(word.find_first_not_of(' '));
        const std::string head = "=?" + charset + "?B?";
        FUZZ_CHECK(w.size() <= 75 && w.compare(0, head.size(), head) == 0 && w.compare(w.size() - 2, 2, "?=") == 0);
        decoded += Decode(std::string_view(w).substr(head.size(), w.size() - head.size() - 2));
    }
    FUZZ_CHECK(decoded == plain);
}

void CheckNameParameter(const std::string& name, const std::string& charset) {
    const std::string p = mail::NameParameter("name", name, charset);
    for (char c : p) FUZZ_CHECK(c != '\r' && c != '\n');
    if (p.compare(0, 6, "name=\"") == 0) {
        FUZZ_CHECK(p == "name=\"" + name + "\"");
        return;
    }
    const std::string head = "name*=" + (charset.empty() ? std::string("us-ascii") : charset) + "''";
    FUZZ_CHECK(p.compare(0, head.size(), head) == 0);
    std::string back;
    for (size_t i = head.size(); i < p.size(); ++i) {
        if (p[i] != '%') {
            back += p[i];
            continue;
        }
        FUZZ_CHECK(i + 2 < p.size());
        back += char(std::stoi(p.substr(i + 1, 2), nullptr, 16));
        i += 2;
    }
    FUZZ_CHECK(back == name);
}

// The names of the header lines (up to the first empty line), in order.
std::vector<std::string> HeaderNames(const mail::Lines& lines) {
    std::vector<std::string> names;
    for (const std::string& l : lines) {
        if (l.empty()) break;
        for (const std::string& physical : mail::SplitLines(l))
            if (!physical.empty() && physical[0] != ' ' && physical[0] != '\t')
                names.push_back(physical.substr(0, physical.find(':')));
    }
    return names;
}

// A path as the program makes them: no control character and none of the
// characters a Windows file name cannot hold.
std::string PathOf(std::string s) {
    for (char& c : s)
        if (static_cast<unsigned char>(c) < 0x20 || std::string_view("\"<>|*?").find(c) != std::string_view::npos)
            c = '_';
    return "C:\\Temp\\" + s;
}

void CheckTemplateMessages(const mail::MessageFields& fields, const std::string& base64) {
    mail::MessageFields plain = fields;
    plain.to = "a@b";
    plain.subject = "s";
    plain.imagePath = "C:\\Temp\\a.png";
    for (int which = 0; which < 2; ++which) {
        const auto build = [&](const mail::MessageFields& f) {
            return which == 0 ? mail::OutlookExpressMessage(mailtest::OutlookExpressTemplate(), f, base64)
                              : mail::NetscapeMessage(mailtest::NetscapeTemplate(), f, base64);
        };
        const mail::Lines message = build(fields);
        FUZZ_CHECK(!message.empty());
        for (const std::string& l : message) CheckLineEnds(l, true);
        FUZZ_CHECK(HeaderNames(message) == HeaderNames(build(plain)));
    }
    const mail::Lines eudora = mail::EudoraStationery(fields);
    for (const std::string& l : eudora) CheckLineEnds(l, false);
    FUZZ_CHECK(HeaderNames(eudora) == HeaderNames(mail::EudoraStationery(plain)));
}

void CheckSmtpMessage(fuzz::Input& in, const mail::MessageFields& fields, const std::string& image) {
    smtpmail::Message m;
    m.from = "me@example.org";
    for (const std::string& r : smtpmail::SplitRecipients(in.Bytes(300)))
        if (smtpmail::IsValidAddress(r)) m.to.push_back(r);
    if (m.to.empty()) m.to.push_back("you@example.org");
    m.subject = fields.subject;
    m.body = in.Bytes(2000);
    m.charset = fields.charset.empty() ? "windows-1252" : fields.charset;
    m.date = "Mon, 1 Jan 2024 00:00:00 +0000";
    m.imageName = mail::FileNamePart(fields.imagePath);
    m.imageType = mail::ImageMediaType(m.imageName);
    m.image = image;
    m.embedded = !fields.attached;
    const std::string boundary = "----=_Part_0123456789";
    const std::string text = smtpmail::Compose(m, boundary);
    CheckLineEnds(text, false);
    smtpmail::Message plain = m;
    plain.to = {"you@example.org"};
    plain.subject = "s";
    plain.body = "b";
    plain.imageName = "a.png";
    const auto headers = [](const std::string& t) { return HeaderNames(mail::SplitLines(t)); };
    FUZZ_CHECK(headers(text) == headers(smtpmail::Compose(plain, boundary)));

    // DATA: no line is a lone dot before the end, and taking the doubled
    // dots out gives the message back.
    const std::string data = smtpmail::DataSection(text);
    FUZZ_CHECK(data.size() >= 5 && data.compare(data.size() - 5, 5, "\r\n.\r\n") == 0);
    FUZZ_CHECK(data.find("\r\n.\r\n") == data.size() - 5);
    std::string back;
    bool lineStart = true;
    for (size_t i = 0; i + 3 < data.size(); ++i) {
        if (lineStart && data[i] == '.') ++i;
        back += data[i];
        lineStart = data[i] == '\n';
    }
    FUZZ_CHECK(back.compare(0, text.size(), text) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    static const unsigned kCodePages[] = {1252, 936, 932, 949, 950, 65001, 874, 1250, 1258, 437};
    const unsigned mode = in.Byte();
    mail::MessageFields fields;
    fields.charset = mail::CharsetOfCodePage(kCodePages[in.Byte() % 10]);
    if (mode % 3 == 0) {
        CheckBase64(in.Rest());
        return 0;
    }
    fields.to = in.Bytes(300);
    fields.subject = in.Bytes(300);
    fields.imagePath = PathOf(in.Bytes(200));
    fields.attached = in.Flag();
    CheckHeader(fields.subject, fields.charset);
    CheckHeader(fields.to, fields.charset);
    CheckNameParameter(mail::FileNamePart(fields.imagePath), fields.charset);
    const std::string image = in.Bytes(3000);
    if (mode % 3 == 1) {
        CheckTemplateMessages(fields, base64::Encode(image));
    } else {
        CheckSmtpMessage(in, fields, image);
    }
    return 0;
}
