// The Web destination: its checks and messages, the name prompt and the
// uploader's command line inside the test process (the recorder stands in for
// trabbon.exe), then real uploads by the real program through trabbon.exe to
// the FTP server that the ctest fixture runs on 127.0.0.1.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <optional>

#include "base/globals.h"
#include "app/main_window.h"
#include "base/files.h"
#include "base/programs.h"
#include "delivery/command_line.h"
#include "delivery/image_savers.h"
#include "delivery/web_destination.h"
#include "destinations/harness.h"
#include "passive_reply.h"
#include "support/program.h"
#include "support/vorlix_test.h"
#include "ui/text_convert.h"

namespace {

const wchar_t kCaption[] = L"Vorlix Message";
const wchar_t kPromptCaption[] = L"Vorlix - Send To Web";
const wchar_t kPassword[] = L"se cr\"et";  // the fixture's, with a blank and a double quote

// ---- Inside the test process --------------------------------------------------

class WebDestination : public ::testing::Test {
protected:
    void SetUp() override {
        harness::EnsureWindows();
        InitFolders();
        scratch = vt::ScratchDir();
        temp = vt::Join(scratch, L"temp") + L"\\";
        program = vt::Join(scratch, L"program") + L"\\";
        ASSERT_TRUE(vt::MakeDirs(temp));
        ASSERT_TRUE(vt::MakeDirs(program));
        TempFolder = temp;
        ProgramFolder = program;
        log = vt::Join(scratch, L"recorder.log");
        ASSERT_FALSE(vt::CopyRecorderAs(program + L"trabbon.exe").empty());

        std::memset(&Config, 0, sizeof Config);
        SetLiveDefaults();
        Config.NoticeSlideIn = 0;
        Config.NoticeSound = 0;
        Config.FtpServer = "ftp.example.org";
        Config.FtpPort = 21;
        Config.FtpPassive = 0;
        Config.FtpProgress = 1;
        Config.FtpPath.clear();
        Config.FtpUserName.clear();
        Config.FtpPassword.clear();
        Config.ProxyServer.clear();
        Config.ProxyPort = 0;
        Config.WebNaming = fnFixed;
        Config.WebFileName = "upload";
        Config.WebFormat = ifPNG;
        OptionsOpen = false;
        CaptureBitmap = harness::PatternImage(31, 19, 5);
        harness::Form().noticeText.clear();
    }
    void TearDown() override {
        OptionsOpen = false;
        OptionsWebFileNameProc = nullptr;
    }

    // Runs SendToWeb while another thread answers the error boxes and, when
    // given, the prompt; returns the texts of the error boxes.
    std::vector<std::wstring> Run(bool expected,
                                  const std::function<std::wstring(const vt::MessageBoxInfo&)>& prompt = nullptr) {
        vt::BoxAnswerer answerer([&](const vt::MessageBoxInfo& box) {
            if (box.caption == kCaption) return std::wstring(L"OK");
            if (box.caption == kPromptCaption && prompt) return prompt(box);
            return std::wstring();
        });
        vt::ScopedEnv env(L"VORLIX_RECORDER_LOG", log);
        EXPECT_EQ(SendToWeb(), expected);
        std::vector<std::wstring> texts;
        for (const auto& box : answerer.Seen())
            if (box.caption == kCaption) texts.push_back(box.text);
        return texts;
    }

    std::vector<vt::RecorderRecord> Records(size_t n) {
        vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= n; }, 10000);
        return vt::ReadRecorderLog(log);
    }

    static std::wstring Notice() { return harness::Form().noticeText; }

    std::wstring scratch, temp, program, log;
};

