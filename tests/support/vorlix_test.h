// Helpers shared by the GUI tests: paths, child processes, windows, message
// boxes, registry, the recorder's log, screen pixels and the clipboard.
// Everything works on both the 32-bit and the 64-bit build.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vt {

// ---- Paths and files -------------------------------------------------------

std::wstring BinDir();                                     // folder of the running test exe (Vorlix.exe, hovrak.dll, recorder.exe)
std::wstring BinFile(const std::wstring& name);            // BinDir() + '\' + name
std::wstring TempDir();                                    // GetTempPath without the trailing backslash
std::wstring Join(const std::wstring& a, const std::wstring& b);  // a + '\' + b (one separator)
std::wstring ScratchDir();                                 // fresh, empty folder for the current gtest test (deleted and re-made)
bool MakeDirs(const std::wstring& path);                   // creates the folder and its parents; true if it exists afterwards
bool DeleteTree(const std::wstring& path);                 // removes a file or a folder with everything in it; true if gone
bool FileExists(const std::wstring& path);                 // a file (not a folder) of that name exists
bool CopyFileTo(const std::wstring& from, const std::wstring& to);  // copies, overwriting, creating to's folder
std::string ReadFileBytes(const std::wstring& path);       // whole file as bytes ("" if missing)
// The file (a log another program appends to) once one of its lines begins
// with `start`, or as it is when that does not happen in time.
std::string WaitForLogLine(const std::wstring& path, const std::string& start, DWORD timeoutMs = 15000);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);  // creates or replaces the file
bool SamePath(const std::wstring& a, const std::wstring& b);  // equal ignoring case and a trailing backslash
std::string Ansi(const std::wstring& s);                  // in the ANSI code page, as the settings record holds text
std::string Utf8(const std::wstring& s);                  // in UTF-8, for messages and files read by other tools
std::wstring WithSlash(const std::wstring& folder);        // folder with one trailing backslash

// Sets (or with nullopt removes) a variable of this process, restored at scope end.
class ScopedEnv {
public:
    ScopedEnv(std::wstring name, std::optional<std::wstring> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};

// ---- Processes and waiting ---------------------------------------------------

using Environment = std::vector<std::pair<std::wstring, std::wstring>>;  // name, value ("" removes the name)

// A started child process; the destructor kills it if it still runs.
class Process {
public:
    // Starts exe with the command line "exe" args, in workDir ("" = ours), with our environment plus extraEnv.
    static Process Start(const std::wstring& exe, const std::wstring& args = L"", const std::wstring& workDir = L"",
                         const Environment& extraEnv = {});
    Process() = default;
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();

    explicit operator bool() const { return process_ != nullptr; }  // started
    DWORD Id() const { return id_; }
    HANDLE Handle() const { return process_; }
    bool Running() const;                      // started and not yet ended
    bool Wait(DWORD timeoutMs = 10000);        // true when it ended in time; pumps our messages meanwhile
    bool WaitIdle(DWORD timeoutMs = 10000);    // WaitForInputIdle: true when its message loop is waiting
    DWORD ExitCode() const;                    // STILL_ACTIVE while it runs
    void Kill(UINT exitCode = 1);              // terminates it and waits for the end

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
};

void PumpMessages();                                       // dispatches every message waiting for this thread
void PumpFor(DWORD ms);                                    // pumps this thread's messages for ms milliseconds
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000);  // polls (pumping) until true; false on time-out
// Presses and releases key with the keys `held` held down (SendInput: the
// key goes to whatever has the focus), without waiting.
void PressKey(WORD key, const std::vector<WORD>& held = {});

// ---- Windows -------------------------------------------------------------------

struct WindowState {
    std::wstring className, title;
    LONG_PTR style = 0, exStyle = 0;
    RECT rect{};                                           // screen coordinates
    bool visible = false;                                  // IsWindowVisible
    DWORD processId = 0;
};

// Top-level and message-only windows, hidden ones included; pid 0 = any process, null filters = any.
std::vector<HWND> FindWindows(DWORD pid, const wchar_t* className = nullptr, const wchar_t* title = nullptr);
HWND FindWindowOf(DWORD pid, const wchar_t* className = nullptr, const wchar_t* title = nullptr);  // first match or null
HWND WaitForWindow(DWORD pid, const wchar_t* className, const wchar_t* title = nullptr, DWORD timeoutMs = 5000);
// The first such window that is visible (a menu, a dialog that has shown), or null.
HWND FindVisibleWindow(DWORD pid, const wchar_t* className, const wchar_t* title = nullptr);
HWND WaitForVisibleWindow(DWORD pid, const wchar_t* className, const wchar_t* title = nullptr, DWORD timeoutMs = 5000);
std::vector<HWND> ChildWindows(HWND parent, const wchar_t* className = nullptr);  // all descendants, in Z order
std::wstring ClassOf(HWND window);                         // window class name
std::wstring WindowText(HWND window);                      // WM_GETTEXT, also across processes
WindowState ReadWindow(HWND window);                       // class, title, styles, rect, visibility, owner process
bool Post(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);  // PostMessageW
LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, DWORD timeoutMs = 5000);  // SendMessageTimeoutW (0 on time-out)

