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

#include "core/configuration.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";
const wchar_t kCaption[] = L"Vorlix Message";
constexpr UINT kHandOverMail = WM_USER + 11;
constexpr UINT kHandOverIm = WM_USER + 16;
const wchar_t* const kClasses[] = {L"Outlook.Application", L"Notes.NotesSession", L"Notes.NotesUIWorkspace",
                                   L"Messenger.UIAutomation.1"};

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

std::string Utf8(const std::wstring& s) {
    std::string out(s.size() * 4 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_UTF8, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Slash(const std::wstring& folder) { return folder.back() == L'\\' ? folder : folder + L"\\"; }

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(text.substr(from, end - from));
    return lines;
}

// The calls of a log, without the lines about objects coming and going.
std::vector<std::string> Calls(const std::string& log) {
    std::vector<std::string> calls;
    for (const std::string& l : Lines(log))
        if (l.rfind("new ", 0) != 0 && l.rfind("free ", 0) != 0) calls.push_back(l);
    return calls;
}

// Every object the stand-in handed out was released again.
void ExpectAllReleased(const std::string& log) {
    const auto lines = Lines(log);
    const auto made = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("new ", 0) == 0; });
    const auto freed = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("free ", 0) == 0; });
    EXPECT_EQ(made, freed) << log;
}

// Registers the stand-in for every class, as an installer would, through
// the registry editor and the .reg file.
void RegisterStandIn() {
    std::string reg = vt::ReadFileBytes(std::wstring(L"Z:") + [] {
        std::wstring p;
        for (const char* c = VORLIX_AUTOMATION_REG; *c; ++c) p += *c == '/' ? L'\\' : wchar_t(*c);
        return p;
    }());
    ASSERT_FALSE(reg.empty());
    std::string dll = Utf8(vt::BinFile(L"fake_automation.dll")), escaped;
    for (char c : dll) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
    for (size_t at; (at = reg.find("@DLL@")) != std::string::npos;) reg.replace(at, 5, escaped);
    const std::wstring file = vt::Join(vt::ScratchDir(), L"fake_automation.reg");
    ASSERT_TRUE(vt::WriteFileBytes(file, reg));
    vt::Process regedit = vt::Process::Start(L"C:\\windows\\regedit.exe", L"/s \"" + file + L"\"");
    ASSERT_TRUE(regedit);
    ASSERT_TRUE(regedit.Wait(30000));
    for (const wchar_t* c : kClasses) ASSERT_TRUE(vt::KeyExists(std::wstring(c) + L"\\CLSID", HKEY_CLASSES_ROOT)) << c;
}

