#include "delivery/icq_binding.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/errors.h"
#include "base/globals.h"
#include "delivery/destinations.h"
#include "delivery/image_savers.h"
#include "delivery/messenger_texts.h"
#include "ui/text_convert.h"
#include "ui/text_format.h"

IcqCache IcqContactCache;
bool IcqAvailable = false;

namespace {

// The interface's exports, stdcall.
using SetLicenseKeyFn = BOOL(WINAPI*)(const char* licensee, const char* password, const char* key);
using GetVersionFn = BOOL(WINAPI*)(int* version);
using SetOwnerStateFn = BOOL(WINAPI*)(int state);
using GetOnlineListDetailsFn = BOOL(WINAPI*)(int* count, void*** users);
using GetFullUserDataFn = BOOL(WINAPI*)(void* user, int version);
using FreeUsersFn = void(WINAPI*)(int count, void** users);
using SendFileFn = BOOL(WINAPI*)(int number, const char* path);

constexpr size_t kUserBlockSize = 612;
constexpr size_t kNickOffset = 12;
constexpr size_t kNickChars = 20;

// The licence the interface asks of a calling program.
const char kLicensee[] = "Vorlix Tessavue";
const char kLicensePassword[] = "vorlix";
const char kLicenseKey[] = "VORLIX-TESSAVUE";

struct IcqLibrary {
    HMODULE module = nullptr;
    SetLicenseKeyFn setLicenseKey = nullptr;
    GetVersionFn getVersion = nullptr;
    SetOwnerStateFn setOwnerState = nullptr;
    GetOnlineListDetailsFn getOnlineList = nullptr;
    GetFullUserDataFn getFullUserData = nullptr;
    FreeUsersFn freeUsers = nullptr;
    SendFileFn sendFile = nullptr;
    int version = 0;

    // Loads the library once it is there; false while it is missing or
    // lacks one of the seven exports.
    bool Load() {
        if (module) return true;
        HMODULE m = LoadLibraryW(L"ICQMAPI.dll");
        if (!m) return false;
        auto get = [m](const char* name) { return reinterpret_cast<void*>(GetProcAddress(m, name)); };
        setLicenseKey = reinterpret_cast<SetLicenseKeyFn>(get("ICQAPICall_SetLicenseKey"));
        getVersion = reinterpret_cast<GetVersionFn>(get("ICQAPICall_GetVersion"));
        setOwnerState = reinterpret_cast<SetOwnerStateFn>(get("ICQAPICall_SetOwnerState"));
        getOnlineList = reinterpret_cast<GetOnlineListDetailsFn>(get("ICQAPICall_GetOnlineListDetails"));
        getFullUserData = reinterpret_cast<GetFullUserDataFn>(get("ICQAPICall_GetFullUserData"));
        freeUsers = reinterpret_cast<FreeUsersFn>(get("ICQAPIUtil_FreeUsers"));
        sendFile = reinterpret_cast<SendFileFn>(get("ICQAPICall_SendFile"));
        if (!setLicenseKey || !getVersion || !setOwnerState || !getOnlineList || !getFullUserData || !freeUsers ||
            !sendFile) {
            FreeLibrary(m);
            return false;
        }
        module = m;
        return true;
    }
} icq;

std::wstring LowerText(std::string_view ansi) { return ui::LowerCase(ui::ToWide(ansi)); }

}  // namespace

bool ConnectIcq() {
    IcqAvailable = false;
    IcqContactCache.count = 0;
    try {
        if (!icq.Load()) return false;
        if (!icq.setLicenseKey(kLicensee, kLicensePassword, kLicenseKey)) return false;
        if (!icq.getVersion(&icq.version)) return false;
        IcqAvailable = icq.setOwnerState(0) != FALSE;
    } catch (...) {
        IcqAvailable = false;
    }
    return IcqAvailable;
}