TEST_F(WebDestination, TheCommandLineIsTheTwelveQuotedArguments) {
    // Empty folder, user, password and proxy are a quoted blank; port 21,
    // active, progress on, proxy port 0.
    EXPECT_TRUE(Run(true).empty());
    EXPECT_EQ(Notice(), L"Image sent to Web");
    auto records = Records(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(vt::SamePath(records[0].exe, program + L"trabbon.exe"));
    EXPECT_TRUE(vt::SamePath(records[0].workDir, program));
    const std::wstring file = temp + L"upload.png";
    const std::wstring line = records[0].commandLine;
    EXPECT_EQ(line.substr(line.find(L"\"ftp.example.org\"")),
              L"\"ftp.example.org\" \"21\" \" \" \"0\" \" \" \" \" \"1\" \" \" \"0\" \"" + file +
                  L"\" \"upload.png\" \"0\"");
    auto image = harness::ReadImage(file);
    ASSERT_TRUE(image);
    EXPECT_EQ(harness::MaxDifference(image->pixels, harness::PixelsOf(CaptureBitmap)), 0);

    // Every setting filled; a double quote, blanks and backslashes in the
    // values do not shift the arguments. Automatic naming asks nothing.
    Config.FtpServer = "127.0.0.1";
    Config.FtpPort = 255;
    Config.FtpPassive = 7;
    Config.FtpProgress = 0;
    Config.FtpPath = "pub\\\"in box\\";
    Config.FtpUserName = "me";
    Config.FtpPassword = ui::ToAnsi(kPassword);
    Config.ProxyServer = "proxy";
    Config.ProxyPort = 8;
    Config.WebNaming = fnNumbered;
    Config.WebFormat = ifBMP;
    EXPECT_TRUE(Run(true).empty());
    records = Records(2);
    ASSERT_EQ(records.size(), 2u);
    const std::vector<std::wstring> args = vt::SplitCommandLine(records[1].commandLine);
    const std::vector<std::wstring> expected = {L"127.0.0.1", L"255", L"pub\\\"in box\\", L"1", L"me", kPassword,
                                                L"0", L"proxy", L"8", temp + L"upload.bmp", L"upload.bmp", L"1"};
    ASSERT_EQ(args.size(), 13u) << ui::ToAnsi(records[1].commandLine);
    EXPECT_EQ(std::vector<std::wstring>(args.begin() + 1, args.end()), expected);
}

TEST_F(WebDestination, MissingSettingsUploaderOrTemporaryFileCancel) {
    struct Case {
        const char* what;
        std::function<void()> set;
        const wchar_t* message;
    };
    const Case cases[] = {
        {"no server", [] { Config.FtpServer.clear(); },
         L"Please enter your FTP server, port and path."},
        {"port 0", [] { Config.FtpPort = 0; }, L"Please enter your FTP server, port and path."},
        {"no uploader", [this] { DeleteFileW((program + L"trabbon.exe").c_str()); },
         L"A file is missing. Please reinstall Vorlix."},
        {"empty stored name", [] { Config.WebFileName.clear(); }, L"Temporary file cannot be saved."},
        {"stored name with a folder", [] { Config.WebFileName = "..\\up"; },
         L"Temporary file cannot be saved."},
        {"unknown format", [] { Config.WebFormat = 9; }, L"Temporary file cannot be saved."},
        {"temporary folder gone", [this] { vt::DeleteTree(temp); },
         L"Temporary file cannot be saved."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        c.set();
        EXPECT_EQ(Run(false), std::vector<std::wstring>{c.message});
        EXPECT_EQ(Notice(), L"CANCELLED");
        EXPECT_TRUE(vt::ReadRecorderLog(log).empty());
    }
    EXPECT_FALSE(vt::FileExists(vt::Join(scratch, L"up.png")));
}

TEST_F(WebDestination, ThePromptAsksAgainForAnEmptyNameAndFiltersTheName) {
    Config.WebNaming = fnAsk;
    Config.WebFileName = "preset";
    // The options dialog, when open, shows the new name.
    OptionsOpen = true;
    static int shown;
    shown = 0;
    OptionsWebFileNameProc = [] { ++shown; };
    int asked = 0;
    std::wstring preset;
    // Empty first, then only characters no file name may hold, then a name
    // that tries to leave the temporary folder.
    const std::vector<std::wstring> answers = {L"", L"\\/:", L"..\\x"};
    EXPECT_EQ(Run(true,
                  [&](const vt::MessageBoxInfo& box) {
                      HWND edit = vt::ChildWindows(box.window, L"Edit").at(0);
                      if (asked == 0) preset = vt::WindowText(edit);
                      EXPECT_NE(box.text.find(L"Prompt : "), std::wstring::npos);
                      SetWindowTextW(edit, answers.at(size_t(asked++)).c_str());
                      return std::wstring(L"OK");
                  }),
              (std::vector<std::wstring>{L"The file name can't be empty.", L"The file name can't be empty."}));
    EXPECT_EQ(preset, L"preset");
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(Config.WebFileName.str(), "..x");
    EXPECT_EQ(shown, 1);
    const auto records = Records(1);
    ASSERT_EQ(records.size(), 1u);
    const auto args = vt::SplitCommandLine(records[0].commandLine);
    ASSERT_EQ(args.size(), 13u);
    EXPECT_EQ(args[10], temp + L"..x.png");
    EXPECT_EQ(args[11], L"..x.png");
    EXPECT_TRUE(vt::FileExists(temp + L"..x.png"));
    EXPECT_FALSE(vt::FileExists(vt::Join(scratch, L"x.png")));

    // Cancel: no box, the cancelled notice, nothing started.
    EXPECT_TRUE(Run(false, [](const vt::MessageBoxInfo&) { return std::wstring(L"Cancel"); }).empty());
    EXPECT_EQ(Notice(), L"CANCELLED");
    EXPECT_EQ(vt::ReadRecorderLog(log).size(), 1u);
}

// ---- The uploader's reading of passive replies ---------------------------------------------

TEST(PassiveReply, TheSixNumbersAreFoundWhereverTheyStand) {
    using ftpreply::Endpoint;
    struct Case {
        const char* reply;
        std::optional<Endpoint> expected;
    };
    const Endpoint e{{192, 168, 1, 20}, 4 * 256 + 1};
    const Case cases[] = {
        {"227 Entering Passive Mode (192,168,1,20,4,1).", e},
        {"227 Entering Passive Mode 192,168,1,20,4,1", e},
        {"227 =192,168,1,20,4,1", e},
        {"227 Data port is 192,168,1,20,4,1 (ready at 10:30)", e},
        {"227 Entering Passive Mode (192, 168, 1, 20, 4, 1)", e},
        {"227-Passive\n227 ok (192,168,1,20,4,1)", e},
        // Numbers before the six that are not six in a row do not count.
        {"227 Mode 2, port 5: 192,168,1,20,4,1", e},
        {"227 Entering Passive Mode (192,168,1,20,4)", std::nullopt},
        {"227 Entering Passive Mode (192,168,1,256,4,1)", std::nullopt},
        {"227 Entering Passive Mode (192,168,1,20,0,0)", std::nullopt},
        {"227 Entering Passive Mode", std::nullopt},
        {"227", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        const auto got = ftpreply::ParsePassiveReply(c.reply);
        ASSERT_EQ(got.has_value(), c.expected.has_value());
        if (got) {
            EXPECT_EQ(got->address, c.expected->address);
            EXPECT_EQ(got->port, c.expected->port);
        }
    }
    EXPECT_EQ(ftpreply::ParseExtendedPassiveReply("229 Entering Extended Passive Mode (|||6446|)"), 6446);
    EXPECT_EQ(ftpreply::ParseExtendedPassiveReply("229 ok (!!!21!)."), 21);
    for (const char* bad : {"229 (|||0|)", "229 (|||70000|)", "229 (||6446|)", "229 (|||6446!)", "229 6446"})
        EXPECT_FALSE(ftpreply::ParseExtendedPassiveReply(bad)) << bad;
    EXPECT_TRUE(ftpreply::HasFeature("211-Features:\n MDTM\n epsv\n REST STREAM\n211 End", "EPSV"));
    EXPECT_FALSE(ftpreply::HasFeature("211-Features:\n EPSVX\n EPRT\n211 End", "EPSV"));
    EXPECT_FALSE(ftpreply::HasFeature("211 EPSV", "EPSV")) << "the reply's own line names no feature";
}

TEST(PassiveReply, AnAddressThatCannotBeReachedFromHereGivesWayToThePeers) {
    using A = ftpreply::Address;
    struct Case {
        A reply, peer;
        bool viaProxy, usePeer;
    };
    const A publicServer{203, 0, 113, 5}, otherPublic{198, 51, 100, 7}, inner{10, 9, 8, 7}, home{192, 168, 1, 2};
    const Case cases[] = {
        {publicServer, publicServer, false, false},
        {otherPublic, publicServer, false, false},   // another host the server names is taken
        {{0, 0, 0, 0}, publicServer, false, true},
        {{0, 0, 0, 0}, {127, 0, 0, 1}, false, true},
        {{224, 0, 0, 1}, publicServer, false, true},
        {inner, publicServer, false, true},          // a server behind a router
        {{172, 20, 0, 1}, publicServer, false, true},
        {{100, 64, 0, 1}, publicServer, false, true},
        {{169, 254, 3, 4}, publicServer, false, true},
        {inner, home, false, false},                 // both inside: reachable
        {inner, {127, 0, 0, 1}, true, true},         // through a proxy on this host
        {inner, publicServer, true, true},
        {{127, 0, 0, 1}, publicServer, false, true}, // the server's own loopback
        {{127, 0, 0, 2}, {127, 0, 0, 1}, false, false},
        {otherPublic, {127, 0, 0, 1}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.reply[0]) << "." << int(c.reply[1]) << " from " << int(c.peer[0])
                                        << (c.viaProxy ? " via proxy" : ""));
        EXPECT_EQ(ftpreply::UsePeerAddress(c.reply, c.peer, c.viaProxy), c.usePeer);
    }
}

// ---- The real program, the real uploader, the real server ------------------------------

// The server the fixture started: its folder (as seen from Wine), port and logs.
struct FtpServer {
    std::wstring state;
    int port = 0;
    FtpServer() {
        wchar_t v[1024];
        const DWORD n = GetEnvironmentVariableW(L"VORLIX_FTP_STATE", v, 1024);
        if (n && n < 1024) state = v;
        if (!state.empty()) port = std::atoi(vt::ReadFileBytes(vt::Join(state, L"port")).c_str());
    }
    std::wstring Root() const { return vt::Join(state, L"root"); }
    std::string Commands() const { return vt::ReadFileBytes(vt::Join(state, L"commands.log")); }
};

class Upload : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(server.state.empty()) << "VORLIX_FTP_STATE is not set: run through ctest";
        ASSERT_GT(server.port, 0);
        ASSERT_LT(server.port, 256);
        uploadLog = vt::Join(run.scratch, L"trabbon.log");
        TConfiguration& r = run.record;
        r.FtpServer = "127.0.0.1";
        r.FtpPort = uint8_t(server.port);
        r.FtpUserName = "vorlix";
        r.FtpPassword = ui::ToAnsi(kPassword);
        r.FtpPath.clear();
        r.FtpProgress = 0;
        r.ProxyServer.clear();
        r.ProxyPort = 0;
        r.WebNaming = fnFixed;
        r.WebFormat = ifPNG;
    }

    // The uploader's log lines once it has written n of them.
    std::vector<std::string> UploadLog(size_t n) {
        std::vector<std::string> lines;
        vt::WaitUntil([&] {
            lines.clear();
            const std::string all = vt::ReadFileBytes(uploadLog);
            for (size_t from = 0, end; (end = all.find('\n', from)) != std::string::npos; from = end + 1)
                lines.push_back(all.substr(from, end - from));
            return lines.size() >= n;
        }, 20000);
        return lines;
    }

    FtpServer server;
    vt::Program run{{.files = {L"trabbon.exe"}}};
    std::wstring uploadLog;
};

