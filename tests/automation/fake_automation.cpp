// A stand-in for the automation servers of the mail programs and the instant
// messenger: one in-process server that answers to "Outlook.Application",
// "Notes.NotesSession", "Notes.NotesUIWorkspace" and
// "Messenger.UIAutomation.1" (registered by fake_automation.reg), scripted by
// the file that VORLIX_AUTOMATION_SCRIPT names and logging every call, with
// its arguments, to the file that VORLIX_AUTOMATION_LOG names.
//
// Script lines (all optional):
//   refuse CLASS          creating an object of that class fails
//   fail KIND.MEMBER      that call fails (e.g. "fail MailItem.Display")
//   env NAME VALUE        Notes environment strings ("env MailFile Mail\me.nsf")
//   signin NAME           the messenger's local user (default me@example.test)
//   status N              the local user's status (default 2, signed in)
//   contact NAME N        a contact with its status, in the list's order
//   contacts N            N more contacts online: c1@example.test ...
//   closewindow           the conversation window is gone before the drop
// Log lines: "new KIND" and "free KIND (alive N)" for every object; a call as
// KIND.MEMBER(arguments) or KIND.MEMBER = value; "drop NAME" for every file
// dropped on a conversation window (read back with DragQueryFile).
#include <windows.h>
#include <oaidl.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

// The classes, in the order of the registration file.
const CLSID kClasses[] = {
    {0x7d1f0a01, 0x4c2b, 0x4e11, {0x9a, 0x51, 0x0b, 0x6e, 0x2d, 0x33, 0x71, 0x01}},  // Outlook.Application
    {0x7d1f0a02, 0x4c2b, 0x4e11, {0x9a, 0x51, 0x0b, 0x6e, 0x2d, 0x33, 0x71, 0x02}},  // Notes.NotesSession
    {0x7d1f0a03, 0x4c2b, 0x4e11, {0x9a, 0x51, 0x0b, 0x6e, 0x2d, 0x33, 0x71, 0x03}},  // Notes.NotesUIWorkspace
    {0x7d1f0a04, 0x4c2b, 0x4e11, {0x9a, 0x51, 0x0b, 0x6e, 0x2d, 0x33, 0x71, 0x04}},  // Messenger.UIAutomation.1
};
const char* const kClassNames[] = {"Outlook.Application", "Notes.NotesSession", "Notes.NotesUIWorkspace",
                                   "Messenger.UIAutomation.1"};
const char* const kRootKinds[] = {"Outlook", "NotesSession", "NotesUIWorkspace", "Messenger"};

HMODULE g_module;
LONG g_alive;

