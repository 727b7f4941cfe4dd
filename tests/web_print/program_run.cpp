#include "program_run.h"

#include <gtest/gtest.h>

#include <cstring>

namespace testsupport {

namespace {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";

std::string Ansi(const std::wstring& s) {
    std::string out(s.size() * 2 + 1, '\0');
    out.resize(size_t(WideCharToMultiByte(CP_ACP, 0, s.c_str(), int(s.size()), out.data(), int(out.size()), nullptr,
                                          nullptr)));
    return out;
}

const wchar_t kHandOverFile[] = L"duridevazazu.bmp";

}  // namespace

void ProgramRun::Prepare(const std::vector<std::wstring>& extraFiles, const std::wstring& programFolder) {
    vt::DeleteKeyTree(kRoot);
    scratch = vt::ScratchDir();
    program = vt::Join(scratch, programFolder);
    std::vector<std::wstring> files = {L"Vorlix.exe", L"Vorlix-cn.exe", L"hovrak.dll", L"stelmon.dll"};
    files.insert(files.end(), extraFiles.begin(), extraFiles.end());
    for (const auto& f : files)
        if (vt::FileExists(vt::BinFile(f))) {
            EXPECT_TRUE(vt::CopyFileTo(vt::BinFile(f), Bin(f)));
        }
    DeleteFileW(Temp(kHandOverFile).c_str());

    std::memset(&record, 0, sizeof record);
    DefaultInputs in;
    in.desktopFolder = Ansi(scratch + L"\\");
    in.programFolder = Ansi(program + L"\\");
    SetDefaults(record, in);
    record.FileFolder = in.desktopFolder;
    record.NoticeSlideIn = 1;
    record.NoticeSound = 0;
}

void ProgramRun::Start(const vt::Environment& env, const wchar_t* exe) {
    ASSERT_TRUE(vt::WriteDword(kConfiguration, L"Training", 0));
    ASSERT_TRUE(vt::WriteString(kConfiguration, L"Last Node", L"Activate"));
    ASSERT_TRUE(vt::WriteValue(kSchema, L"", REG_BINARY, &record, sizeof record));
    vt::Environment all = env;
    if (!vt::SamePath(temp, vt::TempDir())) {
        all.emplace_back(L"TMP", temp);
        all.emplace_back(L"TEMP", temp);
    }
    process = vt::Process::Start(Bin(exe), L"", program, all);
    ASSERT_TRUE(process);
    main = vt::WaitForWindow(process.Id(), L"TuMainForm", nullptr, 15000);
    ASSERT_TRUE(main);
    // Start-up (which also clears a stale hand-over file) is over once the
    // tray icon carries its tip.
    HWND tray = vt::WaitForWindow(process.Id(), L"VorlixTrayIcon", nullptr, 15000);
    ASSERT_TRUE(tray);
    ASSERT_TRUE(vt::WaitUntil([&] { return vt::WindowText(tray) == L" Vorlix Tessavue "; }, 15000));
}

void ProgramRun::HandOver(const vt::Pixels& image, UINT message) {
    ASSERT_TRUE(vt::SaveBmp(image, Temp(kHandOverFile)));
    ASSERT_TRUE(vt::Post(main, message));
    EXPECT_TRUE(vt::WaitUntil([&] { return !vt::FileExists(Temp(kHandOverFile)); }, 15000)) << "not taken";
}

std::wstring ProgramRun::HandOverForMessage(UINT message) {
    HandOver(TestImage(16, 16, 1), message);
    return vt::AnswerMessageBox(process.Id(), nullptr, 15000);
}

std::wstring ProgramRun::ErrorBox() { return vt::AnswerMessageBox(process.Id(), L"Vorlix Message", 15000); }

void ProgramRun::Stop() {
    if (process.Running()) {
        vt::Post(main, WM_CLOSE);
        if (!process.Wait(10000)) process.Kill();
    }
    process = vt::Process();
    main = nullptr;
}

ProgramRun::~ProgramRun() {
    Stop();
    DeleteFileW(Temp(kHandOverFile).c_str());
    vt::DeleteKeyTree(kRoot);
}

vt::Pixels TestImage(int width, int height, int seed) {
    vt::Pixels p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.At(x, y) = RGB(x * 6 + seed * 30, y * 9 + 7, (seed * 50 + x * 3 + y) & 0xFF);
    return p;
}

}  // namespace testsupport
