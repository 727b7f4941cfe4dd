// The log line of our helper programs beside the program (trabbon.exe,
// sulvane.exe, pradomel.exe): they run without anyone waiting for them, so besides their
// own message box they append what became of their work to the file that an
// environment variable names, when it names one.
#pragma once

#include <string>
#include <vector>

// Appends "what<TAB>why<LF>" in UTF-8 to the file the variable names; line
// breaks and tabs inside why become blanks, so a line stays one line. A file
// that another helper is writing at that moment is waited for briefly.
void AppendHelperLog(const wchar_t* variable, const std::wstring& what, const std::wstring& why = std::wstring());

// The text with every occurrence of each secret (a password and the forms in
// which it went to a server) replaced by asterisks: a server may well repeat
// the command it refuses, and neither a log line nor a message may show it.
std::wstring WithoutSecrets(std::wstring text, const std::vector<std::wstring>& secrets);
