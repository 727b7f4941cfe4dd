// The ICQ destination in the real program, with the scripted ICQMAPI.dll:
// the messages and their order, the contact rules, the file that is sent,
// many contacts and overlong nicks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "core/configuration.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";
const wchar_t kCaption[] = L"Vorlix Message";
constexpr UINT kHandOverIcq = WM_USER + 13;

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Slash(const std::wstring& folder) { return folder.back() == L'\\' ? folder : folder + L"\\"; }

class IcqProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vt::DeleteKeyTree(kRoot);
        scratch = vt::ScratchDir();
        program = vt::Join(scratch, L"Program Files");
        out = Slash(vt::Join(scratch, L"out"));
        ASSERT_TRUE(vt::MakeDirs(out));
        for (const wchar_t* f : {L"Vorlix.exe", L"hovrak.dll", L"stelmon.dll"}) {
            if (vt::FileExists(vt::BinFile(f))) {
                ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(f), vt::Join(program, f)));
            }
        }
        ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"fake_icqmapi.dll"), vt::Join(program, L"ICQMAPI.dll")));
        script = vt::Join(scratch, L"icq.txt");
        log = vt::Join(scratch, L"icq.log");
        handOver = vt::Join(vt::TempDir(), L"duridevazazu.bmp");
        temp = Slash(vt::TempDir());

        std::memset(&record, 0, sizeof record);
        DefaultInputs in;
        in.desktopFolder = Ansi(out);
        in.programFolder = Ansi(Slash(program));
        SetDefaults(record, in);
        record.NoticeSlideIn = 1;
        record.NoticeSound = 0;
        record.FileFolder = Ansi(out);
        record.FileName = "saved";
        record.FileNaming = fnFixed;
        record.FileFormat = ifBMP;
        record.IcqFileName = "icqshot";
        record.IcqFormat = ifPNG;
    }
    void TearDown() override {
        Stop();
        DeleteFileW(handOver.c_str());
        vt::DeleteKeyTree(kRoot);
    }

    void Start(const std::string& lines) {
        ASSERT_TRUE(vt::WriteFileBytes(script, lines));
        DeleteFileW(log.c_str());
        ASSERT_TRUE(vt::WriteDword(kConfiguration, L"Training", 0));
        ASSERT_TRUE(vt::WriteString(kConfiguration, L"Last Node", L"Activate"));
        ASSERT_TRUE(vt::WriteValue(kSchema, L"", REG_BINARY, &record, sizeof record));
        running = vt::Process::Start(vt::Join(program, L"Vorlix.exe"), L"", program,
                                     {{L"VORLIX_ICQ_SCRIPT", script}, {L"VORLIX_ICQ_LOG", log}});
        ASSERT_TRUE(running);
        main = vt::WaitForWindow(running.Id(), L"TuMainForm", nullptr, 15000);
        ASSERT_TRUE(main);
        HWND tray = vt::WaitForWindow(running.Id(), L"VorlixTrayIcon", nullptr, 15000);
        ASSERT_TRUE(tray);
        ASSERT_TRUE(vt::WaitUntil([&] { return vt::WindowText(tray) == L" Vorlix Tessavue "; }, 15000));
    }
    void Stop() {
        if (running.Running()) {
            vt::Post(main, WM_CLOSE);
            running.Wait(10000);
        }
    }
    void HandOver() {
        vt::Pixels p(19, 13);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) p.At(x, y) = RGB(x * 13, y * 19, 77);
        ASSERT_TRUE(vt::SaveBmp(p, handOver));
        ASSERT_TRUE(vt::Post(main, kHandOverIcq));
    }
    // The error box of the delivery: its text, answered.
    std::wstring ErrorBox() {
        HWND box = vt::WaitForMessageBox(running.Id(), kCaption, 15000);
        if (!box) return L"<no box>";
        const std::wstring text = vt::ReadMessageBox(box).text;
        vt::PressButton(box, L"OK");
        return text;
    }
    // The fake's log once a line starting with `last` is in it.
    std::string Log(const std::string& last) {
        vt::WaitUntil([&] {
            const std::string t = vt::ReadFileBytes(log);
            return t.find("\n" + last) != std::string::npos || t.rfind(last, 0) == 0;
        }, 15000);
        return vt::ReadFileBytes(log);
    }
    // One delivery with the contact; the box it shows ("" when none came).
    std::wstring Deliver(uint32_t number, const std::string& nick, const std::string& lines) {
        record.IcqContact.number = number;
        record.IcqContact.nick = nick;
        Start(lines);
        HandOver();
        const std::wstring box = ErrorBox();
        EXPECT_EQ(vt::NoticeOutcome(main), "cancelled") << "after the box";
        Stop();
        return box;
    }

    std::wstring scratch, program, out, script, log, handOver, temp;
    TConfiguration record;
    vt::Process running;
    HWND main = nullptr;
};

