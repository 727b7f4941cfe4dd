// The IM destination and its binding to the instant messenger's automation
// object ("Messenger.UIAutomation.1"): whether the messenger is installed,
// running and signed in, the contacts that are online, and handing a file to
// a contact by dropping it on a conversation window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Contact status values of the messenger.
constexpr long ImStatusOffline = 1;  // for the local user: not signed in
constexpr long ImStatusOnline = 2;

// Installed, running and signed in; the message of the first check that
// fails unless silent.
bool ImAvailable(bool silent);
// The sign-in names of the contacts that are online, in the messenger's order.
bool ListImContacts(std::vector<std::wstring>& list);
// The address is a contact of the signed-in user (exact comparison, case
// included) and not offline; otherwise the user is told why.
bool FindImContact(const std::wstring& address);
// A shareable global block in the drop-files layout with narrow names, each
// in a form of its path that the code page holds; null when it cannot be
// made (or a path has no such form). Whoever receives it as a drop releases it.
HGLOBAL MakeDropFiles(const std::vector<std::wstring>& names);
// Opens a conversation with the contact and drops the file on its window.
bool ImSendFile(const std::wstring& address, const std::wstring& file);

// The destination routine.
bool SendToIM();
