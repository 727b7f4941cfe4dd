// The ICQ destination in the real program, with the scripted ICQMAPI.dll:
// the messages and their order, the contact rules, the file that is sent,
// many contacts and overlong nicks.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>

#include "base/configuration.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

class IcqProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"fake_icqmapi.dll"), run.Bin(L"ICQMAPI.dll")));
        record.FileName = "saved";
        record.FileNaming = fnFixed;
        record.FileFormat = ifBMP;
        record.IcqFileName = "icqshot";
        record.IcqFormat = ifPNG;
    }

    void Start(const std::string& lines) {
        ASSERT_TRUE(icq.Play(lines));
        ASSERT_TRUE(run.Start(L"Vorlix.exe", icq.Variables()));
    }
    void HandOver() { EXPECT_TRUE(run.HandOver(vt::TestImage(19, 13, 2), WM_HANDOVER_ICQ)) << "not taken"; }
    // One delivery with the contact; the box it shows ("" when none came).
    std::wstring Deliver(uint32_t number, const std::string& nick, const std::string& lines) {
        record.IcqContact.number = number;
        record.IcqContact.nick = nick;
        Start(lines);
        HandOver();
        const std::wstring box = run.ErrorBox();
        EXPECT_EQ(vt::NoticeOutcome(run.main), "cancelled") << "after the box";
        run.Stop();
        return box;
    }

    vt::Program run;
    TConfiguration& record = run.record;
    const std::wstring& out = run.out;
    const std::wstring temp = vt::WithSlash(run.temp);
    const vt::StandIn icq{run, L"ICQ"};
    const std::wstring& log = icq.log;
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
        {222, "bob", "online 0\ncontact 222 bob\n", L"bob is not online.    "},  // the list cannot be read
        {222, "bob", "details 0\ncontact 222 bob\n", L"bob is not online.    "},  // nor the contact's nick
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        EXPECT_EQ(Deliver(c.number, c.nick, c.script), c.box);
    }
    // Without the library the program still starts, and says so.
    ASSERT_TRUE(DeleteFileW(run.Bin(L"ICQMAPI.dll").c_str()));
    EXPECT_EQ(Deliver(1, "", ""), notAvailable);
}

TEST_F(IcqProgram, ANickFindsItsNumberAndTheCopyIsSent) {
    record.IcqContact.number = 0;
    record.IcqContact.nick = "bob";
    Start("contact 111 alice\ncontact 222 bob\n");
    HandOver();
    const std::string l = vt::WaitForLogLine(log, "SendFile");
    EXPECT_NE(l.find("SendFile 222 " + vt::Ansi(temp) + "icqshot1.png\n"), std::string::npos) << l;
    EXPECT_NE(l.find("GetFullUserData 222 7\n"), std::string::npos) << l;
    EXPECT_NE(l.find("FreeUsers 2 ok\n"), std::string::npos) << "the online list is given back";
    EXPECT_EQ(vt::ReadFileBytes(temp + L"icqshot1.png").substr(1, 3), "PNG");
    EXPECT_EQ(vt::FindMessageBox(run.process.Id()), nullptr);
    EXPECT_EQ(vt::NoticeOutcome(run.main), "sent") << "once the interface took the file";
}

TEST_F(IcqProgram, TheFileDestinationsFileIsSentWhenItSavedThisImage) {
    record.IcqContact.number = 222;
    record.IcqContact.nick = "bob";
    record.SendTo[dFile] = 1;
    record.SendTo[dICQ] = 1;
    Start("contact 222 bob\n");
    // A capture of the whole screen goes to File, then to ICQ.
    ASSERT_TRUE(vt::Post(run.main, WM_HOTKEY, GlobalFindAtomW(L"Print Screen")));
    std::string l = vt::WaitForLogLine(log, "SendFile");
    EXPECT_NE(l.find("SendFile 222 " + vt::Ansi(out) + "saved.bmp\n"), std::string::npos) << l;
    EXPECT_FALSE(vt::FileExists(temp + L"icqshot1.png")) << "no copy written";

    // A handed-over image is not the one File saved: its own copy goes.
    DeleteFileW(log.c_str());
    HandOver();
    l = vt::WaitForLogLine(log, "SendFile");
    EXPECT_NE(l.find("SendFile 222 " + vt::Ansi(temp) + "icqshot1.png\n"), std::string::npos) << l;
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
    const std::string l = vt::WaitForLogLine(log, "SendFile");
    EXPECT_NE(l.find("SendFile 5 "), std::string::npos) << l;
    EXPECT_TRUE(run.process.Running());
}

}  // namespace
