// sulvane.exe: sends a capture by e-mail through an SMTP server. The program
// starts it with thirteen arguments (recipients, subject, body, sender,
// server, port, user name, password, preview flag, progress flag, image
// file, attachment name, 1 embedded / 2 attached; a single blank stands for
// an empty value) and does not wait for it, so it reports a failure itself:
// a message box, exit code 1, and a line in the file that VORLIX_SULVANE_LOG
// names (when it names one).
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <bcrypt.h>
#include <shellapi.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "delivery/mail_base64.h"
#include "delivery/mail_message.h"
#include "delivery/mail_texts.h"
#include "helper_log.h"
#include "mime_mail.h"
#include "ui/text_format.h"

// The Simplified Chinese texts, compiled into their own namespace: one
// sender serves both builds and speaks the language of the system's code page.
namespace txt_zh {
extern const wchar_t SmtpTitle[], SmtpPreview[], SmtpProgressConnecting[], SmtpProgressSending[], SmtpFailed[],
    SmtpFailedBecause[], SmtpBadArguments[], SmtpBadAddress[], SmtpNoImage[], SmtpNoConnection[], SmtpLoginRefused[],
    SmtpRefused[], SmtpConnectionLost[];
}

namespace {

bool Chinese() { return GetACP() == 936; }
#define TEXT_OF(name) (Chinese() ? txt_zh::name : txt::name)

constexpr DWORD kTimeoutMs = 30000;

std::string Bytes(const std::wstring& s, UINT codePage = CP_ACP) {
    if (s.empty()) return {};
    const int n = WideCharToMultiByte(codePage, 0, s.c_str(), int(s.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n > 0 ? n : 0), '\0');
    if (n > 0) WideCharToMultiByte(codePage, 0, s.c_str(), n ? int(s.size()) : 0, out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& s) {
    if (s.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, s.c_str(), int(s.size()), nullptr, 0);
    std::wstring out(size_t(n > 0 ? n : 0), L'\0');
    if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.c_str(), int(s.size()), out.data(), n);
    return out;
}

// The MIME name of the system's code page, which the texts are converted
// to; texts of a code page without one go out as UTF-8.
UINT MailCodePage(std::string& charset) {
    charset = mail::CharsetOfCodePage(GetACP());
    if (charset.empty()) charset = "utf-8";
    return charset == "utf-8" ? CP_UTF8 : GetACP();
}

// The password, and the forms in which it went to the server, never appear in
// a log line or a message.
std::vector<std::wstring> g_secrets;

std::wstring Masked(const std::wstring& text) { return WithoutSecrets(text, g_secrets); }

// One line: what happened, a tab, why.
void Log(const std::wstring& what, const std::wstring& why = std::wstring()) {
    AppendHelperLog(L"VORLIX_SULVANE_LOG", what, Masked(why));
}

// The small window that shows how far the sending has come.
class Progress {
public:
    explicit Progress(bool shown) {
        if (!shown) return;
        window_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"STATIC", L"",
                                  WS_POPUP | WS_CAPTION | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE,
                                  (GetSystemMetrics(SM_CXSCREEN) - 320) / 2, (GetSystemMetrics(SM_CYSCREEN) - 80) / 2,
                                  320, 80, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (window_) SetWindowTextW(window_, TEXT_OF(SmtpTitle));
    }
    ~Progress() {
        if (window_) DestroyWindow(window_);
    }
    void Show(const wchar_t* text) {
        if (!window_) return;
        // A static control shows its window text: the caption carries the title.
        SetWindowTextW(window_, text);
        UpdateWindow(window_);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    HWND Handle() const { return window_; }

private:
    HWND window_ = nullptr;
};

struct Failure {
    std::wstring reason;
};

// One SMTP connection: commands out, replies (with their continuation
// lines) in.
class Connection {
public:
    ~Connection() {
        if (socket_ != INVALID_SOCKET) closesocket(socket_);
    }

