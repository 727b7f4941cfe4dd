// The real program printing handed-over images on a real PDF printer (a
// private CUPS with cups-pdf that the ctest fixture runs; Wine's spooler
// reaches it through CUPS_SERVER). The printed PDF pages are rendered on the
// host (pdftoppm) and read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <winspool.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <optional>

#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

std::wstring Env(const wchar_t* name) {
    wchar_t v[2048];
    const DWORD n = GetEnvironmentVariableW(name, v, 2048);
    return n && n < 2048 ? std::wstring(v) : std::wstring();
}

std::string Narrow(const std::wstring& s) { return std::string(s.begin(), s.end()); }

// A page rendered by pdftoppm (binary PPM).
struct Page {
    int width = 0, height = 0;
    std::string rgb;
    COLORREF At(int x, int y) const {
        const size_t i = (size_t(y) * size_t(width) + size_t(x)) * 3;
        return RGB(uint8_t(rgb[i]), uint8_t(rgb[i + 1]), uint8_t(rgb[i + 2]));
    }
    bool White(int x, int y) const { return At(x, y) == RGB(255, 255, 255); }
};

std::optional<Page> ReadPpm(const std::string& bytes) {
    Page p;
    int maxval = 0, used = 0;
    if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &p.width, &p.height, &maxval, &used) != 3 || maxval != 255)
        return std::nullopt;
    p.rgb = bytes.substr(size_t(used) + 1);
    if (p.rgb.size() < size_t(p.width) * size_t(p.height) * 3) return std::nullopt;
    return p;
}

// Colours of the stripes, far apart so that the PDF's image compression and
// the rendering cannot mistake one for another.
const COLORREF kPalette[] = {RGB(220, 20, 20), RGB(20, 160, 20), RGB(20, 20, 220), RGB(230, 200, 0),
                             RGB(200, 0, 200), RGB(0, 190, 200), RGB(40, 40, 40)};

int PaletteIndex(COLORREF c) {
    for (int i = 0; i < int(std::size(kPalette)); ++i) {
        const COLORREF p = kPalette[i];
        if (std::abs(GetRValue(c) - GetRValue(p)) < 50 && std::abs(GetGValue(c) - GetGValue(p)) < 50 &&
            std::abs(GetBValue(c) - GetBValue(p)) < 50)
            return i;
    }
    return -1;
}

struct Stripes {
    vt::Pixels image;
    std::vector<int> colours;  // palette index of each stripe, top to bottom
};

// Horizontal stripes of varied heights; neighbours differ in colour. The
// last stripe is only `last` rows high, so losing the last rows loses it.
Stripes MakeStripes(int width, int height, int last = 4) {
    Stripes s;
    s.image = vt::Pixels(width, height);
    int y = 0;
    for (int i = 0; y < height; ++i) {
        int h = 60 + (i * 37) % 90;
        if (y + h > height - last) h = height - last - y;
        if (h <= 0) h = height - y;
        const int colour = i % int(std::size(kPalette));
        for (int r = y; r < y + h; ++r)
            for (int x = 0; x < width; ++x) s.image.At(x, r) = kPalette[colour];
        s.colours.push_back(colour);
        y += h;
    }
    return s;
}

class Printing : public ::testing::Test {
protected:
    void SetUp() override {
        state = Env(L"VORLIX_CUPS_STATE");
        unixState = Narrow(Env(L"VORLIX_CUPS_STATE_UNIX"));
        ASSERT_FALSE(state.empty() || unixState.empty()) << "run through ctest";
        run.record.PrintScaling = 1;
        run.record.PrintOrientation = 1;
        ASSERT_TRUE(Host("rm -f out/*.pdf pages-*"));
    }

