#include "delivery/numbered_names.h"

#include <utility>

namespace numbering {

namespace {

std::wstring StripZeros(std::wstring_view digits) {
    const size_t first = digits.find_first_not_of(L'0');
    return first == std::wstring_view::npos ? std::wstring() : std::wstring(digits.substr(first));
}

bool Greater(const std::wstring& a, const std::wstring& b) {
    return a.size() != b.size() ? a.size() > b.size() : a > b;
}

}  // namespace

NumberedNames::NumberedNames(std::wstring prefix, std::wstring extension, SameTextFn sameText)
    : prefix_(std::move(prefix)), extension_(std::move(extension)), sameText_(sameText) {}

void NumberedNames::Add(std::wstring_view entry) {
    if (entry.size() <= prefix_.size() + extension_.size()) return;
    if (!sameText_(entry.substr(0, prefix_.size()), prefix_)) return;
    if (!sameText_(entry.substr(entry.size() - extension_.size()), extension_)) return;
    const std::wstring_view middle = entry.substr(prefix_.size(), entry.size() - prefix_.size() - extension_.size());
    if (middle.find_first_not_of(L"0123456789") != std::wstring_view::npos) return;
    std::wstring n = StripZeros(middle);
    if (Greater(n, largest_)) largest_ = std::move(n);
}

std::wstring NumberedNames::Next() const { return PlusOne(largest_); }

std::wstring PlusOne(std::wstring n) {
    for (size_t i = n.size(); i-- > 0;) {
        if (n[i] != L'9') {
            ++n[i];
            return n;
        }
        n[i] = L'0';
    }
    return L"1" + n;
}

}  // namespace numbering
