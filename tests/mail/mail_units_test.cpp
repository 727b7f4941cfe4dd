// Base64 in the MIME layout, checked against the system's own decoder, and
// the mail message builders against the message texts line for line.
#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include <random>
#include <sstream>
#include <string>

#include "base/globals.h"
#include "delivery/image_savers.h"
#include "delivery/mail_base64.h"
#include "delivery/mail_client.h"
#include "delivery/mail_message.h"
#include "mail_templates.h"

namespace {

using mailtest::NetscapeTemplate;
using mailtest::OutlookExpressTemplate;

std::string Bytes(size_t n, unsigned seed) {
    std::mt19937 random(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(random() & 0xFF);
    return s;
}

// An independent decoder: the system's.
std::string Decode(const std::string& text) {
    if (text.empty()) return {};
    DWORD size = 0;
    if (!CryptStringToBinaryA(text.data(), DWORD(text.size()), CRYPT_STRING_BASE64, nullptr, &size, nullptr, nullptr))
        return "<undecodable>";
    std::string out(size, '\0');
    CryptStringToBinaryA(text.data(), DWORD(text.size()), CRYPT_STRING_BASE64, reinterpret_cast<BYTE*>(out.data()),
                         &size, nullptr, nullptr);
    out.resize(size);
    return out;
}

// Every line but the last holds 76 characters and ends in CR LF; the last
// holds 1 to 76 (a multiple of 4) and none, unless the input filled whole
// blocks.
void ExpectLayout(const std::string& text, size_t n) {
    SCOPED_TRACE(n);
    const bool wholeBlocks = n != 0 && n % base64::BlockBytes == 0;
    size_t from = 0, lines = 0;
    while (from < text.size()) {
        const size_t end = text.find("\r\n", from);
        if (end == std::string::npos) {
            ASSERT_FALSE(wholeBlocks);
            const size_t last = text.size() - from;
            EXPECT_TRUE(last >= 4 && last <= 76 && last % 4 == 0) << last;
            ++lines;
            break;
        }
        ASSERT_EQ(end - from, 76u) << "line " << lines;
        from = end + 2;
        ++lines;
    }
    EXPECT_EQ(lines, (n + 56) / 57);
    EXPECT_EQ(text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=\r\n"),
              std::string::npos);
}

TEST(Base64, EverySizeUpTo1000DecodesBackAndKeepsTheLayout) {
    for (size_t n = 0; n <= 1000; ++n) {
        const std::string input = Bytes(n, unsigned(n));
        const std::string text = base64::Encode(input);
        ASSERT_EQ(text.size(), base64::EncodedSize(n)) << n;
        ExpectLayout(text, n);
        ASSERT_EQ(Decode(text), input) << n;
    }
}

TEST(Base64, BlockEdgesAndALargeImage) {
    EXPECT_EQ(base64::Encode(""), "");
    EXPECT_EQ(base64::Encode("M"), "TQ==");
    EXPECT_EQ(base64::Encode("Ma"), "TWE=");
    EXPECT_EQ(base64::Encode("Man"), "TWFu");
    // 57 bytes: one line without CR LF; 58: CR LF and a unit ending in "==".
    EXPECT_EQ(base64::Encode(Bytes(57, 1)).size(), 76u);
    const std::string t58 = base64::Encode(Bytes(58, 1));
    EXPECT_EQ(t58.size(), 82u);
    EXPECT_EQ(t58.substr(76, 2), "\r\n");
    EXPECT_EQ(t58.substr(80), "==");

    // One whole block: 192 lines, each with CR LF; one byte more: four characters after them.
    const std::string block = Bytes(base64::BlockBytes, 7);
    const std::string t = base64::Encode(block);
    EXPECT_EQ(t.size(), 14976u);
    EXPECT_EQ(t.substr(t.size() - 2), "\r\n");
    ExpectLayout(t, block.size());
    EXPECT_EQ(Decode(t), block);
    const std::string t1 = base64::Encode(block + "x");
    EXPECT_EQ(t1.size(), 14980u);
    EXPECT_EQ(t1.substr(0, 14976), t);

    // A large image (several blocks and a rest) through a stream.
    const std::string large = Bytes(3 * 1024 * 1024 + 12345, 99);
    std::istringstream in(large);
    std::ostringstream out;
    base64::EncodeStream(in, out);
    ExpectLayout(out.str(), large.size());
    EXPECT_EQ(Decode(out.str()), large);
}

TEST(MailMessages, OutlookExpressEmbeddedAndAttached) {
    mail::MessageFields f;
    f.to = "a@b.example, c@d.example";
    f.subject = "Shot\r\nBcc: evil@example";  // a header value cannot start a line of its own
    f.imagePath = "C:\\Temp\\screenshot3.gif";
    const std::string b64 = base64::Encode(Bytes(100, 3));  // two lines

    mail::Lines m = mail::OutlookExpressMessage(OutlookExpressTemplate(), f, b64);
    mail::Lines want = OutlookExpressTemplate();
    want[1] = "To: \"a@b.example, c@d.example\"";
    want[2] = "Subject: ShotBcc: evil@example";
    want[42] = "\tname=\"screenshot3.gif\"";
    for (const auto& l : mail::SplitLines(b64)) want.push_back(l);
    want.push_back("");
    want.push_back("------=_NextPart_000_0024_01C174F7.038ED140--");
    EXPECT_EQ(m, want);

    f.attached = true;
    f.to.clear();
    f.imagePath = "C:\\Temp\\mailshot.png";
    m = mail::OutlookExpressMessage(OutlookExpressTemplate(), f, "");
    ASSERT_EQ(m.size(), 49u) << "template, one more empty line, no Base64 line, empty line, close delimiter";
    EXPECT_EQ(m[1], "To: \"\"");
    EXPECT_EQ(m[36],
              "<HTML><HEAD><META content=3D\"text/html; charset=3Diso-8859-1\" = http-equiv=3DContent-Type><META "
              "content=3D\"MSHTML 5.00.2919.6307\" name=3DGENERATOR><STYLE></STYLE></HEAD><BODY "
              "bgColor=3D#ffffff><DIV>&nbsp;</DIV><BR></BODY></HTML>");
    EXPECT_EQ(m[41], "Content-Type: image/png;");
    EXPECT_EQ(m[44], "Content-Disposition: attachment;");
    EXPECT_EQ(m[45], "");
    EXPECT_EQ(m[46], "");
    EXPECT_EQ(m[47], "");
    EXPECT_EQ(m[48], "------=_NextPart_000_0024_01C174F7.038ED140--");

    EXPECT_TRUE(mail::OutlookExpressMessage(NetscapeTemplate(), f, b64).empty()) << "a wrong template is refused";
}

TEST(MailMessages, NetscapeEmbeddedAndAttached) {
    mail::MessageFields f;
    f.imagePath = "C:\\Temp\\shot 1.gif";
    mail::Lines m = mail::NetscapeMessage(NetscapeTemplate(), f, "unused");
    mail::Lines want = NetscapeTemplate();
    want[13] = "<font face=\"Arial, Helvetica\">&nbsp;</font><br><br><div><img src=\"file:///C:\\Temp\\shot 1.gif\" "
               "border=0></div>";
    EXPECT_EQ(m, want) << "embedded: no Base64, the template's close delimiter";

    f.attached = true;
    f.to = "x@y.example";
    f.subject = "S";
    f.imagePath = "C:\\Temp\\mail.jpg";
    m = mail::NetscapeMessage(NetscapeTemplate(), f, "QUJD");
    want = NetscapeTemplate();
    want[0] = "To:x@y.example";
    want[2] = "Subject: S";
    want[4] = "Content-Type: multipart/mixed;";
    want[13] = "";
    want[16] = "------=_NextPart_000_AAA1_1234ABCD";
    for (const char* l : {"Content-Type: image/jpeg;", "\tname=\"mail.jpg\"", "Content-Transfer-Encoding: base64",
                          "Content-Disposition: attachment;", "\tfilename=\"mail.jpg\"", "", "", "QUJD", "",
                          "------=_NextPart_000_AAA1_1234ABCD--"})
        want.push_back(l);
    EXPECT_EQ(m, want);
}

std::string InCodePage(const std::wstring& s, UINT codePage) {
    std::string out(s.size() * 4 + 1, '\0');
    out.resize(WideCharToMultiByte(codePage, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

// Header texts of the system's code page: every encoded word is decoded by
// the system's Base64 decoder and must be whole characters of its code page
// (the system's converter refuses a cut one); the words together give the
// text back.
TEST(MailHeaders, TextsThatAreNotAsciiBecomeEncodedWordsOfWholeCharacters) {
    struct Case {
        const char* charset;
        UINT codePage;
        std::wstring text;
    };
    const Case cases[] = {
        {"gbk", 936, L"\u5c4f\u5e55\u622a\u56fe Vorlix " + std::wstring(40, L'\u4e2d') + L"!"},
        {"utf-8", CP_UTF8, L"caf\u00e9 \u4e2d\u6587 \U0001F600 " + std::wstring(30, L'\u00e9')},
        {"shift_jis", 932, L"\u753b\u9762\uff76\uff9e\u30ad\u30e3\u30d7\u30c1\u30e3 " + std::wstring(35, L'\uff71') + L"\u6f22"},
        {"windows-1252", 1252, L"Caf\u00e9 cr\u00e8me " + std::wstring(60, L'\u00fc')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.charset);
        const std::string bytes = InCodePage(c.text, c.codePage);
        const std::string header = mail::EncodedHeader(bytes, c.charset);
        const std::string prefix = std::string("=?") + c.charset + "?B?";
        std::string joined;
        size_t from = 0, words = 0;
        while (from < header.size()) {
            const size_t end = header.find("\r\n ", from);
            const std::string word = header.substr(from, end == std::string::npos ? std::string::npos : end - from);
            EXPECT_LE(word.size() + (words ? 1 : 9), 76u) << "a line with encoded words, \"Subject: \" on the first";
            ASSERT_EQ(word.substr(0, prefix.size()), prefix);
            ASSERT_EQ(word.substr(word.size() - 2), "?=");
            const std::string chunk = Decode(word.substr(prefix.size(), word.size() - prefix.size() - 2));
            EXPECT_GT(MultiByteToWideChar(c.codePage, MB_ERR_INVALID_CHARS, chunk.data(), int(chunk.size()), nullptr, 0), 0)
                << "word " << words << " cuts a character";
            joined += chunk;
            ++words;
            from = end == std::string::npos ? header.size() : end + 3;
        }
        EXPECT_GE(words, 2u);
        EXPECT_EQ(joined, bytes);
    }
    EXPECT_EQ(mail::EncodedHeader("Hi\r\n!", "gbk"), "Hi!") << "ASCII stays as it is";
    EXPECT_EQ(mail::EncodedHeader("\xD6\xD0\n", ""), "\xD6\xD0") << "no charset name: the bytes as they are";

    EXPECT_EQ(mail::NameParameter("name", "shot 1.gif", "gbk"), "name=\"shot 1.gif\"");
    EXPECT_EQ(mail::NameParameter("filename", InCodePage(L"\u622a\u56fe.png", 936), "gbk"),
              "filename*=gbk''%BD%D8%CD%BC.png");
    EXPECT_EQ(mail::NameParameter("name", "a\"b.png", "windows-1252"), "name*=windows-1252''a%22b.png");

    for (auto [codePage, name] : {std::pair<unsigned, const char*>{936, "gbk"}, {1252, "windows-1252"},
                                  {1258, "windows-1258"}, {950, "big5"}, {932, "shift_jis"}, {437, ""}})
        EXPECT_EQ(mail::CharsetOfCodePage(codePage), name) << codePage;
}

TEST(MailMessages, ChineseSubjectAndNameAreWrittenEncoded) {
    mail::MessageFields f;
    f.subject = InCodePage(L"\u5c4f\u5e55\u622a\u56fe", 936);
    f.imagePath = "C:\\Temp\\" + InCodePage(L"\u622a\u56fe", 936) + ".png";
    f.charset = "gbk";
    f.attached = true;
    const mail::Lines oe = mail::OutlookExpressMessage(OutlookExpressTemplate(), f, "QUJD");
    ASSERT_EQ(oe.size(), 50u);
    EXPECT_EQ(oe[2], "Subject: =?gbk?B?xsHEu73Yzbw=?=");
    EXPECT_EQ(oe[42], "\tname*=gbk''%BD%D8%CD%BC.png");
    const mail::Lines ns = mail::NetscapeMessage(NetscapeTemplate(), f, "QUJD");
    ASSERT_EQ(ns.size(), 27u);
    EXPECT_EQ(ns[2], "Subject: =?gbk?B?xsHEu73Yzbw=?=");
    EXPECT_EQ(ns[18], "\tname*=gbk''%BD%D8%CD%BC.png");
    EXPECT_EQ(ns[21], "\tfilename*=gbk''%BD%D8%CD%BC.png");
}

TEST(MailMessages, EudoraStationery) {
    mail::MessageFields f;
    f.to = "t@x.example";
    f.subject = "Sub\nject";
    f.imagePath = "C:\\Temp\\shot2.jpg";
    EXPECT_EQ(mail::JoinLines(mail::EudoraStationery(f)),
              "To: t@x.example\r\nFrom: \r\nSubject: Subject\r\nX-Stationery: 41405 3\r\n\r\n"
              "<x-html><html><head></head><body><font face=\"Arial, Helvetica\">&nbsp;</font><br><br><div><img "
              "src=\"file://C:\\Temp\\shot2.jpg\" border=0></div></body></html><x-html>\r\n");
    f.attached = true;
    EXPECT_EQ(mail::JoinLines(mail::EudoraStationery(f)),
              "To: t@x.example\r\nFrom: \r\nSubject: Subject\r\nX-Stationery: 41405 3\r\n"
              "X-Attachments: C:\\Temp\\shot2.jpg;\r\nX-Eudora-Signature: <Standard>\r\n\r\n");
}

// Outlook's embedded route: the helper's three values, each in double
// quotes, a single blank standing for an empty one.
TEST(MailCommandLines, PradomelGetsThreeQuotedValues) {
    ImageFileName = L"C:\\Temp\\shot1.gif";
    Config.MailTo.clear();
    Config.MailSubject.clear();
    EXPECT_EQ(PradomelParameters(), L"\"C:\\Temp\\shot1.gif\" \" \" \" \"");
    Config.MailTo = "a@b.example; c@d.example";
    Config.MailSubject = "My shot";
    EXPECT_EQ(PradomelParameters(), L"\"C:\\Temp\\shot1.gif\" \"a@b.example; c@d.example\" \"My shot\"");
}

}  // namespace
