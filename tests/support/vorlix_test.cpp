#include "support/vorlix_test.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <set>
#include <thread>

#include "ui/gdi.h"

namespace vt {

namespace {

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring ParentOf(const std::wstring& path) {
    size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring StripTrailingSlash(std::wstring path) {
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

ULONGLONG Now() { return GetTickCount64(); }

// Waits up to ms for a message to this thread (or just the time), then pumps.
void WaitAndPump(DWORD ms) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, ms, QS_ALLINPUT);
    PumpMessages();
}

}  // namespace

// ---- Paths and files -------------------------------------------------------

std::wstring BinDir() {
    std::wstring path(32768, L'\0');
    DWORD n = GetModuleFileNameW(nullptr, path.data(), DWORD(path.size()));
    path.resize(n);
    return ParentOf(path);
}

std::wstring BinFile(const std::wstring& name) { return Join(BinDir(), name); }

std::wstring TempDir() {
    wchar_t buffer[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
    return StripTrailingSlash(std::wstring(buffer, n));
}

std::wstring Join(const std::wstring& a, const std::wstring& b) {
    if (a.empty()) return b;
    std::wstring left = a;
    while (!left.empty() && (left.back() == L'\\' || left.back() == L'/')) left.pop_back();
    size_t start = 0;
    while (start < b.size() && (b[start] == L'\\' || b[start] == L'/')) ++start;
    return left + L'\\' + b.substr(start);
}

std::wstring ScratchDir() {
    std::wstring exe = BinDir();
    std::wstring self(32768, L'\0');
    self.resize(GetModuleFileNameW(nullptr, self.data(), DWORD(self.size())));
    std::wstring stem = self.substr(self.find_last_of(L"\\/") + 1);
    if (size_t dot = stem.rfind(L'.'); dot != std::wstring::npos) stem.resize(dot);

    std::string test = "no-test";
    if (const auto* info = ::testing::UnitTest::GetInstance()->current_test_info())
        test = std::string(info->test_suite_name()) + "." + info->name();
    std::wstring name(test.begin(), test.end());
    for (auto& c : name)
        if (wcschr(L"\\/:*?\"<>|", c)) c = L'_';

    std::wstring dir = Join(Join(Join(TempDir(), L"vorlix-tests"), stem), name);
    DeleteTree(dir);
    MakeDirs(dir);
    return dir;
}

bool MakeDirs(const std::wstring& path) {
    std::wstring p = StripTrailingSlash(path);
    DWORD attributes = GetFileAttributesW(p.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    std::wstring parent = ParentOf(p);
    if (!parent.empty() && parent != p && !MakeDirs(parent)) return false;
    return CreateDirectoryW(p.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

namespace {

void DeleteTreeOnce(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    SetFileAttributesW(path.c_str(), (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_ATTRIBUTE_DIRECTORY
                                                                            : FILE_ATTRIBUTE_NORMAL);
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW(path.c_str());
        return;
    }
    WIN32_FIND_DATAW found;
    ui::FindHandle find(FindFirstFileW(Join(path, L"*").c_str(), &found));
    if (find.get() != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") DeleteTreeOnce(Join(path, name));
        } while (FindNextFileW(find.get(), &found));
    } else {
        find.release();  // INVALID_HANDLE_VALUE is not a handle to close
    }
    RemoveDirectoryW(path.c_str());
}

}  // namespace

bool DeleteTree(const std::wstring& path) {
    // A process that has just ended may hold its files for a moment longer.
    for (int attempt = 0; attempt < 50; ++attempt) {
        DeleteTreeOnce(path);
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
        Sleep(20);
    }
    return false;
}

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    std::wstring parent = ParentOf(to);
    if (!parent.empty()) MakeDirs(parent);
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(size_t(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr,
                                          nullptr)));
    return out;
}

std::string Utf8(const std::wstring& s) {
    std::string out(s.size() * 4 + 1, '\0');
    out.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr,
                                          nullptr)));
    return out;
}

std::wstring WithSlash(const std::wstring& folder) {
    return !folder.empty() && folder.back() == L'\\' ? folder : folder + L"\\";
}

std::string ReadFileBytes(const std::wstring& path) {
    ui::FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return {};
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::wstring parent = ParentOf(path);
    if (!parent.empty()) MakeDirs(parent);
    ui::FileHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD chunk = DWORD(std::min<size_t>(bytes.size() - done, 1 << 20)), wrote = 0;
        if (!WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr) || wrote == 0) return false;
        done += wrote;
    }
    return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    auto full = [](const std::wstring& p) {
        wchar_t buffer[32768];
        DWORD n = GetFullPathNameW(p.c_str(), 32768, buffer, nullptr);
        return StripTrailingSlash(n > 0 && n < 32768 ? std::wstring(buffer, n) : p);
    };
    return EqualNoCase(full(a), full(b));
}

ScopedEnv::ScopedEnv(std::wstring name, std::optional<std::wstring> value) : name_(std::move(name)) {
    DWORD n = GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
    if (n > 0) {
        std::wstring old(n, L'\0');
        old.resize(GetEnvironmentVariableW(name_.c_str(), old.data(), n));
        old_ = old;
    }
    SetEnvironmentVariableW(name_.c_str(), value ? value->c_str() : nullptr);
}

