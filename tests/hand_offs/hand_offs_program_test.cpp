// Every destination that hands the capture to another program, in the real
// program, with the program in a folder and the temporary files in a folder
// whose names hold blanks and letters outside ASCII: each program gets the
// path of the file whole, and a program that may read it in the code page
// (another maker's program, the ICQ interface, the messenger's drop) gets a
// form the code page holds, also when the folder's name is outside it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "automation/stand_in.h"
#include "base/configuration.h"
#include "destinations/harness.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kZovozuKey[] = L"Software\\Vorlix Zovozu";
const wchar_t* const kMailExtensions[] = {L".eml", L".nws", L".aim", L".sta", L".ima", L".msg"};

std::wstring Wide(const std::string& s) {
    std::wstring out(s.size() + 1, L'\0');
    out.resize(size_t(MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), out.data(), int(out.size()))));
    return out;
}

bool InCodePage(const std::wstring& s) { return Wide(vt::Ansi(s)) == s; }

// The file a path names, in its long form ("" when there is none).
std::wstring LongFormOf(const std::wstring& path) {
    std::wstring out(32768, L'\0');
    out.resize(GetLongPathNameW(path.c_str(), out.data(), DWORD(out.size())));
    return out;
}

// Who receives the file, and how the test reads what it got.
enum class Receiver { File, Recorder, Icq, Messenger };

struct Case {
    const char* name;
    UINT message;
    std::function<void(TConfiguration&)> set;  // the settings of this route
    Receiver receiver;
    std::wstring program;  // the recorder copy that must be started
    int argument;          // which of its arguments holds the path; -1 the last
    std::wstring prefix;   // written before the path in that argument
    std::wstring file;     // the file it must name, in the temporary folder
    bool codePage;         // the receiver may read the path in the code page
    // A message file that names the image by its path: the image, and the
    // text before that path.
    std::wstring linked = L"";
    std::string link = "";
};

