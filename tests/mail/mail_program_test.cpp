// The Mail destination in the real program: mail programs found through the
// file associations (the recorder stands in for each), images handed over to
// Mail, the message files and command lines the mail programs get, and the
// arguments of the SMTP sender. When VORLIX_MAIL_OUT names a folder, every
// message written is copied there with what it should say, for Python's email
// parser on the host (check_mail.py).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <fstream>

#include "base/configuration.h"
#include "delivery/mail_base64.h"
#include "delivery/mail_message.h"
#include "mail_templates.h"
#include "stand_in.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace {

const wchar_t kCaption[] = L"Vorlix Message";
const wchar_t* const kExtensions[] = {L".msg", L".eml", L".nws", L".aim", L".sta", L".imk", L".ima", L".imc",
                                      L".ime", L".imf", L".imi", L".imn", L".ims", L".imw", L".nsf"};

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

std::wstring Wide(const std::string& s, UINT codePage = CP_ACP) {
    std::wstring out(s.size() + 1, L'\0');
    out.resize(MultiByteToWideChar(codePage, 0, s.c_str(), int(s.size()), out.data(), int(out.size())));
    return out;
}

std::string Ansi(const std::wstring& s, UINT codePage) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(WideCharToMultiByte(codePage, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr, nullptr));
    return out;
}

void Associate(const std::wstring& extension, const std::wstring& program) {
    ASSERT_TRUE(vt::Associate(extension, program));
}

void ForgetAssociations() {
    for (const wchar_t* e : kExtensions) vt::ForgetAssociation(e);
}

std::wstring Environment(const wchar_t* name) {
    wchar_t value[MAX_PATH] = {};
    return GetEnvironmentVariableW(name, value, MAX_PATH) ? value : L"";
}

// What a kept message should say, for check_mail.py (UTF-8, key=value lines;
// a value's line ends written as \n).
struct Expected {
    std::wstring to, subject;
    std::wstring from, rcpt, body;  // SMTP only: the envelope and the text
    std::wstring imageName;         // the attachment's name, when it is checked
};

// Writes (when the host check is wanted) one case for check_mail.py: the
// message, the image it should carry, and what it should say.
void KeepForHostCheck(const std::wstring& name, const std::wstring& message, const std::wstring& image,
                      const Expected& e, const std::wstring& envelope = L"") {
    const std::wstring out = Environment(L"VORLIX_MAIL_OUT");
    if (out.empty()) return;
    const std::wstring dir = vt::Join(out, name);
    vt::DeleteTree(dir);
    ASSERT_TRUE(vt::MakeDirs(dir));
    ASSERT_TRUE(vt::CopyFileTo(message, vt::Join(dir, L"message.eml")));
    if (!image.empty()) {
        ASSERT_TRUE(vt::CopyFileTo(image, vt::Join(dir, L"image")));
    }
    if (!envelope.empty()) {
        ASSERT_TRUE(vt::CopyFileTo(envelope, vt::Join(dir, L"envelope.json")));
    }
    auto line = [](const char* key, const std::wstring& v) {
        std::string text = vt::Utf8(v), escaped;
        for (char c : text) {
            if (c == '\n') escaped += "\\n";
            else if (c != '\r') escaped += c;
        }
        return std::string(key) + "=" + escaped + "\n";
    };
    std::string text = line("to", e.to) + line("subject", e.subject);
    if (!envelope.empty()) text += line("from", e.from) + line("rcpt", e.rcpt) + line("body", e.body);
    if (!e.imageName.empty()) text += line("image_name", e.imageName);
    ASSERT_TRUE(vt::WriteFileBytes(vt::Join(dir, L"expect.txt"), text));
}

class MailProgram : public ::testing::Test {
protected:
    void SetUp() override {
        ForgetAssociations();
        clients = vt::Join(scratch, L"clients");
        record.FileName = "shot";
        record.MailFileName = "mailshot";
        record.MailFormat = ifPNG;
        record.MailTo = "a@b.example";
        record.MailSubject = "My shot";
    }
    void TearDown() override {
        run.Stop();
        ForgetAssociations();
    }