// Waits until the program's start-up is over: its main window exists and its
// tray icon carries a tip. Returns the main window, or null on time-out.
HWND WaitForStartUp(DWORD pid, DWORD timeoutMs = 15000);

// Opens the program's tray menu (a right click on its tray icon window) and
// chooses an item with the keys a user would press: Down moves through the
// items (separators skipped), Right opens a submenu, then Return runs the
// item. True when the menu opened and closed again.
bool ChooseFromTrayMenu(DWORD pid, std::initializer_list<WPARAM> keys);

// Registers a window class of this program with that procedure and the
// arrow cursor (registering the name again changes nothing); returns the name
// for CreateWindowExW.
const wchar_t* RegisterWindowClass(const wchar_t* name, WNDPROC procedure);

// A hotkey this process holds, as another program would, for the program
// under test; let go again by the destructor.
class HeldHotkey {
public:
    HeldHotkey(UINT modifiers, UINT key);
    ~HeldHotkey();
    HeldHotkey(const HeldHotkey&) = delete;
    HeldHotkey& operator=(const HeldHotkey&) = delete;
    bool Held() const { return held_; }

private:
    HWND window_;
    bool held_;
};

// True when key + modifiers can be registered now (nobody holds it).
bool HotkeyFree(UINT modifiers, UINT key);

HWND DialogItem(HWND dialog, int id);                      // the descendant with that control id (nested dialogs too), or null

// Memory in the process of another window, for messages whose parameters
// point to a buffer (tree and list view items, rectangles). Freed at scope end.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size);
    ~RemoteBuffer();
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    explicit operator bool() const { return address_ != nullptr; }
    LPARAM Address(size_t offset = 0) const { return LPARAM(static_cast<char*>(address_) + offset); }
    bool Write(const void* data, size_t size, size_t offset = 0);
    bool Read(void* data, size_t size, size_t offset = 0) const;

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_ = 0;
};

// Every item of a tree view of any process, in tree order, from the roots
// down to maxLevel levels below them (0: the roots only).
struct TreeItem {
    HTREEITEM item = nullptr;
    std::wstring text;
    int level = 0;
    int image = -1;
};
std::vector<TreeItem> TreeViewItems(HWND tree, int maxLevel = 1);

// ---- The help viewer ------------------------------------------------------------

// The HTML Help viewer (Wine's hh.exe here) showing a help file of that
// title, once its window is visible; null when none came in time.
HWND WaitForHelpViewer(const std::wstring& title, DWORD timeoutMs = 15000);
// The captions of the top entries on the viewer's Contents tab.
std::vector<std::wstring> HelpViewerContents(HWND viewer);
// Closes the viewer and waits until its process has ended; true when it did.
bool CloseHelpViewer(HWND viewer, DWORD timeoutMs = 10000);

// ---- Message boxes (any visible "#32770" dialog) --------------------------------

struct MessageBoxInfo {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;                                     // texts of the Static children, joined with '\n'
    std::vector<std::wstring> buttons;                     // button texts, '&' removed
};

HWND FindMessageBox(DWORD pid, const wchar_t* caption = nullptr);  // visible #32770 of the process (0 = any), or null
HWND WaitForMessageBox(DWORD pid, const wchar_t* caption = nullptr, DWORD timeoutMs = 5000);
MessageBoxInfo ReadMessageBox(HWND box);                   // caption, static texts, button texts
bool PressButton(HWND box, const std::wstring& text);      // clicks the button titled text ('&' and case ignored); false if none
bool CloseDialog(HWND box);                                // posts WM_CLOSE
bool WaitGone(HWND window, DWORD timeoutMs = 5000);        // true once the window is destroyed or hidden
// Waits for a box of the process (0 = any) with that caption (null = any),
// reads its text, presses the button and waits until that box has closed: a
// box still closing would otherwise be found again by the next wait and read
// as empty. "<no box>" when none came.
std::wstring AnswerMessageBox(DWORD pid, const wchar_t* caption, DWORD timeoutMs, const std::wstring& button = L"OK");
// How a delivery of the program whose notice strip is `main` ended, told by
// where the strip slides in (with the slide-in setting on): "sent" from the
// right ("Image sent to ..."), "cancelled" from the left; "" when neither
// came in time.
std::string NoticeOutcome(HWND main, DWORD timeoutMs = 15000);

// Answers this process's own message boxes from a second thread while the test thread
// sits in a modal loop; records each box answered. The decider returns the button
// text to press ("" leaves the box alone).
class BoxAnswerer {
public:
    explicit BoxAnswerer(std::wstring button = L"OK");
    explicit BoxAnswerer(std::function<std::wstring(const MessageBoxInfo&)> decider);
    ~BoxAnswerer();                                        // stops the thread
    std::vector<MessageBoxInfo> Seen() const;              // boxes answered so far, in order
    size_t Count() const;                                  // Seen().size()

private:
    struct State;
    std::shared_ptr<State> state_;
};

// ---- Registry ------------------------------------------------------------------------

