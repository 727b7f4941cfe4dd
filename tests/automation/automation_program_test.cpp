// The routes driven by automation in the real program: Outlook with the image
// attached, Lotus Notes, and the instant messenger, against the scripted
// stand-in of their automation servers (fake_automation.dll, registered in
// the prefix from fake_automation.reg). The stand-in logs every call; the
// messenger's conversation window lives in the program's process and logs
// the files dropped on it.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>

#include "base/configuration.h"
#include "stand_in.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

class AutomationProgram : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAutomationStandIn();
        record.FileName = "saved";
        record.FileNaming = fnFixed;
        record.FileFormat = ifBMP;
        record.IMFileName = "imshot";
        record.IMFormat = ifPNG;
        record.MailFileName = "mailshot";
        record.MailFormat = ifPNG;
        record.MailTo = "a@b.example";
        record.MailSubject = "My shot";
    }
    void TearDown() override {
        run.Stop();
        for (const wchar_t* e : {L".msg", L".nsf"}) vt::DeleteKeyTree(e, HKEY_CLASSES_ROOT);
        vt::DeleteKeyTree(L"VorlixTestClient", HKEY_CLASSES_ROOT);
    }

    // Files of this extension open with a program (the mail program counts
    // as installed).
    void Associate(const std::wstring& extension) {
        const std::wstring client = vt::CopyRecorderAs(vt::Join(run.scratch, L"client\\client.exe"));
        ASSERT_TRUE(vt::WriteString(extension, L"", L"VorlixTestClient", HKEY_CLASSES_ROOT));
        ASSERT_TRUE(vt::WriteString(L"VorlixTestClient\\shell\\open\\command", L"", L"\"" + client + L"\" \"%1\"",
                                    HKEY_CLASSES_ROOT));
    }

    void Start(const std::string& lines) {
        ASSERT_TRUE(automation.Play(lines));
        ASSERT_TRUE(run.Start(L"Vorlix.exe", automation.Variables()));
    }
    void HandOver(UINT message) { EXPECT_TRUE(run.HandOver(vt::TestImage(19, 13, 1), message)) << "not taken"; }
    struct Outcome {
        std::wstring box;
        std::string notice;
        std::string log;
    };
    // One delivery by hand-over: the box it shows ("" when none), how it
    // ended, and the stand-in's log after the program ended.
    Outcome Deliver(UINT message, const std::string& lines, bool expectBox = true) {
        Outcome o;
        Start(lines);
        HandOver(message);
        if (expectBox) o.box = run.ErrorBox();
        o.notice = vt::NoticeOutcome(run.main);
        run.Stop();
        o.log = vt::ReadFileBytes(log);
        return o;
    }

    vt::Program run;
    TConfiguration& record = run.record;
    const std::wstring& out = run.out;
    const std::wstring temp = vt::WithSlash(run.temp);
    const vt::StandIn automation{run, L"AUTOMATION"};
    const std::wstring& log = automation.log;
};

// ---- The instant messenger ----------------------------------------------------------------

