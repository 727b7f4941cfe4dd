#include "options/options_program.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <utility>

#include "options/options_ids.h"

namespace opt {

const wchar_t kDialogTitle[] = L"Vorlix Tessavue - Options";

namespace {
constexpr UINT kMenuOptions = 101;
constexpr UINT kMenuExit = 110;
}  // namespace

OptionsProgram::OptionsProgram(std::vector<std::wstring> files)
    : vt::Program({.hook = L"recording-hook\\hovrak.dll", .files = std::move(files), .notices = vt::Notices::Defaults}) {}

bool OptionsProgram::Start(const wchar_t* exe, const vt::Environment& env) {
    vt::Environment all = {{L"VORLIX_HOOK_LOG", vt::Join(dir, L"hook.log")}};
    all.insert(all.end(), env.begin(), env.end());
    return vt::Program::Start(exe, all);
}

HWND OptionsProgram::Open() {
    vt::Post(main, WM_COMMAND, kMenuOptions, 0);
    // The dialog is there once it is visible (it loads first).
    dialog_ = nullptr;
    vt::WaitUntil([&] {
        for (HWND w : vt::FindWindows(Pid(), L"#32770"))
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
        vt::Send(main, WM_NULL, 0, 0, 2000);
        vt::PumpFor(10);
    }
}

HWND OptionsProgram::Focused() const {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(main, nullptr), &info);
    return info.hwndFocus;
}

HWND OptionsProgram::Box(DWORD timeoutMs) const {
    HWND found = nullptr;
    vt::WaitUntil([&] {
        for (HWND w : vt::FindWindows(Pid(), L"#32770"))
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
    vt::Post(main, WM_COMMAND, kMenuExit, 0);
    EXPECT_TRUE(process.Wait());
}

TConfiguration OptionsProgram::Stored() const {
    const auto v = vt::ReadValue(vt::kSchemaKey, L"");
    EXPECT_TRUE(v && v->data.size() == sizeof(TConfiguration));
    return vt::Program::Stored();
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

}  // namespace opt
