// The numbered-name rule of automatic file naming: prefix, a number one more
// than the largest already in use for that prefix and extension, extension.
// No windows.h here: the uploader applies the same rule to the names an FTP
// server lists.
#pragma once

#include <string>
#include <string_view>

namespace numbering {

// Compares two texts of equal length without regard to letter case.
using SameTextFn = bool (*)(std::wstring_view a, std::wstring_view b);

// Collects the numbers that entries carry between prefix and extension and
// gives the next one. Numbers are digit strings, so no suffix is too long.
class NumberedNames {
public:
    NumberedNames(std::wstring prefix, std::wstring extension, SameTextFn sameText);
    // An entry counts when it is prefix + digits + extension (any letter case).
    void Add(std::wstring_view entry);
    // One more than the largest number counted ("1" when none counted).
    std::wstring Next() const;
    std::wstring NameWith(const std::wstring& number) const { return prefix_ + number + extension_; }

private:
    std::wstring prefix_, extension_;
    SameTextFn sameText_;
    std::wstring largest_;  // without leading zeros; "" is 0
};

// The decimal digit string n plus one.
std::wstring PlusOne(std::wstring n);

}  // namespace numbering
