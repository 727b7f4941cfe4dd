#include "options/options_program.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "options/options_ids.h"

namespace opt {

const wchar_t kRoot[] = L"Software\\Vorlix Tessavue";
const wchar_t kConfiguration[] = L"Software\\Vorlix Tessavue\\Configuration";
const wchar_t kSchema[] = L"Software\\Vorlix Tessavue\\Configuration\\Schema";
const wchar_t kDialogTitle[] = L"Vorlix Tessavue - Options";

namespace {
constexpr UINT kMenuOptions = 101;
constexpr UINT kMenuExit = 110;
}  // namespace

OptionsProgram::OptionsProgram() {
    vt::DeleteKeyTree(kRoot);
    std::memset(&config, 0, sizeof config);
    SetDefaults(config, DefaultInputs{});
    dir = vt::ScratchDir();
    temp_ = vt::Join(dir, L"temp");
    vt::MakeDirs(temp_);
    const std::wstring out = vt::Join(dir, L"out") + L"\\";
    vt::MakeDirs(out);
    config.FileFolder = std::string(out.begin(), out.end());
}

OptionsProgram::~OptionsProgram() {
    if (program_.Running()) {
        if (main_) vt::Post(main_, WM_CLOSE);
        if (!program_.Wait(5000)) program_.Kill();
    }
    vt::DeleteKeyTree(kRoot);
}

bool OptionsProgram::Start(const wchar_t* exe, const vt::Environment& env) {
    for (const wchar_t* f : {exe, L"stelmon.dll"})
        if (!vt::CopyFileTo(vt::BinFile(f), vt::Join(dir, f))) return false;
    if (!vt::CopyFileTo(vt::BinFile(L"recording-hook\\hovrak.dll"), vt::Join(dir, L"hovrak.dll"))) return false;
    vt::WriteDword(kConfiguration, L"Training", 0);
    vt::WriteString(kConfiguration, L"Last Node", lastNode);
    vt::WriteValue(kSchema, L"", REG_BINARY, &config, sizeof config);
    vt::Environment all = {{L"TMP", temp_}, {L"TEMP", temp_}, {L"VORLIX_HOOK_LOG", vt::Join(dir, L"hook.log")}};
    all.insert(all.end(), env.begin(), env.end());
    // The start-up's last step removes a left-over hand-over file: its going
    // tells that the start-up is over (input idle can come earlier under Wine).
    const std::wstring sentinel = vt::Join(temp_, L"duridevazazu.bmp");
    vt::WriteFileBytes(sentinel, "x");
    program_ = vt::Process::Start(vt::Join(dir, exe), L"", dir, all);
    if (!program_) return false;
    main_ = vt::WaitForWindow(program_.Id(), L"TuMainForm", nullptr, 15000);
    return main_ && program_.WaitIdle() && vt::WaitUntil([&] { return !vt::FileExists(sentinel); }, 15000);
}

HWND OptionsProgram::Open() {
    vt::Post(main_, WM_COMMAND, kMenuOptions, 0);
    // The dialog is there once it is visible (it loads first).
    dialog_ = nullptr;
    vt::WaitUntil([&] {
        for (HWND w : vt::FindWindows(program_.Id(), L"#32770"))
            if (IsWindowVisible(w) && GetDlgItem(w, IDC_TREE)) {
                dialog_ = w;
                return true;
            }
        return false;
    }, 10000);
    return dialog_;
}

std::wstring OptionsProgram::Title() const { return vt::WindowText(Item(IDC_TITLE)); }

HWND OptionsProgram::ShownPage() const {
    for (HWND child : vt::ChildWindows(dialog_, L"#32770"))
        if (GetParent(child) == dialog_ && IsWindowVisible(child)) return child;
    return nullptr;
}

std::vector<TreeNode> OptionsProgram::Tree() const {
    std::vector<TreeNode> nodes;
    for (const vt::TreeItem& i : vt::TreeViewItems(Item(IDC_TREE), 1))
        nodes.push_back(TreeNode{i.item, i.text, i.level, i.image});
    return nodes;
}

TreeNode OptionsProgram::Node(const std::wstring& caption) const {
    for (const TreeNode& n : Tree())
        if (n.caption == caption) return n;
    ADD_FAILURE() << "no node " << std::string(caption.begin(), caption.end());
    return {};
}

int OptionsProgram::NodeImage(const std::wstring& caption) const { return Node(caption).image; }

bool OptionsProgram::Select(const std::wstring& caption) {
    const TreeNode n = Node(caption);
    if (!n.item) return false;
    vt::Send(Item(IDC_TREE), TVM_SELECTITEM, TVGN_CARET, LPARAM(n.item));
    vt::PumpFor(50);
    return true;
}

bool OptionsProgram::ClickMark(const std::wstring& caption) {
    HWND tree = Item(IDC_TREE);
    const TreeNode n = Node(caption);
    if (!n.item) return false;
    vt::RemoteBuffer buffer(tree, sizeof(RECT));
    RECT r{};
    std::memcpy(&r, &n.item, sizeof n.item);
    buffer.Write(&r, sizeof r);
    if (!vt::Send(tree, TVM_GETITEMRECT, TRUE, buffer.Address())) return false;
    buffer.Read(&r, sizeof r);
    // The mark stands just left of the caption.
    const int half = (r.bottom - r.top) / 2;
    const LPARAM at = MAKELPARAM(r.left - half, r.top + half);
    vt::Send(tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    vt::Send(tree, WM_LBUTTONUP, 0, at);
    vt::PumpFor(50);
    return true;
}

void OptionsProgram::Click(int id) {
    vt::Send(Item(id), BM_CLICK);
    vt::PumpFor(20);
}

bool OptionsProgram::Checked(int id) const { return vt::Send(Item(id), BM_GETCHECK) == BST_CHECKED; }

void OptionsProgram::SetText(int id, const std::wstring& text) {
    vt::Send(Item(id), WM_SETTEXT, 0, LPARAM(text.c_str()));
}

std::wstring OptionsProgram::Text(int id) const { return vt::WindowText(Item(id)); }

void OptionsProgram::ChooseCombo(int id, int index) {
    HWND combo = Item(id);
    vt::Send(combo, CB_SETCURSEL, index);
    vt::Send(GetParent(combo), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(combo));
}

int OptionsProgram::ComboIndex(int id) const { return int(vt::Send(Item(id), CB_GETCURSEL)); }

void OptionsProgram::Focus(int id) {
    SetForegroundWindow(dialog_);
    vt::Send(dialog_, WM_NEXTDLGCTL, WPARAM(Item(id)), TRUE);
    vt::PumpFor(50);
}

void OptionsProgram::Keys(const std::vector<WORD>& down, WORD key) {
    vt::PressKey(key, down);
    vt::PumpFor(150);
}

void OptionsProgram::Press(const std::vector<WORD>& down, WORD key) {
    vt::PressKey(key, down);
    Settle();
}

void OptionsProgram::Settle() const {
    // A message sent to the program is answered once it is back in its
    // message loop; a short pause after each lets it take its next input or
    // posted message (the key down, the character it makes, the key up).
    for (int i = 0; i < 4; ++i) {
        vt::Send(main_, WM_NULL, 0, 0, 2000);
        vt::PumpFor(10);
    }
}

HWND OptionsProgram::Focused() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &info);
    return info.hwndFocus;
}

