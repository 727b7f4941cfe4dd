// Auto-scroll stitching benchmark: documents of 2,500, 10,000 and 40,000 rows
// in the scrollable test window (on a thread of this process), stitched with
// the marker (the window moves its pixels) and with row comparison (the
// window repaints). The time the window spends scrolling and painting (each
// line-down, with the wait after it) is taken out; what remains is the
// stitching, including making the bitmap. Prints the time per 1,000 rows of
// the document and per 1,000 rows brought in by scrolling (the first view
// costs no step), the peak memory against the final image, and the ratios
// between the longest and the shortest document. With SCROLL_BENCH_DUMP set,
// the first run of each marker case leaves its image in the current folder as
// stitched-ROWSxWIDTH.bgra (top-down 32-bit pixels), for the script to time
// ImageMagick joining the same pixels from strips of the same height.
//
//   scroll_bench                 every case, each in a process of its own
//   scroll_bench ROWS marker|rows [runs]   one case (used by the above)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "capture/scroll_stitch.h"
#include "capture/window_stitching.h"
#include "bench_clock.h"
#include "scroll_window/scroll_window.h"

namespace {

constexpr int ClientWidth = 800, ClientHeight = 600, LineStep = 20;
const int Lengths[] = {2500, 10000, 40000};

// The window's own time: every line-down is timed and left out.
class TimedTarget : public scroll::ScrollTarget {
public:
    explicit TimedTarget(WindowScrollTarget& inner) : in_(inner) {}
    int Width() const override { return in_.Width(); }
    int Height() const override { return in_.Height(); }
    const uint32_t* ReadRows(int top, int count) override {
        const double start = BenchNow();
        const uint32_t* rows = in_.ReadRows(top, count);
        readMs += BenchNow() - start;
        return rows;
    }
    const uint32_t* ReadColumn(int x, int count) override {
        const double start = BenchNow();
        const uint32_t* column = in_.ReadColumn(x, count);
        readMs += BenchNow() - start;
        return column;
    }
    bool PlaceMarker(int x, int y, uint32_t& value) override { return in_.PlaceMarker(x, y, value); }
    void RestoreMarker(int x, int y) override { in_.RestoreMarker(x, y); }
    void MarkerLost() override { in_.MarkerLost(); }
    bool Step() override {
        const double start = BenchNow();
        const bool answered = in_.Step();
        windowMs += BenchNow() - start;
        return answered;
    }
    int Poll() override { return 0; }