    // Runs a shell script on the host in the state folder (Wine starts host
    // programs, but their end cannot be waited for: a marker file tells it).
    bool Host(const std::string& script, DWORD timeoutMs = 60000) {
        const std::wstring name = L"host-" + std::to_wstring(++hostRuns);
        const std::wstring done = vt::Join(state, name + L".done");
        DeleteFileW(done.c_str());
        const std::string body = "cd '" + unixState + "' || exit 1\nexport CUPS_SERVER='" + unixState +
                                 "/cups.sock'\n(\n" + script + "\n) >" + Narrow(name) + ".log 2>&1\necho $? >" +
                                 Narrow(name) + ".done\n";
        if (!vt::WriteFileBytes(vt::Join(state, name + L".sh"), body)) return false;
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring line = L"sh " + std::wstring(unixState.begin(), unixState.end()) + L"/" + name + L".sh";
        if (!CreateProcessW(L"Z:\\bin\\sh", line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        if (!vt::WaitUntil([&] { return !vt::ReadFileBytes(done).empty(); }, timeoutMs)) return false;
        return std::atoi(vt::ReadFileBytes(done).c_str()) == 0;
    }

    // Waits for n printed jobs and renders them at 150 dpi, in job order.
    std::vector<Page> PrintedPages(size_t n) {
        const std::string script =
            "for i in $(seq 300); do [ $(ls out/*.pdf 2>/dev/null | wc -l) -ge " + std::to_string(n) +
            " ] && [ -z \"$(lpstat -o)\" ] && break; sleep 0.1; done\n"
            "k=0; for f in $(ls out/*.pdf | sed 's/.*job_\\([0-9]*\\).*/\\1 &/' | sort -n | cut -d' ' -f2); do\n"
            "  k=$((k+1)); pdftoppm -r 150 -singlefile \"$f\" pages-$k || exit 1; done\n"
            "[ $k -eq " + std::to_string(n) + " ]";
        EXPECT_TRUE(Host(script)) << vt::ReadFileBytes(vt::Join(state, L"host-" + std::to_wstring(hostRuns) + L".log"));
        std::vector<Page> pages;
        for (size_t k = 1; k <= n; ++k) {
            auto page = ReadPpm(vt::ReadFileBytes(vt::Join(state, L"pages-" + std::to_wstring(k) + L".ppm")));
            if (page) pages.push_back(*page);
        }
        return pages;
    }

    // The printed picture on a page: the box of its non-white pixels.
    static RECT Painted(const Page& p) {
        RECT r{p.width, p.height, -1, -1};
        for (int y = 0; y < p.height; y += 1)
            for (int x = 0; x < p.width; x += 2)
                if (!p.White(x, y)) {
                    r.left = std::min<LONG>(r.left, x);
                    r.top = std::min<LONG>(r.top, y);
                    r.right = std::max<LONG>(r.right, x + 1);
                    r.bottom = std::max<LONG>(r.bottom, y + 1);
                }
        return r;
    }

    void Print(const vt::Pixels& image, const vt::Environment& env = {}) {
        vt::Environment all = {{L"CUPS_SERVER", Env(L"CUPS_SERVER")}};
        all.insert(all.end(), env.begin(), env.end());
        ASSERT_TRUE(run.Start(L"Vorlix.exe", all));
        EXPECT_TRUE(run.HandOver(image, WM_HANDOVER_PRINTER)) << "not taken";
    }

    // The printer's page in printer pixels, as the program sees it.
    static SIZE PageSize() {
        wchar_t name[256];
        DWORD size = 256;
        if (!GetDefaultPrinterW(name, &size)) return {};
        HDC dc = CreateDCW(L"WINSPOOL", name, nullptr, nullptr);
        if (!dc) return {};
        const SIZE s{GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, VERTRES)};
        DeleteDC(dc);
        return s;
    }

    std::wstring state;
    std::string unixState;
    int hostRuns = 0;
    vt::Program run;
};

TEST_F(Printing, ProportionalLandscapeSlicesHoldEveryStripeOnceInOrder) {
    const SIZE portrait = PageSize();
    ASSERT_GT(portrait.cx, 0);
    const SIZE page{portrait.cy, portrait.cx};  // landscape
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    const double scale = double(page.cx) / screen;
    const int rowsPerPage = int(page.cy / scale);
    // An image as wide as the screen whose scaled height is a whole number
    // of pages although its rows do not fill whole pages: the last rows then
    // need a page of their own (A4 at 300 dpi on a 1024 screen: 2171 rows,
    // three pages and two rows). Where no such height is near, 2.5 pages.
    int height = int(2.5 * page.cy / scale), last = 4;
    for (int n = 2; n <= 6; ++n) {
        for (int h = n * rowsPerPage + 1; double(h) * scale < double(n * page.cy + 1); ++h) {
            if (int(double(h) * scale) == n * page.cy) {
                height = h;
                last = h - n * rowsPerPage;
            }
        }
        if (last != 4) break;
    }
    std::printf("image height %d, last rows %d\n", height, last);
    run.record.PrintOrientation = 2;
    const Stripes stripes = MakeStripes(screen, height, last);
    Print(stripes.image);
    const size_t expectedPages = size_t((height + rowsPerPage - 1) / rowsPerPage);
    const auto pages = PrintedPages(expectedPages);
    ASSERT_EQ(pages.size(), expectedPages);

    std::vector<int> seen;
    int paintedHeight = 0;
    for (const Page& p : pages) {
        EXPECT_GT(p.width, p.height) << "landscape";
        const RECT r = Painted(p);
        ASSERT_GE(r.right, 0) << "an empty page";
        // As wide as the page, from its top left.
        EXPECT_LE(r.left, 2);
        EXPECT_LE(r.top, 2);
        EXPECT_GE(r.right, p.width - 3);
        paintedHeight += r.bottom - r.top;
        // The stripes down the middle of the page: runs of one colour at
        // least two pixels high (edges may blend).
        int run = -1, length = 0;
        for (int y = r.top; y < r.bottom; ++y) {
            const int c = PaletteIndex(p.At(p.width / 2, y));
            length = c == run ? length + 1 : 1;
            run = c;
            if (c >= 0 && length == 2 && (seen.empty() || seen.back() != c)) seen.push_back(c);
        }
    }
    EXPECT_EQ(seen, stripes.colours);
    // The whole scaled height, rendered at half the printer's resolution.
    EXPECT_NEAR(paintedHeight, height * scale / 2, pages[0].height * 0.02);
    EXPECT_EQ(vt::FindMessageBox(run.process.Id()), nullptr);
}

TEST_F(Printing, HalfTheScreenIsHalfThePageAndFitFillsAPortraitPage) {
    const int screen = GetSystemMetrics(SM_CXSCREEN);
    Print(MakeStripes(screen / 2, 300).image);
    auto pages = PrintedPages(1);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_LT(pages[0].width, pages[0].height) << "portrait";
    RECT r = Painted(pages[0]);
    EXPECT_NEAR(r.right - r.left, pages[0].width / 2, pages[0].width * 0.01);
    run.Stop();

    // Fit to page: one job, a wide picture stretched over the whole
    // portrait page.
    ASSERT_TRUE(Host("rm -f out/*.pdf pages-*"));
    run.record.PrintScaling = 2;
    const Stripes tall = MakeStripes(900, 240);
    Print(tall.image);
    pages = PrintedPages(1);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_LT(pages[0].width, pages[0].height) << "portrait";
    r = Painted(pages[0]);
    EXPECT_LE(r.left, 2);
    EXPECT_LE(r.top, 2);
    EXPECT_GE(r.right, pages[0].width - 3);
    EXPECT_GE(r.bottom, pages[0].height - 3);
    EXPECT_EQ(PaletteIndex(pages[0].At(pages[0].width / 2, r.top + 3)), tall.colours.front());
    EXPECT_EQ(PaletteIndex(pages[0].At(pages[0].width / 2, r.bottom - 2)), tall.colours.back());
}

TEST_F(Printing, AJobTheSpoolerCannotStartShowsTheFailure) {
    // The spooler cannot start the job (its spool folder is unusable): the
    // program says so instead of reporting success.
    wchar_t windows[MAX_PATH];
    GetWindowsDirectoryW(windows, MAX_PATH);
    const std::wstring spool = std::wstring(windows) + L"\\system32\\spool\\printers";
    struct SpoolFolderBlocked {
        std::wstring folder, kept;
        explicit SpoolFolderBlocked(std::wstring f) : folder(std::move(f)), kept(folder + L".kept") {
            MoveFileW(folder.c_str(), kept.c_str());
            vt::WriteFileBytes(folder, "");
        }
        ~SpoolFolderBlocked() {
            DeleteFileW(folder.c_str());
            MoveFileW(kept.c_str(), folder.c_str());
        }
    } blocked(spool);
    ASSERT_TRUE(vt::FileExists(spool));
    ASSERT_TRUE(run.Start(L"Vorlix.exe", {{L"CUPS_SERVER", Env(L"CUPS_SERVER")}}));
    EXPECT_EQ(run.HandOverForMessage(WM_HANDOVER_PRINTER), L"Vorlix cannot print/fax your image.");
}

}  // namespace
