#include "options/contact_pickers.h"

#include <cstdint>

// No messenger or ICQ client binding is part of the program yet: the lists
// are empty and a typed contact stands for itself.

std::vector<std::wstring> ImContactAddresses() { return {}; }

bool RefreshIcqContactList() { return false; }

std::vector<std::string> IcqContactNicks() { return {}; }

bool FillIcqNick(TIcqContact&) { return false; }

void ParseIcqText(const std::string& text, TIcqContact& contact) {
    // Digits only, and no more than a 32-bit number holds; a sign, a letter
    // or too many digits is no number.
    uint64_t value = 0;
    bool number = !text.empty() && text.size() <= 10;
    for (char c : text) {
        if (c < '0' || c > '9') {
            number = false;
            break;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    contact.number = number && value <= 0xFFFFFFFFull ? static_cast<uint32_t>(value) : 0;
    contact.nick = std::string_view(text).substr(0, 50);
}
