// trabbon.exe: uploads one image file to an FTP server. Vorlix starts it
// beside itself with twelve arguments and does not wait for it:
//
//   1 server   2 port   3 remote folder   4 passive ("1") or active ("0")
//   5 user     6 password   7 progress window ("1")   8 proxy server
//   9 proxy port   10 local file   11 remote file name   12 automatic name ("1")
//
// An empty text argument arrives as a single blank. Without a user name the
// login is anonymous. Through a proxy the login is USER user@host[:port] at
// the proxy. With automatic naming the file is stored under the remote name
// numbered like the program's own numbered files: one more than the largest
// number the folder's listing already holds for that name and extension.
//
// In passive mode the data connection is asked for with EPSV when the server
// lists it among its features, else with PASV.
//
// Failures are reported here, as the program learns nothing of the upload: a
// message box, a non-zero exit code, and when TRABBON_LOG names a file, a line
// appended to it ("OK", remote name, bytes; or "FAILED", exit code, message;
// tab-separated, UTF-8). The password never appears in either.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "delivery/numbered_names.h"
#include "delivery/web_print_texts.h"
#include "helper_log.h"
#include "passive_reply.h"
#include "ui/text_format.h"

// The Simplified Chinese texts, compiled into a namespace of their own: the
// uploader speaks the language of the system it runs on (code page 936 is
// Simplified Chinese), as both program builds start the same uploader.
namespace txt_zh {
extern const wchar_t UploadCannotConnect[];
extern const wchar_t UploadDataConnectionRefused[];
extern const wchar_t UploadCaption[];
extern const wchar_t UploadConnectionLost[];
extern const wchar_t UploadFileUnreadable[];
extern const wchar_t UploadFolderRefused[];
extern const wchar_t UploadGreetingRefused[];
extern const wchar_t UploadLoginRefused[];
extern const wchar_t UploadNoDataConnection[];
extern const wchar_t UploadProgress[];
extern const wchar_t UploadRefused[];
extern const wchar_t UploadWrongArguments[];
}  // namespace txt_zh

namespace {

bool Chinese() { return GetACP() == 936; }
#define TEXT_OF(name) (Chinese() ? txt_zh::name : txt::name)

enum ExitCode : int {
    kOk = 0,
    kWrongArguments = 2,
    kFileUnreadable = 3,
    kCannotConnect = 4,
    kLoginRefused = 5,
    kFolderRefused = 6,
    kNoDataConnection = 7,
    kRefused = 8,
    kConnectionLost = 9,
};

constexpr DWORD kTimeoutMs = 30000;

std::string Utf8(const std::wstring& s) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), out.data(), n);
    return out;
}

struct Job {
    std::wstring server, folder, user, password, proxy, localFile, remoteName;
    unsigned port = 0, proxyPort = 0;
    bool passive = false, progress = false, autoName = false;
};

// A text argument: the single blank stands for "empty".
std::wstring Text(const wchar_t* arg) { return std::wcscmp(arg, L" ") == 0 ? std::wstring() : std::wstring(arg); }

bool Number(const wchar_t* arg, unsigned& value) {
    if (!*arg) return false;
    unsigned long v = 0;
    for (const wchar_t* p = arg; *p; ++p) {
        if (*p < L'0' || *p > L'9') return false;
        v = v * 10 + unsigned(*p - L'0');
        if (v > 65535) return false;
    }
    value = unsigned(v);
    return true;
}

// A value that travels on an FTP command line must not end that line early.
bool OneLine(const std::wstring& s) { return s.find_first_of(L"\r\n") == std::wstring::npos; }

