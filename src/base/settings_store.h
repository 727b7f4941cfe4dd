// The settings record and its named copies (favourites) in the registry:
// HKCU\Software\Vorlix Tessavue\Configuration holds "Training" and
// "Last Node"; its subkey Schema holds the current record as the unnamed value
// and one binary value per favourite, each exactly 6492 bytes.
#pragma once

#include <string>
#include <vector>

#include "base/configuration.h"

extern bool TrainingEnabled;   // show the first-run tutorial
extern std::wstring LastNode;  // caption of the options page shown last

bool WriteSchema(const std::wstring& name, const TConfiguration& record);
bool ReadSchema(const std::wstring& name, TConfiguration& record);
bool DeleteSchema(const std::wstring& name);
void ListSchemas(std::vector<std::wstring>& list);
std::wstring FindMatchingSchema();

void LoadConfiguration();
bool SaveConfiguration();
bool CreateDefaultPresets();
