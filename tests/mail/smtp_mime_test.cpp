// The SMTP sender's message rules: addresses it accepts, recipients it
// splits, subjects it encodes, and the dots it doubles after DATA.
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

TEST(SmtpMime, SubjectsAreEncodedWordsThatNeverCutACharacter) {
    EXPECT_EQ(smtpmail::HeaderText({"H", "i", "\r", "\n", "!"}, "gbk"), "Hi!");
    // Forty two-byte characters: more than one word, each within 75 characters
    // and holding whole characters (an even number of bytes).
    std::vector<std::string> chinese(40, std::string("\xD6\xD0", 2));
    const std::string text = smtpmail::HeaderText(chinese, "gbk");
    size_t words = 0, from = 0;
    while (from < text.size()) {
        size_t end = text.find("\r\n ", from);
        const std::string word = text.substr(from, end == std::string::npos ? std::string::npos : end - from);
        EXPECT_LE(word.size(), 75u);
        ASSERT_EQ(word.substr(0, 8), "=?gbk?B?");
        ++words;
        from = end == std::string::npos ? text.size() : end + 3;
    }
    EXPECT_GE(words, 2u);
}

TEST(SmtpMime, DotsAtLineStartsAreDoubled) {
    EXPECT_EQ(smtpmail::DataSection(".\r\nx\r\n..y\r\n"), "..\r\nx\r\n...y\r\n.\r\n");
    EXPECT_EQ(smtpmail::DataSection("a"), "a\r\n.\r\n");
    EXPECT_EQ(smtpmail::DataSection(""), ".\r\n");
}

}  // namespace
