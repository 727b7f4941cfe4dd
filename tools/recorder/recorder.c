/* Stand-in for every outside program the system starts (mail clients, editors,
 * the hand-off programs, Paint, the browser). Tests copy it under the name of
 * the program they expect and read back what it was started with.
 *
 * When VORLIX_RECORDER_LOG names a file, one line is appended to it, UTF-8:
 *   <own full path> TAB <raw command line> TAB <working folder> TAB <show> LF
 * <show> is the window state it was started with (SW_HIDE 0, SW_SHOWNORMAL 1,
 * ...), or -1 when its starter set none. In each field '%', TAB, LF and CR are
 * written as %25, %09, %0A and %0D, so a line always holds exactly four fields
 * (readers of the first three may ignore the fourth). Without the variable nothing is
 * written. The exit code is always 0. */
#include <windows.h>

#include <stddef.h>

enum { kMaxPath = 32768 };

static wchar_t g_self[kMaxPath];
static wchar_t g_folder[kMaxPath];
static wchar_t g_log[kMaxPath];

/* Appends one field, escaped, to the wide buffer; returns the new length. */
static size_t AppendEscaped(wchar_t* out, size_t n, const wchar_t* s) {
    for (; *s; ++s) {
        const wchar_t* rep = NULL;
        switch (*s) {
        case L'%': rep = L"%25"; break;
        case L'\t': rep = L"%09"; break;
        case L'\n': rep = L"%0A"; break;
        case L'\r': rep = L"%0D"; break;
        default: out[n++] = *s; continue;
        }
        while (*rep) out[n++] = *rep++;
    }
    return n;
}

static void Record(void) {
    DWORD len = GetEnvironmentVariableW(L"VORLIX_RECORDER_LOG", g_log, kMaxPath);
    if (len == 0 || len >= kMaxPath) return;

    DWORD selfLen = GetModuleFileNameW(NULL, g_self, kMaxPath);
    if (selfLen == 0 || selfLen >= kMaxPath) g_self[0] = 0;
    DWORD folderLen = GetCurrentDirectoryW(kMaxPath, g_folder);
    if (folderLen == 0 || folderLen >= kMaxPath) g_folder[0] = 0;
    const wchar_t* command = GetCommandLineW();
    STARTUPINFOW startup;
    startup.cb = sizeof startup;
    GetStartupInfoW(&startup);
    wchar_t show[16];
    wsprintfW(show, L"%d", (startup.dwFlags & STARTF_USESHOWWINDOW) ? (int)startup.wShowWindow : -1);

    /* Every character can grow to three when escaped. */
    size_t cap = 3 * ((size_t)lstrlenW(g_self) + (size_t)lstrlenW(command) + (size_t)lstrlenW(g_folder)) + 24;
    HANDLE heap = GetProcessHeap();
    wchar_t* line = (wchar_t*)HeapAlloc(heap, 0, cap * sizeof(wchar_t));
    if (!line) return;
    size_t n = AppendEscaped(line, 0, g_self);
    line[n++] = L'\t';
    n = AppendEscaped(line, n, command);
    line[n++] = L'\t';
    n = AppendEscaped(line, n, g_folder);
    line[n++] = L'\t';
    n = AppendEscaped(line, n, show);
    line[n++] = L'\n';

    int bytes = WideCharToMultiByte(CP_UTF8, 0, line, (int)n, NULL, 0, NULL, NULL);
    char* utf8 = bytes > 0 ? (char*)HeapAlloc(heap, 0, (size_t)bytes) : NULL;
    if (utf8 && WideCharToMultiByte(CP_UTF8, 0, line, (int)n, utf8, bytes, NULL, NULL) == bytes) {
        /* Several copies may run at once: the lock keeps their lines whole.
         * Retry while another instance has the file open exclusively. */
        HANDLE file = INVALID_HANDLE_VALUE;
        for (int attempt = 0; attempt < 200 && file == INVALID_HANDLE_VALUE; ++attempt) {
            file = CreateFileW(g_log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
            if (file == INVALID_HANDLE_VALUE) {
                DWORD e = GetLastError();
                if (e != ERROR_SHARING_VIOLATION && e != ERROR_LOCK_VIOLATION && e != ERROR_ACCESS_DENIED) break;
                Sleep(10);
            }
        }
        if (file != INVALID_HANDLE_VALUE) {
            OVERLAPPED whole = {0};
            BOOL locked = LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole);
            LARGE_INTEGER zero = {0};
            SetFilePointerEx(file, zero, NULL, FILE_END);
            DWORD written = 0;
            WriteFile(file, utf8, (DWORD)bytes, &written, NULL);
            if (locked) UnlockFileEx(file, 0, MAXDWORD, MAXDWORD, &whole);
            CloseHandle(file);
        }
    }
    if (utf8) HeapFree(heap, 0, utf8);
    HeapFree(heap, 0, line);
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, PWSTR commandLine, int show) {
    (void)instance;
    (void)previous;
    (void)commandLine;
    (void)show;
    Record();
    return 0;
}