TEST_F(IcqProgram, MessagesInTheirOrder) {
    const std::wstring notAvailable =
        L"To send screenshots using Vorlix to a ICQ user,\rICQ must be installed, running and online.";
    struct Case {
        uint32_t number;
        const char* nick;
        const char* script;
        std::wstring box;
    } cases[] = {
        {1, "", "owner 0\n", notAvailable},                           // client not running or not online
        {1, "", "license 0\n", notAvailable},                         // the licence refused
        {0, "", "contact 5 eve\n", L"Please enter a pre-set ICQ destination user."},
        {222, "bob", "contact 222 bobby\n", L"bob is not online.    "},  // online under another nick
        {0, "Bob", "contact 222 bob\n", L"Bob is not online.    "},      // nicks compared exactly
        {9, "", "send 0\n", L"Vorlix cannot send the file via ICQ."},    // a number alone is not checked
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(Deliver(c.number, c.nick, c.script), c.box);
    }
    // Without the library the program still starts, and says so.
    ASSERT_TRUE(DeleteFileW(vt::Join(program, L"ICQMAPI.dll").c_str()));
    EXPECT_EQ(Deliver(1, "", ""), notAvailable);
}

TEST_F(IcqProgram, ANickFindsItsNumberAndTheCopyIsSent) {
    record.IcqContact.number = 0;
    record.IcqContact.nick = "bob";
    Start("contact 111 alice\ncontact 222 bob\n");
    HandOver();
    const std::string l = Log("SendFile");
    EXPECT_NE(l.find("SendFile 222 " + Ansi(temp) + "icqshot1.png\n"), std::string::npos) << l;
    EXPECT_NE(l.find("GetFullUserData 222 7\n"), std::string::npos) << l;
    EXPECT_NE(l.find("FreeUsers 2 ok\n"), std::string::npos) << "the online list is given back";
    EXPECT_EQ(vt::ReadFileBytes(temp + L"icqshot1.png").substr(1, 3), "PNG");
    EXPECT_EQ(vt::FindMessageBox(running.Id()), nullptr);
    EXPECT_EQ(vt::NoticeOutcome(main), "sent") << "once the interface took the file";
}

TEST_F(IcqProgram, TheFileDestinationsFileIsSentWhenItSavedThisImage) {
    record.IcqContact.number = 222;
    record.IcqContact.nick = "bob";
    record.SendTo[dFile] = 1;
    record.SendTo[dICQ] = 1;
    Start("contact 222 bob\n");
    // A capture of the whole screen goes to File, then to ICQ.
    ASSERT_TRUE(vt::Post(main, WM_HOTKEY, GlobalFindAtomW(L"Print Screen")));
    std::string l = Log("SendFile");
    EXPECT_NE(l.find("SendFile 222 " + Ansi(out) + "saved.bmp\n"), std::string::npos) << l;
    EXPECT_FALSE(vt::FileExists(temp + L"icqshot1.png")) << "no copy written";

    // A handed-over image is not the one File saved: its own copy goes.
    DeleteFileW(log.c_str());
    HandOver();
    l = Log("SendFile");
    EXPECT_NE(l.find("SendFile 222 " + Ansi(temp) + "icqshot1.png\n"), std::string::npos) << l;
}

TEST_F(IcqProgram, ManyContactsAndOverlongNicks) {
    // 150 online: the cache keeps the first 99, so a later one is not found,
    // and nothing is written past its end.
    EXPECT_EQ(Deliver(0, "user120", "contacts 150\n"), L"user120 is not online.    ");
    EXPECT_NE(vt::ReadFileBytes(log).find("FreeUsers 150 ok\n"), std::string::npos);

    // A nick that fills its record with no end: cut to 20 characters.
    record.IcqContact.number = 5;
    record.IcqContact.nick = std::string(20, 'N');
    Start("longnick 5\ncontacts 3\n");
    HandOver();
    const std::string l = Log("SendFile");
    EXPECT_NE(l.find("SendFile 5 "), std::string::npos) << l;
    EXPECT_TRUE(running.Running());
}

}  // namespace