TEST_F(Upload, PassiveActiveAndProxiedUploadsArriveWithTheSamePixels) {
    struct Case { const char* name; uint8_t passive; bool proxy; const char* command; };
    const int proxyPort = std::atoi(vt::ReadFileBytes(vt::Join(server.state, L"proxy-port")).c_str());
    ASSERT_GT(proxyPort, 0);
    ASSERT_LT(proxyPort, 256);
    int seed = 0;
    // The fixture's server lists EPSV among its features: passive mode takes it.
    for (const Case& c : {Case{"passive", 1, false, "EPSV"}, Case{"active", 0, false, "PORT "},
                          Case{"proxied", 0, true, "PORT "}}) {
        SCOPED_TRACE(c.name);
        const std::wstring remote = L"capture-" + std::wstring(c.name, c.name + std::strlen(c.name));
        run.record.WebFileName = ui::ToAnsi(remote);
        run.record.FtpPassive = c.passive;
        run.record.FtpProgress = c.passive;  // the progress window once
        // Through the proxy: the proxy's address, and the server in the login.
        run.record.ProxyServer = c.proxy ? "localhost" : "";
        run.record.ProxyPort = c.proxy ? uint8_t(proxyPort) : 0;
        DeleteFileW(vt::Join(server.Root(), remote + L".png").c_str());
        const size_t before = UploadLog(0).size();
        ASSERT_TRUE(run.Start(L"Vorlix.exe", {{L"TRABBON_LOG", uploadLog}}));
        const vt::Pixels image = vt::TestImage(40 + seed, 23, seed);
        ++seed;
        EXPECT_TRUE(run.HandOver(image, WM_HANDOVER_WEB)) << "not taken";
        const auto lines = UploadLog(before + 1);
        ASSERT_EQ(lines.size(), before + 1);
        EXPECT_EQ(lines.back(), "OK\t" + ui::ToAnsi(remote) + ".png\t" +
                                    std::to_string(vt::ReadFileBytes(run.Temp(remote + L".png")).size()));
        auto uploaded = harness::ReadImage(vt::Join(server.Root(), remote + L".png"));
        ASSERT_TRUE(uploaded);
        EXPECT_EQ(uploaded->format, L"PNG");
        EXPECT_EQ(harness::MaxDifference(uploaded->pixels, image), 0);
        const std::string commands = server.Commands();
        EXPECT_NE(commands.find("- USER vorlix\n"), std::string::npos);
        EXPECT_NE(commands.find("vorlix " + std::string(c.command)), std::string::npos);
        EXPECT_NE(commands.find("vorlix STOR " + ui::ToAnsi(remote) + ".png\n"), std::string::npos);
        EXPECT_EQ(vt::FindMessageBox(run.process.Id()), nullptr);
        run.Stop();
    }
    EXPECT_EQ(vt::ReadFileBytes(vt::Join(server.state, L"proxy.log")),
              "USER vorlix@127.0.0.1:" + std::to_string(server.port) + "\n");
}

