// pradomel.exe, the Outlook helper, run as the program starts it (three
// arguments, a blank for an empty value) against the scripted stand-in of
// Outlook's automation server: the calls that make the message (recipients,
// subject, the image attached with a content id, the HTML body that shows it,
// the message displayed), every object released, and how each failure is
// reported (its own message box, exit code and log line).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "stand_in.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kCaption[] = L"Vorlix Mail";
const char kContentId[] = "http://schemas.microsoft.com/mapi/proptag/0x3712001F";
const char kHidden[] = "http://schemas.microsoft.com/mapi/proptag/0x7FFE000B";

class Pradomel : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterAutomationStandIn();
        scratch = vt::ScratchDir();
        image = vt::Join(scratch, L"shot 1.gif");
        ASSERT_TRUE(vt::WriteFileBytes(image, "GIF89a and the rest"));
        script = vt::Join(scratch, L"script.txt");
        calls = vt::Join(scratch, L"automation.log");
        log = vt::Join(scratch, L"pradomel.log");
    }

    struct Run {
        DWORD exitCode = STILL_ACTIVE;
        std::wstring box;   // the message box it showed, "" for none
        std::string calls;  // the stand-in's log
        std::string log;    // its own log
    };
    // Runs the helper with that command line (after the program's path) and
    // that script for the stand-in, answering its message box if it shows one.
    Run Start(const std::wstring& args, const std::string& lines = "", bool expectBox = false) {
        Run r;
        EXPECT_TRUE(vt::WriteFileBytes(script, lines));
        DeleteFileW(calls.c_str());
        DeleteFileW(log.c_str());
        vt::Process p = vt::Process::Start(vt::BinFile(L"pradomel.exe"), args, scratch,
                                           {{L"VORLIX_AUTOMATION_SCRIPT", script},
                                            {L"VORLIX_AUTOMATION_LOG", calls},
                                            {L"VORLIX_PRADOMEL_LOG", log}});
        EXPECT_TRUE(p);
        if (expectBox) r.box = vt::AnswerMessageBox(p.Id(), kCaption, 15000);
        EXPECT_TRUE(p.Wait(15000));
        r.exitCode = p.ExitCode();
        r.calls = vt::ReadFileBytes(calls);
        r.log = vt::ReadFileBytes(log);
        return r;
    }
    static std::wstring Quoted(const std::wstring& s) { return L"\"" + s + L"\""; }

    std::wstring scratch, image, script, calls, log;
};

TEST_F(Pradomel, MakesAnOutlookMessageWithTheImageInItsBody) {
    const Run r = Start(Quoted(image) + L" \"a@b.example; Carol <c@d.example>\" \"My \\\"best\\\" shot\"");
    EXPECT_EQ(r.exitCode, 0u);
    EXPECT_EQ(r.log, "opened\t\n");
    const std::vector<std::string> c = StandInCalls(r.calls);
    ASSERT_EQ(c.size(), 10u) << r.calls;
    const std::string path = vt::Ansi(image);
    EXPECT_EQ(c[0], "Outlook.CreateItem(0)");
    EXPECT_EQ(c[1], "MailItem.To = \"a@b.example; Carol <c@d.example>\"");
    EXPECT_EQ(c[2], "MailItem.Subject = \"My \"best\" shot\"");
    EXPECT_EQ(c[3], "MailItem.Attachments()");
    EXPECT_EQ(c[4], "Attachments.Add(\"" + path + "\", 1)") << "a copy of the file travels with the message";
    EXPECT_EQ(c[5], "Attachment.PropertyAccessor()");
    // The attachment's content id, then hidden from the attachment list.
    const std::string idCall = "PropertyAccessor.SetProperty(\"" + std::string(kContentId) + "\", \"";
    ASSERT_EQ(c[6].rfind(idCall, 0), 0u) << c[6];
    const std::string cid = c[6].substr(idCall.size(), c[6].size() - idCall.size() - 2);
    EXPECT_FALSE(cid.empty());
    EXPECT_EQ(cid.find_first_of(" \"<>()"), std::string::npos) << cid;
    EXPECT_NE(cid.find('@'), std::string::npos) << cid;
    EXPECT_EQ(c[7], "PropertyAccessor.SetProperty(\"" + std::string(kHidden) + "\", True)");
    // The body shows the picture through that id; the file's name is its
    // alternative text.
    EXPECT_EQ(c[8], "MailItem.HTMLBody = \"<html><body><p>&nbsp;</p><p><img src=\"cid:" + cid +
                        "\" alt=\"shot 1.gif\"></p></body></html>\"");
    EXPECT_EQ(c[9], "MailItem.Display()");
    ExpectAllReleased(r.calls);
}

TEST_F(Pradomel, ABlankIsAnEmptyValue) {
    // As the program passes empty recipients and subject: nobody is
    // addressed, the subject is empty.
    const Run r = Start(Quoted(image) + L" \" \" \" \"");
    EXPECT_EQ(r.exitCode, 0u);
    const std::vector<std::string> c = StandInCalls(r.calls);
    EXPECT_EQ(std::count_if(c.begin(), c.end(), [](const std::string& l) { return l.rfind("MailItem.To", 0) == 0; }), 0);
    EXPECT_NE(std::find(c.begin(), c.end(), "MailItem.Subject = \"\""), c.end());
    EXPECT_EQ(c.back(), "MailItem.Display()");
    ExpectAllReleased(r.calls);
}

TEST_F(Pradomel, FailuresAreToldWithTheirOwnExitCode) {
    const std::wstring good = Quoted(image) + L" \"a@b.example\" \"s\"";
    const std::wstring why = L"Your image could not be put into a new Outlook message.\r\n";
    struct Case {
        std::wstring args;
        std::string script;
        DWORD code;
        std::wstring reason;
    } cases[] = {
        {L"\"only one\"", "", 2, L"The Outlook helper was started with wrong arguments."},
        {Quoted(image) + L" a b c", "", 2, L"The Outlook helper was started with wrong arguments."},
        {Quoted(vt::Join(scratch, L"gone.gif")) + L" a b", "", 3,
         L"The image file cannot be read: " + vt::Join(scratch, L"gone.gif")},
        {L"\" \" a b", "", 3, L"The image file cannot be read: "},
        {good, "refuse Outlook.Application\n", 4, L"Outlook is not working properly on this computer."},
        {good, "fail Outlook.CreateItem\n", 5, L"Outlook refused this step: CreateItem (0x80020009)"},
        {good, "fail Attachments.Add\n", 5, L"Outlook refused this step: Attachments.Add (0x80020009)"},
        // An Outlook without the property accessor (older than 2007) cannot embed.
        {good, "fail PropertyAccessor.SetProperty\n", 5,
         L"Outlook refused this step: PropertyAccessor.SetProperty (0x80020009)"},
        {good, "fail MailItem.Display\n", 5, L"Outlook refused this step: Display (0x80020009)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(vt::Utf8(c.args) + " / " + c.script);
        const Run r = Start(c.args, c.script, true);
        EXPECT_EQ(r.box, why + c.reason);
        EXPECT_EQ(r.exitCode, c.code);
        EXPECT_EQ(r.log, "failed\t" + vt::Utf8(c.reason) + "\n");
        ExpectAllReleased(r.calls);
        const std::vector<std::string> made = StandInCalls(r.calls);
        EXPECT_EQ(std::find(made.begin(), made.end(), "MailItem.Display()"), made.end()) << "no message shown";
    }
}

}  // namespace