class HandOffs : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAutomationStandIn();
        for (const wchar_t* f : {L"Vorlix.exe", L"hovrak.dll", L"stelmon.dll"})
            ASSERT_TRUE(vt::FileExists(run.Bin(f))) << vt::Utf8(f);
        ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"fake_icqmapi.dll"), run.Bin(L"ICQMAPI.dll")));
        for (const wchar_t* helper : {L"mspaint.exe", L"pradomel.exe", L"sulvane.exe", L"trabbon.exe"})
            ASSERT_FALSE(vt::CopyRecorderAs(run.Bin(helper)).empty());
        zovozu = vt::Join(run.scratch, L"V\u00f6rlix Zovozu");
        ASSERT_FALSE(vt::CopyRecorderAs(vt::Join(zovozu, L"brannet.exe")).empty());
        ASSERT_TRUE(vt::WriteString(kZovozuKey, L"InstallPath", zovozu));
        clients = vt::Join(run.scratch, L"clients");
        oe = vt::CopyRecorderAs(vt::Join(clients, L"Outlook Express\\msimn.exe"));
        netscape = vt::CopyRecorderAs(vt::Join(clients, L"Netscape\\netscape.exe"));
        eudora = vt::CopyRecorderAs(vt::Join(clients, L"Eudora\\eudora.exe"));
        incredimail = vt::CopyRecorderAs(vt::Join(clients, L"IncrediMail\\IncMail.exe"));
        ASSERT_TRUE(vt::Associate(L".eml", oe));
        ASSERT_TRUE(vt::Associate(L".aim", vt::CopyRecorderAs(vt::Join(clients, L"Netscape\\AIM\\aim.exe"))));
        ASSERT_TRUE(vt::Associate(L".sta", eudora));
        ASSERT_TRUE(vt::Associate(L".ima", incredimail));
        ASSERT_TRUE(vt::Associate(L".msg", vt::CopyRecorderAs(vt::Join(clients, L"Office\\outlook.exe"))));
        out = vt::WithSlash(vt::Join(run.scratch, L"\u00d6ut f\u00f6lder"));
        ASSERT_TRUE(vt::MakeDirs(out));

        TConfiguration& r = run.record;
        r.FileFolder = vt::Ansi(out);
        r.FileNaming = fnFixed;
        r.FileName = "shot";
        r.FileFormat = ifPNG;
        r.EditorFileName = "edited";
        r.EditorFormat = ifBMP;
        r.UseCustomEditor = 1;
        r.CustomEditorPath.clear();  // Paint, beside the program
        r.CustomEditorCommandLine = "\"<CAPTURE>\"";
        r.MailTo = "a@b.example";
        r.MailSubject = "My shot";
        r.MailFileName = "mailshot";
        r.MailFormat = ifPNG;
        r.SmtpFrom = "me@x.example";
        r.SmtpServer = "127.0.0.1";
        r.SmtpPort = 25;
        r.FtpServer = "127.0.0.1";
        r.FtpPort = 21;
        r.WebNaming = fnFixed;
        r.WebFileName = "upload";
        r.WebFormat = ifPNG;
        r.IMContact = "bob@example.test";
        r.IMFileName = "imshot";
        r.IMFormat = ifPNG;
        r.IcqContact.number = 222;
        r.IcqContact.nick = "bob";
        r.IcqFileName = "icqshot";
        r.IcqFormat = ifPNG;
        base = r;

    }
    void TearDown() override {
        run.Stop();
        for (const wchar_t* e : kMailExtensions) vt::ForgetAssociation(e);
        vt::DeleteKeyTree(kZovozuKey);
    }

    std::vector<Case> Cases() const {
        auto mail = [](uint8_t client, uint8_t method) {
            return [client, method](TConfiguration& r) {
                r.MailClient = client;
                r.MailMethod = method;
            };
        };
        auto none = [](TConfiguration&) {};
        return {
            {"file", WM_HANDOVER_FILE, none, Receiver::File, L"", 0, L"", L"", false},
            {"editor", WM_HANDOVER_EDITOR, none, Receiver::Recorder, run.Bin(L"mspaint.exe"), 0, L"", L"edited1.bmp", true},
            {"zovozu", WM_HANDOVER_ZOVOZU, none, Receiver::Recorder, vt::Join(zovozu, L"brannet.exe"), 0, L"",
             L"screenshot1.bmp", true},
            {"outlook express", WM_HANDOVER_MAIL, mail(mcOutlookExpress, 1), Receiver::Recorder, oe, 0, L"/eml:",
             L"shot1.eml", true},
            {"netscape", WM_HANDOVER_MAIL, mail(mcNetscape, 1), Receiver::Recorder, netscape, 1, L"", L"shot1.txt", true,
             L"shot1.gif", "<img src=\"file:///"},
            {"eudora", WM_HANDOVER_MAIL, mail(mcEudora, 1), Receiver::Recorder, eudora, 0, L"", L"shot1.sta", true,
             L"shot1.jpg", "<img src=\"file://"},
            {"incredimail", WM_HANDOVER_MAIL, mail(mcIncrediMail, 2), Receiver::Recorder, incredimail, -1, L"/att:",
             L"mailshot.png", true},
            {"outlook", WM_HANDOVER_MAIL, mail(mcOutlook, 1), Receiver::Recorder, run.Bin(L"pradomel.exe"), 0, L"",
             L"shot1.gif", false},
            {"smtp", WM_HANDOVER_MAIL, mail(mcSmtp, 2), Receiver::Recorder, run.Bin(L"sulvane.exe"), 10, L"",
             L"mailshot.png", false},
            {"web", WM_HANDOVER_WEB, none, Receiver::Recorder, run.Bin(L"trabbon.exe"), 9, L"", L"upload.png", false},
            {"icq", WM_HANDOVER_ICQ, none, Receiver::Icq, L"", 0, L"", L"icqshot1.png", true},
            {"messenger", WM_HANDOVER_IM, none, Receiver::Messenger, L"", 0, L"", L"imshot1.png", true},
        };
    }

    // What the receiver was handed as the path of the file.
    std::wstring Received(const Case& c) {
        switch (c.receiver) {
            case Receiver::File: return {};
            case Receiver::Recorder: {
                EXPECT_TRUE(vt::WaitUntil([&] { return !vt::ReadRecorderLog(log).empty(); }, 15000)) << "nothing started";
                const auto records = vt::ReadRecorderLog(log);
                if (records.empty()) return {};
                EXPECT_TRUE(vt::SamePath(records[0].exe, c.program)) << vt::Utf8(records[0].exe);
                std::vector<std::wstring> args = vt::SplitCommandLine(records[0].commandLine);
                args.erase(args.begin());
                const size_t at = c.argument < 0 ? args.size() - 1 : size_t(c.argument);
                if (args.empty() || at >= args.size()) {
                    ADD_FAILURE() << "no argument " << c.argument << " in " << vt::Utf8(records[0].commandLine);
                    return {};
                }
                const std::wstring& a = args[at];
                if (a.compare(0, c.prefix.size(), c.prefix) != 0) {
                    ADD_FAILURE() << vt::Utf8(a) << " does not start with " << vt::Utf8(c.prefix);
                    return {};
                }
                return a.substr(c.prefix.size());
            }
            case Receiver::Icq:
            case Receiver::Messenger: {
                // The stand-ins log the narrow path they were handed ("drop
                // count ..." is the messenger's line about the drop itself).
                const bool icq = c.receiver == Receiver::Icq;
                const std::string start = icq ? "SendFile 222 " : "drop ";
                std::wstring path;
                vt::WaitUntil([&] {
                    const std::string l = vt::ReadFileBytes(icq ? icqApi.log : messenger.log);
                    for (size_t from = 0, end; (end = l.find('\n', from)) != std::string::npos; from = end + 1)
                        if (l.compare(from, start.size(), start) == 0 && l.compare(from, 11, "drop count ") != 0)
                            path = Wide(l.substr(from + start.size(), end - from - start.size()));
                    return !path.empty();
                }, 15000);
                EXPECT_FALSE(path.empty()) << "nothing handed over";
                return path;
            }
        }
        return {};
    }

    // Hands an image to each destination in turn with the temporary folder
    // `temp`: each receiver gets a path that names the file whole.
    void EveryReceiverGetsItsFile(const std::wstring& tempFolder) {
        run.temp = tempFolder;
        ASSERT_TRUE(vt::MakeDirs(run.temp));
        const std::wstring temp = vt::WithSlash(run.temp);
        int seed = 0;
        for (const Case& c : Cases()) {
            SCOPED_TRACE(c.name);
            DeleteFileW(log.c_str());
            ASSERT_TRUE(icqApi.Play("contact 222 bob\n"));
            ASSERT_TRUE(messenger.Play("contact bob@example.test 2\n"));
            run.record = base;
            c.set(run.record);
            vt::Environment peers = icqApi.Variables();
            for (const auto& v : messenger.Variables()) peers.push_back(v);
            ASSERT_TRUE(run.Start(L"Vorlix.exe", peers));
            const vt::Pixels image = vt::TestImage(21 + seed, 13, seed);
            ++seed;
            EXPECT_TRUE(run.HandOver(image, c.message)) << "not taken";
            if (c.receiver == Receiver::File) {
                EXPECT_EQ(vt::NoticeOutcome(run.main), "sent");
                auto saved = harness::ReadImage(out + L"shot.png");
                ASSERT_TRUE(saved);
                EXPECT_EQ(harness::MaxDifference(saved->pixels, image), 0);
                run.Stop();
                continue;
            }
            const std::wstring path = Received(c);
            EXPECT_EQ(vt::NoticeOutcome(run.main), "sent");
            run.Stop();
            EXPECT_TRUE(vt::FileExists(path)) << vt::Utf8(path);
            EXPECT_TRUE(vt::SamePath(LongFormOf(path), temp + c.file)) << vt::Utf8(path);
            if (c.codePage) {
                EXPECT_TRUE(InCodePage(path)) << vt::Utf8(path) << " does not survive the code page";
            }
            if (!c.linked.empty()) {
                // The message file names the image by a path in its own bytes.
                const std::string text = vt::ReadFileBytes(temp + c.file);
                const size_t at = text.find(c.link);
                ASSERT_NE(at, std::string::npos) << text;
                const size_t from = at + c.link.size();
                const std::wstring image = Wide(text.substr(from, text.find('"', from) - from));
                EXPECT_TRUE(vt::SamePath(LongFormOf(image), temp + c.linked)) << vt::Utf8(image);
            }
        }
    }

    vt::Program run{{.folder = L"Pr\u00f4gram Files\\V\u00f6rlix Tessavue"}};
    TConfiguration base{};
    std::wstring zovozu, clients, oe, netscape, eudora, incredimail, out;
    const std::wstring& log = run.recorderLog;
    const vt::StandIn icqApi{run, L"ICQ"}, messenger{run, L"AUTOMATION"};  // the messenger's automation
};

TEST_F(HandOffs, EveryDestinationGetsWholePathsFromFoldersWithBlanksAndAccents) {
    EveryReceiverGetsItsFile(vt::Join(run.scratch, L"T\u00ebmp F\u00f6lder"));
}

TEST_F(HandOffs, APathOutsideTheCodePageArrivesInAFormThatNamesTheFile) {
    // A Chinese user's temporary folder on a system of code page 1252.
    if (GetACP() == 936) GTEST_SKIP() << "the code page holds Chinese";
    EveryReceiverGetsItsFile(vt::Join(run.scratch, L"\u4e34\u65f6 \u6587\u4ef6"));
}

}  // namespace
