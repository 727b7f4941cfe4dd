// The ICQ destination and its binding to the ICQ client's programming
// interface (ICQMAPI.dll): the connection, the cache of contacts that are
// online, the look-ups the options dialog uses, and sending a file.
//
// The library is loaded when first needed, not imported: a machine without
// ICQ must still start the program, and gets a message when it sends to ICQ.
// Its exports are taken to use the stdcall convention (WINAPI), like the
// rest of the Windows interfaces of its time.
#pragma once

#include <string>

#include "base/configuration.h"

constexpr int IcqCacheCapacity = 99;

struct IcqCache {
    TIcqContact entries[IcqCacheCapacity];
    int count = 0;
};
extern IcqCache IcqContactCache;
extern bool IcqAvailable;  // the outcome of the last ConnectIcq

bool ConnectIcq();
// Connects and reads the contacts that are online into the cache (at most
// its capacity; the rest are left out).
bool RefreshIcqContacts();
void ClearIcqContact(TIcqContact& contact);
// 1 fill nick, 2 fill number, 3 verify (see the cache entries in order).
bool LookupIcqContact(TIcqContact& contact, int mode);
// 1-based index of the first entry whose number (in decimal) or nick equals
// text without regard to case; 0 when none or not connected.
int FindIcqContactIndex(const std::string& text);
// What the user typed as a contact: a cached entry, or the text as a number
// (0 when it is no number that fits: negative, too large, or not a number)
// and as the nick.
void ParseIcqContact(const std::string& text, TIcqContact& contact);
bool IcqSendFile(const std::wstring& file);

// The destination routine.
bool SendToIcq();
