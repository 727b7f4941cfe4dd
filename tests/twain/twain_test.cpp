// The scanning component against our fake source manager: every transfer
// mechanism, the states it passes through (the fake fails and logs any call
// out of order), its reports, and the ways a scan fails or is refused.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "support/vorlix_test.h"
#include "twain/twain.h"

namespace {

using twain::TTwain;
using twain::TTransferMode;

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

vt::Pixels Picture(int w, int h, int seed) {
    vt::Pixels p(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p.At(x, y) = RGB((x * 37 + seed) & 0xFF, (y * 11) & 0xFF, (x * y + seed * 7) & 0xFF);
    return p;
}

// A palette BMP: 8-bit indices (x + y) or 1-bit bits (x + y odd).
void SavePaletteBmp(const std::wstring& path, int w, int h, int bits) {
    const uint32_t stride = ((w * bits + 31) / 32) * 4, colors = 1u << bits;
    std::string b(14 + 40 + colors * 4 + stride * h, '\0');
    auto put = [&](size_t at, auto v) { std::memcpy(&b[at], &v, sizeof v); };
    b[0] = 'B';
    b[1] = 'M';
    put(2, uint32_t(b.size()));
    put(10, uint32_t(14 + 40 + colors * 4));
    put(14, uint32_t(40));
    put(18, int32_t(w));
    put(22, int32_t(h));
    put(26, uint16_t(1));
    put(28, uint16_t(bits));
    for (uint32_t i = 0; i < colors; ++i) put(54 + i * 4, uint32_t(bits == 1 ? (i ? 0xFFFFFF : 0) : i * 0x010101));
    char* rows = &b[14 + 40 + colors * 4];
    for (int y = 0; y < h; ++y) {
        char* row = rows + size_t(h - 1 - y) * stride;  // bottom-up
        for (int x = 0; x < w; ++x) {
            if (bits == 8) row[x] = char((x + y) & 0xFF);
            else if ((x + y) & 1) row[x / 8] |= char(0x80 >> (x % 8));
        }
    }
    ASSERT_TRUE(vt::WriteFileBytes(path, b));
}

struct Report {
    int type, code;
    std::wstring misc;
};

class Scanning : public ::testing::Test {
protected:
    void SetUp() override {
        scratch = vt::ScratchDir();
        script = vt::Join(scratch, L"script.txt");
        log = vt::Join(scratch, L"twain.log");
        envScript = std::make_unique<vt::ScopedEnv>(L"VORLIX_TWAIN_SCRIPT", script);
        envLog = std::make_unique<vt::ScopedEnv>(L"VORLIX_TWAIN_LOG", log);
        // Under another name: Wine would load its own library for any
        // file called twain_32.dll.
        library = vt::Join(scratch, L"fake_dsm.dll");
        ASSERT_TRUE(vt::CopyFileTo(vt::Join(vt::BinDir(), L"fake-twain\\twain_32.dll"), library));
        Fresh();
    }
    // A new component and an empty log (the script stays).
    void Fresh() {
        if (twain) {
            EXPECT_EQ(Log().find("SEQERROR"), std::string::npos) << Log();
        }
        DeleteFileW(log.c_str());
        twain = std::make_unique<TTwain>(nullptr);
        twain->SetLibraryPath(library);
        twain->MessageLevel = twain::TMessageLevel::mlFull;
        twain->OnMessage = [this](twain::TMessageType t, int code, const std::wstring& misc) {
            reports.push_back({t, code, misc});
        };
        twain->OnChangeBitmap = [this] {
            auto p = vt::BitmapPixels(twain->ScannedBmp.Handle());
            if (p) scans.push_back(*p);
        };
        twain->OnUserError = [this](const std::wstring& text) { userErrors.push_back(text); };
    }
    void TearDown() override {
        twain.reset();
        EXPECT_EQ(Log().find("SEQERROR"), std::string::npos) << Log();
    }

    void Script(const std::string& text) { ASSERT_TRUE(vt::WriteFileBytes(script, text)); }
    std::string Image(const std::wstring& name, const vt::Pixels& p) {
        const std::wstring path = vt::Join(scratch, name);
        EXPECT_TRUE(vt::SaveBmp(p, path));
        return Ansi(path);
    }
    std::string Log() { return vt::ReadFileBytes(log); }
    bool Reported(int code) const {
        for (const auto& r : reports)
            if (r.code == code) return true;
        return false;
    }
    std::wstring Misc(int code) const {
        for (const auto& r : reports)
            if (r.code == code) return r.misc;
        return L"<none>";
    }
    void ExpectAllClosed() {
        EXPECT_FALSE(twain->SourceIsOpen());
        EXPECT_FALSE(twain->ManagerIsOpen());
        EXPECT_NE(Log().find("MSG=0x0302"), std::string::npos) << "the manager was closed";
    }

    std::wstring scratch, script, log, library;
    std::unique_ptr<vt::ScopedEnv> envScript, envLog;
    std::unique_ptr<TTwain> twain;
    std::vector<Report> reports;
    std::vector<vt::Pixels> scans;
    std::vector<std::wstring> userErrors;
};

bool Same(const vt::Pixels& a, const vt::Pixels& b) {
    return a.width == b.width && a.height == b.height && a.data == b.data;
}

TEST_F(Scanning, NativeTransferDeliversTheImageAndClosesEverything) {
    const vt::Pixels picture = Picture(37, 23, 1);
    Script("image native " + Image(L"a.bmp", picture) + "\n");
    EXPECT_TRUE(twain->Acquire());
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_TRUE(Same(scans[0], picture));
    ExpectAllClosed();
    const std::string l = Log();
    EXPECT_NE(l.find("APP Manufacturer=VORLIX Family=Image Capture Product=Screen Capture Info=Vorlix Tessavue "
                     "Version=1.5 Language=6 Country=49 Protocol=1.8 Groups=3"),
              std::string::npos)
        << l;
    EXPECT_NE(l.find("ENABLE ShowUI=1 ModalUI=0"), std::string::npos);
    EXPECT_NE(l.find("SETCAP 259 type=4 value=0"), std::string::npos) << "native transfer asked for";
    for (int code : {-1, -12, -20, -38, -40, -24, -18, -9}) EXPECT_TRUE(Reported(code)) << code;
    EXPECT_EQ(Misc(-40), L"0");
}

TEST_F(Scanning, EveryPendingImageIsHandedOver) {
    std::string s;
    for (int i = 0; i < 3; ++i) s += "image native " + Image(L"p" + std::to_wstring(i) + L".bmp", Picture(8 + i, 5, i)) + "\n";
    Script(s);
    EXPECT_TRUE(twain->Acquire());
    ASSERT_EQ(scans.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(Same(scans[i], Picture(8 + i, 5, i))) << i;
    ExpectAllClosed();
}

TEST_F(Scanning, NativeTransfersThatHandOverABitmapAreDeliveredToo) {
    // Sources in the field (Wine's camera source among them) hand over a
    // bitmap instead of a DIB block: a top-down DIB section, a device-
    // dependent bitmap, and a DIB section of 8 bits with its colour table.
    const vt::Pixels a = Picture(37, 23, 1), b = Picture(16, 9, 2);
    SavePaletteBmp(vt::Join(scratch, L"grey.bmp"), 13, 7, 8);
    const std::optional<vt::Pixels> grey = vt::LoadBmp(vt::Join(scratch, L"grey.bmp"));
    ASSERT_TRUE(grey);
    Script("image bitmap " + Image(L"a.bmp", a) + "\nimage ddb " + Image(L"b.bmp", b) + "\nimage bitmap " +
           Ansi(vt::Join(scratch, L"grey.bmp")) + "\n");
    EXPECT_TRUE(twain->Acquire());
    EXPECT_TRUE(userErrors.empty());
    ASSERT_EQ(scans.size(), 3u);
    EXPECT_TRUE(Same(scans[0], a));
    EXPECT_TRUE(Same(scans[1], b));
    EXPECT_TRUE(Same(scans[2], *grey));
    ExpectAllClosed();
}

TEST_F(Scanning, ASourceWhoseCountNeverGoesDownStillEnds) {
    // After its last image the source reports one more, for ever; the next
    // transfer fails (as Wine's camera source does), or hands over the last
    // image again. Either way the scan ends, and the image arrives once.
    for (const char* stuck : {"fail", "repeat"}) {
        SCOPED_TRACE(stuck);
        scans.clear();
        Script(std::string("stuck ") + stuck + "\nimage native " + Image(L"s.bmp", Picture(6, 4, 3)) + "\n");
        Fresh();
        EXPECT_TRUE(twain->Acquire());
        EXPECT_EQ(scans.size(), 1u);
        ExpectAllClosed();
    }
}

TEST_F(Scanning, FileTransferUsesTheTemporaryFileByDefault) {
    const vt::Pixels picture = Picture(19, 31, 4);
    Script("image file " + Image(L"f.bmp", picture) + "\n");
    twain->TransferMode = TTransferMode::tmFile;
    EXPECT_TRUE(twain->Acquire());
    ASSERT_EQ(scans.size(), 1u);
    EXPECT_TRUE(Same(scans[0], picture));
    EXPECT_TRUE(vt::SamePath(twain->FileName, vt::Join(vt::TempDir(), L"_scan_transfer_.bmp")));
    EXPECT_NE(Log().find("SETUPFILE " + Ansi(twain->FileName) + " format=2"), std::string::npos);
    ExpectAllClosed();
}

TEST_F(Scanning, MemoryTransfersAssembleStripsWhateverTheSourcePrefers) {
    const vt::Pixels picture = Picture(21, 17, 9);
    const std::string path = Image(L"m.bmp", picture);
    // 21 pixels are 63 bytes; the DIB's rows are 64.
    for (const char* keys : {"preferred=200", "preferred=0", "length=-1 preferred=128", "bpr=70 preferred=300",
                             "bpr=63 preferred=63"}) {
        SCOPED_TRACE(keys);
        scans.clear();
        Script("cap 0x0102 0\nimage memory " + path + " " + keys + "\n");
        Fresh();
        twain->TransferMode = TTransferMode::tmMemory;
        EXPECT_TRUE(twain->Acquire());
        ASSERT_EQ(scans.size(), 1u);
        EXPECT_TRUE(Same(scans[0], picture));
        ExpectAllClosed();
        EXPECT_EQ(Log().find("SEQERROR"), std::string::npos);
    }
}

TEST_F(Scanning, MemoryTransfersOfGreyAndBlackAndWhite) {
    SavePaletteBmp(vt::Join(scratch, L"g.bmp"), 13, 7, 8);
    SavePaletteBmp(vt::Join(scratch, L"b.bmp"), 13, 7, 1);
    struct {
        const char* what;
        std::wstring file;
        std::string caps;
        COLORREF zero, one;
    } cases[] = {
        {"8 bits: a grey ramp", L"g.bmp", "", RGB(0, 0, 0), RGB(1, 1, 1)},
        {"1 bit, flavour 0: 0 is black", L"b.bmp", "cap 0x011F 0\n", RGB(0, 0, 0), RGB(255, 255, 255)},
        {"1 bit, flavour 1: 0 is white", L"b.bmp", "cap 0x011F 1\n", RGB(255, 255, 255), RGB(0, 0, 0)},
        {"1 bit, no flavour: taken as 0", L"b.bmp", "", RGB(0, 0, 0), RGB(255, 255, 255)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scans.clear();
        Script(c.caps + "image memory " + Ansi(vt::Join(scratch, c.file)) + " preferred=64\n");
        Fresh();
        twain->TransferMode = TTransferMode::tmMemory;
        EXPECT_TRUE(twain->Acquire());
        ASSERT_EQ(scans.size(), 1u);
        EXPECT_EQ(scans[0].At(0, 0), c.zero);
        EXPECT_EQ(scans[0].At(1, 0), c.one);
        if (std::string(c.what).rfind("8", 0) == 0) {
            EXPECT_EQ(scans[0].At(5, 6), RGB(11, 11, 11));
        }
        ExpectAllClosed();
    }
}

TEST_F(Scanning, AFailedOrRefusedStepUnwindsToAClosedManager) {
    const std::string image = "image native " + Image(L"x.bmp", Picture(4, 4, 0)) + "\n";
    struct {
        const char* what;
        std::string script;
        bool started;
        int code;
    } cases[] = {
        {"source does not open", "fail 0x0003 0x0401 1\n", false, -13},
        {"source does not open (other code)", "fail 0x0003 0x0401 2\n", false, -14},
        {"transfer mechanism refused", "fail 0x0001 0x0006 1\n", false, -31},
        {"source does not enable", "fail 0x0009 0x0502 1\n", false, -22},
        {"native transfer fails", "fail 0x0104 0x0001 1\n", true, -43},
        {"native transfer cancelled", "fail 0x0104 0x0001 3\n", true, -41},
        {"user closes the source's dialog", "events closereq\n", true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        scans.clear();
        reports.clear();
        Script(c.script + image);
        Fresh();
        EXPECT_EQ(twain->Acquire(), c.started);
        EXPECT_TRUE(scans.empty());
        if (c.code) {
            EXPECT_TRUE(Reported(c.code));
        }
        EXPECT_FALSE(twain->SourceIsOpen());
        EXPECT_FALSE(twain->ManagerIsOpen());
        EXPECT_EQ(Log().find("SEQERROR"), std::string::npos) << Log();
    }
}

TEST_F(Scanning, ADamagedImageIsRefusedWithAMessage) {
    // A header that claims 4000 x 4000 pixels in a block of a few bytes, and
    // one that declares a billion colours.
    std::string huge(40 + 16, '\0'), colors(40 + 16, '\0');
    auto put = [](std::string& b, size_t at, auto v) { std::memcpy(&b[at], &v, sizeof v); };
    for (std::string* b : {&huge, &colors}) {
        put(*b, 0, uint32_t(40));
        put(*b, 4, int32_t(2));
        put(*b, 8, int32_t(2));
        put(*b, 12, uint16_t(1));
        put(*b, 14, uint16_t(24));
    }
    put(huge, 4, int32_t(4000));
    put(huge, 8, int32_t(4000));
    put(colors, 32, uint32_t(1000000000));
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(scratch, L"huge.dib"), huge));
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(scratch, L"colors.dib"), colors));
    Script("image raw " + Ansi(vt::Join(scratch, L"huge.dib")) + "\nimage raw " +
           Ansi(vt::Join(scratch, L"colors.dib")) + "\n");
    EXPECT_TRUE(twain->Acquire());
    EXPECT_TRUE(scans.empty());
    EXPECT_EQ(userErrors.size(), 2u);
    ExpectAllClosed();
}

TEST_F(Scanning, ScansOfMorePixelsThanTheProgramTakesAreRefused) {
    // 8193 x 8192, one row beyond the bound: a 1-bit block of 8 MiB handed
    // over natively (refused with the damaged-scan message), and an RLE file
    // of 1,080 bytes by file transfer (refused like an unreadable file).
    const int32_t w = 8193, h = 8192;
    const uint32_t stride = (w + 31) / 32 * 4;
    std::string block(40 + 8 + size_t(stride) * h, '\0');
    const auto put = [&](size_t at, auto v) { std::memcpy(&block[at], &v, sizeof v); };
    put(0, uint32_t(40));
    put(4, w);
    put(8, h);
    put(12, uint16_t(1));
    put(14, uint16_t(1));
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(scratch, L"wide.dib"), block));
    Script("image raw " + Ansi(vt::Join(scratch, L"wide.dib")) + "\n");
    EXPECT_TRUE(twain->Acquire());
    EXPECT_TRUE(scans.empty());
    EXPECT_EQ(userErrors.size(), 1u);
    ExpectAllClosed();

    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(scratch, L"rle.bmp"), vt::EmptyRleBmp(w, h)));
    Script("image file " + Ansi(vt::Join(scratch, L"rle.bmp")) + "\n");
    Fresh();
    twain->TransferMode = TTransferMode::tmFile;
    EXPECT_TRUE(twain->Acquire());
    EXPECT_TRUE(scans.empty());
    ExpectAllClosed();
}

