// What a person sees of a dialog's texts: texts that need more room than
// their control gives them, controls that should say something and say
// nothing, and every text shown (for the check that nothing is left in
// English).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace look {

// Descriptions of the visible controls under parent whose text does not fit,
// measured in the dialogs' template font (face, points, at the dots per
// inch of the program that shows them, 0 for this program's; a control in a
// font other than its dialog's is left out): static texts wrap at their
// width and must fit their height; buttons, check boxes and radio buttons
// keep to one line and must fit their width (after the box); a group box's
// caption fits its top edge; the items of a drop-down list must fit its
// field; tree items must fit the tree's width.
std::vector<std::string> ClippedTexts(HWND parent, const wchar_t* face = L"MS Shell Dlg", int points = 8,
                                      int dpi = 0);

// The characters of the visible controls' texts that the dialogs' template
// font (face, 8 points) has no glyph for: they would show as empty boxes.
std::vector<std::string> MissingGlyphs(HWND parent, const wchar_t* face = L"MS Shell Dlg");

// Visible static texts and buttons (not pictures, lines or owner-drawn ones)
// that hold no text.
std::vector<std::string> EmptyTexts(HWND parent);

// Every text shown by the visible controls under parent: static texts,
// buttons, drop-down list items and tree items; edits and lists, which hold
// the user's data, are left out.
std::vector<std::wstring> ShownTexts(HWND parent);

}  // namespace look