    void Start(const wchar_t* exe = L"Vorlix.exe", vt::Environment env = {}) {
        ASSERT_TRUE(run.Start(exe, env));
    }
    void Stop() { run.Stop(); }
    TConfiguration Stored() { return run.Stored(); }

    // Hands an image to the Mail destination.
    void HandOver() {
        vt::Pixels p(23, 11);
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) p.At(x, y) = RGB(x * 11, y * 23, (x * y) & 0xFF);
        ASSERT_TRUE(run.PutHandOver(p, WM_HANDOVER_MAIL));
    }
    // The n-th program started (waits for it).
    vt::RecorderRecord Started(size_t n = 1) {
        EXPECT_TRUE(vt::WaitUntil([&] { return vt::ReadRecorderLog(log).size() >= n; }, 15000)) << "nothing started";
        auto records = vt::ReadRecorderLog(log);
        return records.size() >= n ? records[n - 1] : vt::RecorderRecord{};
    }
    std::vector<std::wstring> Arguments(const vt::RecorderRecord& r) {
        auto a = vt::SplitCommandLine(r.commandLine);
        if (!a.empty()) a.erase(a.begin());
        return a;
    }
    // The error box the delivery shows; its text, and it is answered.
    std::wstring ErrorBox() { return run.ErrorBox(); }

    vt::Program run{{.notices = vt::Notices::Still}};
    TConfiguration& record = run.record;
    const std::wstring& scratch = run.scratch;
    const std::wstring& program = run.folder;
    const std::wstring temp = vt::WithSlash(run.temp);
    const vt::Process& running = run.process;
    const HWND& main = run.main;
    const std::wstring& log = run.recorderLog;
    std::wstring clients;
};

TEST_F(MailProgram, DetectionKeepsFoundClientsAndFallsBackToSmtp) {
    // Netscape is found through AIM's association: "AIM" must appear in capitals.
    Associate(L".aim", vt::CopyRecorderAs(vt::Join(clients, L"netscape\\aim\\aim.exe")));
    vt::CopyRecorderAs(vt::Join(clients, L"netscape\\netscape.exe"));
    // A file of the probe's name that is somebody else's stays as it is.
    const std::wstring foreignProbe = temp + L"client.aim";
    ASSERT_TRUE(vt::WriteFileBytes(foreignProbe, "mine"));
    record.MailClient = mcNetscape;
    Start();
    EXPECT_EQ(Stored().MailClient, mcSmtp) << "lower-case aim is not Netscape's";
    EXPECT_EQ(vt::ReadFileBytes(foreignProbe), "mine");
    Stop();
    DeleteFileW(foreignProbe.c_str());

    // Outlook Express: .eml owned by msimn.exe; IncrediMail: IncMail.exe
    // beside the program of its first associated extension.
    Associate(L".eml", vt::CopyRecorderAs(vt::Join(clients, L"oe\\msimn.exe")));
    Associate(L".imc", vt::CopyRecorderAs(vt::Join(clients, L"im\\other.exe")));
    vt::CopyRecorderAs(vt::Join(clients, L"im\\IncMail.exe"));
    for (uint8_t kind : {uint8_t(mcOutlookExpress), uint8_t(mcIncrediMail), uint8_t(mcSmtp), uint8_t(0)}) {
        SCOPED_TRACE(int(kind));
        record.MailClient = kind;
        Start();
        EXPECT_EQ(Stored().MailClient, kind) << "a found client, SMTP and unknown values stay";
        Stop();
    }
    for (const wchar_t* e : kExtensions) EXPECT_FALSE(vt::FileExists(temp + L"client" + e)) << "probe left behind";

    // Not found: Outlook (nothing owns .msg), Lotus Notes, Eudora.
    for (uint8_t kind : {uint8_t(mcOutlook), uint8_t(mcEudora), uint8_t(mcLotusNotes)}) {
        SCOPED_TRACE(int(kind));
        record.MailClient = kind;
        Start();
        EXPECT_EQ(Stored().MailClient, mcSmtp);
        Stop();
    }
}

