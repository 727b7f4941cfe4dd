// The real program in a folder of its own under the test's scratch folder,
// started with a settings record, and images handed to it with the hand-over
// file and message, as another program would.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/configuration.h"
#include "support/vorlix_test.h"

namespace testsupport {

struct ProgramRun {
    // A fresh scratch folder with the program, its libraries and the named
    // extra files of the build folder in `programFolder` below it; the
    // record holds the defaults with notices on and no sound.
    void Prepare(const std::vector<std::wstring>& extraFiles = {}, const std::wstring& programFolder = L"Program Files");
    // Stores the record and starts the program; returns once its start-up
    // is over. The program's temporary folder is `temp`.
    void Start(const vt::Environment& env = {}, const wchar_t* exe = L"Vorlix.exe");
    // Hands the image over for the destination of the message; returns once
    // the program has taken the file.
    void HandOver(const vt::Pixels& image, UINT message);
    // Hands a small image over and answers the message box that follows;
    // returns its text ("" when none came).
    std::wstring HandOverForMessage(UINT message);
    // The next error box of the program ("Vorlix Message"): its text,
    // answered with OK; "<no box>" when none came.
    std::wstring ErrorBox();
    void Stop();
    ~ProgramRun();

    std::wstring Bin(const std::wstring& name) const { return vt::Join(program, name); }
    std::wstring Temp(const std::wstring& name) const { return vt::Join(temp, name); }

    std::wstring scratch, program;
    std::wstring temp = vt::TempDir();  // without a trailing backslash
    TConfiguration record{};
    vt::Process process;
    HWND main = nullptr;
};

// A small image in which neighbouring pixels differ, different for each seed.
vt::Pixels TestImage(int width, int height, int seed);

}  // namespace testsupport