TEST_F(Scanning, WithoutAManagerNothingHappens) {
    twain->SetLibraryPath(L"");
    EXPECT_FALSE(twain->Acquire());
    twain->SelectSource();
    EXPECT_TRUE(Reported(-5));
    EXPECT_TRUE(scans.empty());
    // A file that is no library.
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(scratch, L"twain_32.dll"), "not a library"));
    twain->SetLibraryPath(vt::Join(scratch, L"twain_32.dll"));
    EXPECT_FALSE(twain->Acquire());
    EXPECT_TRUE(Reported(-4));
}

TEST_F(Scanning, SelectingASource) {
    struct {
        const char* answer;
        int code;
    } cases[] = {{"cancel", -28}, {"fail", -29}, {"ok", -27}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        reports.clear();
        Script(std::string("source Flatbed 9\nselect ") + c.answer + "\n");
        twain->SelectSource();
        EXPECT_TRUE(Reported(c.code));
        EXPECT_FALSE(twain->ManagerIsOpen());
        // The manager keeps the choice as its default; the component forgets
        // the identity when the manager closes.
        EXPECT_EQ(twain->SourceIdentity().ProductName[0], 0);
    }
    // The chosen source is the one opened next.
    Script("image native " + Image(L"s.bmp", Picture(3, 3, 3)) + "\n");
    EXPECT_TRUE(twain->Acquire());
    EXPECT_NE(Log().find("OPEN Flatbed 9"), std::string::npos) << Log();
    EXPECT_EQ(scans.size(), 1u);
}