HWND OptionsProgram::Box(DWORD timeoutMs) const {
    HWND found = nullptr;
    vt::WaitUntil([&] {
        for (HWND w : vt::FindWindows(program_.Id(), L"#32770"))
            if (w != dialog_ && IsWindowVisible(w) && !GetDlgItem(w, IDC_TREE) &&
                !(GetWindowLongW(w, GWL_STYLE) & WS_CHILD)) {
                found = w;
                return true;
            }
        return false;
    }, timeoutMs);
    return found;
}

std::wstring OptionsProgram::DismissBox(DWORD timeoutMs) const {
    HWND box = Box(timeoutMs);
    if (!box) return L"";
    const std::wstring text = vt::ReadMessageBox(box).text;
    vt::PressButton(box, L"OK");
    vt::WaitGone(box);
    vt::WaitUntil([&] { return IsWindowEnabled(dialog_) != FALSE; }, 2000);
    return text;
}

bool OptionsProgram::Close() {
    HWND d = dialog_;
    vt::Post(Item(IDC_CLOSE), BM_CLICK);
    return vt::WaitGone(d);
}

void OptionsProgram::Exit() {
    vt::Post(main_, WM_COMMAND, kMenuExit, 0);
    EXPECT_TRUE(program_.Wait());
}

TConfiguration OptionsProgram::Stored() const {
    TConfiguration c{};
    const auto v = vt::ReadValue(kSchema, L"");
    EXPECT_TRUE(v && v->data.size() == sizeof c);
    if (v && v->data.size() == sizeof c) std::memcpy(&c, v->data.data(), sizeof c);
    return c;
}

std::vector<std::string> OptionsProgram::HookLog() const {
    std::vector<std::string> lines;
    const std::string all = vt::ReadFileBytes(vt::Join(dir, L"hook.log"));
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find("\r\n", start);
        if (end == std::string::npos) end = all.size();
        lines.push_back(all.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

void OptionsProgram::ClearHookLog() { DeleteFileW(vt::Join(dir, L"hook.log").c_str()); }

HeldHotkey::HeldHotkey(UINT modifiers, UINT key)
    : window_(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr)),
      held_(RegisterHotKey(window_, 1, modifiers, key) != FALSE) {}

HeldHotkey::~HeldHotkey() {
    if (held_) UnregisterHotKey(window_, 1);
    DestroyWindow(window_);
}

bool HotkeyFree(UINT modifiers, UINT key) {
    HeldHotkey probe(modifiers, key);
    return probe.Held();
}

}  // namespace opt