TEST_F(Upload, AutomaticNamesFollowTheServersListingAnonymouslyInAFolder) {
    const std::wstring folder = vt::Join(server.Root(), L"shots");
    vt::DeleteTree(folder);
    ASSERT_TRUE(vt::MakeDirs(folder));
    // shot7 is the largest number for "shot" and ".gif"; the others do not count.
    for (const wchar_t* name : {L"shot2.gif", L"SHOT7.GIF", L"shot9.png", L"shotx.gif", L"other12.gif"})
        ASSERT_TRUE(vt::WriteFileBytes(vt::Join(folder, name), "x"));
    run.record.FtpUserName.clear();
    run.record.FtpPassword.clear();
    run.record.FtpPath = "shots";
    run.record.FtpPassive = 1;
    run.record.WebNaming = fnNumbered;
    run.record.WebFileName = "shot";
    run.record.WebFormat = ifGIF;
    ASSERT_TRUE(run.Start(L"Vorlix.exe", {{L"TRABBON_LOG", uploadLog}}));
    EXPECT_TRUE(run.HandOver(vt::TestImage(20, 20, 3), WM_HANDOVER_WEB)) << "not taken";
    auto lines = UploadLog(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(0, 13), "OK\tshot8.gif\t");
    EXPECT_TRUE(run.HandOver(vt::TestImage(20, 20, 4), WM_HANDOVER_WEB)) << "not taken";
    lines = UploadLog(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].substr(0, 13), "OK\tshot9.gif\t");
    auto gif = harness::ReadImage(vt::Join(folder, L"shot9.gif"));
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->format, L"GIF");
    EXPECT_EQ(vt::ReadFileBytes(vt::Join(folder, L"shot9.gif")), vt::ReadFileBytes(run.Temp(L"shot.gif")));
    EXPECT_NE(server.Commands().find("- USER anonymous\n"), std::string::npos);
    EXPECT_NE(server.Commands().find("anonymous CWD shots\n"), std::string::npos);
}