TEST_F(MailProgram, OutlookExpressGetsTheMessageEmbeddedAndAttached) {
    const std::wstring oe = vt::CopyRecorderAs(vt::Join(clients, L"Outlook Express\\msimn.exe"));
    Associate(L".eml", oe);
    record.MailClient = mcOutlookExpress;
    for (uint8_t method : {uint8_t(1), uint8_t(2)}) {
        SCOPED_TRACE(int(method));
        DeleteFileW(log.c_str());
        record.MailMethod = method;
        record.MailTo = method == 1 ? "a@b.example" : "";
        Start();
        HandOver();
        const vt::RecorderRecord r = Started();
        EXPECT_TRUE(vt::SamePath(r.exe, oe));
        const std::wstring image = temp + (method == 1 ? L"shot1.gif" : L"mailshot.png");
        const std::wstring message = temp + (method == 1 ? L"shot1.eml" : L"mailshot.eml");
        EXPECT_EQ(r.commandLine, L"\"" + oe + L"\" /eml:\"" + message + L"\"");

        mail::MessageFields f;
        f.to = record.MailTo.str();
        f.subject = record.MailSubject.str();
        f.imagePath = Ansi(image);
        f.attached = method == 2;
        const std::string bytes = vt::ReadFileBytes(image);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(vt::ReadFileBytes(message),
                  mail::JoinLines(mail::OutlookExpressMessage(mailtest::OutlookExpressTemplate(), f,
                                                              base64::Encode(bytes))));
        KeepForHostCheck(method == 1 ? L"oe-embedded" : L"oe-attached", message, image,
                         {Wide(f.to), Wide(f.subject), L"", L"", L"", L""});
        Stop();
    }
}

TEST_F(MailProgram, NetscapeGetsTheMessageEmbeddedAndAttached) {
    Associate(L".aim", vt::CopyRecorderAs(vt::Join(clients, L"Netscape\\AIM\\aim.exe")));
    const std::wstring netscape = vt::CopyRecorderAs(vt::Join(clients, L"Netscape\\netscape.exe"));
    record.MailClient = mcNetscape;
    record.MailFormat = ifJPEG;
    for (uint8_t method : {uint8_t(1), uint8_t(2)}) {
        SCOPED_TRACE(int(method));
        DeleteFileW(log.c_str());
        record.MailMethod = method;
        Start();
        HandOver();
        const vt::RecorderRecord r = Started();
        EXPECT_TRUE(vt::SamePath(r.exe, netscape));
        const std::wstring image = temp + (method == 1 ? L"shot1.gif" : L"mailshot.jpg");
        const std::wstring message = temp + (method == 1 ? L"shot1.txt" : L"mailshot.txt");
        EXPECT_EQ(Arguments(r), (std::vector<std::wstring>{L"-compose", message}));

        mail::MessageFields f;
        f.to = record.MailTo.str();
        f.subject = record.MailSubject.str();
        f.imagePath = Ansi(image);
        f.attached = method == 2;
        EXPECT_EQ(vt::ReadFileBytes(message),
                  mail::JoinLines(mail::NetscapeMessage(mailtest::NetscapeTemplate(), f,
                                                        base64::Encode(vt::ReadFileBytes(image)))));
        KeepForHostCheck(method == 1 ? L"netscape-embedded" : L"netscape-attached", message,
                         method == 1 ? L"" : image, {Wide(f.to), Wide(f.subject), L"", L"", L"", L""});
        Stop();
    }
}

