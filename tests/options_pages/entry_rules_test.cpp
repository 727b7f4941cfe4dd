// The number rules of the offset and port edits and the placing of an
// annotation placeholder.
#include <gtest/gtest.h>

#include "options/entry_rules.h"

using entry::NumberCheck;

TEST(EntryRules, WholeNumbersWithinTheirRange) {
    struct Case {
        const wchar_t* text;
        int64_t low, high;
        NumberCheck check;
        int64_t value;
    };
    const Case cases[] = {
        {L"", 0, 1024, NumberCheck::Empty, 0},
        {L"0", 0, 1024, NumberCheck::Accepted, 0},
        {L"1024", 0, 1024, NumberCheck::Accepted, 1024},
        {L"1025", 0, 1024, NumberCheck::OutOfRange, 0},
        {L"007", 0, 1024, NumberCheck::Accepted, 7},
        {L"-5", 0, 1024, NumberCheck::OutOfRange, 0},
        {L"+5", 0, 1024, NumberCheck::OutOfRange, 0},
        {L"12a", 0, 1024, NumberCheck::OutOfRange, 0},
        {L" 12", 0, 1024, NumberCheck::OutOfRange, 0},
        {L"\x0661", 0, 1024, NumberCheck::OutOfRange, 0},  // an Arabic-Indic digit is no decimal digit here
        // Beyond 32 and 64 bits: out of range, never wrapped into the range.
        {L"4294967296", 0, 2147483647, NumberCheck::OutOfRange, 0},
        {L"4294967297", 0, 1024, NumberCheck::OutOfRange, 0},
        {L"18446744073709551617", 0, 1024, NumberCheck::OutOfRange, 0},
        {L"99999999999999999999999999999999999999", 0, 2147483647, NumberCheck::OutOfRange, 0},
        {L"2147483647", 0, 2147483647, NumberCheck::Accepted, 2147483647},
    };
    for (const Case& c : cases) {
        const auto r = entry::ReadWholeNumber(c.text, c.low, c.high);
        EXPECT_EQ(r.check, c.check) << testing::PrintToString(std::wstring(c.text));
        EXPECT_EQ(r.value, c.value) << testing::PrintToString(std::wstring(c.text));
    }
}

TEST(EntryRules, PortsAreOneTo255) {
    EXPECT_EQ(entry::ReadPort(L"0").check, NumberCheck::OutOfRange);
    EXPECT_EQ(entry::ReadPort(L"1").value, 1);
    EXPECT_EQ(entry::ReadPort(L"255").value, 255);
    EXPECT_EQ(entry::ReadPort(L"256").check, NumberCheck::OutOfRange);
    EXPECT_EQ(entry::ReadPort(L"").check, NumberCheck::Empty);
}

TEST(EntryRules, APlaceholderReplacesTheSelectionOrGoesInAtTheCaret) {
    auto r = entry::InsertPlaceholder(L"Hello World", 5, 5, L"<NEW LINE>");
    EXPECT_EQ(r.text, L"Hello<NEW LINE> World");
    EXPECT_EQ(r.caret, 15u);
    r = entry::InsertPlaceholder(L"Hello World", 11, 6, L"<TIME>");
    EXPECT_EQ(r.text, L"Hello <TIME>");
    EXPECT_EQ(r.caret, 12u);
    r = entry::InsertPlaceholder(L"", 0, 0, L"<DATE>");
    EXPECT_EQ(r.text, L"<DATE>");
    // A selection past the end is held to the text.
    r = entry::InsertPlaceholder(L"ab", 7, 9, L"<USER NAME>");
    EXPECT_EQ(r.text, L"ab<USER NAME>");
    EXPECT_EQ(r.caret, 13u);
}