bool ParseArguments(Job& job) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    bool ok = argc == 13;
    if (ok) {
        job.server = Text(argv[1]);
        job.folder = Text(argv[3]);
        job.passive = std::wcscmp(argv[4], L"0") != 0;
        job.user = Text(argv[5]);
        job.password = Text(argv[6]);
        job.progress = std::wcscmp(argv[7], L"1") == 0;
        job.proxy = Text(argv[8]);
        job.localFile = argv[10];
        job.remoteName = Text(argv[11]);
        job.autoName = std::wcscmp(argv[12], L"1") == 0;
        ok = Number(argv[2], job.port) && job.port != 0 && Number(argv[9], job.proxyPort) && !job.server.empty() &&
             !job.localFile.empty() && !job.remoteName.empty();
        for (const std::wstring* s : {&job.server, &job.folder, &job.user, &job.password, &job.proxy, &job.remoteName})
            ok = ok && OneLine(*s);
    }
    LocalFree(argv);
    return ok;
}

// ---- Reporting ----------------------------------------------------------------

HWND progressWindow = nullptr;
HWND progressBar = nullptr;

// A file name inside a log line stays on its line.
std::wstring OneLineForLog(std::wstring s) {
    for (auto& c : s)
        if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    return s;
}

// The password, which a server may well repeat in a reply it gives to the
// command that carried it.
std::wstring secret;

std::wstring WithoutSecret(const std::wstring& text) { return WithoutSecrets(text, {secret}); }

int Fail(ExitCode code, const std::wstring& what) {
    const std::wstring message = WithoutSecret(what);
    AppendHelperLog(L"TRABBON_LOG", L"FAILED\t" + std::to_wstring(int(code)), message);
    MessageBoxW(progressWindow, message.c_str(), TEXT_OF(UploadCaption), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
    return code;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) return 0;  // the upload ends the window
    return DefWindowProcW(window, message, wParam, lParam);
}

void OpenProgressWindow(const std::wstring& remoteName) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    WNDCLASSW wc{};
    wc.lpfnWndProc = ProgressProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"TrabbonProgress";
    RegisterClassW(&wc);
    const int w = 380, h = 110;
    const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
    progressWindow = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, TEXT_OF(UploadCaption),
                                     WS_POPUP | WS_CAPTION | WS_VISIBLE, x, y, w, h, nullptr, nullptr, wc.hInstance,
                                     nullptr);
    if (!progressWindow) return;
    RECT client;
    GetClientRect(progressWindow, &client);
    const std::wstring label = ui::FormatText(TEXT_OF(UploadProgress), {{L"<FILE>", remoteName}});
    HWND text = CreateWindowExW(0, L"STATIC", label.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS,
                                12, 10, client.right - 24, 18, progressWindow, nullptr, wc.hInstance, nullptr);
    SendMessageW(text, WM_SETFONT, WPARAM(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    progressBar = CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, 12, 36, client.right - 24, 18,
                                  progressWindow, nullptr, wc.hInstance, nullptr);
    SendMessageW(progressBar, PBM_SETRANGE32, 0, 1000);
    UpdateWindow(progressWindow);
    PumpMessages();
}

void ShowProgress(uint64_t done, uint64_t total) {
    if (progressBar) SendMessageW(progressBar, PBM_SETPOS, WPARAM(total ? done * 1000 / total : 1000), 0);
    PumpMessages();
}

// ---- The file -------------------------------------------------------------------

// Reads the whole file at once. Others may read it meanwhile but not write
// it, so a capture saved under the same name during the upload cannot mix
// into the one being sent. A writer that holds the file just now is waited
// for a little.
bool ReadWholeFile(const std::wstring& path, std::string& bytes) {
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 40; ++attempt) {
        file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (file != INVALID_HANDLE_VALUE || GetLastError() != ERROR_SHARING_VIOLATION) break;
        Sleep(50);
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 0x7FFFFFFF;
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        size_t got = 0;
        while (ok && got < bytes.size()) {
            DWORD n = 0;
            ok = ReadFile(file, bytes.data() + got, DWORD(bytes.size() - got), &n, nullptr) && n > 0;
            got += n;
        }
    }
    CloseHandle(file);
    return ok;
}

// ---- Sockets ----------------------------------------------------------------------

