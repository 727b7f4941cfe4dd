// The system's and the maker's other programs: Paint, the maker's editor and
// Zovozu, the graphic editor check before a delivery, the mouse-button
// setting, and the defaults that the running system supplies.
#pragma once

#include <windows.h>

#include <string>

#include "base/configuration.h"

bool MouseButtonsSwapped();

std::wstring FindZovozuProgram();
std::wstring FindEditorProgram();
void RunZovozuProgram();
void RunEditorProgram();
std::wstring FindPaint();
// Before every delivery to the editor: 0 the custom editor exists, 1 it was
// replaced by Paint, 2 there is no editor at all.
int CheckGraphicEditor();

// What SetDefaults takes from the running system (folders must be initialised).
DefaultInputs SystemDefaultInputs();
// SetDefaults on the live settings.
void SetLiveDefaults();
