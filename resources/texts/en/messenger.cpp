// English texts of the IM and ICQ destinations.
#include "delivery/messenger_texts.h"

namespace txt {

const wchar_t SentToIcq[] = L"Image sent to ICQ";
const wchar_t IcqNotAvailable[] =
    L"To send screenshots using Vorlix to a ICQ user,\rICQ must be installed, running and online.";
const wchar_t IcqNoContact[] = L"Please enter a pre-set ICQ destination user.";
const wchar_t IcqNotOnline[] = L"<NICK> is not online.    ";
const wchar_t IcqCannotSend[] = L"Vorlix cannot send the file via ICQ.";

const wchar_t SentToIm[] = L"Image sent to IM";
const wchar_t ImNotInstalled[] = L"IM must be installed";
const wchar_t ImNotRunning[] = L"IM must be running";
const wchar_t ImSignIn[] = L"IM : Please sign in first.";
const wchar_t ImEmptyAddress[] = L"IM : Empty email address.";
const wchar_t ImUserOffline[] = L"IM : User is offline";
const wchar_t ImUserNotFound[] = L"IM : User was not found in your contact list";
const wchar_t ImNotReady[] = L"IM : Must be running and signed in.";

}  // namespace txt