class AutomationProgram : public ::testing::Test {
protected:
    void SetUp() override {
        vt::DeleteKeyTree(kRoot);
        RegisterStandIn();
        scratch = vt::ScratchDir();
        program = vt::Join(scratch, L"Program Files");
        out = Slash(vt::Join(scratch, L"out"));
        ASSERT_TRUE(vt::MakeDirs(out));
        for (const wchar_t* f : {L"Vorlix.exe", L"hovrak.dll", L"stelmon.dll"}) {
            if (vt::FileExists(vt::BinFile(f))) {
                ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(f), vt::Join(program, f)));
            }
        }
        script = vt::Join(scratch, L"script.txt");
        log = vt::Join(scratch, L"automation.log");
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
        record.IMFileName = "imshot";
        record.IMFormat = ifPNG;
        record.MailFileName = "mailshot";
        record.MailFormat = ifPNG;
        record.MailTo = "a@b.example";
        record.MailSubject = "My shot";
    }
    void TearDown() override {
        Stop();
        DeleteFileW(handOver.c_str());
        for (const wchar_t* e : {L".msg", L".nsf"}) vt::DeleteKeyTree(e, HKEY_CLASSES_ROOT);
        vt::DeleteKeyTree(L"VorlixTestClient", HKEY_CLASSES_ROOT);
        vt::DeleteKeyTree(kRoot);
    }

    // Files of this extension open with a program (the mail program counts
    // as installed).
    void Associate(const std::wstring& extension) {
        const std::wstring client = vt::CopyRecorderAs(vt::Join(scratch, L"client\\client.exe"));
        ASSERT_TRUE(vt::WriteString(extension, L"", L"VorlixTestClient", HKEY_CLASSES_ROOT));
        ASSERT_TRUE(vt::WriteString(L"VorlixTestClient\\shell\\open\\command", L"", L"\"" + client + L"\" \"%1\"",
                                    HKEY_CLASSES_ROOT));
    }

    void Start(const std::string& lines) {
        ASSERT_TRUE(vt::WriteFileBytes(script, lines));
        DeleteFileW(log.c_str());
        ASSERT_TRUE(vt::WriteDword(kConfiguration, L"Training", 0));
        ASSERT_TRUE(vt::WriteString(kConfiguration, L"Last Node", L"Activate"));
        ASSERT_TRUE(vt::WriteValue(kSchema, L"", REG_BINARY, &record, sizeof record));
        running = vt::Process::Start(vt::Join(program, L"Vorlix.exe"), L"", program,
                                     {{L"VORLIX_AUTOMATION_SCRIPT", script}, {L"VORLIX_AUTOMATION_LOG", log}});
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
    void HandOver(UINT message) {
        vt::Pixels p(19, 13);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) p.At(x, y) = RGB(x * 13, y * 19, 77);
        ASSERT_TRUE(vt::SaveBmp(p, handOver));
        ASSERT_TRUE(vt::Post(main, message));
    }
    // The error box of the delivery: its text, answered.
    std::wstring ErrorBox() {
        HWND box = vt::WaitForMessageBox(running.Id(), kCaption, 15000);
        if (!box) return L"<no box>";
        const std::wstring text = vt::ReadMessageBox(box).text;
        vt::PressButton(box, L"OK");
        return text;
    }
    // The stand-in's log once a line starting with `last` is in it.
    std::string Log(const std::string& last) {
        vt::WaitUntil([&] {
            const std::string t = vt::ReadFileBytes(log);
            return t.find("\n" + last) != std::string::npos || t.rfind(last, 0) == 0;
        }, 15000);
        return vt::ReadFileBytes(log);
    }
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
        if (expectBox) o.box = ErrorBox();
        o.notice = vt::NoticeOutcome(main);
        Stop();
        o.log = vt::ReadFileBytes(log);
        return o;
    }

    std::wstring scratch, program, out, script, log, handOver, temp;
    TConfiguration record;
    vt::Process running;
    HWND main = nullptr;
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
        const Outcome o = Deliver(kHandOverIm, c.script);
        EXPECT_EQ(o.box, c.box);
        EXPECT_EQ(o.notice, "cancelled");
        EXPECT_EQ(o.log.find("drop "), std::string::npos) << o.log;
        ExpectAllReleased(o.log);
    }
    // Not installed at all: the class is unknown.
    vt::DeleteKeyTree(L"Messenger.UIAutomation.1", HKEY_CLASSES_ROOT);
    record.IMContact = "bob@example.test";
    EXPECT_EQ(Deliver(kHandOverIm, bob).box, L"IM must be installed");
}

TEST_F(AutomationProgram, MessengerGetsTheFileDroppedOnTheConversation) {
    // 150 other contacts before the one wanted; an offline namesake in
    // other letter case does not count.
    record.IMContact = "bob@example.test";
    const Outcome o = Deliver(kHandOverIm, "contacts 150\ncontact BOB@example.test 1\ncontact bob@example.test 2\n",
                              false);
    EXPECT_EQ(o.notice, "sent");
    const std::vector<std::string> calls = Calls(o.log);
    ASSERT_GE(calls.size(), 4u) << o.log;
    EXPECT_EQ(calls.front(), "Messenger.MySigninName()");
    EXPECT_NE(std::find(calls.begin(), calls.end(), "Messenger.InstantMessage(\"bob@example.test\")"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "MessengerWindow.hwnd()"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), "drop count 1 at 0,0 client"), calls.end()) << o.log;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "drop " + Ansi(temp) + "imshot1.png"), calls.end()) << o.log;
    EXPECT_EQ(vt::ReadFileBytes(temp + L"imshot1.png").substr(1, 3), "PNG");
    ExpectAllReleased(o.log);

    // With the File destination on, the file it saved of this very capture goes.
    record.SendTo[dFile] = 1;
    record.SendTo[dIM] = 1;
    Start("contact bob@example.test 2\n");
    ASSERT_TRUE(vt::Post(main, WM_HOTKEY, GlobalFindAtomW(L"Print Screen")));
    const std::string l = Log("drop " + Ansi(out));
    EXPECT_NE(l.find("drop " + Ansi(out) + "saved.bmp\n"), std::string::npos) << l;
    EXPECT_FALSE(vt::FileExists(temp + L"imshot2.png")) << "no copy written";
}

// ---- Outlook with the image attached --------------------------------------------------------