bool RefreshIcqContacts() {
    if (!ConnectIcq()) return false;
    int count = 0;
    void** users = nullptr;
    bool ok = false;
    try {
        ok = icq.getOnlineList(&count, &users) != FALSE;
        if (ok && users && count > 0) {
            std::vector<uint8_t> block(kUserBlockSize);
            for (int i = 0; i < count && IcqContactCache.count < IcqCacheCapacity; ++i) {
                if (!users[i]) continue;
                uint32_t number;
                std::memcpy(&number, users[i], sizeof number);
                std::fill(block.begin(), block.end(), 0);
                std::memcpy(block.data(), &number, sizeof number);
                TIcqContact& slot = IcqContactCache.entries[IcqContactCache.count];
                ClearIcqContact(slot);
                slot.pad = 0;
                if (icq.getFullUserData(block.data(), icq.version)) {
                    std::memcpy(&slot.number, block.data(), sizeof slot.number);
                    // The nick ends at its zero byte, at the block's end at the
                    // latest, and keeps at most 20 characters.
                    const char* nick = reinterpret_cast<const char*>(block.data() + kNickOffset);
                    const size_t room = kUserBlockSize - kNickOffset;
                    slot.nick = std::string_view(nick, std::min(strnlen(nick, room), kNickChars));
                } else {
                    // Its details could not be read: the number alone.
                    slot.number = number;
                }
                ++IcqContactCache.count;
            }
        }
    } catch (...) {
        ok = false;
    }
    // The table belongs to the interface, whatever happened.
    if (users) icq.freeUsers(count, users);
    return ok;
}

void ClearIcqContact(TIcqContact& contact) {
    contact.number = 0;
    contact.nick.clear();
}

bool LookupIcqContact(TIcqContact& contact, int mode) {
    if (!IcqAvailable) return false;
    for (int i = 0; i < IcqContactCache.count; ++i) {
        const TIcqContact& e = IcqContactCache.entries[i];
        const bool sameNumber = e.number == contact.number;
        const bool sameNick = e.nick.view() == contact.nick.view();
        if (mode == 1 && sameNumber && !sameNick) {
            contact.nick = e.nick.view();
            return true;
        }
        if (mode == 2 && !sameNumber && sameNick) {
            contact.number = e.number;
            return true;
        }
        if (mode == 3 && sameNumber && sameNick) return true;
    }
    return false;
}

int FindIcqContactIndex(const std::string& text) {
    if (!IcqAvailable) return 0;
    const std::wstring wanted = LowerText(text);
    for (int i = 0; i < IcqContactCache.count; ++i) {
        const TIcqContact& e = IcqContactCache.entries[i];
        if (std::to_wstring(e.number) == wanted || LowerText(e.nick.view()) == wanted) return i + 1;
    }
    return 0;
}

void ParseIcqContact(const std::string& text, TIcqContact& contact) {
    if (const int index = FindIcqContactIndex(text)) {
        contact = IcqContactCache.entries[index - 1];
        return;
    }
    // Digits only, and a value that an ICQ number can hold; anything else
    // (a sign, a letter, too many digits) is no number.
    uint64_t value = 0;
    bool number = !text.empty() && text.size() <= 10;
    for (char c : text) {
        if (c < '0' || c > '9') {
            number = false;
            break;
        }
        value = value * 10 + uint64_t(c - '0');
    }
    contact.number = number && value <= 0xFFFFFFFFull ? uint32_t(value) : 0;
    contact.nick = std::string_view(text).substr(0, 50);
}

bool IcqSendFile(const std::wstring& file) {
    RefreshIcqContacts();
    if (!IcqAvailable) {
        ShowError(txt::IcqNotAvailable);
        return false;
    }
    TIcqContact& contact = Config.IcqContact;
    if (contact.number == 0 && contact.nick.empty()) {
        ShowError(txt::IcqNoContact);
        return false;
    }
    if (!contact.nick.empty()) {
        const bool found = contact.number == 0 ? LookupIcqContact(contact, 2) : LookupIcqContact(contact, 3);
        if (!found) {
            ShowError(ui::FormatText(txt::IcqNotOnline, {{L"<NICK>", ui::ToWide(contact.nick.view())}}));
            return false;
        }
    }
    // The interface takes the path in the code page: in a form that still
    // names the file.
    const auto path = ui::ToAnsiPath(file);
    bool sent = false;
    try {
        sent = path && icq.sendFile(int(contact.number), path->c_str()) != FALSE;
    } catch (...) {
        sent = false;
    }
    if (!sent) ShowError(txt::IcqCannotSend);
    return sent;
}

bool SendToIcq() {
    if (!PrepareTemporaryFile(ui::ToWide(Config.IcqFileName.view()), delivery::KnownFormat(Config.IcqFormat), true))
        return delivery::Failed();
    if (!IcqSendFile(ImageFileName)) return delivery::Failed();
    delivery::Succeeded(txt::SentToIcq);
    return true;
}