    double windowMs = 0;
    double readMs = 0;  // reading the window (part of ours)

private:
    WindowScrollTarget& in_;
};

void Dump(const ui::Bitmap& image, int rows) {
    const std::string name = "stitched-" + std::to_string(rows) + "x" + std::to_string(image.Width()) + ".bgra";
    FILE* f = std::fopen(name.c_str(), "wb");
    if (!f) return;
    for (int y = 0; y < image.Height(); ++y) std::fwrite(image.ScanLine(y), 4, size_t(image.Width()), f);
    std::fclose(f);
}

struct Memory {
    size_t workingSet, peakWorkingSet, commit, peakCommit;
};

Memory ReadMemory() {
    PROCESS_MEMORY_COUNTERS c{};
    c.cb = sizeof c;
    GetProcessMemoryInfo(GetCurrentProcess(), &c, sizeof c);
    return {c.WorkingSetSize, c.PeakWorkingSetSize, c.PagefileUsage, c.PeakPagefileUsage};
}

// One case: prints "rows ms peakWorkingSetRatio peakCommitRatio method steps viewHeight".
int RunCase(int rows, bool repaint, int runs) {
    scrollwin::Options o;
    o.rows = rows;
    o.lineStep = LineStep;
    o.repaint = repaint;
    o.caption = false;
    o.x = 0;
    o.y = 0;
    o.clientWidth = ClientWidth;
    o.clientHeight = ClientHeight;

    std::optional<scrollwin::ScrollWindowThread> window;
    double best = 1e300;
    Memory before{}, after{};
    int imageRows = 0, width = 0, steps = 0, view = 0;
    scroll::Method method = scroll::Method::Marker;
    for (int run = 0; run < runs; ++run) {
        // A fresh window, at the top of its document, for every run.
        window.reset();
        window.emplace(o);
        if (!window->Handle()) return 1;
        Sleep(200);
        WindowScrollTarget target(window->Handle(), ScrollAreaOf(window->Handle()));
        view = target.Height();
        target.stepWait = 0;
        TimedTarget timed(target);
        if (run == 0) before = ReadMemory();
        const double start = BenchNow();
        GrowingRowStore store(target.Width(), scroll::MaxImageRows);
        const scroll::Outcome outcome = scroll::Stitch(timed, store);
        ui::Bitmap image;
        imageRows = store.Rows();
        width = store.Width();
        const double stitched = BenchNow();
        const bool made = store.MakeBitmap(image);
        const double ms = BenchNow() - start - timed.windowMs;
        if (std::getenv("SCROLL_BENCH_VERBOSE"))
            std::fprintf(stderr, "  %d rows, run %d: stitching %.1f ms (reading the window %.1f ms), window %.1f ms, bitmap %.1f ms\n",
                         rows, run, stitched - start - timed.windowMs, timed.readMs, timed.windowMs, BenchNow() - stitched);
        if (run == 0) after = ReadMemory();
        if (run == 0 && !repaint && std::getenv("SCROLL_BENCH_DUMP") && made) Dump(image, rows);
        if (!made || outcome.code != scroll::Finished || imageRows != rows) {
            std::fprintf(stderr, "run failed: code %d, %d rows of %d\n", outcome.code, imageRows, rows);
            return 1;
        }
        best = std::min(best, ms);
        method = outcome.method;
        steps = outcome.steps;
    }
    const double image = double(width) * imageRows * 4;
    std::printf("%d %.3f %.3f %.3f %s %d %d\n", rows, best,
                double(after.peakWorkingSet - before.workingSet) / image, double(after.peakCommit - before.commit) / image,
                method == scroll::Method::Marker ? "marker" : "rows", steps, view);
    return 0;
}

struct Result {
    int rows = 0;
    double ms = 0, peakWorkingSet = 0, peakCommit = 0;
    char method[16] = {};
    int steps = 0, view = 0;
    double PerDocument() const { return ms * 1000.0 / rows; }
    double PerScrolled() const { return ms * 1000.0 / (rows - view); }
};

bool RunChild(int rows, bool repaint, Result& result) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(self) + L"\" " + std::to_wstring(rows) + (repaint ? L" rows 5" : L" marker 5");
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &sa, 0)) return false;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(write);
    std::string out;
    if (started) {
        char buffer[256];
        DWORD n = 0;
        while (ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0) out.append(buffer, n);
        WaitForSingleObject(pi.hProcess, INFINITE);
        CloseHandle(pi.hProcess);
        CloseHandle(pi.hThread);
    }
    CloseHandle(read);
    return started && std::sscanf(out.c_str(), "%d %lf %lf %lf %15s %d %d", &result.rows, &result.ms,
                                  &result.peakWorkingSet, &result.peakCommit, result.method, &result.steps,
                                  &result.view) == 7;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc >= 3) return RunCase(_wtoi(argv[1]), std::wstring(argv[2]) == L"rows", argc > 3 ? _wtoi(argv[3]) : 5);

    std::printf("Auto-scroll stitching, view %d x %d, %d pixels per line-down (the window's own time taken out)\n",
                ClientWidth, ClientHeight, LineStep);
    std::printf("%-7s %6s %6s %9s %16s %16s %12s %12s\n", "method", "rows", "steps", "ms", "ms/1000 rows",
                "ms/1000 scrolled", "peak WS/img", "peak mem/img");
    bool ok = true;
    for (const bool repaint : {false, true}) {
        std::vector<Result> results;
        for (const int rows : Lengths) {
            Result r;
            if (!RunChild(rows, repaint, r)) {
                std::printf("%-7s %6d  failed\n", repaint ? "rows" : "marker", rows);
                ok = false;
                continue;
            }
            std::printf("%-7s %6d %6d %9.1f %16.3f %16.3f %11.2fx %11.2fx\n", r.method, r.rows, r.steps, r.ms,
                        r.PerDocument(), r.PerScrolled(), r.peakWorkingSet, r.peakCommit);
            results.push_back(r);
        }
        if (results.size() != std::size(Lengths)) continue;
        const Result &shortest = results.front(), &longest = results.back();
        double worst = 0;
        for (const Result& r : results) worst = std::max({worst, r.peakWorkingSet, r.peakCommit});
        const double perDocument = longest.PerDocument() / shortest.PerDocument();
        const double perScrolled = longest.PerScrolled() / shortest.PerScrolled();
        std::printf("%-7s %d rows against %d: per 1,000 rows %.2fx, per 1,000 scrolled rows %.2fx (limit 1.20x); "
                    "peak memory at most %.2fx the image (limit 1.50x)\n",
                    longest.method, longest.rows, shortest.rows, perDocument, perScrolled, worst);
        ok = ok && std::min(perDocument, perScrolled) <= 1.2 && worst <= 1.5;
    }
    return ok ? 0 : 3;
}