TEST_F(AutomationProgram, OutlookGetsAMailItemWithTheAttachment) {
    Associate(L".msg");
    record.MailClient = mcOutlook;
    record.MailMethod = 2;
    Outcome o = Deliver(kHandOverMail, "", false);
    EXPECT_EQ(o.notice, "sent");
    EXPECT_EQ(Calls(o.log), (std::vector<std::string>{
                                "Outlook.CreateItem(0)", "MailItem.Recipients()", "Recipients.Add(\"a@b.example\")",
                                "MailItem.Subject = \"My shot\"", "MailItem.Attachments()",
                                "Attachments.Add(\"" + Ansi(temp) + "mailshot.png\")", "MailItem.Display()"}));
    EXPECT_EQ(vt::ReadFileBytes(temp + L"mailshot.png").substr(1, 3), "PNG");
    ExpectAllReleased(o.log);

    // Without recipients none is added; the rest still happens.
    record.MailTo.clear();
    o = Deliver(kHandOverMail, "", false);
    EXPECT_EQ(o.notice, "sent");
    EXPECT_EQ(Calls(o.log), (std::vector<std::string>{"Outlook.CreateItem(0)", "MailItem.Subject = \"My shot\"",
                                                      "MailItem.Attachments()",
                                                      "Attachments.Add(\"" + Ansi(temp) + "mailshot.png\")",
                                                      "MailItem.Display()"}));
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
        const Outcome o = Deliver(kHandOverMail, c.script);
        EXPECT_EQ(o.box, c.box);
        EXPECT_EQ(o.notice, "cancelled");
        ExpectAllReleased(o.log);
    }
    vt::DeleteKeyTree(L"Outlook.Application", HKEY_CLASSES_ROOT);
    EXPECT_EQ(Deliver(kHandOverMail, "").box, L"Outlook is not working properly on this computer.");
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
    Outcome o = Deliver(kHandOverMail, "");
    EXPECT_EQ(o.box, L"To e-mail screenshots using Vorlix, Lotus Notes must be running.");
    EXPECT_EQ(o.notice, "cancelled");
    EXPECT_EQ(Calls(o.log), std::vector<std::string>{});

    NotesWindow notes;
    ASSERT_TRUE(notes);
    // Attached; a mail file already in the folder "Mail" is left as it is.
    o = Deliver(kHandOverMail, "env MailServer CN=Hub/O=Acme\nenv MailFile Mail\\me.nsf\n", false);
    EXPECT_EQ(o.notice, "sent");
    EXPECT_EQ(Calls(o.log),
              (std::vector<std::string>{
                  "NotesSession.GetEnvironmentString(\"MailServer\", True)",
                  "NotesSession.GetEnvironmentString(\"MailFile\", True)",
                  "NotesUIWorkspace.ComposeDocument(\"CN=Hub/O=Acme\", \"Mail\\me.nsf\", \"Memo\")",
                  "NotesUIDocument.Document()", "NotesDocument.ReplaceItemValue(\"SendTo\", \"a@b.example\")",
                  "NotesDocument.ReplaceItemValue(\"EnterSendTo\", \"a@b.example\")",
                  "NotesDocument.ReplaceItemValue(\"Subject\", \"My shot\")",
                  "NotesDocument.CreateRichTextItem(\"Body\")",
                  "NotesRichTextItem.EmbedObject(1454, \"\", \"" + Ansi(temp) + "mailshot.png\")",
                  "NotesUIWorkspace.EditDocument(True, <NotesDocument>)", "NotesUIDocument.GoToField(\"Body\")",
                  "NotesUIDocument.Close(False)"}));
    ExpectAllReleased(o.log);

    // Embedded: the picture is pasted from the clipboard, no file is written;
    // a mail file outside "mail\" is put there.
    record.MailMethod = 1;
    DeleteFileW((temp + L"shot1.gif").c_str());
    record.FileName = "shot";
    o = Deliver(kHandOverMail, "env MailFile me.nsf\n", false);
    EXPECT_EQ(o.notice, "sent");
    const std::vector<std::string> calls = Calls(o.log);
    EXPECT_NE(std::find(calls.begin(), calls.end(), "NotesUIWorkspace.ComposeDocument(\"\", \"mail\\me.nsf\", \"Memo\")"),
              calls.end()) << o.log;
    EXPECT_NE(std::find(calls.begin(), calls.end(), "NotesUIDocument.Paste() [clipboard 19x13]"), calls.end()) << o.log;
    EXPECT_EQ(o.log.find("EmbedObject"), std::string::npos);
    EXPECT_FALSE(vt::FileExists(temp + L"shot1.gif"));

    // A failure inside Notes ends the route silently, with everything released.
    record.MailMethod = 2;
    o = Deliver(kHandOverMail, "fail NotesUIWorkspace.EditDocument\n", false);
    EXPECT_EQ(o.notice, "cancelled") << "no box holds it up";
    ExpectAllReleased(o.log);
}

}  // namespace