std::string Utf8(const wchar_t* s, size_t n) {
    std::string out(n * 4 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, s, int(n), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

std::string Env(const char* name) {
    char value[MAX_PATH] = "";
    return GetEnvironmentVariableA(name, value, sizeof value) ? value : "";
}

void Log(const std::string& line) {
    const std::string path = Env("VORLIX_AUTOMATION_LOG");
    if (path.empty()) return;
    if (FILE* f = std::fopen(path.c_str(), "ab")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

struct Contact {
    std::string name;
    int status;
};

struct Script {
    std::set<std::string> refused, failing;
    std::vector<std::pair<std::string, std::string>> env;
    std::string signin = "me@example.test";
    int status = 2;
    std::vector<Contact> contacts;
    bool closeWindow = false;
};

Script ReadScript() {
    Script s;
    const std::string path = Env("VORLIX_AUTOMATION_SCRIPT");
    FILE* f = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (!f) return s;
    char buffer[1024];
    while (std::fgets(buffer, sizeof buffer, f)) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        const size_t blank = line.find(' ');
        const std::string word = line.substr(0, blank);
        const std::string rest = blank == std::string::npos ? "" : line.substr(blank + 1);
        const size_t second = rest.find(' ');
        const std::string first = rest.substr(0, second);
        const std::string tail = second == std::string::npos ? "" : rest.substr(second + 1);
        if (word == "refuse") s.refused.insert(rest);
        else if (word == "fail") s.failing.insert(rest);
        else if (word == "env") s.env.push_back({first, tail});
        else if (word == "signin") s.signin = rest;
        else if (word == "status") s.status = std::atoi(rest.c_str());
        else if (word == "contact") s.contacts.push_back({first, std::atoi(tail.c_str())});
        else if (word == "contacts") {
            for (int i = 1, n = std::atoi(rest.c_str()); i <= n; ++i)
                s.contacts.push_back({"c" + std::to_string(i) + "@example.test", 2});
        } else if (word == "closewindow") s.closeWindow = true;
    }
    std::fclose(f);
    return s;
}

// The conversation window: files dropped on it are read back and logged.
LRESULT CALLBACK ConversationProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DROPFILES) {
        HDROP drop = reinterpret_cast<HDROP>(wParam);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        POINT at{-1, -1};
        const BOOL client = DragQueryPoint(drop, &at);
        Log("drop count " + std::to_string(count) + " at " + std::to_string(at.x) + "," + std::to_string(at.y) +
            (client ? " client" : " non-client"));
        for (UINT i = 0; i < count; ++i) {
            char name[MAX_PATH * 2] = "";
            DragQueryFileA(drop, i, name, sizeof name);
            Log(std::string("drop ") + name);
        }
        DragFinish(drop);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND MakeConversationWindow(const std::string& contact) {
    static ATOM atom = [] {
        WNDCLASSW c{};
        c.lpfnWndProc = ConversationProc;
        c.hInstance = g_module;
        c.lpszClassName = L"VorlixFakeConversation";
        return RegisterClassW(&c);
    }();
    (void)atom;
    std::wstring title(contact.begin(), contact.end());
    return CreateWindowExW(WS_EX_ACCEPTFILES, L"VorlixFakeConversation", title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                           40, 40, 300, 200, nullptr, nullptr, g_module, nullptr);
}

class Object;
std::set<Object*> g_objects;

std::string Describe(const VARIANT& v);

// One automation object of some kind; what each member answers is below.
class Object final : public IDispatch {
public:
    Object(std::string kind, int index = 0) : kind_(std::move(kind)), index_(index) {
        g_objects.insert(this);
        InterlockedIncrement(&g_alive);
        Log("new " + kind_);
    }
    const std::string& Kind() const { return kind_; }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) {
            g_objects.erase(this);
            const LONG alive = InterlockedDecrement(&g_alive);
            Log("free " + kind_ + " (alive " + std::to_string(alive) + ")");
            delete this;
        }
        return left;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1) return DISP_E_UNKNOWNNAME;
        const std::string name = Utf8(names[0], wcslen(names[0]));
        for (size_t i = 0; i < Members().size(); ++i) {
            if (Members()[i] == name) {
                ids[0] = DISPID(i + 1);
                return S_OK;
            }
        }
        Log(kind_ + "." + name + " unknown");
        ids[0] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                        UINT*) override {
        if (id < 1 || size_t(id) > Members().size()) return DISP_E_MEMBERNOTFOUND;
        const std::string member = Members()[id - 1];
        std::vector<VARIANT> args;  // first to last
        for (UINT i = params->cArgs; i > 0; --i) args.push_back(params->rgvarg[i - 1]);
        std::string line = kind_ + "." + member;
        if (flags & DISPATCH_PROPERTYPUT) {
            line += " = " + (args.empty() ? std::string("?") : Describe(args[0]));
        } else {
            line += "(";
            for (size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + Describe(args[i]);
            line += ")";
        }
        const Script script = ReadScript();
        if (script.failing.count(kind_ + "." + member)) {
            Log(line + " fails");
            if (exception) {
                std::memset(exception, 0, sizeof *exception);
                exception->scode = E_FAIL;
                exception->bstrDescription = SysAllocString(L"scripted failure");
            }
            return DISP_E_EXCEPTION;
        }
        if (member == "Paste") line += ClipboardNote();
        Log(line);
        VARIANT answer;
        VariantInit(&answer);
        Answer(member, args, script, answer);
        if (result) *result = answer;
        else VariantClear(&answer);
        return S_OK;
    }

private:
    const std::vector<std::string>& Members() const {
        static const std::vector<std::string> none;
        static const std::vector<std::pair<std::string, std::vector<std::string>>> table = {
            {"Outlook", {"CreateItem"}},
            {"MailItem", {"Recipients", "Attachments", "Subject", "Display", "To", "HTMLBody"}},
            {"Recipients", {"Add"}},
            {"Attachments", {"Add"}},
            {"Attachment", {"PropertyAccessor"}},
            {"PropertyAccessor", {"SetProperty"}},
            {"NotesSession", {"GetEnvironmentString"}},
            {"NotesUIWorkspace", {"ComposeDocument", "EditDocument"}},
            {"NotesUIDocument", {"Document", "GoToField", "Paste", "Close"}},
            {"NotesDocument", {"ReplaceItemValue", "CreateRichTextItem"}},
            {"NotesRichTextItem", {"EmbedObject"}},
            {"Messenger", {"MySigninName", "MyStatus", "MyContacts", "InstantMessage"}},
            {"MessengerContacts", {"Count", "Item"}},
            {"MessengerContact", {"SigninName", "Status"}},
            {"MessengerWindow", {"hwnd"}},
        };
        for (const auto& [kind, members] : table)
            if (kind == kind_) return members;
        return none;
    }

    static void Text(VARIANT& v, const std::string& s) {
        v.vt = VT_BSTR;
        std::wstring w(s.size() + 1, L'\0');
        w.resize(MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), int(w.size())));
        v.bstrVal = SysAllocStringLen(w.data(), UINT(w.size()));
    }
    static void Number(VARIANT& v, long n) {
        v.vt = VT_I4;
        v.lVal = n;
    }
    static void Child(VARIANT& v, Object* o) {
        v.vt = VT_DISPATCH;
        v.pdispVal = o;  // the one reference goes to the caller
    }
    static std::string ArgText(const std::vector<VARIANT>& args, size_t i) {
        if (i >= args.size() || args[i].vt != VT_BSTR || !args[i].bstrVal) return "";
        return Utf8(args[i].bstrVal, SysStringLen(args[i].bstrVal));
    }
    static long ArgNumber(const std::vector<VARIANT>& args, size_t i) {
        VARIANT t;
        VariantInit(&t);
        if (i >= args.size() || FAILED(VariantChangeType(&t, const_cast<VARIANT*>(&args[i]), 0, VT_I4))) return -1;
        return t.lVal;
    }

    static std::string ClipboardNote() {
        std::string note = " [clipboard empty]";
        if (!OpenClipboard(nullptr)) return " [clipboard closed]";
        if (HANDLE h = GetClipboardData(CF_DIB)) {
            if (auto* info = static_cast<BITMAPINFOHEADER*>(GlobalLock(h))) {
                note = " [clipboard " + std::to_string(info->biWidth) + "x" + std::to_string(std::abs(info->biHeight)) + "]";
                GlobalUnlock(h);
            }
        }
        CloseClipboard();
        return note;
    }

    void Answer(const std::string& member, const std::vector<VARIANT>& args, const Script& script, VARIANT& v) {
        if (kind_ == "Outlook" && member == "CreateItem") Child(v, new Object("MailItem"));
        else if (member == "Recipients") Child(v, new Object("Recipients"));
        else if (member == "Attachments") Child(v, new Object("Attachments"));
        else if (kind_ == "Attachments" && member == "Add") Child(v, new Object("Attachment"));
        else if (member == "PropertyAccessor") Child(v, new Object("PropertyAccessor"));
        else if (member == "GetEnvironmentString") {
            const std::string name = ArgText(args, 0);
            for (const auto& [key, value] : script.env)
                if (key == name) Text(v, value);
        } else if (member == "ComposeDocument" || member == "EditDocument") Child(v, new Object("NotesUIDocument"));
        else if (member == "Document") Child(v, new Object("NotesDocument"));
        else if (member == "CreateRichTextItem") Child(v, new Object("NotesRichTextItem"));
        else if (member == "MySigninName") Text(v, script.signin);
        else if (member == "MyStatus") Number(v, script.status);
        else if (member == "MyContacts") Child(v, new Object("MessengerContacts"));
        else if (member == "Count") Number(v, long(script.contacts.size()));
        else if (member == "Item") {
            const long i = ArgNumber(args, 0);
            if (i >= 0 && size_t(i) < script.contacts.size()) Child(v, new Object("MessengerContact", int(i)));
        } else if (member == "SigninName" && size_t(index_) < script.contacts.size()) Text(v, script.contacts[index_].name);
        else if (member == "Status" && size_t(index_) < script.contacts.size()) Number(v, script.contacts[index_].status);
        else if (member == "InstantMessage") {
            HWND window = MakeConversationWindow(ArgText(args, 0));
            if (script.closeWindow) DestroyWindow(window);
            Object* o = new Object("MessengerWindow");
            o->window_ = window;
            Child(v, o);
        } else if (member == "hwnd") Number(v, long(reinterpret_cast<INT_PTR>(window_)));
    }

    std::string kind_;
    int index_;
    HWND window_ = nullptr;
    ULONG refs_ = 1;
};