ScopedEnv::~ScopedEnv() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }

// ---- Processes and waiting ---------------------------------------------------

namespace {

// Our environment block with the given names replaced, added or (empty value) removed.
std::vector<wchar_t> BuildEnvironment(const Environment& extra) {
    std::vector<wchar_t> block;
    auto overridden = [&](const std::wstring& entry) {
        size_t eq = entry.find(L'=', 1);  // entries like "=C:=C:\x" start with '='
        std::wstring name = entry.substr(0, eq);
        for (const auto& [n, v] : extra)
            if (EqualNoCase(n, name)) return true;
        return false;
    };
    if (wchar_t* env = GetEnvironmentStringsW()) {
        for (const wchar_t* p = env; *p; p += wcslen(p) + 1) {
            std::wstring entry = p;
            if (!overridden(entry)) block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
        }
        FreeEnvironmentStringsW(env);
    }
    for (const auto& [name, value] : extra) {
        if (value.empty()) continue;
        std::wstring entry = name + L"=" + value;
        block.insert(block.end(), entry.c_str(), entry.c_str() + entry.size() + 1);
    }
    block.push_back(L'\0');
    if (block.size() == 1) block.push_back(L'\0');
    return block;
}

}  // namespace

Process Process::Start(const std::wstring& exe, const std::wstring& args, const std::wstring& workDir,
                       const Environment& extraEnv) {
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!args.empty()) commandLine += L" " + args;
    std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
    buffer.push_back(L'\0');
    std::vector<wchar_t> env = BuildEnvironment(extraEnv);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    Process p;
    if (CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT, env.data(),
                       workDir.empty() ? nullptr : workDir.c_str(), &startup, &info)) {
        CloseHandle(info.hThread);
        p.process_ = info.hProcess;
        p.id_ = info.dwProcessId;
    }
    return p;
}

Process::Process(Process&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)), id_(std::exchange(other.id_, 0)) {}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        this->~Process();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
    }
    return *this;
}

Process::~Process() {
    if (!process_) return;
    if (Running()) Kill();
    CloseHandle(process_);
    process_ = nullptr;
}

bool Process::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

bool Process::Wait(DWORD timeoutMs) {
    if (!process_) return false;
    ULONGLONG end = Now() + timeoutMs;
    for (;;) {
        ULONGLONG now = Now();
        DWORD left = now >= end ? 0 : DWORD(end - now);
        DWORD r = MsgWaitForMultipleObjects(1, &process_, FALSE, left, QS_ALLINPUT);
        if (r == WAIT_OBJECT_0) return true;
        if (r != WAIT_OBJECT_0 + 1) return WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
        PumpMessages();
    }
}

bool Process::WaitIdle(DWORD timeoutMs) { return process_ && WaitForInputIdle(process_, timeoutMs) == 0; }

DWORD Process::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

void Process::Kill(UINT exitCode) {
    if (!process_) return;
    TerminateProcess(process_, exitCode);
    WaitForSingleObject(process_, 10000);
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD ms) {
    ULONGLONG end = Now() + ms;
    PumpMessages();
    for (ULONGLONG now = Now(); now < end; now = Now()) WaitAndPump(DWORD(std::min<ULONGLONG>(end - now, 10)));
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    ULONGLONG end = Now() + timeoutMs;
    PumpMessages();
    for (;;) {
        if (condition()) return true;
        if (Now() >= end) return false;
        WaitAndPump(10);
    }
}

void PressKey(WORD key, const std::vector<WORD>& held) {
    std::vector<INPUT> in;
    auto add = [&](WORD vk, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        i.ki.wScan = WORD(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    for (WORD h : held) add(h, false);
    add(key, false);
    add(key, true);
    for (auto it = held.rbegin(); it != held.rend(); ++it) add(*it, true);
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
}

// ---- Windows -------------------------------------------------------------------

std::wstring ClassOf(HWND window) {
    wchar_t buffer[256];
    int n = GetClassNameW(window, buffer, 256);
    return std::wstring(buffer, n > 0 ? n : 0);
}

namespace {

std::wstring StoredText(HWND window) {
    wchar_t buffer[4096];
    int n = InternalGetWindowText(window, buffer, 4096);
    return std::wstring(buffer, n > 0 ? n : 0);
}

BOOL CALLBACK CollectWindow(HWND w, LPARAM list) {
    reinterpret_cast<std::vector<HWND>*>(list)->push_back(w);
    return TRUE;
}

bool Matches(HWND w, DWORD pid, const wchar_t* className, const wchar_t* title) {
    if (pid) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        if (owner != pid) return false;
    }
    if (className && !EqualNoCase(ClassOf(w), className)) return false;
    if (title && StoredText(w) != title) return false;
    return true;
}

}  // namespace

std::vector<HWND> FindWindows(DWORD pid, const wchar_t* className, const wchar_t* title) {
    std::vector<HWND> all;
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&all));
    for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
         w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr))
        all.push_back(w);
    std::vector<HWND> found;
    for (HWND w : all)
        if (Matches(w, pid, className, title)) found.push_back(w);
    return found;
}

