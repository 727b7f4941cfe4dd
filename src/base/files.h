// Files and folders: the program's folders, names and folders of paths,
// image formats by extension, the program's text resources, and opening a
// file (or the help) with the program the system has for it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/configuration.h"

std::wstring GetSpecialFolder(int csidl);
// Fills the folders and names of globals.h.
void InitFolders();

// Lines of the program's RCDATA resource of that name (empty when missing).
std::vector<std::string> LoadResourceStrings(const wchar_t* name);

TImageFormat ImageFormatOfExtension(const std::wstring& fileName);

void OpenFile(const std::wstring& path);
void ShowHelp();

// The last path component (the file name of a path).
std::wstring FileNameOf(const std::wstring& path);
std::wstring FolderOf(const std::wstring& path);  // with its trailing "\"
bool FileExists(const std::wstring& path);
