// What the IM and ICQ pages ask of the messenger and of the ICQ client
// bindings: the messenger's contact addresses, the ICQ contacts that are
// online, and how a typed ICQ contact is read. Without a messenger or an ICQ
// client the lists are empty and a typed contact is read from its text alone;
// nothing is reported here.
#pragma once

#include <string>
#include <vector>

#include "core/configuration.h"

// The e-mail addresses of the messenger's contacts that are online.
std::vector<std::wstring> ImContactAddresses();

// Reconnects to the ICQ client and rereads its online contacts; false when
// there is no client or no connection.
bool RefreshIcqContactList();
// The nicks of the online contacts last read, in the client's order.
std::vector<std::string> IcqContactNicks();
// Fills in the contact's nick from the online contact of its number; true
// when one was found.
bool FillIcqNick(TIcqContact& contact);
// The contact a typed text names: an online contact whose number or nick it
// is, else the text as the number (0 when it is no number an ICQ number can
// hold) and as the nick.
void ParseIcqText(const std::string& text, TIcqContact& contact);