HWND FindWindowOf(DWORD pid, const wchar_t* className, const wchar_t* title) {
    auto found = FindWindows(pid, className, title);
    return found.empty() ? nullptr : found.front();
}

HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindWindowOf(pid, className, title)) != nullptr; }, timeoutMs);
    return found;
}

HWND FindVisibleWindow(DWORD pid, const wchar_t* className, const wchar_t* title) {
    for (HWND w : FindWindows(pid, className, title))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

HWND WaitForVisibleWindow(DWORD pid, const wchar_t* className, const wchar_t* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindVisibleWindow(pid, className, title)) != nullptr; }, timeoutMs);
    return found;
}

std::vector<HWND> ChildWindows(HWND parent, const wchar_t* className) {
    std::vector<HWND> all;
    EnumChildWindows(parent, CollectWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<HWND> found;
    for (HWND w : all)
        if (!className || EqualNoCase(ClassOf(w), className)) found.push_back(w);
    return found;
}

std::wstring WindowText(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return StoredText(window);
    std::wstring text(size_t(length) + 1, L'\0');
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, WPARAM(text.size()), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, 2000, &got))
        return StoredText(window);
    text.resize(std::min<size_t>(size_t(got), wcslen(text.c_str())));
    return text;
}

WindowState ReadWindow(HWND window) {
    WindowState s;
    s.className = ClassOf(window);
    s.title = WindowText(window);
    s.style = GetWindowLongPtrW(window, GWL_STYLE);
    s.exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
    GetWindowRect(window, &s.rect);
    s.visible = IsWindowVisible(window) != FALSE;
    GetWindowThreadProcessId(window, &s.processId);
    return s;
}

bool Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return PostMessageW(window, message, wParam, lParam) != 0;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD timeoutMs) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, timeoutMs, &result)) return 0;
    return LRESULT(result);
}

HWND WaitForStartUp(DWORD pid, DWORD timeoutMs) {
    HWND main = WaitForWindow(pid, L"TuMainForm", nullptr, timeoutMs);
    HWND tray = main ? WaitForWindow(pid, L"VorlixTrayIcon", nullptr, timeoutMs) : nullptr;
    if (!tray || !WaitUntil([&] { return !WindowText(tray).empty(); }, timeoutMs)) return nullptr;
    return main;
}

const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    RegisterClassW(&wc);
    return name;
}

HeldHotkey::HeldHotkey(UINT modifiers, UINT key)
    : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)),
      held_(RegisterHotKey(window_, 1, modifiers, key) != FALSE) {}

HeldHotkey::~HeldHotkey() {
    if (held_) UnregisterHotKey(window_, 1);
    DestroyWindow(window_);
}

bool HotkeyFree(UINT modifiers, UINT key) { return HeldHotkey(modifiers, key).Held(); }

bool ChooseFromTrayMenu(DWORD pid, std::initializer_list<WPARAM> keys) {
    HWND tray = FindWindowOf(pid, L"VorlixTrayIcon");
    if (!tray || !Post(tray, WM_USER + 1, 0, WM_RBUTTONUP)) return false;
    auto visibleMenu = [] { return FindVisibleWindow(0, L"#32768"); };
    HWND menu = nullptr;
    if (!WaitUntil([&] { return (menu = visibleMenu()) != nullptr; })) return false;
    for (WPARAM key : keys) {
        Post(menu, WM_KEYDOWN, key, 0);
        Sleep(80);
    }
    Post(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitUntil([&] { return visibleMenu() == nullptr; });
}

HWND DialogItem(HWND dialog, int id) {
    for (HWND child : ChildWindows(dialog))
        if (GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

RemoteBuffer::RemoteBuffer(HWND window, size_t size) : size_(size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

RemoteBuffer::~RemoteBuffer() {
    if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    if (process_) CloseHandle(process_);
}

bool RemoteBuffer::Write(const void* data, size_t size, size_t offset) {
    if (!address_ || offset + size > size_) return false;
    SIZE_T done = 0;
    return WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) && done == size;
}

bool RemoteBuffer::Read(void* data, size_t size, size_t offset) const {
    if (!address_ || offset + size > size_) return false;
    SIZE_T done = 0;
    return ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) && done == size;
}

std::vector<TreeItem> TreeViewItems(HWND tree, int maxLevel) {
    std::vector<TreeItem> items;
    RemoteBuffer buffer(tree, sizeof(TVITEMW) + 256 * sizeof(wchar_t));
    if (!buffer) return items;
    auto read = [&](HTREEITEM item, int level) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_IMAGE;
        tv.hItem = item;
        tv.pszText = reinterpret_cast<wchar_t*>(buffer.Address(sizeof(TVITEMW)));
        tv.cchTextMax = 256;
        buffer.Write(&tv, sizeof tv);
        Send(tree, TVM_GETITEMW, 0, buffer.Address());
        buffer.Read(&tv, sizeof tv);
        wchar_t text[256] = L"";
        buffer.Read(text, sizeof text - sizeof(wchar_t), sizeof(TVITEMW));
        items.push_back(TreeItem{item, text, level, tv.iImage});
    };
    std::function<void(HTREEITEM, int)> walk = [&](HTREEITEM first, int level) {
        for (HTREEITEM i = first; i; i = HTREEITEM(Send(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(i)))) {
            read(i, level);
            if (level < maxLevel) walk(HTREEITEM(Send(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(i))), level + 1);
        }
    };
    walk(HTREEITEM(Send(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0)), 0);
    return items;
}

// ---- The help viewer ---------------------------------------------------------------

HWND WaitForHelpViewer(const std::wstring& title, DWORD timeoutMs) {
    return WaitForVisibleWindow(0, L"HH Parent", title.c_str(), timeoutMs);
}

std::vector<std::wstring> HelpViewerContents(HWND viewer) {
    std::vector<std::wstring> captions;
    // The Contents tab's tree fills once the viewer has read the contents file.
    WaitUntil([&] {
        for (HWND tree : ChildWindows(viewer, L"SysTreeView32")) {
            captions.clear();
            for (const TreeItem& i : TreeViewItems(tree, 0)) captions.push_back(i.text);
            if (!captions.empty()) return true;
        }
        return false;
    }, 10000);
    return captions;
}

bool CloseHelpViewer(HWND viewer, DWORD timeoutMs) {
    DWORD pid = 0;
    GetWindowThreadProcessId(viewer, &pid);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    Post(viewer, WM_CLOSE);
    bool ended = false;
    if (process) {
        ended = WaitUntil([&] { return WaitForSingleObject(process, 0) == WAIT_OBJECT_0; }, timeoutMs);
        CloseHandle(process);
    }
    return ended;
}

// ---- Message boxes ---------------------------------------------------------------

namespace {

// "&Yes" -> "Yes", "A && B" -> "A & B".
std::wstring WithoutAccelerator(const std::wstring& text) {
    std::wstring out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'&') {
            if (i + 1 < text.size() && text[i + 1] == L'&') out += L'&', ++i;
            continue;
        }
        out += text[i];
    }
    return out;
}

}  // namespace

