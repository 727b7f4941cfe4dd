#include "support/program.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>

namespace vt {

const wchar_t kProgramKey[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfigurationKey[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchemaKey[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";

namespace {

// The build's files every installation has; a build may lack the other
// language's program (the x86_64 fallback builds both, a partial build may not).
const wchar_t* const kProgramFiles[] = {L"Vorlix.exe", L"Vorlix-cn.exe", L"stelmon.dll"};

}  // namespace

Program::Program(ProgramSetUp s) : setUp(std::move(s)) {
    DeleteKeyTree(kProgramKey);
    scratch = ScratchDir();
    folder = Join(scratch, setUp.folder);
    temp = Join(scratch, L"temp");
    out = WithSlash(Join(scratch, L"out"));
    recorderLog = Join(scratch, L"recorder.log");
    EXPECT_TRUE(MakeDirs(temp) && MakeDirs(out));
    EXPECT_TRUE(CopyProgramTo(folder));

    std::memset(&record, 0, sizeof record);
    DefaultInputs in;
    in.desktopFolder = Ansi(out);
    in.programFolder = Ansi(WithSlash(folder));
    SetDefaults(record, in);
    if (setUp.notices != Notices::Defaults) {
        // A sound would only slow the deliveries down; the slide-in is what
        // NoticeOutcome reads.
        record.NoticeSound = 0;
        record.NoticeSlideIn = setUp.notices == Notices::Sliding ? 1 : 0;
    }
}

Program::~Program() {
    Stop();
    DeleteKeyTree(kProgramKey);
}

bool Program::CopyProgramTo(const std::wstring& other) const {
    bool copied = true;
    for (const wchar_t* f : kProgramFiles)
        if (FileExists(BinFile(f))) copied = CopyFileTo(BinFile(f), Join(other, f)) && copied;
    copied = CopyFileTo(BinFile(setUp.hook), Join(other, L"hovrak.dll")) && copied;
    for (const std::wstring& f : setUp.files) copied = CopyFileTo(BinFile(f), Join(other, f)) && copied;
    return copied;
}

bool Program::Launch(const wchar_t* exe, const Environment& env) {
    if (training && !WriteDword(kConfigurationKey, L"Training", *training)) return false;
    if (storeRecord && !(WriteString(kConfigurationKey, L"Last Node", lastNode) &&
                         WriteValue(kSchemaKey, L"", REG_BINARY, &record, sizeof record)))
        return false;
    Environment all = {{L"TMP", temp}, {L"TEMP", temp}, {L"VORLIX_RECORDER_LOG", recorderLog}};
    all.insert(all.end(), env.begin(), env.end());
    main = nullptr;
    process = Process::Start(Bin(exe), L"", folder, all);
    return bool(process);
}

bool Program::WaitStarted(DWORD timeoutMs) {
    // The tray icon gets its tip in the start-up's last step, after the
    // folder and mail checks, the hotkeys and the temporary files' clean-up
    // (input idle comes earlier under Wine).
    main = WaitForStartUp(process.Id(), timeoutMs);
    return main != nullptr;
}

bool Program::Stop(DWORD timeoutMs) {
    bool ended = true;
    if (process.Running()) {
        HWND w = main ? main : FindWindowOf(process.Id(), L"TuMainForm");
        if (w) Post(w, WM_CLOSE);
        ended = w && process.Wait(timeoutMs);
        if (!ended) process.Kill();
    }
    process = Process();
    main = nullptr;
    return ended;
}

bool Program::PutHandOver(const Pixels& image, UINT message) {
    return SaveBmp(image, HandOverFile()) && Post(main, message);
}

bool Program::HandOver(const Pixels& image, UINT message, DWORD timeoutMs) {
    return PutHandOver(image, message) && WaitUntil([&] { return !FileExists(HandOverFile()); }, timeoutMs);
}

std::wstring Program::HandOverForMessage(UINT message) {
    EXPECT_TRUE(HandOver(TestImage(16, 16, 1), message)) << "not taken";
    return AnswerBox();
}

std::wstring Program::AnswerBox(const wchar_t* caption, const std::wstring& button, DWORD timeoutMs) const {
    return AnswerMessageBox(process.Id(), caption, timeoutMs, button);
}

std::wstring Program::ErrorBox(DWORD timeoutMs) const { return AnswerBox(L"Vorlix Message", L"OK", timeoutMs); }

TConfiguration Program::Stored() const {
    TConfiguration c;
    std::memset(&c, 0, sizeof c);
    const auto v = ReadValue(kSchemaKey, L"");
    if (v && v->data.size() == sizeof c) std::memcpy(&c, v->data.data(), sizeof c);
    return c;
}

StandIn::StandIn(const Program& program, const std::wstring& n)
    : name(n), script(Join(program.scratch, n + L".txt")), log(Join(program.scratch, n + L".log")) {}

bool StandIn::Play(const std::string& lines) const {
    DeleteFileW(log.c_str());
    return WriteFileBytes(script, lines);
}

Environment StandIn::Variables() const {
    return {{L"VORLIX_" + name + L"_SCRIPT", script}, {L"VORLIX_" + name + L"_LOG", log}};
}

Pixels TestImage(int width, int height, int seed) {
    Pixels p(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) p.At(x, y) = RGB(x * 6 + seed * 30, y * 9 + 7, (seed * 50 + x * 3 + y) & 0xFF);
    return p;
}

}  // namespace vt
