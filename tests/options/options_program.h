// The running program with its options dialog open, driven from the test
// process: start with a given settings record, open the dialog through the
// tray menu's command, walk and click the page tree, drive the pages'
// controls by id, close, and read back the stored record and what the
// recording hook library was handed.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "base/configuration.h"
#include "support/program.h"
#include "support/vorlix_test.h"

namespace opt {

extern const wchar_t kDialogTitle[];

struct TreeNode {
    HTREEITEM item = nullptr;
    std::wstring caption;
    int level = 0;
    int image = -1;
};

// The program set up as every program test sets it up, with the recording
// hook library and the record's own notice switches (the dialog shows them),
// and `files` of the build folder beside it.
class OptionsProgram : public vt::Program {
public:
    explicit OptionsProgram(std::vector<std::wstring> files = {});

    TConfiguration& config = record;  // written as the current settings by Start
    const std::wstring& dir = folder; // the program's folder

    // Starts the given build with `config`; true once its start-up is over.
    bool Start(const wchar_t* exe = L"Vorlix.exe", const vt::Environment& env = {});
    HWND Main() const { return main; }

    // The tray menu's Options command; returns the dialog (null on time-out).
    HWND Open();
    HWND Dialog() const { return dialog_; }
    HWND Item(int id) const { return vt::DialogItem(dialog_, id); }
    std::wstring Title() const;             // the bold line above the page
    HWND ShownPage() const;                 // the visible page dialog

    std::vector<TreeNode> Tree() const;     // every node in tree order
    TreeNode Node(const std::wstring& caption) const;
    bool Select(const std::wstring& caption);       // selects the node (the page follows)
    bool ClickMark(const std::wstring& caption);    // presses the mouse on the node's mark
    int NodeImage(const std::wstring& caption) const;

    // Controls.
    void Click(int id);                             // BM_CLICK
    bool Checked(int id) const;
    void SetText(int id, const std::wstring& text); // WM_SETTEXT (the edit's change follows)
    std::wstring Text(int id) const;
    void ChooseCombo(int id, int index);            // as if the user picked the item
    int ComboIndex(int id) const;
    void Focus(int id);                             // gives the control the keyboard focus
    void Keys(const std::vector<WORD>& down, WORD key);  // presses key with `down` held, into the focus
    // As Keys, without a pause: the program has handled the key (and what
    // it posted meanwhile) when it returns.
    void Press(const std::vector<WORD>& down, WORD key);
    void Settle() const;                            // lets the program handle what it was sent and posted
    HWND Focused() const;                           // the program's keyboard focus

    // A message box of the program (not the dialog), once visible; null on
    // time-out.
    HWND Box(DWORD timeoutMs = 5000) const;
    // Reads the box's text, presses OK and waits for it to go; "" when no
    // box came.
    std::wstring DismissBox(DWORD timeoutMs = 5000) const;

    // Closes with the Close button; true when the dialog is gone.
    bool Close();
    void Exit();  // the tray menu's Exit

    TConfiguration Stored() const;          // the current settings in the registry
    std::vector<std::string> HookLog() const;  // "HookCaptureType 3", in order
    void ClearHookLog();

private:
    HWND dialog_ = nullptr;
};

// The condition holds now or becomes true soon (a key the program has not
// handled yet may still change it); fails the test when it never does.
#define EXPECT_SOON(condition) \
    EXPECT_TRUE(vt::WaitUntil([&] { return bool(condition); }, 3000)) << #condition

}  // namespace opt
