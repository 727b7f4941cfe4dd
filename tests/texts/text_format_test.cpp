// Filling a message's placeholders: one pass from left to right, so that a
// value is shown as it is even when it holds a placeholder's name (a
// favourite called "<NAME>", a server reply quoting "<FILE>"), and text that
// only looks like a placeholder stays.
#include "ui/text_format.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Case {
    const wchar_t* text;
    const wchar_t* expected;
};

TEST(FormatText, FillsEachPlaceholderOnceAndLeavesTheRest) {
    // Values: <NAME> = "<NAME>'s <FILE>", <FILE> = "a<b>.bmp", <N> = "" (empty).
    const Case cases[] = {
        {L"Favorite '<NAME>' already exists.", L"Favorite '<NAME>'s <FILE>' already exists."},
        {L"<FILE> already exists.", L"a<b>.bmp already exists."},
        {L"<NAME><FILE>", L"<NAME>'s <FILE>a<b>.bmp"},         // side by side, at both ends
        {L"<FILE> and <FILE> again", L"a<b>.bmp and a<b>.bmp again"},
        {L"[<N>]", L"[]"},                                      // an empty value
        {L"<OTHER> stays, 1 < 2, <<FILE>>, <FILE", L"<OTHER> stays, 1 < 2, <a<b>.bmp>, <FILE"},
        {L"No placeholder.", L"No placeholder."},
        {L"", L""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ui::FormatText(c.text, {{L"<NAME>", L"<NAME>'s <FILE>"}, {L"<FILE>", L"a<b>.bmp"}, {L"<N>", L""}}),
                  c.expected)
            << "text: " << testing::PrintToString(std::wstring(c.text));
    }
}

}  // namespace
