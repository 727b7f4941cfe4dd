// The Web destination: the capture is saved to a temporary file and handed to
// the uploader trabbon.exe beside the program, with every FTP setting on its
// command line. The program does not wait for the upload; the uploader
// reports its own failures.
#pragma once

#include <string>
#include <vector>

#include "base/configuration.h"

bool SendToWeb();

// The uploader's twelve arguments, unquoted: server, port, folder, passive,
// user, password, progress, proxy, proxy port, local file, remote name,
// automatic naming. Empty texts are a single blank.
std::vector<std::wstring> UploaderArguments(const TConfiguration& c, const std::wstring& localFile,
                                            const std::wstring& remoteName);

// Set by the options dialog while it is linked in: shows WebFileName anew in
// its Web page after the prompt changed it.
extern void (*OptionsWebFileNameProc)();