    void Open(const std::wstring& server, unsigned port) {
        ADDRINFOW hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        ADDRINFOW* found = nullptr;
        const std::wstring unreachable =
            ui::FormatText(TEXT_OF(SmtpNoConnection), {{L"<SERVER>", server + L":" + std::to_wstring(port)}});
        if (GetAddrInfoW(server.c_str(), std::to_wstring(port).c_str(), &hints, &found) != 0 || !found)
            throw Failure{unreachable};
        for (ADDRINFOW* a = found; a && socket_ == INVALID_SOCKET; a = a->ai_next) {
            SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (s == INVALID_SOCKET) continue;
            DWORD timeout = kTimeoutMs;
            setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
            setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
            if (connect(s, a->ai_addr, int(a->ai_addrlen)) == 0) socket_ = s;
            else closesocket(s);
        }
        FreeAddrInfoW(found);
        if (socket_ == INVALID_SOCKET) throw Failure{unreachable};
    }

    void Send(const std::string& bytes) {
        size_t sent = 0;
        while (sent < bytes.size()) {
            const int n = send(socket_, bytes.data() + sent, int(std::min<size_t>(bytes.size() - sent, 65536)), 0);
            if (n <= 0) throw Failure{TEXT_OF(SmtpConnectionLost)};
            sent += size_t(n);
        }
    }

    // The reply's code; text holds its lines.
    int Reply(std::string& text) {
        text.clear();
        while (true) {
            std::string line = ReadLine();
            text += line + "\n";
            if (line.size() < 3) throw Failure{TEXT_OF(SmtpConnectionLost)};
            if (line.size() == 3 || line[3] != '-') return std::atoi(line.substr(0, 3).c_str());
        }
    }

    // Sends a command and expects a reply of one of the codes.
    std::string Command(const std::string& command, std::initializer_list<int> expected) {
        if (!command.empty()) Send(command + "\r\n");
        std::string text;
        const int code = Reply(text);
        for (int e : expected)
            if (code == e) return text;
        throw Failure{ui::FormatText(TEXT_OF(SmtpRefused), {{L"<REPLY>", Wide(FirstLine(text))}})};
    }

    static std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

private:
    std::string ReadLine() {
        std::string line;
        while (true) {
            const size_t end = buffer_.find("\r\n");
            if (end != std::string::npos) {
                line = buffer_.substr(0, end);
                buffer_.erase(0, end + 2);
                return line;
            }
            char chunk[4096];
            const int n = recv(socket_, chunk, sizeof chunk, 0);
            if (n <= 0) throw Failure{TEXT_OF(SmtpConnectionLost)};
            buffer_.append(chunk, size_t(n));
        }
    }