TEST_F(MailProgram, AChineseSubjectAndFileNameReachOutlookExpressAndNetscapeEncoded) {
    // The Chinese build on a system whose code page is 936 (check_mail.py
    // runs this test again with LANG=zh_CN.UTF-8): the record's texts are GBK
    // bytes, and the messages name that character set for them.
    if (GetACP() != 936) GTEST_SKIP() << "needs the code page 936";
    const std::wstring subject = L"\u5c4f\u5e55\u622a\u56fe\uff1a\u4e2d\u6587\u4e3b\u9898\u884c\u6d4b\u8bd5"
                                 L"\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d\u5341";
    const std::wstring name = L"\u90ae\u4ef6\u622a\u56fe";
    record.MailSubject = Ansi(subject, 936);
    record.MailFileName = Ansi(name, 936);
    record.MailMethod = 2;
    Associate(L".eml", vt::CopyRecorderAs(vt::Join(clients, L"Outlook Express\\msimn.exe")));
    Associate(L".aim", vt::CopyRecorderAs(vt::Join(clients, L"Netscape\\AIM\\aim.exe")));
    vt::CopyRecorderAs(vt::Join(clients, L"Netscape\\netscape.exe"));
    // A name without a lower-case letter a to z is saved upper-cased, its
    // extension too.
    const std::wstring image = temp + name + L".PNG";
    for (uint8_t client : {uint8_t(mcOutlookExpress), uint8_t(mcNetscape)}) {
        SCOPED_TRACE(int(client));
        DeleteFileW(log.c_str());
        record.MailClient = client;
        Start(L"Vorlix-cn.exe");
        HandOver();
        Started();
        const std::wstring message = temp + name + (client == mcOutlookExpress ? L".eml" : L".txt");
        mail::MessageFields f;
        f.to = record.MailTo.str();
        f.subject = record.MailSubject.str();
        f.imagePath = Ansi(image, 936);
        f.attached = true;
        f.charset = "gbk";
        const std::string base64 = base64::Encode(vt::ReadFileBytes(image));
        EXPECT_EQ(vt::ReadFileBytes(message),
                  mail::JoinLines(client == mcOutlookExpress
                                      ? mail::OutlookExpressMessage(mailtest::OutlookExpressTemplate(), f, base64)
                                      : mail::NetscapeMessage(mailtest::NetscapeTemplate(), f, base64)));
        KeepForHostCheck(client == mcOutlookExpress ? L"oe-chinese" : L"netscape-chinese", message, image,
                         {Wide(f.to), subject, L"", L"", L"", name + L".PNG"});
        Stop();
    }
}

