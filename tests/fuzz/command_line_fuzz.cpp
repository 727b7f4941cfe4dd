// Quoting for command lines: any values, joined into one command line, come
// back whole and in order through the parsing rules of CommandLineToArgvW
// (our own implementation of them natively; the system's own as well when
// the replay runs under Windows or Wine). A foreign argument comes back with
// its double quotes turned into single ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "delivery/command_line.h"
#include "fuzz_input.h"

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace {

// A value as UTF-16 units, two input bytes each. A NUL ends a command line,
// so no value can hold one: it is left out.
std::wstring Value(fuzz::Input& in) {
    const std::string bytes = in.Bytes(512);
    std::wstring v;
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        // Mostly the characters that matter to the parser.
        static const wchar_t kInteresting[] = {L'"', L'\\', L' ', L'\t', L'a', L'\u4e2d', L'\'', L'\n'};
        const uint8_t lo = uint8_t(bytes[i]), hi = uint8_t(bytes[i + 1]);
        const wchar_t c = hi < 0x80 ? kInteresting[lo % 8] : wchar_t(lo | (hi << 8));
        if (c != 0) v += c;
    }
    return v;
}

std::vector<std::wstring> SystemSplit(const std::wstring& args) {
#ifdef _WIN32
    // The first token is the program's name, parsed by other rules.
    const std::wstring line = L"prog.exe " + args;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line.c_str(), &count);
    std::vector<std::wstring> out;
    for (int i = 1; argv && i < count; ++i) out.emplace_back(argv[i]);
    LocalFree(argv);
    return out;
#else
    return cmdline::SplitArguments(args);
#endif
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Input in(data, size);
    std::vector<std::wstring> values;
    const int count = int(in.Range(1, 8));
    for (int i = 0; i < count; ++i) values.push_back(Value(in));

    const std::wstring line = cmdline::JoinArguments(values);
    FUZZ_CHECK(cmdline::SplitArguments(line) == values);
    FUZZ_CHECK(SystemSplit(line) == values);

    // One value alone, as an ordinary one: only wrapped in quotes when it
    // holds no double quote and does not end in a backslash.
    const std::wstring& v = values[0];
    const std::wstring quoted = cmdline::QuoteArgument(v);
    if (v.find(L'"') == std::wstring::npos && (v.empty() || v.back() != L'\\'))
        FUZZ_CHECK(quoted == L"\"" + v + L"\"");

    // A foreign argument between two of ours shifts nothing.
    std::wstring clean = v;
    for (wchar_t& c : clean)
        if (c == L'"') c = L'\'';
    const std::wstring foreign = cmdline::QuoteArgument(L"before") + L" " + cmdline::QuoteForeignArgument(v) + L" " +
                                 cmdline::QuoteArgument(L"after");
    const std::vector<std::wstring> expected = {L"before", clean, L"after"};
    FUZZ_CHECK(cmdline::SplitArguments(foreign) == expected);
    FUZZ_CHECK(SystemSplit(foreign) == expected);
    return 0;
}