HWND FindMessageBox(DWORD pid, const wchar_t* caption) { return FindVisibleWindow(pid, L"#32770", caption); }

HWND WaitForMessageBox(DWORD pid, const wchar_t* caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindMessageBox(pid, caption)) != nullptr; }, timeoutMs);
    return found;
}

MessageBoxInfo ReadMessageBox(HWND box) {
    MessageBoxInfo info;
    info.window = box;
    info.caption = WindowText(box);
    for (HWND s : ChildWindows(box, L"Static")) {
        std::wstring text = WindowText(s);
        if (text.empty()) continue;
        if (!info.text.empty()) info.text += L'\n';
        info.text += text;
    }
    for (HWND b : ChildWindows(box, L"Button"))
        if (IsWindowVisible(b)) info.buttons.push_back(WithoutAccelerator(WindowText(b)));
    return info;
}

bool PressButton(HWND box, const std::wstring& text) {
    for (HWND b : ChildWindows(box, L"Button")) {
        if (!IsWindowVisible(b) || !IsWindowEnabled(b)) continue;
        if (!EqualNoCase(WithoutAccelerator(WindowText(b)), WithoutAccelerator(text))) continue;
        // The notification a click would send: works on any thread and does not
        // depend on the box having the focus.
        int id = GetDlgCtrlID(b);
        return PostMessageW(GetParent(b), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(b)) != 0;
    }
    return false;
}

bool CloseDialog(HWND box) { return PostMessageW(box, WM_CLOSE, 0, 0) != 0; }

std::string WaitForLogLine(const std::wstring& path, const std::string& start, DWORD timeoutMs) {
    WaitUntil([&] {
        const std::string t = ReadFileBytes(path);
        return t.rfind(start, 0) == 0 || t.find("\n" + start) != std::string::npos;
    }, timeoutMs);
    return ReadFileBytes(path);
}

std::string NoticeOutcome(HWND main, DWORD timeoutMs) {
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    std::string outcome;
    WaitUntil([&] {
        RECT r{};
        if (!GetWindowRect(main, &r)) return false;
        const int width = r.right - r.left;
        if (r.left > screen / 2 && r.left < screen - 5) outcome = "sent";
        else if (r.left > -width + 5 && r.left < screen / 2) outcome = "cancelled";
        return !outcome.empty();
    }, timeoutMs);
    return outcome;
}

bool WaitGone(HWND window, DWORD timeoutMs) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeoutMs);
}

std::wstring AnswerMessageBox(DWORD pid, const wchar_t* caption, DWORD timeoutMs, const std::wstring& button) {
    HWND box = WaitForMessageBox(pid, caption, timeoutMs);
    if (!box) return L"<no box>";
    const std::wstring text = ReadMessageBox(box).text;
    if (PressButton(box, button)) WaitGone(box);
    return text;
}

struct BoxAnswerer::State {
    std::function<std::wstring(const MessageBoxInfo&)> decider;
    mutable std::mutex mutex;
    std::vector<MessageBoxInfo> seen;
    std::atomic<bool> stop{false};
    std::thread thread;

