// Quoted arguments come back whole through the system's own parser.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "delivery/command_line.h"

namespace {

std::vector<std::wstring> SystemSplit(const std::wstring& args) {
    // CommandLineToArgvW treats the first token as the program name.
    std::wstring line = L"prog.exe " + args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> out;
    for (int i = 1; i < count; ++i) out.emplace_back(argv[i]);
    LocalFree(argv);
    return out;
}

const std::vector<std::wstring> kHardValues = {
    L"", L" ", L"plain", L"two words", L"say \"hi\"", L"\"", L"\"\"", L"C:\\folder\\", L"C:\\folder\\\\",
    L"a\\\"b", L"\\\\server\\share", L"end\\", L"tab\there", L"\\\"\\", L"p@ss\"w\\\"rd\\", L"中文 主题",
};

TEST(CommandLine, OrdinaryValuesAreOnlyWrappedInQuotes) {
    EXPECT_EQ(cmdline::QuoteArgument(L"a b"), L"\"a b\"");
    EXPECT_EQ(cmdline::QuoteArgument(L""), L"\"\"");
    EXPECT_EQ(cmdline::QuoteArgument(L"C:\\x\\y.gif"), L"\"C:\\x\\y.gif\"");
    EXPECT_EQ(cmdline::JoinArguments({L"1", L" ", L"x"}), L"\"1\" \" \" \"x\"");
}

TEST(CommandLine, EveryValueSurvivesTheSystemParser) {
    // All at once, so a value that swallowed its neighbour would shift the rest.
    std::wstring line = cmdline::JoinArguments(kHardValues);
    EXPECT_EQ(SystemSplit(line), kHardValues) << line;
    EXPECT_EQ(cmdline::SplitArguments(line), kHardValues) << line;
}

TEST(CommandLine, OurSplitterAgreesWithTheSystemOnAwkwardLines) {
    const wchar_t* lines[] = {
        L"a b  c", L"\"a b\" c", L"a\\\\\\\"b", L"\"a\"\"b\" c", L"x\\ \"y z\\\\\" w", L"\"unterminated",
        L"\\\\\"quoted\\\\\"", L"  lead and trail  ",
    };
    for (const wchar_t* l : lines) EXPECT_EQ(cmdline::SplitArguments(l), SystemSplit(l)) << l;
}

TEST(CommandLine, ForeignValuesLoseTheirDoubleQuotes) {
    EXPECT_EQ(cmdline::QuoteForeignArgument(L"say \"hi\""), L"\"say 'hi'\"");
    EXPECT_EQ(SystemSplit(cmdline::QuoteForeignArgument(L"dir\\") + L" next"),
              (std::vector<std::wstring>{L"dir\\", L"next"}));
}

}  // namespace
