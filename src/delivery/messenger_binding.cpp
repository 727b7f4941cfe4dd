#include "delivery/messenger_binding.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>

#include "base/errors.h"
#include "base/foreground.h"
#include "base/globals.h"
#include "delivery/automation.h"
#include "delivery/destinations.h"
#include "delivery/image_savers.h"
#include "delivery/messenger_texts.h"
#include "ui/text_convert.h"

namespace {

const wchar_t kMessengerClass[] = L"Messenger.UIAutomation.1";

// The messenger object when it is installed, running and signed in; an
// empty object after telling the user (unless silent) which is not the case.
automation::Object Messenger(bool silent) {
    auto refuse = [silent](const wchar_t* message) {
        if (!silent) ShowError(message);
        return automation::Object();
    };
    automation::Object messenger;
    try {
        messenger = automation::Object::Create(kMessengerClass);
    } catch (const automation::Error&) {
        return refuse(txt::ImNotInstalled);
    }
    try {
        messenger.Get(L"MySigninName").Text();
    } catch (const automation::Error&) {
        return refuse(txt::ImNotRunning);
    }
    try {
        if (messenger.Get(L"MyStatus").Number() == ImStatusOffline) return refuse(txt::ImSignIn);
    } catch (const automation::Error&) {
        return refuse(txt::ImNotRunning);
    }
    return messenger;
}

struct ImContact {
    std::wstring name;
    long status;
};

// The contact list in the messenger's order.
std::vector<ImContact> Contacts(automation::Object& messenger) {
    automation::Object list = messenger.Get(L"MyContacts").AsObject();
    const long count = list.Get(L"Count").Number();
    std::vector<ImContact> contacts;
    for (long i = 0; i < count; ++i) {
        automation::Object contact = list.Call(L"Item", {int(i)}).AsObject();
        contacts.push_back({contact.Get(L"SigninName").Text(), contact.Get(L"Status").Number()});
    }
    return contacts;
}

}  // namespace

bool ImAvailable(bool silent) { return bool(Messenger(silent)); }

bool ListImContacts(std::vector<std::wstring>& list) {
    automation::Object messenger = Messenger(true);
    if (!messenger) return false;
    list.clear();
    try {
        for (const ImContact& c : Contacts(messenger))
            if (c.status == ImStatusOnline) list.push_back(c.name);
    } catch (const automation::Error&) {
        return false;
    }
    return true;
}

bool FindImContact(const std::wstring& address) {
    if (address.empty()) {
        ShowError(txt::ImEmptyAddress);
        return false;
    }
    automation::Object messenger = Messenger(false);
    if (!messenger) return false;
    std::vector<ImContact> contacts;
    try {
        contacts = Contacts(messenger);
    } catch (const automation::Error&) {
        // A contact list that cannot be read is a messenger that is not ready.
        ShowError(txt::ImNotReady);
        return false;
    }
    bool found = false;
    for (const ImContact& c : contacts) {
        if (c.name != address) continue;
        if (c.status == ImStatusOffline) {
            ShowError(txt::ImUserOffline);
            return found;
        }
        found = true;
    }
    if (!found) ShowError(txt::ImUserNotFound);
    return found;
}

HGLOBAL MakeDropFiles(const std::vector<std::wstring>& names) {
    // Narrow names: each in a form of its path that the code page holds.
    std::string list;
    for (const std::wstring& n : names) {
        const auto path = ui::ToAnsiPath(n);
        if (!path) return nullptr;
        list += *path;
        list += '\0';
    }
    list += '\0';
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, sizeof(DROPFILES) + list.size());
    if (!block) return nullptr;
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    if (!drop) {
        GlobalFree(block);
        return nullptr;
    }
    drop->pFiles = sizeof(DROPFILES);
    drop->pt = {0, 0};
    drop->fNC = FALSE;
    drop->fWide = FALSE;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size());
    GlobalUnlock(block);
    return block;
}

bool ImSendFile(const std::wstring& address, const std::wstring& file) {
    if (!FindImContact(address)) return false;
    HWND window = nullptr;
    try {
        automation::Object messenger = automation::Object::Create(kMessengerClass);
        automation::Object conversation = messenger.Call(L"InstantMessage", {address}).AsObject();
        window = reinterpret_cast<HWND>(static_cast<INT_PTR>(conversation.Get(L"hwnd").Number()));
    } catch (const automation::Error&) {
        window = nullptr;
    }
    // Without a conversation window nothing can be handed over: saying the
    // image was sent would be wrong.
    if (!window || !IsWindow(window)) {
        ShowError(txt::ImNotReady);
        return false;
    }
    ForceForegroundWindow(window);
    HGLOBAL drop = MakeDropFiles({file});
    if (!drop) {
        ShowError(txt::ImNotReady);
        return false;
    }
    // Once posted the block belongs to the window, which releases it.
    if (!PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) {
        GlobalFree(drop);
        ShowError(txt::ImNotReady);
        return false;
    }
    return true;
}

bool SendToIM() {
    if (!PrepareTemporaryFile(ui::ToWide(Config.IMFileName.view()), delivery::KnownFormat(Config.IMFormat), true))
        return delivery::Failed();
    std::wstring address;
    delivery::FieldText(Config.IMContact.view(), address);
    if (!ImSendFile(address, ImageFileName)) return delivery::Failed();
    delivery::Succeeded(txt::SentToIm);
    return true;
}
