// Opens the options dialog of a running program again and again, as the tray
// menu's Options command does, and times each opening: from posting the
// command to the dialog being shown and the program back in its message loop
// (a message sent to the dialog answered). Each program named on the command
// line is started in turn with the same settings (one of them at a time: they
// share one mutex), the dialog opening on each page given (the page shown
// last is the one it opens on), in interleaved rounds, and the figures are
// printed side by side.
//
//   options_bench.exe [--rounds N] [--runs N] [--page CAPTION]... PROGRAM.exe...
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "base/configuration.h"
#include "options/options_ids.h"

namespace {

constexpr UINT kOptionsCommand = 101;  // the tray menu's Options
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";

struct Found {
    DWORD pid;
    const wchar_t* className;
    bool needTree;
    HWND window;
};

BOOL CALLBACK FindProc(HWND w, LPARAM data) {
    auto* f = reinterpret_cast<Found*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t name[64] = L"";
    GetClassNameW(w, name, 64);
    if (pid != f->pid || wcscmp(name, f->className) != 0) return TRUE;
    if (f->needTree && !(IsWindowVisible(w) && GetDlgItem(w, IDC_TREE))) return TRUE;
    f->window = w;
    return FALSE;
}

HWND FindOf(DWORD pid, const wchar_t* className, bool dialog) {
    Found f{pid, className, dialog, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&f));
    return f.window;
}

template <typename Condition>
bool WaitFor(Condition condition, double timeoutMs) {
    const double end = BenchNow() + timeoutMs;
    while (!condition()) {
        if (BenchNow() > end) return false;
        Sleep(0);
    }
    return true;
}

void WriteSettings(const std::wstring& folder, const std::wstring& page) {
    TConfiguration c;
    std::memset(&c, 0, sizeof c);
    SetDefaults(c, DefaultInputs{});
    const std::string out(folder.begin(), folder.end());
    c.FileFolder = out + "\\";
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, kSchema, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, L"", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&c), sizeof c);
    RegCloseKey(key);
    RegCreateKeyExW(HKEY_CURRENT_USER, kConfiguration, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    const DWORD zero = 0;
    RegSetValueExW(key, L"Training", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
    RegSetValueExW(key, L"Last Node", 0, REG_SZ, reinterpret_cast<const BYTE*>(page.c_str()),
                   DWORD((page.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// One session: the program started afresh, the dialog opened `runs` times
// (a pause between openings, as a person takes); the times in order, empty
// when the program did not come up or the dialog did not open.
std::vector<double> Session(const std::wstring& program, const std::wstring& page, int runs) {
    std::vector<double> times;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"options_bench_out";
    CreateDirectoryW(folder.c_str(), nullptr);
    WriteSettings(folder, page);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::wstring command = L"\"" + program + L"\"";
    if (!CreateProcessW(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        std::fwprintf(stderr, L"cannot start %ls\n", program.c_str());
        return times;
    }
    HWND main = nullptr;
    WaitFor([&] { return (main = FindOf(pi.dwProcessId, L"TuMainForm", false)) != nullptr; }, 20000);
    WaitForInputIdle(pi.hProcess, 10000);
    Sleep(1000);  // the start-up's last steps
    for (int i = 0; main && i < runs; ++i) {
        DWORD_PTR r;
        SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
        const double start = BenchNow();
        PostMessageW(main, WM_COMMAND, kOptionsCommand, 0);
        HWND dialog = nullptr;
        if (!WaitFor([&] { return (dialog = FindOf(pi.dwProcessId, L"#32770", true)) != nullptr; }, 20000)) {
            times.clear();
            break;
        }
        SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &r);
        times.push_back(BenchNow() - start);
        PostMessageW(GetDlgItem(dialog, IDC_CLOSE), BM_CLICK, 0, 0);
        WaitFor([&] { return !IsWindow(dialog); }, 10000);
        Sleep(700);
    }
    if (main) PostMessageW(main, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return times;
}

double Median(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int rounds = 3, runs = 6;
    std::vector<std::wstring> pages, programs;
    for (int i = 1; i < argc; ++i) {
        if (!wcscmp(argv[i], L"--rounds") && i + 1 < argc) rounds = std::max(1, _wtoi(argv[++i]));
        else if (!wcscmp(argv[i], L"--runs") && i + 1 < argc) runs = std::max(2, _wtoi(argv[++i]));
        else if (!wcscmp(argv[i], L"--page") && i + 1 < argc) pages.push_back(argv[++i]);
        else programs.push_back(argv[i]);
    }
    if (programs.empty()) {
        std::fwprintf(stderr, L"usage: options_bench [--rounds N] [--runs N] [--page CAPTION]... PROGRAM.exe...\n");
        return 2;
    }
    if (pages.empty()) pages = {L"Activate", L"Edge Effect", L"Favorites"};
    std::printf("%-12s %-40s %9s %9s %9s %9s\n", "page", "program", "first ms", "median", "best", "worst");
    bool all = true;
    for (const std::wstring& page : pages) {
        // Rounds interleaved, so that a change in the machine's load falls
        // on every program alike.
        std::vector<std::vector<double>> first(programs.size()), later(programs.size());
        for (int round = 0; round < rounds; ++round)
            for (size_t p = 0; p < programs.size(); ++p) {
                const std::vector<double> t = Session(programs[p], page, runs);
                if (t.empty()) {
                    all = false;
                    continue;
                }
                first[p].push_back(t[0]);
                later[p].insert(later[p].end(), t.begin() + 1, t.end());
            }
        for (size_t p = 0; p < programs.size(); ++p) {
            const std::string caption(page.begin(), page.end());
            std::string name(programs[p].begin(), programs[p].end());
            if (name.size() > 40) name = "..." + name.substr(name.size() - 37);
            if (later[p].empty()) {
                std::printf("%-12s %-40s failed\n", caption.c_str(), name.c_str());
                continue;
            }
            std::sort(later[p].begin(), later[p].end());
            std::printf("%-12s %-40s %9.1f %9.1f %9.1f %9.1f\n", caption.c_str(), name.c_str(), Median(first[p]),
                        Median(later[p]), later[p].front(), later[p].back());
        }
        std::fflush(stdout);
    }
    std::printf("(%d rounds of %d openings per program and page: \"first\" is the median of each round's first "
                "opening after the start, the others are over the later ones; an opening lasts from the Options "
                "command to the dialog shown and answering)\n", rounds, runs);
    return all ? 0 : 1;
}