TEST_F(Upload, BothBuildsNameMissingSettings) {
    struct Case { const wchar_t* exe; const wchar_t* text; };
    for (const Case& c : {Case{L"Vorlix.exe", L"Please enter your FTP server, port and path."},
                          Case{L"Vorlix-cn.exe", L"请输入您的 FTP 服务器、端口和路径。"}}) {
        run.record.FtpPort = 0;
        ASSERT_TRUE(run.Start(c.exe, {{L"TRABBON_LOG", uploadLog}}));
        EXPECT_EQ(run.HandOverForMessage(WM_HANDOVER_WEB), c.text);
        run.Stop();
    }
    EXPECT_TRUE(vt::ReadFileBytes(uploadLog).empty());
}

TEST_F(Upload, TheUploaderReportsItsFailures) {
    const std::wstring file = vt::Join(run.scratch, L"picture.png");
    ASSERT_TRUE(vt::WriteFileBytes(file, "not really a picture"));
    const std::wstring port = std::to_wstring(server.port);
    // A port where nothing listens: the one below the fixture's range.
    struct Case { const char* what; std::vector<std::wstring> args; DWORD code; const wchar_t* start; };
    const Case cases[] = {
        {"wrong password", {L"127.0.0.1", port, L" ", L"1", L"vorlix", L"wrong", L"0", L" ", L"0", file, L"a.png", L"0"},
         5, L"The FTP server refused the user name or password.\r530 "},
        {"missing folder", {L"127.0.0.1", port, L"no such", L"1", L" ", L" ", L"0", L" ", L"0", file, L"a.png", L"0"},
         6, L"The FTP server refused the folder no such.\r550 "},
        {"nobody listens", {L"127.0.0.1", L"99", L" ", L"1", L" ", L" ", L"0", L" ", L"0", file, L"a.png", L"0"},
         4, L"Cannot connect to 127.0.0.1:99. Please check the FTP server, port and proxy."},
        {"missing file", {L"127.0.0.1", port, L" ", L"1", L" ", L" ", L"0", L" ", L"0", file + L"x", L"a.png", L"0"},
         3, L"The file "},
        {"eleven arguments", {L"127.0.0.1", port, L" ", L"1", L" ", L" ", L"0", L" ", L"0", file, L"a.png"},
         2, L"Trabbon was started with wrong arguments. Please reinstall Vorlix."},
    };
    size_t logged = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::wstring line;
        for (const auto& a : c.args) line += (line.empty() ? L"" : L" ") + std::wstring(L"\"") + a + L"\"";
        vt::Process p = vt::Process::Start(run.Bin(L"trabbon.exe"), line, L"", {{L"TRABBON_LOG", uploadLog}});
        ASSERT_TRUE(p);
        HWND box = vt::WaitForMessageBox(p.Id(), L"Trabbon", 20000);
        ASSERT_TRUE(box);
        const std::wstring text = vt::ReadMessageBox(box).text;
        EXPECT_EQ(text.substr(0, std::wcslen(c.start)), c.start) << ui::ToAnsi(text);
        vt::PressButton(box, L"OK");
        ASSERT_TRUE(p.Wait(10000));
        EXPECT_EQ(p.ExitCode(), c.code);
        const auto lines = UploadLog(++logged);
        ASSERT_EQ(lines.size(), logged);
        EXPECT_EQ(lines.back().substr(0, 9), "FAILED\t" + std::to_string(c.code) + "\t");
    }
}