    SOCKET socket_ = INVALID_SOCKET;
    std::string buffer_;
};

// Base64 on one line: the commands of the authentication take no line breaks.
std::string Base64Of(const std::string& bytes) {
    std::string out;
    for (char c : base64::Encode(bytes))
        if (c != '\r' && c != '\n') out += c;
    return out;
}

struct Arguments {
    std::wstring to, subject, body, from, server, port, user, password, preview, progress, image, name, method;
};

// A single blank stands for an empty value.
std::wstring Value(const wchar_t* arg) { return std::wstring(arg) == L" " ? std::wstring() : std::wstring(arg); }

uint64_t Quad(const FILETIME& t) { return (uint64_t(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

// Now, as the local time and its offset from UTC.
std::string LocalDate(const FILETIME& now) {
    SYSTEMTIME utc{}, local{};
    FileTimeToSystemTime(&now, &utc);
    if (!SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local)) local = utc;
    FILETIME localTime{};
    int offsetMinutes = 0;
    if (SystemTimeToFileTime(&local, &localTime)) {
        // Whole minutes apart, give or take the milliseconds the conversion
        // may drop: rounded to the minute.
        const int64_t difference = int64_t(Quad(localTime)) - int64_t(Quad(now));
        offsetMinutes = int((difference + (difference < 0 ? -300000000 : 300000000)) / 600000000);
    }
    return smtpmail::FormatDate(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond,
                                offsetMinutes);
}

// A Message-ID that no other message gets: the time in 100 ns steps, the
// process and 64 random bits, at the sender's domain (or this computer).
std::string NewMessageId(const FILETIME& now, const std::string& from) {
    uint64_t random = 0;
    if (BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&random), sizeof random, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
        LARGE_INTEGER counter{};
        QueryPerformanceCounter(&counter);
        random = uint64_t(counter.QuadPart) * 0x9E3779B97F4A7C15ull;
    }
    wchar_t host[256] = {};
    DWORD size = 256;
    if (!GetComputerNameExW(ComputerNameDnsFullyQualified, host, &size)) {
        size = 256;
        if (!GetComputerNameW(host, &size)) host[0] = 0;
    }
    char left[64];
    std::snprintf(left, sizeof left, "%016llX.%08lX.%016llX", static_cast<unsigned long long>(Quad(now)),
                  GetCurrentProcessId(), static_cast<unsigned long long>(random));
    return std::string(left) + "@" + smtpmail::MessageIdDomain(from, Bytes(host, CP_UTF8));
}

std::string MediaType(const std::wstring& name) {
    const size_t dot = name.find_last_of(L'.');
    std::wstring ext = dot == std::wstring::npos ? L"" : name.substr(dot);
    for (wchar_t& c : ext) c = wchar_t(towlower(c));
    if (ext == L".bmp") return "image/bmp";
    if (ext == L".jpg" || ext == L".jpeg") return "image/jpeg";
    if (ext == L".png") return "image/png";
    return "image/gif";
}

// Reads the whole image at once, refusing writers meanwhile: a later capture
// saved under the same name cannot change what is being sent.
bool ReadImage(const std::wstring& path, std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileSizeEx(file, &size) && size.QuadPart < 512LL * 1024 * 1024;
    if (ok) {
        bytes.resize(size_t(size.QuadPart));
        DWORD read = 0;
        ok = bytes.empty() || (ReadFile(file, bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size());
    }
    CloseHandle(file);
    return ok;
}

std::string AuthLogin(Connection& c, const std::string& user, const std::string& password, const std::string& ehlo) {
    // PLAIN when offered (one round), else LOGIN.
    const bool plain = ehlo.find("PLAIN") != std::string::npos;
    const bool login = ehlo.find("LOGIN") != std::string::npos;
    try {
        if (plain || !login) {
            return c.Command("AUTH PLAIN " + Base64Of(std::string(1, '\0') + user + std::string(1, '\0') + password),
                             {235});
        }
        c.Command("AUTH LOGIN", {334});
        c.Command(Base64Of(user), {334});
        return c.Command(Base64Of(password), {235});
    } catch (const Failure&) {
        throw Failure{TEXT_OF(SmtpLoginRefused)};
    }
}

int Run(int argc, wchar_t** argv) {
    if (argc != 14) throw Failure{TEXT_OF(SmtpBadArguments)};
    Arguments a{Value(argv[1]), Value(argv[2]),  Value(argv[3]),  Value(argv[4]),  Value(argv[5]),
                Value(argv[6]), Value(argv[7]),  Value(argv[8]),  Value(argv[9]),  Value(argv[10]),
                Value(argv[11]), Value(argv[12]), Value(argv[13])};
    if (!a.password.empty()) {
        const std::string user = Bytes(a.user, CP_UTF8), password = Bytes(a.password, CP_UTF8);
        g_secrets = {a.password, Wide(Base64Of(password)),
                     Wide(Base64Of(std::string(1, '\0') + user + std::string(1, '\0') + password))};
    }

    std::string image;
    if (!ReadImage(a.image, image)) throw Failure{ui::FormatText(TEXT_OF(SmtpNoImage), {{L"<FILE>", a.image}})};

    std::string charset;
    const UINT codePage = MailCodePage(charset);
    smtpmail::Message m;
    m.from = Bytes(a.from, CP_UTF8);
    const auto badAddress = [](const std::wstring& address) {
        return Failure{ui::FormatText(TEXT_OF(SmtpBadAddress), {{L"<ADDRESS>", address}})};
    };
    if (!smtpmail::IsValidAddress(m.from)) throw badAddress(a.from);
    m.to = smtpmail::SplitRecipients(Bytes(a.to, CP_UTF8));
    if (m.to.empty()) throw badAddress(a.to);
    for (const std::string& r : m.to)
        if (!smtpmail::IsValidAddress(r)) throw badAddress(Wide(r));
    wchar_t* end = nullptr;
    const unsigned long port = wcstoul(a.port.c_str(), &end, 10);
    if (a.server.empty() || a.port.empty() || *end || port == 0 || port > 65535) throw Failure{TEXT_OF(SmtpBadArguments)};
    m.subject = Bytes(a.subject, codePage);
    m.body = Bytes(a.body, codePage);
    m.charset = charset;
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    m.date = LocalDate(now);
    m.messageId = NewMessageId(now, m.from);
    m.embedded = a.method == L"1";
    // Embedded, the image keeps its own name (a numbered GIF); attached, the
    // name the user chose for attachments.
    const std::wstring name =
        m.embedded || a.name.empty() ? a.image.substr(a.image.find_last_of(L"\\/") + 1) : a.name;
    m.imageName = Bytes(name, codePage);
    m.imageType = MediaType(name);
    m.image = std::move(image);

    if (a.preview == L"1") {
        const std::wstring text = ui::FormatText(TEXT_OF(SmtpPreview), {{L"<TO>", a.to},
                                                                         {L"<SUBJECT>", a.subject},
                                                                         {L"<IMAGE>", name},
                                                                         {L"<BODY>", a.body}});
        if (MessageBoxW(nullptr, text.c_str(), TEXT_OF(SmtpTitle), MB_OKCANCEL | MB_ICONQUESTION | MB_TOPMOST) != IDOK) {
            Log(L"cancelled");
            return 2;
        }
    }

    Progress progress(a.progress == L"1");
    progress.Show(TEXT_OF(SmtpProgressConnecting));
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        throw Failure{ui::FormatText(TEXT_OF(SmtpNoConnection), {{L"<SERVER>", a.server}})};
    {
        Connection c;
        c.Open(a.server, unsigned(port));
        c.Command("", {220});
        wchar_t host[MAX_COMPUTERNAME_LENGTH + 1] = L"vorlix";
        DWORD hostSize = MAX_COMPUTERNAME_LENGTH + 1;
        GetComputerNameW(host, &hostSize);
        std::string hello = Bytes(host, CP_UTF8);
        if (!smtpmail::IsValidAddress("x@" + hello)) hello = "vorlix";
        std::string ehlo;
        try {
            ehlo = c.Command("EHLO " + hello, {250});
        } catch (const Failure&) {
            ehlo = c.Command("HELO " + hello, {250});
        }
        if (!a.user.empty()) AuthLogin(c, Bytes(a.user, CP_UTF8), Bytes(a.password, CP_UTF8), ehlo);
        progress.Show(TEXT_OF(SmtpProgressSending));
        c.Command("MAIL FROM:<" + m.from + ">", {250});
        for (const std::string& r : m.to) c.Command("RCPT TO:<" + r + ">", {250, 251});
        c.Command("DATA", {354});
        // A boundary that cannot occur in Base64 text or in the headers.
        char boundary[64];
        std::snprintf(boundary, sizeof boundary, "----=_Vorlix_%08lX_%08lX", GetTickCount(), GetCurrentProcessId());
        c.Send(smtpmail::DataSection(smtpmail::Compose(m, boundary)));
        c.Command("", {250});
        try {
            c.Command("QUIT", {221});
        } catch (const Failure&) {
            // The message is accepted; how the server says goodbye does not matter.
        }
    }
    WSACleanup();
    Log(L"sent");
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    int code = 1;
    try {
        if (!argv) throw Failure{TEXT_OF(SmtpBadArguments)};
        code = Run(argc, argv);
    } catch (const Failure& f) {
        Log(L"failed", f.reason);
        const std::wstring text = Masked(ui::FormatText(TEXT_OF(SmtpFailedBecause), {{L"<REASON>", f.reason}}));
        MessageBoxW(nullptr, text.c_str(), TEXT_OF(SmtpTitle), MB_OK | MB_ICONERROR | MB_TOPMOST);
        code = 1;
    } catch (...) {
        Log(L"failed");
        MessageBoxW(nullptr, TEXT_OF(SmtpFailed), TEXT_OF(SmtpTitle), MB_OK | MB_ICONERROR | MB_TOPMOST);
        code = 1;
    }
    if (argv) LocalFree(argv);
    return code;
}
