// The program as every program-level test sets it up: a scratch folder of
// the test, a copy of the program (both builds, the hook and freeze
// libraries) in a folder below it, a temporary folder of its own, and the
// settings record with the defaults of a program in that folder and the
// notice switches the test wants. Start stores the record and starts a
// build, and returns once the start-up is over; images are handed over
// through the hand-over file and message as another program would; the
// program's boxes are read and answered. A test changes `record` (and the
// folders' contents) between the set-up and Start, and keeps its own set-up
// only for what differs from this.
//
// The program runs from its own folder, never from the build folder: what
// it writes beside itself and what it finds there (an editor, ICQMAPI.dll,
// the help) is the test's, and no test sees another's left-overs. Its
// temporary folder is private too, for the same reason, and because the
// start-up removes a hand-over file left there.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "app/completion.h"
#include "base/configuration.h"
#include "support/vorlix_test.h"

namespace vt {

// The program's keys under HKEY_CURRENT_USER.
extern const wchar_t kProgramKey[];        // everything of the program
extern const wchar_t kConfigurationKey[];  // "Training", "Last Node"
extern const wchar_t kSchemaKey[];         // the current record (default value) and the favourites

// How the notice strip tells a delivery.
enum class Notices {
    Sliding,   // slides in, no sound: NoticeOutcome tells how a delivery ended
    Still,     // shown at once, no sound: quick deliveries, many in a row
    Defaults,  // the record's own (sound and slide-in), for tests that read them back
};

// What differs between tests in how the program is laid out.
struct ProgramSetUp {
    std::wstring folder = L"Program Files";  // the program's folder, below the scratch folder
    // The hook library of the build folder that goes beside the program as
    // hovrak.dll: "recording-hook\\hovrak.dll" logs what it is handed,
    // "failing-hook\\hovrak.dll" will not install.
    std::wstring hook = L"hovrak.dll";
    std::vector<std::wstring> files = {};    // further files of the build folder copied beside the program
    Notices notices = Notices::Sliding;
};

class Program {
public:
    // Empties the program's keys, makes the scratch folder afresh, copies the
    // program and sets `record` to the defaults of a program in `folder`
    // whose desktop is `out`, so that the File destination saves there.
    explicit Program(ProgramSetUp setUp = {});
    // Ends the program and empties its keys again.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    std::wstring Bin(const std::wstring& name) const { return Join(folder, name); }
    std::wstring Temp(const std::wstring& name) const { return Join(temp, name); }
    // The hand-over file, in the temporary folder.
    std::wstring HandOverFile() const { return Temp(HandOverFileName); }
    // Copies the program's files as the set-up did into another folder (a
    // second installation).
    bool CopyProgramTo(const std::wstring& other) const;

    // Stores `training` and, with `storeRecord`, "Last Node" and the record;
    // then starts the build from its folder with TMP and TEMP set to `temp`,
    // the recorder's log and the variables of env. Returns at once: for a test that meets a
    // box of the start-up.
    bool Launch(const wchar_t* exe = L"Vorlix.exe", const Environment& env = {});
    // Waits until the start-up is over (the tray icon carries its tip);
    // true then, with `main` set.
    bool WaitStarted(DWORD timeoutMs = 15000);
    bool Start(const wchar_t* exe = L"Vorlix.exe", const Environment& env = {}) {
        return Launch(exe, env) && WaitStarted();
    }
    // Closes the main window and waits for the end; a program that does
    // not end is killed. True when it ended by itself (or was not running).
    bool Stop(DWORD timeoutMs = 10000);
    DWORD Pid() const { return process.Id(); }

    // What another program does to have an image delivered: the hand-over
    // file written, the destination's message posted. HandOver waits until
    // the program has taken the file (it deletes it), which it does only
    // while no other delivery runs.
    bool PutHandOver(const Pixels& image, UINT message);
    bool HandOver(const Pixels& image, UINT message, DWORD timeoutMs = 15000);
    // Hands a small image over for a destination that answers with a box:
    // the box's text, answered with OK; "<no box>" when none came.
    std::wstring HandOverForMessage(UINT message);

    // The next box of the program with that caption (null: any): its text,
    // answered with the button; "<no box>" when none came.
    std::wstring AnswerBox(const wchar_t* caption = nullptr, const std::wstring& button = L"OK",
                           DWORD timeoutMs = 15000) const;
    // The next error box of the English build ("Vorlix Message").
    std::wstring ErrorBox(DWORD timeoutMs = 15000) const;

    // The current record in the registry (zeros when none of its size is).
    TConfiguration Stored() const;

    const ProgramSetUp setUp;
    std::wstring scratch;   // the test's scratch folder
    std::wstring folder;    // the program's copy
    std::wstring temp;      // its temporary folder, without a trailing backslash
    std::wstring out;       // the File destination's folder, empty, with a trailing backslash
    std::wstring recorderLog;  // where a recorder started in another program's place logs (ReadRecorderLog)
    TConfiguration record{};
    bool storeRecord = true;           // false: the program makes its first-start record
    std::optional<DWORD> training = 0; // "Training"; none: a first run, with the tutorial
    std::wstring lastNode = L"Activate";
    Process process;
    HWND main = nullptr;
};

// A scripted stand-in of one of the program's peers (the ICQ library, the
// automation servers of the messenger and the mail programs, the TWAIN
// manager): it plays the lines of `script` and logs what it was asked in
// `log`, both in the test's scratch folder, and finds them through the
// variables VORLIX_<name>_SCRIPT and VORLIX_<name>_LOG it inherits from the
// program.
struct StandIn {
    StandIn(const Program& program, const std::wstring& name);
    // Writes the script and removes the log of a run before.
    bool Play(const std::string& lines) const;
    // The two variables, for Start.
    Environment Variables() const;

    const std::wstring name, script, log;
};

// A small image in which neighbouring pixels differ, different for each seed.
Pixels TestImage(int width, int height, int seed);

}  // namespace vt