TEST_F(MailProgram, EudoraIncrediMailAndOutlookGetTheirCommandLines) {
    const std::wstring eudora = vt::CopyRecorderAs(vt::Join(clients, L"Eudora\\eudora.exe"));
    Associate(L".sta", eudora);
    const std::wstring incredimail = vt::CopyRecorderAs(vt::Join(clients, L"IncrediMail\\IncMail.exe"));
    Associate(L".ima", incredimail);
    Associate(L".msg", vt::CopyRecorderAs(vt::Join(clients, L"Office\\outlook.exe")));

    // Eudora, embedded: a numbered JPEG shown by its stationery.
    record.MailClient = mcEudora;
    record.MailMethod = 1;
    Start();
    HandOver();
    vt::RecorderRecord r = Started(1);
    EXPECT_TRUE(vt::SamePath(r.exe, eudora));
    EXPECT_EQ(Arguments(r), std::vector<std::wstring>{temp + L"shot1.sta"});
    EXPECT_EQ(vt::ReadFileBytes(temp + L"shot1.sta"),
              "To: a@b.example\r\nFrom: \r\nSubject: My shot\r\nX-Stationery: 41405 3\r\n\r\n"
              "<x-html><html><head></head><body><font face=\"Arial, Helvetica\">&nbsp;</font><br><br><div><img "
              "src=\"file://" + Ansi(temp) + "shot1.jpg\" border=0></div></body></html><x-html>\r\n");
    EXPECT_EQ(vt::ReadFileBytes(temp + L"shot1.jpg").substr(0, 2), "\xFF\xD8");
    Stop();

    // IncrediMail takes no embedded image: the user is told once, the setting
    // stays "attached", and a double quote in the subject cannot end its argument.
    record.MailClient = mcIncrediMail;
    record.MailSubject = "The \"best\" shot";
    Start();
    HandOver();
    HWND box = vt::WaitForMessageBox(running.Id(), kCaption, 15000);
    ASSERT_TRUE(box);
    EXPECT_EQ(vt::ReadMessageBox(box).text,
              L"IncrediMail doesn't allow embedding.\rYour screenshots will be sent as attachements.");
    vt::PressButton(box, L"OK");
    r = Started(2);
    EXPECT_TRUE(vt::SamePath(r.exe, incredimail));
    EXPECT_EQ(r.commandLine, L"\"" + incredimail + L"\" /c /n /r:\"1,,a@b.example\" /s:\"The 'best' shot\" /att:\"" +
                                 temp + L"shot1.gif\"");
    EXPECT_EQ(Stored().MailMethod, 2);
    Stop();

    // Outlook, embedded: the real Pradomel beside the program, given the
    // image and a blank for each empty value, puts the image into a new
    // Outlook message (the automation stand-in plays Outlook): nobody
    // addressed, no subject, the picture shown in the body.
    ASSERT_NO_FATAL_FAILURE(RegisterAutomationStandIn());
    const std::wstring pradomel = vt::Join(program, L"pradomel.exe");
    ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"pradomel.exe"), pradomel));
    const std::wstring calls = vt::Join(scratch, L"automation.log"), helperLog = vt::Join(scratch, L"pradomel.log");
    record.MailClient = mcOutlook;
    record.MailMethod = 1;
    record.MailTo.clear();
    record.MailSubject.clear();
    Start(L"Vorlix.exe", {{L"VORLIX_AUTOMATION_LOG", calls}, {L"VORLIX_PRADOMEL_LOG", helperLog}});
    HandOver();
    EXPECT_EQ(vt::WaitForLogLine(helperLog, "opened"), "opened\t\n");
    Stop();
    const std::string log = vt::ReadFileBytes(calls);
    const std::vector<std::string> made = StandInCalls(log);
    const auto call = [&](const std::string& start) {
        const auto it = std::find_if(made.begin(), made.end(), [&](const std::string& c) { return c.rfind(start, 0) == 0; });
        return it == made.end() ? std::string() : *it;
    };
    EXPECT_EQ(call("MailItem.To"), "");
    EXPECT_EQ(call("MailItem.Subject"), "MailItem.Subject = \"\"");
    EXPECT_EQ(call("Attachments.Add"), "Attachments.Add(\"" + Ansi(temp) + "shot1.gif\", 1)");
    EXPECT_NE(call("MailItem.HTMLBody").find("<img src=\"cid:"), std::string::npos) << log;
    EXPECT_EQ(made.back(), "MailItem.Display()");
    ExpectAllReleased(log);

    // Without Pradomel: the user is told.
    DeleteFileW(pradomel.c_str());
    Start();
    HandOver();
    EXPECT_EQ(ErrorBox(), L"File pradomel.exe is missing, please reinstall Vorlix");
    Stop();
}

TEST_F(MailProgram, SmtpSenderGetsThirteenArgumentsWhateverTheyHold) {
    const std::wstring sulvane = vt::CopyRecorderAs(vt::Join(program, L"sulvane.exe"));
    record.MailClient = mcSmtp;

    // Incomplete settings: told, nothing started.
    record.MailTo.clear();
    Start();
    HandOver();
    EXPECT_EQ(ErrorBox(), L"Please enter your Recipient, E-Mail, SMTP Server and Port.");
    Stop();

    // Quotes and backslashes come through whole; empty values are a blank.
    record.MailTo = "a@b.example; c@d.example";
    record.MailSubject = "say \"cheese\"\\";
    record.SmtpBody.clear();
    record.SmtpFrom = "me@x.example";
    record.SmtpServer = "127.0.0.1";
    record.SmtpPort = 25;
    record.SmtpUserName.clear();
    record.SmtpPassword = "p\"w\\\"d\\";
    record.SmtpPreview = 0;
    record.SmtpProgress = 7;
    record.MailMethod = 1;
    record.MailFormat = ifBMP;
    Start();
    HandOver();
    const vt::RecorderRecord r = Started();
    EXPECT_TRUE(vt::SamePath(r.exe, sulvane));
    EXPECT_TRUE(vt::SamePath(r.workDir, program));
    EXPECT_EQ(Arguments(r), (std::vector<std::wstring>{L"a@b.example; c@d.example", L"say \"cheese\"\\", L" ",
                                                       L"me@x.example", L"127.0.0.1", L"25", L" ", L"p\"w\\\"d\\",
                                                       L"0", L"1", temp + L"shot1.gif", L"mailshot.bmp", L"1"}));
    Stop();

    // Unknown client: told.
    record.MailClient = 0;
    Start();
    HandOver();
    EXPECT_EQ(ErrorBox(), L"No email program available on this computer.");
}