class Socket {
public:
    Socket() = default;
    explicit Socket(SOCKET s) : s_(s) {}
    ~Socket() { Close(); }
    Socket(Socket&& o) noexcept : s_(o.s_) { o.s_ = INVALID_SOCKET; }
    Socket& operator=(Socket&& o) noexcept {
        if (this != &o) {
            Close();
            s_ = o.s_;
            o.s_ = INVALID_SOCKET;
        }
        return *this;
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return s_; }
    bool valid() const { return s_ != INVALID_SOCKET; }
    void Close() {
        if (s_ != INVALID_SOCKET) closesocket(s_);
        s_ = INVALID_SOCKET;
    }

private:
    SOCKET s_ = INVALID_SOCKET;
};

void SetTimeouts(SOCKET s) {
    const DWORD t = kTimeoutMs;
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&t), sizeof t);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&t), sizeof t);
}

// Connects within the time-out, letting the progress window's messages run
// meanwhile so that it keeps answering while a distant host is tried.
Socket ConnectTo(const sockaddr_in& address) {
    Socket s(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!s.valid()) return s;
    SetTimeouts(s.get());
    u_long nonBlocking = 1;
    ioctlsocket(s.get(), FIONBIO, &nonBlocking);
    if (connect(s.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        WSAGetLastError() != WSAEWOULDBLOCK) {
        s.Close();
        return s;
    }
    const ULONGLONG end = GetTickCount64() + kTimeoutMs;
    for (;;) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(s.get(), &writable);
        FD_SET(s.get(), &failed);
        timeval step{0, 100000};
        const int n = select(0, nullptr, &writable, &failed, &step);
        if (n < 0 || FD_ISSET(s.get(), &failed) || (n == 0 && GetTickCount64() >= end)) {
            s.Close();
            return s;
        }
        if (n > 0 && FD_ISSET(s.get(), &writable)) break;
        PumpMessages();
    }
    nonBlocking = 0;
    ioctlsocket(s.get(), FIONBIO, &nonBlocking);
    return s;
}