    void Run() {
        std::set<HWND> ignored;  // boxes left alone or that would not close
        const DWORD self = GetCurrentProcessId();
        while (!stop) {
            for (HWND w : FindWindows(self, L"#32770")) {
                if (stop) break;
                if (!IsWindowVisible(w) || ignored.count(w)) continue;
                MessageBoxInfo info = ReadMessageBox(w);
                std::wstring button = decider(info);
                if (button.empty() || !PressButton(w, button)) {
                    ignored.insert(w);
                    continue;
                }
                {
                    std::lock_guard lock(mutex);
                    seen.push_back(info);
                }
                ULONGLONG end = Now() + 3000;
                while (!stop && IsWindow(w) && IsWindowVisible(w) && Now() < end) Sleep(10);
                if (IsWindow(w) && IsWindowVisible(w)) ignored.insert(w);
            }
            Sleep(20);
        }
    }
};

BoxAnswerer::BoxAnswerer(std::wstring button)
    : BoxAnswerer([button](const MessageBoxInfo&) { return button; }) {}

BoxAnswerer::BoxAnswerer(std::function<std::wstring(const MessageBoxInfo&)> decider)
    : state_(std::make_shared<State>()) {
    state_->decider = std::move(decider);
    state_->thread = std::thread([s = state_] { s->Run(); });
}

BoxAnswerer::~BoxAnswerer() {
    state_->stop = true;
    if (state_->thread.joinable()) state_->thread.join();
}

std::vector<MessageBoxInfo> BoxAnswerer::Seen() const {
    std::lock_guard lock(state_->mutex);
    return state_->seen;
}

size_t BoxAnswerer::Count() const {
    std::lock_guard lock(state_->mutex);
    return state_->seen.size();
}

// ---- Registry ------------------------------------------------------------------------

namespace {

ui::RegKey OpenKey(HKEY root, const std::wstring& key, REGSAM access) {
    HKEY h = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, access, &h) != ERROR_SUCCESS) return ui::RegKey();
    return ui::RegKey(h);
}

}  // namespace

bool DeleteKeyTree(const std::wstring& key, HKEY root) {
    RegDeleteTreeW(root, key.c_str());
    RegDeleteKeyW(root, key.c_str());
    return !KeyExists(key, root);
}

bool KeyExists(const std::wstring& key, HKEY root) { return bool(OpenKey(root, key, KEY_READ)); }

std::optional<RegValue> ReadValue(const std::wstring& key, const std::wstring& name, HKEY root) {
    ui::RegKey h = OpenKey(root, key, KEY_QUERY_VALUE);
    if (!h) return std::nullopt;
    RegValue value;
    DWORD size = 0;
    LONG r = RegQueryValueExW(h, name.c_str(), nullptr, &value.type, nullptr, &size);
    for (int attempt = 0; r == ERROR_SUCCESS || r == ERROR_MORE_DATA; ++attempt) {
        value.data.resize(size);
        r = RegQueryValueExW(h, name.c_str(), nullptr, &value.type, value.data.empty() ? nullptr : value.data.data(),
                             &size);
        if (r == ERROR_SUCCESS) {
            value.data.resize(size);
            return value;
        }
        if (attempt > 10) break;
    }
    return std::nullopt;
}

std::optional<DWORD> ReadDword(const std::wstring& key, const std::wstring& name, HKEY root) {
    auto v = ReadValue(key, name, root);
    if (!v || v->type != REG_DWORD || v->data.size() != sizeof(DWORD)) return std::nullopt;
    DWORD d;
    memcpy(&d, v->data.data(), sizeof d);
    return d;
}

std::optional<std::wstring> ReadString(const std::wstring& key, const std::wstring& name, HKEY root) {
    auto v = ReadValue(key, name, root);
    if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring s(v->data.size() / sizeof(wchar_t), L'\0');
    if (!s.empty()) memcpy(s.data(), v->data.data(), s.size() * sizeof(wchar_t));
    s.resize(wcsnlen(s.c_str(), s.size()));
    return s;
}

bool WriteValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, size_t size,
                HKEY root) {
    HKEY raw = nullptr;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
        return false;
    ui::RegKey h(raw);
    return RegSetValueExW(h, name.c_str(), 0, type, static_cast<const BYTE*>(data), DWORD(size)) == ERROR_SUCCESS;
}

bool WriteDword(const std::wstring& key, const std::wstring& name, DWORD value, HKEY root) {
    return WriteValue(key, name, REG_DWORD, &value, sizeof value, root);
}

bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value, HKEY root) {
    return WriteValue(key, name, REG_SZ, value.c_str(), (value.size() + 1) * sizeof(wchar_t), root);
}

bool DeleteValue(const std::wstring& key, const std::wstring& name, HKEY root) {
    ui::RegKey h = OpenKey(root, key, KEY_SET_VALUE);
    return h && RegDeleteValueW(h, name.c_str()) == ERROR_SUCCESS;
}