TEST_F(MailProgram, StartsAndSavesThatFailAreTold) {
    // Programs that are there but do not start (no program inside the file).
    auto broken = [&](const std::wstring& path) {
        EXPECT_TRUE(vt::WriteFileBytes(path, "not a program"));
        return path;
    };
    Associate(L".eml", broken(vt::Join(clients, L"oe\\msimn.exe")));
    Associate(L".aim", vt::CopyRecorderAs(vt::Join(clients, L"ns\\AIM\\aim.exe")));
    broken(vt::Join(clients, L"ns\\netscape.exe"));
    Associate(L".sta", broken(vt::Join(clients, L"eudora\\eudora.exe")));
    Associate(L".ima", broken(vt::Join(clients, L"im\\IncMail.exe")));
    Associate(L".msg", vt::CopyRecorderAs(vt::Join(clients, L"office\\outlook.exe")));
    broken(vt::Join(program, L"pradomel.exe"));
    record.MailMethod = 2;
    struct Case {
        uint8_t client;
        std::wstring box;  // "" for a silent failure
    } cases[] = {
        {mcOutlookExpress,
         L"Outlook Express is either corrupted or not working properly on your computer.\rPlease reinstall Outlook Express."},
        {mcNetscape, L"Netscape is either corrupted or not working properly on your computer.\rPlease reinstall Netscape."},
        {mcEudora, L"Eudora is either corrupted or not working properly on your computer.\rPlease reinstall Eudora."},
        {mcIncrediMail, L""},
        {mcOutlook, L""},  // embedded: Pradomel that does not start has sent nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.client));
        record.MailClient = c.client;
        record.MailMethod = c.client == mcOutlook ? 1 : 2;
        Start();
        HandOver();
        if (!c.box.empty()) {
            EXPECT_EQ(ErrorBox(), c.box);
        }
        EXPECT_EQ(vt::NoticeOutcome(main), "cancelled");
        Stop();
    }

    // SMTP: an empty attachment name is a failed save, told twice; without
    // the sender the user is told too.
    vt::CopyRecorderAs(vt::Join(program, L"sulvane.exe"));
    record.MailClient = mcSmtp;
    record.MailMethod = 2;
    record.MailFileName.clear();
    record.SmtpFrom = "me@x.example";
    record.SmtpServer = "127.0.0.1";
    record.SmtpPort = 25;
    Start();
    HandOver();
    EXPECT_EQ(ErrorBox(), L"Temporary file cannot be created.");
    EXPECT_EQ(ErrorBox(), L"Temporary file cannot be saved.");
    EXPECT_EQ(vt::NoticeOutcome(main), "cancelled");
    EXPECT_FALSE(vt::FileExists(temp + L".png")) << "no file called by its extension alone";
    Stop();
    ASSERT_TRUE(DeleteFileW(vt::Join(program, L"sulvane.exe").c_str()));
    record.MailFileName = "mailshot";
    Start();
    HandOver();
    EXPECT_EQ(ErrorBox(), L"A file is missing. Please reinstall Vorlix.");
}


// ---- The SMTP sender against a real server -----------------------------------------------

