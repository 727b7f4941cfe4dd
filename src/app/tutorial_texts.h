// Texts of the first-run tutorial and of the about box (defined per language
// in resources/texts/<lang>/tutorial.cpp).
#pragma once

namespace txt {

// First-run tutorial
extern const wchar_t TrainerCaption[];
extern const wchar_t TrainerHeading[];
extern const wchar_t TrainerStepOne[];
extern const wchar_t TrainerStepOneResult[];
extern const wchar_t TrainerStepTwo[];
extern const wchar_t TrainerStepTwoResult[];
extern const wchar_t TrainerTrayMenu[];
extern const wchar_t TrainerTrayOptions[];
extern const wchar_t TrainerDontShowAgain[];
extern const wchar_t TrainerClose[];

// About box
extern const wchar_t AboutCaption[];        // <PRODUCT>: the product name (ui::FormatText)
extern const wchar_t AboutVersionLabel[];
extern const wchar_t AboutLegalNotice[];
extern const wchar_t AboutClose[];

}  // namespace txt