struct RegValue {
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

bool DeleteKeyTree(const std::wstring& key, HKEY root = HKEY_CURRENT_USER);  // true if the key is gone afterwards
bool KeyExists(const std::wstring& key, HKEY root = HKEY_CURRENT_USER);
std::optional<RegValue> ReadValue(const std::wstring& key, const std::wstring& name, HKEY root = HKEY_CURRENT_USER);
std::optional<DWORD> ReadDword(const std::wstring& key, const std::wstring& name, HKEY root = HKEY_CURRENT_USER);  // only REG_DWORD
std::optional<std::wstring> ReadString(const std::wstring& key, const std::wstring& name, HKEY root = HKEY_CURRENT_USER);  // REG_SZ / REG_EXPAND_SZ
bool WriteValue(const std::wstring& key, const std::wstring& name, DWORD type, const void* data, size_t size,
                HKEY root = HKEY_CURRENT_USER);            // any type and bytes; creates the key
bool WriteDword(const std::wstring& key, const std::wstring& name, DWORD value, HKEY root = HKEY_CURRENT_USER);
bool WriteString(const std::wstring& key, const std::wstring& name, const std::wstring& value, HKEY root = HKEY_CURRENT_USER);  // REG_SZ
bool DeleteValue(const std::wstring& key, const std::wstring& name, HKEY root = HKEY_CURRENT_USER);
std::vector<std::wstring> ValueNames(const std::wstring& key, HKEY root = HKEY_CURRENT_USER);  // enumeration order ("" = default value)
// Files of the extension (".eml") open with the program, under HKCR as an
// installer would register it; ForgetAssociation removes that again.
bool Associate(const std::wstring& extension, const std::wstring& program);
void ForgetAssociation(const std::wstring& extension);

// ---- Recorder ----------------------------------------------------------------------------

struct RecorderRecord {
    std::wstring exe;                                      // full path of the started copy
    std::wstring commandLine;                              // raw GetCommandLineW
    std::wstring workDir;                                  // its working folder
    int show = -1;                                         // the show state it was started with (SW_HIDE, ...), -1 none
};

std::wstring RecorderExe();                                // BinFile(L"recorder.exe")
std::wstring CopyRecorderAs(const std::wstring& path);     // copies the recorder to path; returns path ("" on failure)
std::vector<RecorderRecord> ReadRecorderLog(const std::wstring& logPath);  // records in order; none if the file is missing
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine);  // CommandLineToArgvW

// ---- Pixels: screen, BMP files, clipboard --------------------------------------------------

struct Pixels {
    int width = 0, height = 0;
    std::vector<COLORREF> data;                            // top-down rows, RGB() values
    Pixels() = default;
    Pixels(int w, int h, COLORREF fill = 0) : width(w), height(h), data(size_t(w) * size_t(h), fill) {}
    bool Empty() const { return width <= 0 || height <= 0; }
    COLORREF At(int x, int y) const { return data[size_t(y) * size_t(width) + size_t(x)]; }
    COLORREF& At(int x, int y) { return data[size_t(y) * size_t(width) + size_t(x)]; }
    int Count(COLORREF color) const;                       // number of pixels of that colour
};

COLORREF ScreenPixel(int x, int y);                        // GetPixel on the screen DC
Pixels CaptureScreen(const RECT& area);                    // BitBlt of a screen area (screen coordinates)
bool SaveBmp(const Pixels& pixels, const std::wstring& path);  // 24-bit bottom-up .bmp
// An 8-bit RLE .bmp of width x height pixels (grey table) whose only code
// is the end of the bitmap: 1,080 bytes however many pixels it declares.
std::string EmptyRleBmp(int32_t width, int32_t height);
std::optional<Pixels> LoadBmp(const std::wstring& path);   // any uncompressed or RLE .bmp, via GDI
std::optional<Pixels> DecodeDib(const void* packedDib, size_t size);  // BITMAPINFO + colours + bits, as on the clipboard
std::optional<Pixels> BitmapPixels(HBITMAP bitmap);        // GetDIBits of a DDB or DIB section
bool SaveScreenBmp(const RECT& area, const std::wstring& path);  // debugging aid
// Shows the menu at p from this thread (TrackPopupMenu over owner) and returns
// the pixels of the menu window, read by a second thread that then closes
// the menu; empty when no menu showed.
// The screen's pixels of r once they stop changing (a window just shown has
// been painted).
Pixels CaptureSettledScreen(const RECT& r);
Pixels ShowMenuAndCapture(HMENU menu, HWND owner, POINT p);

std::vector<UINT> ClipboardFormats();                      // formats on the clipboard, in enumeration order
std::optional<std::vector<uint8_t>> ClipboardData(UINT format);  // raw bytes of a global-memory format
std::optional<Pixels> ClipboardDib();                      // CF_DIB decoded
std::optional<Pixels> ClipboardBitmap();                   // CF_BITMAP read
bool PutClipboardImage(const Pixels& pixels);              // empties the clipboard and puts a 24-bit CF_DIB on it
bool EmptyTheClipboard();                                  // empties the clipboard

}  // namespace vt