TEST_F(Scanning, NothingElseRunsWhileASourceIsOpen) {
    Script("image native " + Image(L"a.bmp", Picture(5, 5, 5)) + "\nimage native " + Image(L"b.bmp", Picture(6, 5, 5)) + "\n");
    bool secondAcquire = true;
    // The first of two images arrives while the source is still open (the
    // last one only after everything closed).
    twain->OnChangeBitmap = [&] {
        scans.emplace_back();
        if (scans.size() > 1) return;
        twain->SelectSource();
        secondAcquire = twain->Acquire();
    };
    EXPECT_TRUE(twain->Acquire());
    EXPECT_EQ(scans.size(), 2u);
    EXPECT_TRUE(Reported(-26)) << "selection refused during the scan";
    EXPECT_FALSE(secondAcquire);
    ExpectAllClosed();
}

TEST_F(Scanning, QuitDuringAScanClosesTheSourceAndKeepsTheQuitMessage) {
    Script("events\nimage native " + Image(L"a.bmp", Picture(5, 5, 5)) + "\n");  // the source never sends anything
    PostQuitMessage(7);
    EXPECT_TRUE(twain->Acquire());
    ExpectAllClosed();
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the quit message is still there";
    EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Scanning, TheFeederIsSwitchedOnWhenAsked) {
    Script("cap 0x1002 0\ncap 0x1007 0\nimage native " + Image(L"a.bmp", Picture(5, 5, 5)) + "\n");
    twain->AutoFeed = true;
    EXPECT_TRUE(twain->Acquire());
    EXPECT_NE(Log().find("SETCAP 4098 type=6 value=1"), std::string::npos);
    EXPECT_NE(Log().find("SETCAP 4103 type=6 value=1"), std::string::npos);
    EXPECT_EQ(scans.size(), 1u);

    reports.clear();
    Script("cap 0x1002 1\nimage native " + Image(L"a.bmp", Picture(5, 5, 5)) + "\n");  // no auto-feed capability
    Fresh();
    twain->AutoFeed = true;
    EXPECT_FALSE(twain->Acquire());
    EXPECT_EQ(Misc(-34), L"CAP_AUTOFEED");
    EXPECT_FALSE(twain->ManagerIsOpen());
}

}  // namespace
