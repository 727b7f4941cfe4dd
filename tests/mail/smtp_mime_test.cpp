// The SMTP sender's message rules: addresses it accepts, recipients it
// splits, and the dots it doubles after DATA.
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

}  // namespace
