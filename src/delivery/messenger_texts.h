// Texts of the IM and ICQ destinations. Defined per language in
// resources/texts/<lang>/messenger.cpp.
#pragma once

namespace txt {

extern const wchar_t SentToIcq[];          // "Image sent to ICQ"
extern const wchar_t IcqNotAvailable[];
extern const wchar_t IcqNoContact[];
extern const wchar_t IcqNotOnline[];       // <NICK>: the contact's nick (ui::FormatText)
extern const wchar_t IcqCannotSend[];

extern const wchar_t SentToIm[];           // "Image sent to IM"
extern const wchar_t ImNotInstalled[];
extern const wchar_t ImNotRunning[];
extern const wchar_t ImSignIn[];
extern const wchar_t ImEmptyAddress[];
extern const wchar_t ImUserOffline[];
extern const wchar_t ImUserNotFound[];
extern const wchar_t ImNotReady[];

}  // namespace txt