std::vector<std::wstring> ValueNames(const std::wstring& key, HKEY root) {
    std::vector<std::wstring> names;
    ui::RegKey h = OpenKey(root, key, KEY_QUERY_VALUE);
    if (!h) return names;
    DWORD maxName = 0;
    RegQueryInfoKeyW(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &maxName, nullptr, nullptr,
                     nullptr);
    std::wstring buffer(size_t(maxName) + 2, L'\0');
    for (DWORD i = 0;; ++i) {
        DWORD length = DWORD(buffer.size());
        LONG r = RegEnumValueW(h, i, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
        if (r == ERROR_MORE_DATA) {
            buffer.resize(buffer.size() * 2 + 256);
            --i;
            continue;
        }
        if (r != ERROR_SUCCESS) break;
        names.emplace_back(buffer.c_str(), length);
    }
    return names;
}

// ---- Recorder ----------------------------------------------------------------------------

std::wstring RecorderExe() { return BinFile(L"recorder.exe"); }

bool Associate(const std::wstring& extension, const std::wstring& program) {
    const std::wstring kind = L"VorlixTest" + extension.substr(1);
    return WriteString(extension, L"", kind, HKEY_CLASSES_ROOT) &&
           WriteString(kind + L"\\shell\\open\\command", L"", L"\"" + program + L"\" \"%1\"", HKEY_CLASSES_ROOT);
}

void ForgetAssociation(const std::wstring& extension) {
    DeleteKeyTree(extension, HKEY_CLASSES_ROOT);
    DeleteKeyTree(L"VorlixTest" + extension.substr(1), HKEY_CLASSES_ROOT);
}

std::wstring CopyRecorderAs(const std::wstring& path) { return CopyFileTo(RecorderExe(), path) ? path : L""; }

namespace {

int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    return -1;
}

// Undoes the recorder's %XX escaping of '%', TAB, LF and CR.
std::wstring Unescape(const std::wstring& s) {
    std::wstring out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == L'%' && i + 2 < s.size() && HexDigit(s[i + 1]) >= 0 && HexDigit(s[i + 2]) >= 0) {
            out += wchar_t(HexDigit(s[i + 1]) * 16 + HexDigit(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::wstring FromUtf8(const std::string& s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

}  // namespace

std::vector<RecorderRecord> ReadRecorderLog(const std::wstring& logPath) {
    std::vector<RecorderRecord> records;
    std::wstring text = FromUtf8(ReadFileBytes(logPath));
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) end = text.size();
        std::wstring line = text.substr(start, end - start);
        start = end + 1;
        if (line.empty()) continue;
        std::vector<std::wstring> fields;
        size_t from = 0;
        for (size_t tab; (tab = line.find(L'\t', from)) != std::wstring::npos; from = tab + 1)
            fields.push_back(line.substr(from, tab - from));
        fields.push_back(line.substr(from));
        fields.resize(std::max<size_t>(fields.size(), 4));
        const int show = fields[3].empty() ? -1 : _wtoi(fields[3].c_str());
        records.push_back({Unescape(fields[0]), Unescape(fields[1]), Unescape(fields[2]), show});
    }
    return records;
}

std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    std::vector<std::wstring> args;
    int count = 0;
    if (LPWSTR* argv = CommandLineToArgvW(commandLine.c_str(), &count)) {
        for (int i = 0; i < count; ++i) args.emplace_back(argv[i]);
        LocalFree(argv);
    }
    return args;
}

// ---- Pixels ---------------------------------------------------------------------------------

int Pixels::Count(COLORREF color) const {
    int n = 0;
    for (COLORREF c : data) n += c == color;
    return n;
}

namespace {

constexpr int64_t kMaxPixels = int64_t(1) << 28;

// A 32-bit top-down DIB section with its memory DC, for GDI to draw into.
struct Canvas32 {
    ui::DcHandle dc;
    ui::BitmapHandle bitmap;
    HGDIOBJ old = nullptr;
    uint32_t* bits = nullptr;
    int width = 0, height = 0;

    Canvas32(int w, int h) : width(w), height(h) {
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof bi.bmiHeader;
        bi.bmiHeader.biWidth = w;
        bi.bmiHeader.biHeight = -h;
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        bi.bmiHeader.biCompression = BI_RGB;
        void* p = nullptr;
        ui::WindowDc screen(nullptr);
        bitmap.reset(CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &p, nullptr, 0));
        dc.reset(CreateCompatibleDC(screen));
        if (bitmap && dc) {
            old = SelectObject(dc, bitmap);
            bits = static_cast<uint32_t*>(p);
        }
    }
    ~Canvas32() {
        if (old) SelectObject(dc, old);
    }
    bool ok() const { return bits != nullptr; }

    Pixels Read() const {
        GdiFlush();
        Pixels out(width, height);
        for (size_t i = 0; i < out.data.size(); ++i) {
            uint32_t v = bits[i];
            out.data[i] = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
        }
        return out;
    }
};

std::optional<Pixels> DecodeParts(const BITMAPINFO* info, size_t infoSize, const uint8_t* bits, size_t bitsSize) {
    if (infoSize < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    const BITMAPINFOHEADER& h = info->bmiHeader;
    int64_t width = h.biWidth, height = h.biHeight < 0 ? -int64_t(h.biHeight) : h.biHeight;
    if (width <= 0 || height <= 0 || width * height > kMaxPixels) return std::nullopt;
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default: return std::nullopt;
    }
    if (h.biCompression == BI_RGB || h.biCompression == BI_BITFIELDS) {
        int64_t stride = ((width * h.biBitCount + 31) / 32) * 4;
        if (int64_t(bitsSize) < stride * height) return std::nullopt;
    } else if (h.biCompression == BI_RLE8 || h.biCompression == BI_RLE4) {
        if (h.biSizeImage == 0 || h.biSizeImage > bitsSize) return std::nullopt;
    } else {
        return std::nullopt;
    }
    Canvas32 canvas{int(width), int(height)};
    if (!canvas.ok()) return std::nullopt;
    if (StretchDIBits(canvas.dc, 0, 0, int(width), int(height), 0, 0, int(width), int(height), bits, info,
                      DIB_RGB_COLORS, SRCCOPY) == 0)
        return std::nullopt;
    return canvas.Read();
}

// Bytes between the start of a BITMAPINFOHEADER and its pixel bits in a packed DIB.
size_t HeaderAndColours(const BITMAPINFOHEADER& h) {
    size_t size = h.biSize;
    if (h.biSize == sizeof(BITMAPINFOHEADER) && h.biCompression == BI_BITFIELDS) size += 3 * sizeof(DWORD);
    size_t colours = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? size_t(1) << h.biBitCount : 0);
    return size + colours * sizeof(RGBQUAD);
}

}  // namespace