TEST_F(AutomationProgram, MessengerMessagesInTheirOrder) {
    const std::string bob = "contact bob@example.test 2\n";
    struct Case {
        const char* contact;
        std::string script;
        std::wstring box;
    } cases[] = {
        {"bob@example.test", "refuse Messenger.UIAutomation.1\n", L"IM must be installed"},
        {"bob@example.test", "fail Messenger.MySigninName\n" + bob, L"IM must be running"},
        {"bob@example.test", "status 1\n" + bob, L"IM : Please sign in first."},
        {"", bob, L"IM : Empty email address."},
        {"Bob@example.test", bob, L"IM : User was not found in your contact list"},  // letter case counts
        {"bob@example.test", "contact bob@example.test 1\n", L"IM : User is offline"},
        {"bob@example.test", "fail MessengerContacts.Count\n" + bob, L"IM : Must be running and signed in."},
        {"bob@example.test", "fail Messenger.InstantMessage\n" + bob, L"IM : Must be running and signed in."},
        // The conversation window is gone before the drop: nothing was sent.
        {"bob@example.test", "closewindow\n" + bob, L"IM : Must be running and signed in."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        record.IMContact = c.contact;
        const Outcome o = Deliver(WM_HANDOVER_IM, c.script);
        EXPECT_EQ(o.box, c.box);
        EXPECT_EQ(o.notice, "cancelled");
        EXPECT_EQ(o.log.find("drop "), std::string::npos) << o.log;
        ExpectAllReleased(o.log);
    }
    // Not installed at all: the class is unknown.
    vt::DeleteKeyTree(L"Messenger.UIAutomation.1", HKEY_CLASSES_ROOT);
    record.IMContact = "bob@example.test";
    EXPECT_EQ(Deliver(WM_HANDOVER_IM, bob).box, L"IM must be installed");
}

TEST_F(AutomationProgram, MessengerGetsTheFileDroppedOnTheConversation) {
    // 150 other contacts before the one wanted; an offline namesake in
    // other letter case does not count.
    record.IMContact = "bob@example.test";
    const Outcome o = Deliver(WM_HANDOVER_IM, "contacts 150\ncontact BOB@example.test 1\ncontact bob@example.test 2\n",
                              false);
    EXPECT_EQ(o.notice, "sent");
    const std::vector<std::string> calls = StandInCalls(o.log);
    ASSERT_GE(calls.size(), 4u) << o.log;
    EXPECT_EQ(calls.front(), "Messenger.MySigninName()");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Messenger.InstantMessage(\"bob@example.test\")"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MessengerWindow.hwnd()"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "drop count 1 at 0,0 client"), calls.end()) << o.log;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "drop " + vt::Ansi(temp) + "imshot1.png"), calls.end()) << o.log;
    EXPECT_EQ(vt::ReadFileBytes(temp + L"imshot1.png").substr(1, 3), "PNG");
    ExpectAllReleased(o.log);

    // With the File destination on, the file it saved of this very capture goes.
    record.SendTo[dFile] = 1;
    record.SendTo[dIM] = 1;
    Start("contact bob@example.test 2\n");
    ASSERT_TRUE(vt::Post(run.main, WM_HOTKEY, GlobalFindAtomW(L"Print Screen")));
    const std::string l = vt::WaitForLogLine(log, "drop " + vt::Ansi(out));
    EXPECT_NE(l.find("drop " + vt::Ansi(out) + "saved.bmp\n"), std::string::npos) << l;
    EXPECT_FALSE(vt::FileExists(temp + L"imshot2.png")) << "no copy written";
}

// ---- Outlook with the image attached --------------------------------------------------------

TEST_F(AutomationProgram, OutlookGetsAMailItemWithTheAttachment) {
    Associate(L".msg");
    record.MailClient = mcOutlook;
    record.MailMethod = 2;
    Outcome o = Deliver(WM_HANDOVER_MAIL, "", false);
    EXPECT_EQ(o.notice, "sent");
    EXPECT_EQ(StandInCalls(o.log), (std::vector<std::string>{
                                "Outlook.CreateItem(0)", "MailItem.Recipients()", "Recipients.Add(\"a@b.example\")",
                                "MailItem.Subject = \"My shot\"", "MailItem.Attachments()",
                                "Attachments.Add(\"" + vt::Ansi(temp) + "mailshot.png\")", "MailItem.Display()"}));
    EXPECT_EQ(vt::ReadFileBytes(temp + L"mailshot.png").substr(1, 3), "PNG");
    ExpectAllReleased(o.log);

    // Without recipients none is added; the rest still happens.
    record.MailTo.clear();
    o = Deliver(WM_HANDOVER_MAIL, "", false);
    EXPECT_EQ(o.notice, "sent");
    EXPECT_EQ(StandInCalls(o.log), (std::vector<std::string>{"Outlook.CreateItem(0)", "MailItem.Subject = \"My shot\"",
                                                      "MailItem.Attachments()",
                                                      "Attachments.Add(\"" + vt::Ansi(temp) + "mailshot.png\")",
                                                      "MailItem.Display()"}));
}

TEST_F(AutomationProgram, ARunningOutlookIsUsed) {
    Associate(L".msg");
    record.MailClient = mcOutlook;
    record.MailMethod = 2;
    ASSERT_TRUE(automation.Play(""));
    vt::Process outlook =
        vt::Process::Start(vt::BinFile(L"running_outlook.exe"), L"", L"", automation.Variables());
    ASSERT_TRUE(outlook);
    HWND window = vt::WaitForWindow(outlook.Id(), L"VorlixRunningOutlook", nullptr, 15000);
    ASSERT_TRUE(window);
    ASSERT_TRUE(run.Start(L"Vorlix.exe", automation.Variables()));
    HandOver(WM_HANDOVER_MAIL);
    EXPECT_EQ(vt::NoticeOutcome(run.main), "sent");
    const std::string l = vt::WaitForLogLine(log, "MailItem.Display()");
    run.Stop();
    vt::Post(window, WM_CLOSE);
    EXPECT_TRUE(outlook.Wait(10000));
    const std::vector<std::string> lines = StandInLines(vt::ReadFileBytes(log));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "new Outlook"), 1) << "no second Outlook: " << l;
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Attachments.Add(\"" + vt::Ansi(temp) + "mailshot.png\")"), lines.end())
        << l;
    ExpectAllReleased(vt::ReadFileBytes(log));
}

