// The destinations that put the finished capture somewhere: the clipboard, a
// file in the output folder, a graphic editor and the maker's image-library
// program. Each takes nothing, works on CaptureBitmap and the live settings,
// tells the user the outcome itself (message box and notice) and returns
// whether it succeeded.
#pragma once

#include <string>

#include "core/configuration.h"

bool SendToClipboard();
bool SendToFile();
bool SendToEditor();
bool SendToZovozu();

// True when the output folder (FileFolder) exists. Otherwise, with a message
// unless the setting was empty, the folder becomes the desktop, the settings
// are saved, and the result is false.
bool CheckDestinationFolder();

// The file that the Editor, IM and ICQ destinations hand on. When the File
// destination is on and its last run saved this very image, ImageFileName is
// set to that file and nothing is written. Otherwise a numbered copy is
// written to the temporary folder under the given name and format, and
// ImageFileName names it. On failure "Temporary file cannot be created." is
// shown and the result is false (the caller then cancels).
bool PrepareTemporaryFile(const std::wstring& name, TImageFormat format);

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

// Starts an outside program with the shell's "open" in a normal window; true
// when the shell reports a start.
bool StartOutsideProgram(const std::wstring& program, const std::wstring& parameters, const std::wstring& folder);