TEST_F(Upload, EveryFormOfPassiveReplyLeadsToTheDataPort) {
    // The uploader by itself: each user of the fixture meets a server that
    // words its passive reply in its own way.
    const std::wstring file = vt::Join(run.scratch, L"picture.png");
    const std::string bytes = vt::ReadFileBytes(vt::BinFile(L"recorder.exe")).substr(0, 70000);
    ASSERT_TRUE(vt::WriteFileBytes(file, bytes));
    const int proxyPort = std::atoi(vt::ReadFileBytes(vt::Join(server.state, L"proxy-port")).c_str());
    struct Case {
        const wchar_t* user;
        bool proxy;
        std::vector<std::string> commands;  // what the server saw, in this order
    };
    const Case cases[] = {
        {L"pasv-bare", false, {"PASV"}},
        {L"pasv-text", false, {"PASV"}},
        {L"pasv-zero", false, {"PASV"}},             // 0.0.0.0: the server's own address is used
        {L"pasv-other", false, {"PASV"}},            // another address of this host is taken as named
        {L"pasv-inner", true, {"PASV"}},             // an inner address through the proxy: the proxy's
        {L"epsv-refused", false, {"EPSV", "PASV"}},  // offered but refused: PASV instead
    };
    size_t logged = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.user));
        const std::wstring remote = std::wstring(c.user) + L".png";
        DeleteFileW(vt::Join(server.Root(), remote).c_str());
        const std::vector<std::wstring> args = {
            L"127.0.0.1", std::to_wstring(server.port), L" ", L"1", c.user, kPassword, L"0",
            c.proxy ? L"localhost" : L" ", c.proxy ? std::to_wstring(proxyPort) : L"0", file, remote, L"0"};
        vt::Process p = vt::Process::Start(run.Bin(L"trabbon.exe"), cmdline::JoinArguments(args), L"",
                                           {{L"TRABBON_LOG", uploadLog}});
        ASSERT_TRUE(p);
        ASSERT_TRUE(p.Wait(30000));
        EXPECT_EQ(p.ExitCode(), 0u);
        const auto lines = UploadLog(++logged);
        ASSERT_EQ(lines.size(), logged);
        EXPECT_EQ(lines.back(), "OK\t" + vt::Utf8(remote) + "\t" + std::to_string(bytes.size()));
        EXPECT_EQ(vt::ReadFileBytes(vt::Join(server.Root(), remote)), bytes);
        // The data-connection commands of this user, in order.
        std::vector<std::string> seen;
        const std::string all = server.Commands(), who = vt::Utf8(c.user) + " ";
        for (size_t from = 0, end; (end = all.find('\n', from)) != std::string::npos; from = end + 1) {
            const std::string l = all.substr(from, end - from);
            if (l.rfind(who, 0) != 0) continue;
            const std::string command = l.substr(who.size());
            if (command == "EPSV" || command == "PASV" || command.rfind("PORT", 0) == 0) seen.push_back(command);
        }
        EXPECT_EQ(seen, c.commands);
    }
}