Socket ConnectToHost(const std::wstring& host, unsigned port) {
    ADDRINFOW hints{};
    hints.ai_family = AF_INET;  // PORT and PASV speak IPv4 addresses
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    ADDRINFOW* found = nullptr;
    if (GetAddrInfoW(host.c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0) return Socket();
    Socket s;
    for (ADDRINFOW* a = found; a && !s.valid(); a = a->ai_next) {
        if (a->ai_family == AF_INET && a->ai_addrlen >= sizeof(sockaddr_in))
            s = ConnectTo(*reinterpret_cast<const sockaddr_in*>(a->ai_addr));
    }
    FreeAddrInfoW(found);
    return s;
}

bool SendAll(SOCKET s, const char* data, size_t size, uint64_t total = 0) {
    size_t sent = 0;
    while (sent < size) {
        const int chunk = int(size - sent < 65536 ? size - sent : 65536);
        const int n = send(s, data + sent, chunk, 0);
        if (n <= 0) return false;
        sent += size_t(n);
        if (total) ShowProgress(sent, total);
    }
    return true;
}

// ---- The control connection ----------------------------------------------------------

struct Reply {
    int code = 0;  // 0: connection lost
    std::string text;
    int Kind() const { return code / 100; }
};

class Control {
public:
    explicit Control(Socket s) : s_(std::move(s)) {}
    SOCKET get() const { return s_.get(); }

    // A whole reply, multi-line ones ("123-" ... "123 ") included.
    Reply Read() {
        Reply r;
        std::string line;
        if (!ReadLine(line) || line.size() < 3) return r;
        const int code = std::atoi(line.substr(0, 3).c_str());
        r.text = line;
        if (line.size() > 3 && line[3] == '-') {
            const std::string end = line.substr(0, 3) + " ";
            do {
                if (!ReadLine(line)) return Reply();
                r.text += "\n" + line;
            } while (line.compare(0, 4, end) != 0);
        }
        r.code = code;
        return r;
    }

    Reply Command(const std::string& command) {
        const std::string line = command + "\r\n";
        if (!SendAll(s_.get(), line.data(), line.size())) return Reply();
        return Read();
    }

private:
    bool ReadLine(std::string& line) {
        for (;;) {
            const size_t end = buffer_.find('\n');
            if (end != std::string::npos) {
                line = buffer_.substr(0, end);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                buffer_.erase(0, end + 1);
                return true;
            }
            char chunk[4096];
            const int n = recv(s_.get(), chunk, sizeof chunk, 0);
            if (n <= 0) return false;
            buffer_.append(chunk, size_t(n));
        }
    }

    Socket s_;
    std::string buffer_;
};

// How data connections are made: actively, or passively with EPSV (while
// the server lists it and does not refuse it) or PASV.
struct DataMode {
    bool passive = false;
    bool epsv = false;
    bool viaProxy = false;
};

ftpreply::Address AddressOf(const sockaddr_in& a) {
    ftpreply::Address out;
    std::memcpy(out.data(), &a.sin_addr, 4);
    return out;
}

// The data connection of one transfer: opened before the command (passive),
// or a listening socket whose connection is accepted after it (active).
class DataChannel {
public:
    // Returns the server's reply when the server refused to set it up (code
    // 0 with an empty text: no connection could be made).
    bool Prepare(Control& control, DataMode& mode, Reply& refusal) {
        sockaddr_in local{}, peer{};
        int len = sizeof local;
        if (getsockname(control.get(), reinterpret_cast<sockaddr*>(&local), &len) != 0) return false;
        len = sizeof peer;
        if (getpeername(control.get(), reinterpret_cast<sockaddr*>(&peer), &len) != 0) return false;
        if (mode.passive) return Passive(control, mode, peer, refusal);
        listen_ = Socket(socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (!listen_.valid()) return false;
        local.sin_port = 0;
        len = sizeof local;
        if (bind(listen_.get(), reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
            listen(listen_.get(), 1) != 0 || getsockname(listen_.get(), reinterpret_cast<sockaddr*>(&local), &len) != 0)
            return false;
        const auto* a = reinterpret_cast<const unsigned char*>(&local.sin_addr);
        const unsigned port = ntohs(local.sin_port);
        char command[64];
        std::snprintf(command, sizeof command, "PORT %u,%u,%u,%u,%u,%u", a[0], a[1], a[2], a[3], port / 256, port % 256);
        const Reply r = control.Command(command);
        if (r.Kind() != 2) {
            refusal = r;
            return false;
        }
        return true;
    }

    // After the transfer command was accepted: the connection itself.
    bool Open() {
        if (data_.valid()) return true;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listen_.get(), &ready);
        timeval wait{long(kTimeoutMs / 1000), 0};
        if (select(0, &ready, nullptr, nullptr, &wait) != 1) return false;
        data_ = Socket(accept(listen_.get(), nullptr, nullptr));
        listen_.Close();
        if (data_.valid()) SetTimeouts(data_.get());
        return data_.valid();
    }

    SOCKET get() const { return data_.get(); }

    // Ends the sending side so the server sees the end of the file.
    void Finish() {
        if (data_.valid()) shutdown(data_.get(), SD_SEND);
        char rest[256];
        while (data_.valid() && recv(data_.get(), rest, sizeof rest, 0) > 0) {
        }
        data_.Close();
    }

private:
    bool Passive(Control& control, DataMode& mode, sockaddr_in target, Reply& refusal) {
        if (mode.epsv) {
            // Only a port: the host is the one of the control connection.
            const Reply r = control.Command("EPSV");
            if (r.code == 229) {
                const auto port = ftpreply::ParseExtendedPassiveReply(r.text);
                if (!port) return false;
                target.sin_port = htons(*port);
                data_ = ConnectTo(target);
                return data_.valid();
            }
            if (r.code == 0) return false;
            // Listed but refused (a router in between may not pass it): PASV
            // from now on.
            mode.epsv = false;
        }
        const Reply r = control.Command("PASV");
        if (r.code != 227) {
            refusal = r;
            return false;
        }
        const auto named = ftpreply::ParsePassiveReply(r.text);
        if (!named) return false;
        if (!ftpreply::UsePeerAddress(named->address, AddressOf(target), mode.viaProxy))
            std::memcpy(&target.sin_addr, named->address.data(), 4);
        target.sin_port = htons(named->port);
        data_ = ConnectTo(target);
        return data_.valid();
    }

    Socket data_, listen_;
};

std::wstring ReplyText(const Reply& r) { return Wide(r.text); }

class Upload {
public:
    explicit Upload(const Job& job) : job_(job) {}

    int Run() {
        std::string bytes;
        if (!ReadWholeFile(job_.localFile, bytes))
            return Fail(kFileUnreadable, ui::FormatText(TEXT_OF(UploadFileUnreadable), {{L"<FILE>", job_.localFile}}));
        if (job_.progress) OpenProgressWindow(job_.remoteName);

        const bool viaProxy = !job_.proxy.empty();
        const std::wstring host = viaProxy ? job_.proxy : job_.server;
        const unsigned port = viaProxy ? (job_.proxyPort ? job_.proxyPort : 21) : job_.port;
        const std::wstring where = host + L":" + std::to_wstring(port);
        Socket s = ConnectToHost(host, port);
        if (!s.valid())
            return Fail(kCannotConnect, ui::FormatText(TEXT_OF(UploadCannotConnect), {{L"<SERVER>", where}}));
        Control control(std::move(s));
        Reply r = control.Read();
        if (r.code == 0) return Lost();
        if (r.Kind() != 2)
            return Fail(kCannotConnect, ui::FormatText(TEXT_OF(UploadGreetingRefused),
                                                       {{L"<SERVER>", where}, {L"<REPLY>", ReplyText(r)}}));

        if (int failed = LogIn(control, viaProxy)) return failed;
        mode_.passive = job_.passive;
        mode_.viaProxy = viaProxy;
        if (job_.passive) {
            r = control.Command("FEAT");
            if (r.code == 0) return Lost();
            mode_.epsv = r.code == 211 && ftpreply::HasFeature(r.text, "EPSV");
        }
        r = control.Command("TYPE I");
        if (r.code == 0) return Lost();
        if (r.Kind() != 2) return Fail(kRefused, Refused(job_.remoteName, r));
        if (!job_.folder.empty()) {
            r = control.Command("CWD " + Utf8(job_.folder));
            if (r.code == 0) return Lost();
            if (r.Kind() != 2)
                return Fail(kFolderRefused, ui::FormatText(TEXT_OF(UploadFolderRefused),
                                                           {{L"<FOLDER>", job_.folder}, {L"<REPLY>", ReplyText(r)}}));
        }

        std::wstring name = job_.remoteName;
        if (job_.autoName) {
            std::vector<std::wstring> listing;
            if (int failed = List(control, listing)) return failed;
            name = NumberedName(listing);
        }

        DataChannel data;
        Reply refusal;
        if (!data.Prepare(control, mode_, refusal)) return NoData(refusal);
        r = control.Command("STOR " + Utf8(name));
        if (r.code == 0) return Lost();
        if (r.Kind() != 1) return Fail(kRefused, Refused(name, r));
        if (!data.Open()) return NoData(Reply());
        ShowProgress(0, bytes.size());
        if (!SendAll(data.get(), bytes.data(), bytes.size(), bytes.size())) return Lost();
        data.Finish();
        r = control.Read();
        if (r.code == 0) return Lost();
        if (r.Kind() != 2) return Fail(kRefused, Refused(name, r));
        control.Command("QUIT");
        AppendHelperLog(L"TRABBON_LOG", L"OK\t" + OneLineForLog(name), std::to_wstring(bytes.size()));
        return kOk;
    }

private:
    int Lost() { return Fail(kConnectionLost, TEXT_OF(UploadConnectionLost)); }

    int NoData(const Reply& refusal) {
        if (!refusal.code) return Fail(kNoDataConnection, TEXT_OF(UploadNoDataConnection));
        return Fail(kNoDataConnection,
                    ui::FormatText(TEXT_OF(UploadDataConnectionRefused), {{L"<REPLY>", ReplyText(refusal)}}));
    }

    static std::wstring Refused(const std::wstring& name, const Reply& r) {
        return ui::FormatText(TEXT_OF(UploadRefused), {{L"<FILE>", name}, {L"<REPLY>", ReplyText(r)}});
    }

    int LogIn(Control& control, bool viaProxy) {
        const bool anonymous = job_.user.empty();
        std::wstring user = anonymous ? L"anonymous" : job_.user;
        const std::wstring password = anonymous ? L"vorlix@" : job_.password;
        if (viaProxy) {
            user += L"@" + job_.server;
            if (job_.port != 21) user += L":" + std::to_wstring(job_.port);
        }
        Reply r = control.Command("USER " + Utf8(user));
        if (r.code == 331) r = control.Command("PASS " + Utf8(password));
        if (r.code == 0) return Lost();
        if (r.Kind() != 2)
            return Fail(kLoginRefused, ui::FormatText(TEXT_OF(UploadLoginRefused), {{L"<REPLY>", ReplyText(r)}}));
        return 0;
    }

    // The names in the current folder (NLST). A server that answers an empty
    // folder with "no files" gives an empty list.
    int List(Control& control, std::vector<std::wstring>& names) {
        DataChannel data;
        Reply refusal;
        if (!data.Prepare(control, mode_, refusal)) return NoData(refusal);
        Reply r = control.Command("NLST");
        if (r.code == 0) return Lost();
        if (r.code == 450 || r.code == 550) return 0;
        if (r.Kind() != 1) return NoData(r);
        if (!data.Open()) return NoData(Reply());
        std::string listing;
        char chunk[4096];
        for (int n; (n = recv(data.get(), chunk, sizeof chunk, 0)) > 0;) listing.append(chunk, size_t(n));
        data.Finish();
        r = control.Read();
        if (r.code == 0) return Lost();
        if (r.Kind() != 2) return NoData(r);
        size_t from = 0;
        while (from < listing.size()) {
            size_t end = listing.find('\n', from);
            if (end == std::string::npos) end = listing.size();
            std::string line = listing.substr(from, end - from);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            // Some servers list "folder/name".
            const size_t slash = line.find_last_of('/');
            if (slash != std::string::npos) line.erase(0, slash + 1);
            if (!line.empty()) names.push_back(Wide(line));
            from = end + 1;
        }
        return 0;
    }

    std::wstring NumberedName(const std::vector<std::wstring>& listing) const {
        const size_t dot = job_.remoteName.find_last_of(L'.');
        const std::wstring prefix = dot == std::wstring::npos ? job_.remoteName : job_.remoteName.substr(0, dot);
        const std::wstring extension = dot == std::wstring::npos ? std::wstring() : job_.remoteName.substr(dot);
        numbering::NumberedNames names(prefix, extension, [](std::wstring_view a, std::wstring_view b) {
            return a.size() == b.size() &&
                   (a.empty() || CompareStringOrdinal(a.data(), int(a.size()), b.data(), int(b.size()), TRUE) ==
                                     CSTR_EQUAL);
        });
        for (const auto& entry : listing) names.Add(entry);
        return names.NameWith(names.Next());
    }

    const Job& job_;
    DataMode mode_;
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    Job job;
    if (!ParseArguments(job)) return Fail(kWrongArguments, TEXT_OF(UploadWrongArguments));
    secret = job.password;
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return Fail(kCannotConnect, TEXT_OF(UploadConnectionLost));
    const int result = Upload(job).Run();
    if (progressWindow) DestroyWindow(progressWindow);
    WSACleanup();
    return result;
}