TEST_F(AutomationProgram, OutlookFailuresAreToldAndReleaseEverything) {
    Associate(L".msg");
    record.MailClient = mcOutlook;
    record.MailMethod = 2;
    struct Case {
        const char* script;
        std::wstring box;
    } cases[] = {
        {"refuse Outlook.Application\n", L"Outlook is not working properly on this computer."},
        {"fail Outlook.CreateItem\n", L"Vorlix cannot send your image via Outlook."},
        {"fail Attachments.Add\n", L"Vorlix cannot send your image via Outlook."},
        {"fail MailItem.Display\n", L"Vorlix cannot send your image via Outlook."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.script);
        const Outcome o = Deliver(WM_HANDOVER_MAIL, c.script);
        EXPECT_EQ(o.box, c.box);
        EXPECT_EQ(o.notice, "cancelled");
        ExpectAllReleased(o.log);
    }
    vt::DeleteKeyTree(L"Outlook.Application", HKEY_CLASSES_ROOT);
    EXPECT_EQ(Deliver(WM_HANDOVER_MAIL, "").box, L"Outlook is not working properly on this computer.");
}

// ---- Lotus Notes ------------------------------------------------------------------------------

// A top-level window of class "NOTES", as the running Notes client has.
class NotesWindow {
public:
    NotesWindow() {
        WNDCLASSW c{};
        c.lpfnWndProc = DefWindowProcW;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = L"NOTES";
        RegisterClassW(&c);
        window_ = CreateWindowExW(0, L"NOTES", L"Notes", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    }
    ~NotesWindow() { DestroyWindow(window_); }
    explicit operator bool() const { return window_ != nullptr; }

private:
    HWND window_;
};

TEST_F(AutomationProgram, LotusNotesComposesAMemo) {
    Associate(L".nsf");
    record.MailClient = mcLotusNotes;

    // Not running: no window of its class.
    record.MailMethod = 2;
    Outcome o = Deliver(WM_HANDOVER_MAIL, "");
    EXPECT_EQ(o.box, L"To e-mail screenshots using Vorlix, Lotus Notes must be running.");
    EXPECT_EQ(o.notice, "cancelled");
    EXPECT_EQ(StandInCalls(o.log), std::vector<std::string>{});

    NotesWindow notes;
    ASSERT_TRUE(notes);
    // Attached; a mail file already in the folder "Mail" is left as it is.
    o = Deliver(WM_HANDOVER_MAIL, "env MailServer CN=Hub/O=Acme\nenv MailFile Mail\\me.nsf\n", false);
    EXPECT_EQ(o.notice, "sent");
    EXPECT_EQ(StandInCalls(o.log),
              (std::vector<std::string>{
                  "NotesSession.GetEnvironmentString(\"MailServer\", True)",
                  "NotesSession.GetEnvironmentString(\"MailFile\", True)",
                  "NotesUIWorkspace.ComposeDocument(\"CN=Hub/O=Acme\", \"Mail\\me.nsf\", \"Memo\")",
                  "NotesUIDocument.Document()", "NotesDocument.ReplaceItemValue(\"SendTo\", \"a@b.example\")",
                  "NotesDocument.ReplaceItemValue(\"EnterSendTo\", \"a@b.example\")",
                  "NotesDocument.ReplaceItemValue(\"Subject\", \"My shot\")",
                  "NotesDocument.CreateRichTextItem(\"Body\")",
                  "NotesRichTextItem.EmbedObject(1454, \"\", \"" + vt::Ansi(temp) + "mailshot.png\")",
                  "NotesUIWorkspace.EditDocument(True, <NotesDocument>)", "NotesUIDocument.GoToField(\"Body\")",
                  "NotesUIDocument.Close(False)"}));
    ExpectAllReleased(o.log);

    // Embedded: the picture is pasted from the clipboard, no file is written;
    // a mail file outside "mail\" is put there.
    record.MailMethod = 1;
    DeleteFileW((temp + L"shot1.gif").c_str());
    record.FileName = "shot";
    o = Deliver(WM_HANDOVER_MAIL, "env MailFile me.nsf\n", false);
    EXPECT_EQ(o.notice, "sent");
    const std::vector<std::string> calls = StandInCalls(o.log);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "NotesUIWorkspace.ComposeDocument(\"\", \"mail\\me.nsf\", \"Memo\")"),
              calls.end()) << o.log;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "NotesUIDocument.Paste() [clipboard 19x13]"), calls.end()) << o.log;
    EXPECT_EQ(o.log.find("EmbedObject"), std::string::npos);
    EXPECT_FALSE(vt::FileExists(temp + L"shot1.gif"));

    // A failure inside Notes ends the route silently, with everything released.
    record.MailMethod = 2;
    o = Deliver(WM_HANDOVER_MAIL, "fail NotesUIWorkspace.EditDocument\n", false);
    EXPECT_EQ(o.notice, "cancelled") << "no box holds it up";
    ExpectAllReleased(o.log);
}

}  // namespace