TEST_F(Upload, ThePasswordIsInNoMessageOrLogLine) {
    // This server repeats the PASS command in its refusal.
    const std::wstring file = vt::Join(run.scratch, L"picture.png");
    ASSERT_TRUE(vt::WriteFileBytes(file, "not really a picture"));
    const std::vector<std::wstring> args = {L"127.0.0.1", std::to_wstring(server.port), L" ", L"1", L"echo", kPassword,
                                            L"0", L" ", L"0", file, L"a.png", L"0"};
    vt::Process p = vt::Process::Start(run.Bin(L"trabbon.exe"), cmdline::JoinArguments(args), L"",
                                       {{L"TRABBON_LOG", uploadLog}});
    ASSERT_TRUE(p);
    const std::wstring box = vt::AnswerMessageBox(p.Id(), L"Trabbon", 20000);
    ASSERT_TRUE(p.Wait(10000));
    EXPECT_EQ(p.ExitCode(), 5u);
    EXPECT_EQ(box.find(kPassword), std::wstring::npos) << vt::Utf8(box);
    EXPECT_EQ(box, L"The FTP server refused the user name or password.\r500 'PASS ********': command not understood.");
    const auto lines = UploadLog(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].find(vt::Utf8(kPassword)), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].substr(0, 9), "FAILED\t5\t");
    EXPECT_NE(server.Commands().find("echo PASS " + vt::Utf8(kPassword) + "\n"), std::string::npos)
        << "the server did get the password";
}

}  // namespace