std::string Describe(const VARIANT& v) {
    switch (v.vt) {
        case VT_BSTR: return "\"" + (v.bstrVal ? Utf8(v.bstrVal, SysStringLen(v.bstrVal)) : std::string()) + "\"";
        case VT_I4: return std::to_string(v.lVal);
        case VT_I2: return std::to_string(v.iVal);
        case VT_BOOL: return v.boolVal ? "True" : "False";
        case VT_DISPATCH: {
            Object* o = static_cast<Object*>(v.pdispVal);
            return g_objects.count(o) ? "<" + o->Kind() + ">" : "<foreign object>";
        }
        case VT_EMPTY: return "<empty>";
        default: return "<vt " + std::to_string(v.vt) + ">";
    }
}

class Factory final : public IClassFactory {
public:
    explicit Factory(int index) : index_(index) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (!left) delete this;
        return left;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (ReadScript().refused.count(kClassNames[index_])) {
            Log(std::string("create ") + kClassNames[index_] + " refused");
            return E_FAIL;
        }
        Object* o = new Object(kRootKinds[index_]);
        const HRESULT hr = o->QueryInterface(iid, out);
        o->Release();
        return hr;
    }
    STDMETHODIMP LockServer(BOOL) override { return S_OK; }

private:
    int index_;
    ULONG refs_ = 1;
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
    for (int i = 0; i < 4; ++i) {
        if (IsEqualCLSID(clsid, kClasses[i])) {
            Factory* f = new Factory(i);
            const HRESULT hr = f->QueryInterface(iid, out);
            f->Release();
            return hr;
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

// Its objects may own windows in the caller's process: never unloaded.
extern "C" HRESULT WINAPI DllCanUnloadNow() { return S_FALSE; }