COLORREF ScreenPixel(int x, int y) {
    ui::WindowDc screen(nullptr);
    return GetPixel(screen, x, y);
}

Pixels CaptureScreen(const RECT& area) {
    int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return {};
    Canvas32 canvas(w, h);
    if (!canvas.ok()) return {};
    ui::WindowDc screen(nullptr);
    BitBlt(canvas.dc, 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    return canvas.Read();
}

std::string EmptyRleBmp(int32_t width, int32_t height) {
    std::string b(14 + 40 + 1024 + 2, '\0');
    const auto put = [&](size_t at, uint32_t v, size_t n) { std::memcpy(&b[at], &v, n); };
    put(0, 0x4D42, 2);
    put(2, uint32_t(b.size()), 4);
    put(10, 14 + 40 + 1024, 4);
    put(14, 40, 4);
    put(18, uint32_t(width), 4);
    put(22, uint32_t(height), 4);
    put(26, 1, 2);
    put(28, 8, 2);
    put(30, BI_RLE8, 4);
    put(34, 2, 4);
    for (uint32_t i = 0; i < 256; ++i) put(54 + 4 * i, i * 0x010101, 4);
    b[b.size() - 1] = 1;  // 0, 1: the end of the bitmap
    return b;
}

namespace {

// The image as a packed 24-bit DIB: the info header, then the rows bottom
// up, each padded to four bytes. A BMP file is this after its file header;
// the clipboard's CF_DIB is this as it stands.
std::string PackedDib(const Pixels& pixels) {
    const size_t stride = (size_t(pixels.width) * 3 + 3) & ~size_t(3);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = pixels.width;
    info.biHeight = pixels.height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = DWORD(stride * size_t(pixels.height));
    std::string bytes(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(stride, '\0');
    for (int y = pixels.height - 1; y >= 0; --y) {
        for (int x = 0; x < pixels.width; ++x) {
            COLORREF c = pixels.At(x, y);
            row[size_t(x) * 3 + 0] = char(GetBValue(c));
            row[size_t(x) * 3 + 1] = char(GetGValue(c));
            row[size_t(x) * 3 + 2] = char(GetRValue(c));
        }
        bytes += row;
    }
    return bytes;
}

}  // namespace

bool SaveBmp(const Pixels& pixels, const std::wstring& path) {
    if (pixels.Empty()) return false;
    const std::string dib = PackedDib(pixels);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = DWORD(sizeof file + dib.size());
    return WriteFileBytes(path, std::string(reinterpret_cast<const char*>(&file), sizeof file) + dib);
}

std::optional<Pixels> LoadBmp(const std::wstring& path) {
    std::string bytes = ReadFileBytes(path);
    if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) || bytes[0] != 'B' || bytes[1] != 'M')
        return std::nullopt;
    BITMAPFILEHEADER file;
    memcpy(&file, bytes.data(), sizeof file);
    if (file.bfOffBits < sizeof file + sizeof(BITMAPINFOHEADER) || file.bfOffBits > bytes.size()) return std::nullopt;
    // A copy keeps the header aligned for GDI.
    std::vector<uint32_t> aligned((bytes.size() - sizeof file + 3) / 4);
    memcpy(aligned.data(), bytes.data() + sizeof file, bytes.size() - sizeof file);
    const auto* base = reinterpret_cast<const uint8_t*>(aligned.data());
    size_t infoSize = file.bfOffBits - sizeof file;
    return DecodeParts(reinterpret_cast<const BITMAPINFO*>(base), infoSize, base + infoSize,
                       bytes.size() - file.bfOffBits);
}

std::optional<Pixels> DecodeDib(const void* packedDib, size_t size) {
    if (!packedDib || size < sizeof(BITMAPINFOHEADER)) return std::nullopt;
    std::vector<uint32_t> aligned(size / 4 + 1);
    memcpy(aligned.data(), packedDib, size);
    const auto* base = reinterpret_cast<const uint8_t*>(aligned.data());
    const auto* info = reinterpret_cast<const BITMAPINFO*>(base);
    if (info->bmiHeader.biSize < sizeof(BITMAPINFOHEADER) || info->bmiHeader.biSize > size) return std::nullopt;
    size_t offset = HeaderAndColours(info->bmiHeader);
    if (offset > size) return std::nullopt;
    return DecodeParts(info, offset, base + offset, size - offset);
}

