// Test-only child for the support library's own test: shows one message box of
// the type given as the first argument and exits with 100 + the button pressed.
#include <windows.h>

#include <cwchar>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    UINT type = UINT(wcstoul(commandLine, nullptr, 10));
    int result = MessageBoxW(nullptr, L"First line\nSecond line \u00e4\u00f6\u00fc \u4e2d\u6587", L"Support Box",
                             type | MB_ICONWARNING);
    return 100 + result;
}
