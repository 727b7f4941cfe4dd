// capture_bench [--runs N] [--edge] FOLDER: a whole-screen capture from the
// button-up message to the finished file, for each image format, with the
// default settings and the File destination (a fixed name in FOLDER). The
// program's main window, freeze window and rectangle engine run in this
// process as in the program; the hook's messages are posted to the main
// window as the hook library posts them, with the pointer where the user
// has it. A second thread sees the file appear (the savers move it into
// place whole; it looks every millisecond), so the notice that follows is
// not counted. --edge switches
// the edge effect on (its default settings). Prints the median and the best
// of the runs for each format.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "bench_clock.h"
#include "app/completion.h"
#include "base/programs.h"
#include "capture/freeze_window.h"
#include "base/globals.h"
#include "app/main_window.h"
#include "hook/hovrak.h"
#include "ui/text_convert.h"
#include "ui/window.h"

namespace {

class ApplicationForm : public ui::Window {};

// Handles every message that is there, as the program's loop does.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Hook(UINT message, int x, int y) {
    SetCursorPos(x, y);
    PostMessageW(MainWindow, message, 0, 0);
    Pump();
}

// Milliseconds from the button-up message until path exists; negative when
// it never appears.
double TimeCapture(const std::wstring& path, int width, int height) {
    DeleteFileW(path.c_str());
    Hook(WM_HOOK_BEGIN, 0, 0);
    Hook(WM_HOOK_DOWN, 0, 0);
    Hook(WM_HOOK_MOVE, width / 2, height / 2);
    Hook(WM_HOOK_MOVE, width - 1, height - 1);
    std::atomic<double> seen{-1};
    std::atomic<bool> stop{false};
    std::thread watcher([&] {
        while (!stop) {
            if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
                seen = BenchNow();
                return;
            }
            // Not a busy loop: it would take the processor and Wine's server
            // from the program it watches.
            Sleep(1);
        }
    });
    const double start = BenchNow();
    PostMessageW(MainWindow, WM_HOOK_UP, 0, 0);
    // The delivery (and the notice after it) runs from the completion timer
    // inside this loop, as in the program's own.
    while (seen < 0 && BenchNow() - start < 20000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
        Pump();
    }
    stop = true;
    watcher.join();
    while (CompletionTimer != 0 || DeliveryBusy) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
        Pump();
    }
    return seen < 0 ? -1 : seen - start;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    int runs = 7;
    bool edge = false;
    std::wstring folder;
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--runs" && i + 1 < argc) {
            runs = std::max(1, _wtoi(argv[++i]));
        } else if (arg == L"--edge") {
            edge = true;
        } else if (!arg.empty() && arg[0] != L'-' && folder.empty()) {
            folder = arg;
        } else {
            std::fprintf(stderr, "usage: capture_bench [--runs N] [--edge] FOLDER\n");
            return 2;
        }
    }
    if (folder.empty()) return 2;
    if (folder.back() != L'\\') folder += L'\\';

    ApplicationForm application;
    application.Create(L"TApplication", L"Vorlix Tessavue", WS_POPUP, WS_EX_TOOLWINDOW | WS_EX_TOPMOST, 0, 0, 0, 0);
    ApplicationWindow = application.Handle();
    TuMainForm mainForm;
    uMainForm = &mainForm;
    TuFreezeForm freezeForm;
    uFreezeForm = &freezeForm;
    if (!mainForm.CreateForm() || !freezeForm.CreateForm()) {
        std::printf("cannot create the program's windows\n");
        return 1;
    }
    // No tray icon: without a system tray it would get a window of its own.
    mainForm.trayIcon.popupMenu = mainForm.popupMenu;

    SetLiveDefaults();
    Config.SendTo[dFile] = 1;
    Config.FileNaming = fnFixed;
    Config.FileFolder = ui::ToAnsi(folder);
    Config.FileName = "capture";
    Config.EdgeOn = edge ? 1 : 0;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);

    int failures = 0;
    const struct {
        TImageFormat format;
        const char* name;
        const wchar_t* extension;
    } formats[] = {{ifBMP, "BMP", L".bmp"}, {ifJPEG, "JPEG", L".jpg"}, {ifGIF, "GIF", L".gif"}, {ifPNG, "PNG", L".png"}};
    for (const auto& f : formats) {
        Config.FileFormat = f.format;
        const std::wstring path = folder + L"capture" + f.extension;
        std::vector<double> ms;
        for (int i = 0; i < runs; ++i) {
            const double t = TimeCapture(path, width, height);
            if (t < 0) {
                ++failures;
                break;
            }
            ms.push_back(t);
        }
        if (ms.empty()) {
            std::printf("%-5s no file written\n", f.name);
            continue;
        }
        std::sort(ms.begin(), ms.end());
        std::printf("%-5s screen %d x %d, capture %d x %d, %d bits%s   median %8.1f ms   best %8.1f ms   (%zu runs)\n",
                    f.name, width, height, CaptureBitmap.Width(), CaptureBitmap.Height(), CaptureBitmap.Bits(),
                    edge ? ", edge effect" : "", ms[ms.size() / 2], ms.front(), ms.size());
    }
    ShutDown();
    uFreezeForm = nullptr;
    uMainForm = nullptr;
    return failures ? 1 : 0;
}