std::optional<Pixels> BitmapPixels(HBITMAP bitmap) {
    BITMAP bm{};
    if (!bitmap || !GetObjectW(bitmap, sizeof bm, &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0) return std::nullopt;
    if (int64_t(bm.bmWidth) * bm.bmHeight > kMaxPixels) return std::nullopt;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<uint32_t> raw(size_t(bm.bmWidth) * size_t(bm.bmHeight));
    ui::WindowDc screen(nullptr);
    if (GetDIBits(screen, bitmap, 0, UINT(bm.bmHeight), raw.data(), &bi, DIB_RGB_COLORS) != bm.bmHeight)
        return std::nullopt;
    Pixels out(bm.bmWidth, bm.bmHeight);
    for (size_t i = 0; i < raw.size(); ++i)
        out.data[i] = RGB((raw[i] >> 16) & 0xFF, (raw[i] >> 8) & 0xFF, raw[i] & 0xFF);
    return out;
}

bool SaveScreenBmp(const RECT& area, const std::wstring& path) { return SaveBmp(CaptureScreen(area), path); }

Pixels CaptureSettledScreen(const RECT& r) {
    // A window just shown is painted when its thread next pumps, which under
    // load can be later than any fixed pause: read until two reads a moment
    // apart agree.
    Sleep(150);
    Pixels last = CaptureScreen(r);
    for (int attempt = 0; attempt < 40; ++attempt) {
        Sleep(100);
        Pixels now = CaptureScreen(r);
        if (now.width == last.width && now.height == last.height && now.data == last.data) return now;
        last = std::move(now);
    }
    return last;
}

Pixels ShowMenuAndCapture(HMENU menu, HWND owner, POINT p) {
    Pixels pixels;
    std::thread reader([&] {
        HWND shown = WaitForVisibleWindow(GetCurrentProcessId(), L"#32768");
        RECT r{};
        if (shown && GetWindowRect(shown, &r)) pixels = CaptureSettledScreen(r);
        PostMessageW(owner, WM_CANCELMODE, 0, 0);
        if (shown) PostMessageW(shown, WM_KEYDOWN, VK_ESCAPE, 0);
    });
    SetForegroundWindow(owner);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, p.x, p.y, 0, owner, nullptr);
    reader.join();
    return pixels;
}

namespace {

// Opens the clipboard, retrying while another program holds it.
class ClipboardOpen {
public:
    explicit ClipboardOpen(HWND owner = nullptr) {
        for (int attempt = 0; attempt < 100 && !open_; ++attempt) {
            open_ = OpenClipboard(owner) != 0;
            if (!open_) Sleep(20);
        }
    }
    ~ClipboardOpen() {
        if (open_) CloseClipboard();
    }
    ClipboardOpen(const ClipboardOpen&) = delete;
    ClipboardOpen& operator=(const ClipboardOpen&) = delete;
    explicit operator bool() const { return open_; }

private:
    bool open_ = false;
};

}  // namespace

std::vector<UINT> ClipboardFormats() {
    std::vector<UINT> formats;
    ClipboardOpen open;
    if (!open) return formats;
    for (UINT f = EnumClipboardFormats(0); f; f = EnumClipboardFormats(f)) formats.push_back(f);
    return formats;
}

std::optional<std::vector<uint8_t>> ClipboardData(UINT format) {
    ClipboardOpen open;
    if (!open) return std::nullopt;
    HGLOBAL global = GetClipboardData(format);
    if (!global) return std::nullopt;
    size_t size = GlobalSize(global);
    const void* p = GlobalLock(global);
    if (!p) return std::nullopt;
    std::vector<uint8_t> bytes(static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + size);
    GlobalUnlock(global);
    return bytes;
}

std::optional<Pixels> ClipboardDib() {
    auto bytes = ClipboardData(CF_DIB);
    if (!bytes) return std::nullopt;
    return DecodeDib(bytes->data(), bytes->size());
}

std::optional<Pixels> ClipboardBitmap() {
    ClipboardOpen open;
    if (!open) return std::nullopt;
    return BitmapPixels(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
}

bool PutClipboardImage(const Pixels& pixels) {
    if (pixels.Empty()) return false;
    const std::string dib = PackedDib(pixels);
    HGLOBAL global = GlobalAlloc(GMEM_MOVEABLE, dib.size());
    if (!global) return false;
    void* p = GlobalLock(global);
    if (!p) {
        GlobalFree(global);
        return false;
    }
    memcpy(p, dib.data(), dib.size());
    GlobalUnlock(global);

    // SetClipboardData needs an owner window; the data outlives it.
    HWND owner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    bool ok = false;
    {
        ClipboardOpen open(owner);
        if (open && EmptyClipboard() && SetClipboardData(CF_DIB, global)) ok = true;
    }
    if (!ok) GlobalFree(global);
    if (owner) DestroyWindow(owner);
    return ok;
}

bool EmptyTheClipboard() {
    ClipboardOpen open;
    return open && EmptyClipboard();
}

}  // namespace vt
