// The SMTP sender's message rules: addresses it accepts, recipients it
// splits, the dots it doubles after DATA, its Date and Message-ID headers.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mime_mail.h"

namespace {

TEST(SmtpMime, AddressesThatCouldBreakTheEnvelopeAreRefused) {
    for (const char* good : {"a@b.example", "first.last+tag@sub.example.org", "x@y"}) EXPECT_TRUE(smtpmail::IsValidAddress(good)) << good;
    for (const char* bad : {"", "a@", "@b", "ab", "a b@c", "a@b>", "<a@b", "a@b\r\nRCPT TO:<c@d>", "a@b\n", "a,b@c",
                            "a@b;c"})
        EXPECT_FALSE(smtpmail::IsValidAddress(bad)) << bad;
    EXPECT_EQ(smtpmail::SplitRecipients(" a@b.example;c@d.example , ,e@f.example "),
              (std::vector<std::string>{"a@b.example", "c@d.example", "e@f.example"}));
    EXPECT_TRUE(smtpmail::SplitRecipients(" ; , ").empty());
}

TEST(SmtpMime, DotsAtLineStartsAreDoubled) {
    EXPECT_EQ(smtpmail::DataSection(".\r\nx\r\n..y\r\n"), "..\r\nx\r\n...y\r\n.\r\n");
    EXPECT_EQ(smtpmail::DataSection("a"), "a\r\n.\r\n");
    EXPECT_EQ(smtpmail::DataSection(""), ".\r\n");
}

TEST(SmtpMime, DatesAreWrittenAsRfc5322WantsThem) {
    struct Case {
        int y, mo, d, h, mi, s, offset;
        const char* expected;
    };
    const Case cases[] = {
        {2025, 4, 1, 9, 5, 3, 120, "Tue, 1 Apr 2025 09:05:03 +0200"},
        {2000, 1, 1, 0, 0, 0, 0, "Sat, 1 Jan 2000 00:00:00 +0000"},
        {2024, 2, 29, 23, 59, 59, -210, "Thu, 29 Feb 2024 23:59:59 -0330"},
        {1999, 12, 31, 12, 0, 0, 345, "Fri, 31 Dec 1999 12:00:00 +0545"},
        {2100, 3, 1, 1, 2, 3, -600, "Mon, 1 Mar 2100 01:02:03 -1000"},
        {2026, 12, 11, 4, 31, 0, 840, "Fri, 11 Dec 2026 04:31:00 +1400"},
    };
    for (const Case& c : cases) EXPECT_EQ(smtpmail::FormatDate(c.y, c.mo, c.d, c.h, c.mi, c.s, c.offset), c.expected);
}

TEST(SmtpMime, TheMessageIdTakesTheSendersDomainOrTheComputersName) {
    struct Case {
        const char* from;
        const char* computer;
        const char* expected;
    };
    const Case cases[] = {
        {"me@vorlix.example", "DESKTOP-1", "vorlix.example"},
        {"me@[192.0.2.1]", "DESKTOP-1", "[192.0.2.1]"},
        {"me@bad..example", "Office-PC.corp.example", "office-pc.corp.example"},
        {"me@b\xC3\xA4r.example", "PC 7", "pc7"},  // neither an atom nor a literal; a blank cannot stand in one
        {"me@.example", "\xE7\x94\xB5\xE8\x84\x91", "localhost"},
        {"no address", "", "localhost"},
        {"me@x.", ".pc.", "pc"},
    };
    for (const Case& c : cases) EXPECT_EQ(smtpmail::MessageIdDomain(c.from, c.computer), c.expected) << c.from;

    smtpmail::Message m;
    m.from = "me@vorlix.example";
    m.to = {"a@b.example"};
    m.date = "Tue, 1 Apr 2025 09:05:03 +0200";
    m.messageId = "0123.ABCD@vorlix.example";
    m.charset = "windows-1252";
    m.imageName = "a.png";
    m.imageType = "image/png";
    const std::string text = smtpmail::Compose(m, "b");
    EXPECT_NE(text.find("\r\nDate: Tue, 1 Apr 2025 09:05:03 +0200\r\nMessage-ID: <0123.ABCD@vorlix.example>\r\n"),
              std::string::npos)
        << text;
}

}  // namespace