// The test server of the ctest fixture (smtp_server.py): its folder, port,
// and the one login it accepts.
class SmtpProgram : public MailProgram {
protected:
    void SetUp() override {
        MailProgram::SetUp();
        server = Environment(L"VORLIX_SMTP_DIR");
        if (server.empty()) GTEST_SKIP() << "no SMTP server: run through check_mail.py with the ctest fixture";
        const std::string skipped = vt::ReadFileBytes(vt::Join(server, L"skipped"));
        if (!skipped.empty()) GTEST_SKIP() << skipped;
        port = atoi(vt::ReadFileBytes(vt::Join(server, L"port")).c_str());
        ASSERT_GT(port, 0);
        ASSERT_LT(port, 256) << "the settings hold the port in one byte";
        ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"sulvane.exe"), vt::Join(program, L"sulvane.exe")));
        senderLog = vt::Join(scratch, L"sulvane.log");
        record.MailClient = mcSmtp;
        record.SmtpFrom = "me@vorlix.example";
        record.SmtpServer = "127.0.0.1";
        record.SmtpPort = uint8_t(port);
        record.SmtpUserName = "vorlix";
        record.SmtpPassword = "pa\"ss\\wo rd\\";
        record.SmtpPreview = 0;
        record.SmtpProgress = 1;
    }
    void StartSending(const wchar_t* exe = L"Vorlix.exe", vt::Environment env = {}) {
        env.emplace_back(L"VORLIX_SULVANE_LOG", senderLog);
        Start(exe, env);
    }
    size_t Received() {
        size_t n = 0;
        while (vt::FileExists(vt::Join(server, std::to_wstring(n + 1) + L".json"))) ++n;
        return n;
    }
    // The sender's log once it has written line n.
    std::string SenderLog(size_t n = 1) {
        vt::WaitUntil([&] {
            const std::string t = vt::ReadFileBytes(senderLog);
            return size_t(std::count(t.begin(), t.end(), '\n')) >= n;
        }, 30000);
        return vt::ReadFileBytes(senderLog);
    }
    // Sends with the settings and keeps what the server got for the host check.
    void SendAndKeep(const std::wstring& name, const std::wstring& image, const Expected& e,
                     const wchar_t* exe = L"Vorlix.exe", vt::Environment env = {}) {
        const size_t before = Received();
        StartSending(exe, env);
        HandOver();
        EXPECT_EQ(SenderLog(), "sent\t\n");
        ASSERT_TRUE(vt::WaitUntil([&] { return Received() == before + 1; }, 10000)) << "nothing arrived";
        const std::wstring n = std::to_wstring(before + 1);
        KeepForHostCheck(name, vt::Join(server, n + L".eml"), image, e, vt::Join(server, n + L".json"));
        Stop();
    }
    // The sender's failure box: its text, answered.
    std::wstring SenderBox() { return vt::AnswerMessageBox(0, L"Vorlix Mail", 30000); }

    std::wstring server, senderLog;
    int port = 0;
};

TEST_F(SmtpProgram, TheCaptureArrivesAttachedAndEmbedded) {
    // 250 characters of recipients, a subject with quotes and a backslash, a
    // body with lines of a single dot.
    std::string to;
    std::wstring rcpt;
    for (int i = 10;; ++i) {
        const std::string one = "rcpt" + std::to_string(i) + "@example.test";
        if (to.size() + 2 + one.size() > 250) break;
        to += (to.empty() ? "" : (i % 2 ? "; " : ", ")) + one;
        rcpt += (rcpt.empty() ? L"" : L",") + Wide(one);
    }
    to.resize(250, ' ');
    record.MailTo = to;
    record.MailSubject = "The \"best\" shot \\";
    record.SmtpBody = "Hello,\r\n.\r\n..\r\n.end";
    record.MailMethod = 2;
    record.MailFormat = ifPNG;
    const Expected e{rcpt, L"The \"best\" shot \\", L"me@vorlix.example", rcpt, L"Hello,\n.\n..\n.end", L""};
    SendAndKeep(L"smtp-attached", temp + L"mailshot.png", e);

    record.MailMethod = 1;
    SendAndKeep(L"smtp-embedded", temp + L"shot1.gif", e);
}

