// src/delivery: finishing (edge effect, blur, stamps) and the destinations,
// with the image savers and the mail, web, ICQ, messenger and printer
// bindings. It may include src/gif (the GIF writer), src/base and src/ui.
//
// The destinations that put the finished capture somewhere: the clipboard, a
// file in the output folder, a graphic editor and the maker's image-library
// program. Each takes nothing, works on CaptureBitmap and the live settings,
// tells the user the outcome itself (message box and notice) and returns
// whether it succeeded.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/configuration.h"

bool SendToClipboard();
// The capture on the clipboard, without a notice; false when it cannot be.
bool PutCaptureOnClipboard();
bool SendToFile();
bool SendToEditor();
bool SendToZovozu();

// True when the output folder (FileFolder) exists. Otherwise, with a message
// unless the setting was empty, the folder becomes the desktop (in a form
// of its path that the code page holds), the settings are saved, and the
// result is false. When the desktop's path has no such form the setting is
// left empty, which the File destination takes for the desktop itself: the
// user is told once in a run (false); later checks of the empty setting pass.
bool CheckDestinationFolder();

// The file that the Editor, IM and ICQ destinations hand on. When the File
// destination is on and its last run saved this very image, ImageFileName is
// set to that file and nothing is written. Otherwise a numbered copy is
// written to the temporary folder under the given name and format, and
// ImageFileName names it. On failure "Temporary file cannot be created." is
// shown and the result is false (the caller then cancels).
// With codePagePath the file goes on by a path in the code page (ICQ, the
// messenger): the File destination's file only when a form of its path
// holds there, the copy in CodePageTempFolder.
bool PrepareTemporaryFile(const std::wstring& name, TImageFormat format, bool codePagePath = false);

// What the File destination saved last: the path, and false after a failed
// or cancelled run (so that nobody reuses an old file).
const std::wstring& FileDestinationFile();

// A name field of the settings as a name of a file in one folder: false when
// it holds a folder separator or cannot be converted without loss.
bool IsPlainFileName(const std::wstring& name);

// The command line for a custom editor: every quoted placeholder "<CAPTURE>"
// (any letter case) replaced by the quoted path. Empty when the command line
// holds no quoted placeholder.
extern const wchar_t CapturePlaceholder[];  // the 11 characters "<CAPTURE>" with its quotes
std::wstring ExpandEditorCommandLine(const std::wstring& commandLine, const std::wstring& path);

// A path for another maker's program, which may read its command line in the
// code page: a form of the path that the code page holds, or the path itself
// when there is none. Quoted on the command line by cmdline::QuoteForeignArgument.
std::wstring OutsideProgramPath(const std::wstring& path);

// Starts an outside program with the shell's "open", in a normal window
// unless show says otherwise; true when the shell reports a start. An empty
// folder leaves the working folder to the shell.
bool StartOutsideProgram(const std::wstring& program, const std::wstring& parameters, const std::wstring& folder,
                         int show = 1 /* SW_SHOWNORMAL */);

// What every destination routine shares.
namespace delivery {

// Success: the notice "Image sent to ..." slides in.
void Succeeded(const wchar_t* notice);
// Failure: the message (when there is one) in the error box, then the
// cancelled notice; always false.
bool Failed(const std::wstring& message = std::wstring());
// A string field of the settings as the text it stands for; false when its
// bytes are no valid text of the code page.
bool FieldText(std::string_view field, std::wstring& text);
// A format field of the settings; ifUnknown for any other value.
TImageFormat KnownFormat(uint8_t value);

}  // namespace delivery
