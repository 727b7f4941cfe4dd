// The ICQ contact rules in the test process, against the scripted ICQMAPI.dll:
// look-ups by number and nick, and what a typed contact becomes.
#include <gtest/gtest.h>

#include <windows.h>

#include "base/globals.h"
#include "delivery/icq_binding.h"
#include "support/vorlix_test.h"

namespace {

TIcqContact Contact(uint32_t number, const char* nick) {
    TIcqContact c{};
    c.number = number;
    c.nick = nick;
    return c;
}

class IcqBinding : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring dir = vt::ScratchDir();
        ASSERT_TRUE(vt::CopyFileTo(vt::BinFile(L"fake_icqmapi.dll"), vt::Join(dir, L"ICQMAPI.dll")));
        SetDllDirectoryW(dir.c_str());
        const std::wstring script = vt::Join(dir, L"icq.txt");
        ASSERT_TRUE(vt::WriteFileBytes(script, "contact 4000000000 big\ncontact 222 Bob\ncontact 333 bob\n"));
        env_ = std::make_unique<vt::ScopedEnv>(L"VORLIX_ICQ_SCRIPT", script);
        log_ = std::make_unique<vt::ScopedEnv>(L"VORLIX_ICQ_LOG", vt::Join(dir, L"icq.log"));
        logPath = vt::Join(dir, L"icq.log");
        ASSERT_TRUE(RefreshIcqContacts());
        ASSERT_EQ(IcqContactCache.count, 3) << vt::ReadFileBytes(logPath);
    }
    std::unique_ptr<vt::ScopedEnv> env_, log_;
    std::wstring logPath;
};

TEST_F(IcqBinding, TypedContactsAndLookups) {
    EXPECT_EQ(FindIcqContactIndex("BOB"), 2) << "nicks without regard to case, the first one";
    EXPECT_EQ(FindIcqContactIndex("333"), 3);
    EXPECT_EQ(FindIcqContactIndex("4000000000"), 1) << "numbers above 2^31 in decimal";
    EXPECT_EQ(FindIcqContactIndex("nobody"), 0);

    struct Typed {
        const char* text;
        uint32_t number;
        const char* nick;
    } typed[] = {
        {"bob", 222, "Bob"},  {"123", 123, "123"},          {"-5", 0, "-5"},  {"4294967295", 4294967295u, "4294967295"},
        {"4294967296", 0, "4294967296"}, {"99999999999", 0, "99999999999"}, {"12ab", 0, "12ab"}, {"", 0, ""},
    };
    for (const Typed& t : typed) {
        TIcqContact c = Contact(7, "old");
        ParseIcqContact(t.text, c);
        EXPECT_EQ(c.number, t.number) << t.text;
        EXPECT_EQ(c.nick.str(), t.nick) << t.text;
    }
    TIcqContact c;
    ParseIcqContact(std::string(80, 'x'), c);
    EXPECT_EQ(c.nick.size(), 50);

    c = Contact(222, "x");
    EXPECT_TRUE(LookupIcqContact(c, 1));
    EXPECT_EQ(c.nick.str(), "Bob");
    c = Contact(0, "bob");
    EXPECT_TRUE(LookupIcqContact(c, 2));
    EXPECT_EQ(c.number, 333u);
    c = Contact(333, "bob");
    EXPECT_TRUE(LookupIcqContact(c, 3));
    c = Contact(333, "Bob");
    EXPECT_FALSE(LookupIcqContact(c, 3));
}

}  // namespace
