#include "options/contact_pickers.h"

#include "delivery/icq_binding.h"
#include "delivery/messenger_binding.h"

std::vector<std::wstring> ImContactAddresses() {
    std::vector<std::wstring> list;
    if (!ListImContacts(list)) list.clear();
    return list;
}

bool RefreshIcqContactList() { return RefreshIcqContacts(); }

std::vector<std::string> IcqContactNicks() {
    std::vector<std::string> nicks;
    for (int i = 0; i < IcqContactCache.count; ++i) nicks.push_back(IcqContactCache.entries[i].nick.str());
    return nicks;
}

bool FillIcqNick(TIcqContact& contact) { return LookupIcqContact(contact, 1); }

void ParseIcqText(const std::string& text, TIcqContact& contact) { ParseIcqContact(text, contact); }
