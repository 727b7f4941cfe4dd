#include "stand_in.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "support/vorlix_test.h"

void RegisterAutomationStandIn() {
    std::wstring source = L"Z:";
    for (const char* c = VORLIX_AUTOMATION_REG; *c; ++c) source += *c == '/' ? L'\\' : wchar_t(*c);
    std::string reg = vt::ReadFileBytes(source);
    ASSERT_FALSE(reg.empty()) << "no registration file";
    // A .reg file writes a backslash in a value as two.
    std::string escaped;
    for (wchar_t c : vt::BinFile(L"fake_automation.dll")) escaped += c == L'\\' ? std::string("\\\\") : std::string(1, char(c));
    for (size_t at; (at = reg.find("@DLL@")) != std::string::npos;) reg.replace(at, 5, escaped);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring file = vt::Join(temp, L"vorlix_fake_automation.reg");
    ASSERT_TRUE(vt::WriteFileBytes(file, reg));
    vt::Process regedit = vt::Process::Start(L"C:\\windows\\regedit.exe", L"/s \"" + file + L"\"");
    ASSERT_TRUE(regedit);
    ASSERT_TRUE(regedit.Wait(30000));
    DeleteFileW(file.c_str());
    for (const wchar_t* c : {L"Outlook.Application", L"Notes.NotesSession", L"Notes.NotesUIWorkspace",
                             L"Messenger.UIAutomation.1"})
        ASSERT_TRUE(vt::KeyExists(std::wstring(c) + L"\\CLSID", HKEY_CLASSES_ROOT)) << c;
}

std::vector<std::string> StandInLines(const std::string& log) {
    std::vector<std::string> lines;
    size_t from = 0;
    for (size_t end; (end = log.find('\n', from)) != std::string::npos; from = end + 1)
        lines.push_back(log.substr(from, end - from));
    return lines;
}

std::vector<std::string> StandInCalls(const std::string& log) {
    std::vector<std::string> calls;
    for (const std::string& l : StandInLines(log))
        if (l.rfind("new ", 0) != 0 && l.rfind("free ", 0) != 0) calls.push_back(l);
    return calls;
}

void ExpectAllReleased(const std::string& log) {
    const auto lines = StandInLines(log);
    const auto made = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("new ", 0) == 0; });
    const auto freed = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("free ", 0) == 0; });
    EXPECT_EQ(made, freed) << log;
}