TEST_F(SmtpProgram, AChineseSubjectArrivesEncoded) {
    // The Chinese build on a system whose code page is 936 (check_mail.py
    // runs this test again with LANG=zh_CN.UTF-8, which Wine's processes take
    // their code page from).
    if (GetACP() != 936) GTEST_SKIP() << "needs the code page 936";
    const std::wstring subject = L"\u5c4f\u5e55\u622a\u56fe \u4e2d\u6587\u4e3b\u9898\u884c\u6d4b\u8bd5\u4e00\u4e8c\u4e09\u56db\u4e94\u516d\u4e03\u516b\u4e5d\u5341";
    record.MailTo = "zh@example.test";
    record.MailSubject = Ansi(subject, 936);
    record.SmtpBody = Ansi(L"\u4f60\u597d", 936);
    record.MailMethod = 2;
    SendAndKeep(L"smtp-chinese", temp + L"mailshot.png",
                {L"zh@example.test", subject, L"me@vorlix.example", L"zh@example.test", L"\u4f60\u597d", L""},
                L"Vorlix-cn.exe");
}

TEST_F(SmtpProgram, FailuresAreReportedByTheSender) {
    record.MailTo = "a@b.example";
    record.MailMethod = 2;
    const size_t before = Received();

    // A password the server refuses.
    record.SmtpPassword = "wrong";
    StartSending();
    HandOver();
    EXPECT_EQ(SenderBox(), L"Your image could not be sent by e-mail.\r\nThe mail server refused the user name or password.");
    EXPECT_EQ(SenderLog(1), "failed\tThe mail server refused the user name or password.\n");
    Stop();

    // No server on that port.
    record.SmtpPassword.clear();
    record.SmtpUserName.clear();
    record.SmtpPort = 9;
    StartSending();
    HandOver();
    EXPECT_EQ(SenderBox(), L"Your image could not be sent by e-mail.\r\nThe mail server cannot be reached: 127.0.0.1:9");
    Stop();

    // An address that would reach into the envelope.
    record.SmtpPort = uint8_t(port);
    record.MailTo = "a@b.example>, <c@d.example";
    StartSending();
    HandOver();
    EXPECT_EQ(SenderBox(), L"Your image could not be sent by e-mail.\r\nAn e-mail address is not valid: a@b.example>");
    Stop();
    EXPECT_EQ(Received(), before) << "nothing was sent";
}

TEST_F(SmtpProgram, ThePasswordIsInNoMessageOrLogLine) {
    // The server's other user is logged in, then refused by a reply that
    // repeats the password.
    record.MailTo = "a@b.example";
    record.MailMethod = 2;
    record.SmtpUserName = "echo";
    const std::string password = record.SmtpPassword.str();
    StartSending();
    HandOver();
    const std::wstring box = SenderBox();
    EXPECT_EQ(box.find(Wide(password)), std::wstring::npos) << vt::Utf8(box);
    EXPECT_EQ(box, L"Your image could not be sent by e-mail.\r\nThe mail server refused the message: "
                   L"550 5.7.1 Sender refused for echo/********");
    const std::string log = SenderLog(1);
    EXPECT_EQ(log.find(password), std::string::npos) << log;
    EXPECT_EQ(log, "failed\tThe mail server refused the message: 550 5.7.1 Sender refused for echo/********\n");
}

TEST_F(SmtpProgram, PreviewAsksBeforeSending) {
    record.MailTo = "a@b.example";
    record.MailMethod = 2;
    record.SmtpPreview = 1;
    const size_t before = Received();
    StartSending();
    HandOver();
    HWND box = vt::WaitForMessageBox(0, L"Vorlix Mail", 30000);
    ASSERT_TRUE(box);
    const std::wstring text = vt::ReadMessageBox(box).text;
    EXPECT_NE(text.find(L"To: a@b.example"), std::wstring::npos) << text;
    EXPECT_NE(text.find(L"Image: mailshot.png"), std::wstring::npos) << text;
    ASSERT_TRUE(vt::PressButton(box, L"Cancel"));
    EXPECT_EQ(SenderLog(), "cancelled\t\n");
    EXPECT_EQ(Received(), before) << "nothing was sent";
}

}  // namespace
