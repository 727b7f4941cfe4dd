#include "helper_log.h"

#include <windows.h>

void AppendHelperLog(const wchar_t* variable, const std::wstring& what, const std::wstring& why) {
    wchar_t path[MAX_PATH * 2];
    const DWORD n = GetEnvironmentVariableW(variable, path, MAX_PATH * 2);
    if (n == 0 || n >= MAX_PATH * 2) return;
    std::wstring line = what + L"\t";
    for (wchar_t c : why) line += (c == L'\r' || c == L'\n' || c == L'\t') ? L' ' : c;
    line += L"\n";
    std::string utf8(line.size() * 3, '\0');
    utf8.resize(size_t(WideCharToMultiByte(CP_UTF8, 0, line.data(), int(line.size()), utf8.data(), int(utf8.size()),
                                           nullptr, nullptr)));
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, utf8.data(), DWORD(utf8.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        if (GetLastError() != ERROR_SHARING_VIOLATION) return;
        Sleep(10);
    }
}

std::wstring WithoutSecrets(std::wstring text, const std::vector<std::wstring>& secrets) {
    static const std::wstring mask = L"********";
    for (const std::wstring& secret : secrets) {
        if (secret.empty()) continue;
        for (size_t at = text.find(secret); at != std::wstring::npos; at = text.find(secret, at + mask.size()))
            text.replace(at, secret.size(), mask);
    }
    return text;
}
