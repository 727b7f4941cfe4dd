// English texts of the first-run tutorial and the about box.
#include "app/tutorial_texts.h"

namespace txt {

const wchar_t TrainerCaption[] = L"Vorlix - Create your first screenshot in two easy steps.";
const wchar_t TrainerHeading[] = L"Create your first screenshot in two easy steps.";
const wchar_t TrainerStepOne[] = L"Press and hold the right mouse button.";
const wchar_t TrainerStepOneResult[] = L"The cursor will turn into a crosshair.";
const wchar_t TrainerStepTwo[] = L"Drag with the left mouse button and release the mouse.";
const wchar_t TrainerStepTwoResult[] = L"Vorlix will ask for a file name to save your screenshot.";
const wchar_t TrainerTrayMenu[] = L"Right-click on the icon to see the Menu.";
const wchar_t TrainerTrayOptions[] = L"Left-click on the icon to see Options Panel.";
const wchar_t TrainerDontShowAgain[] = L"Don't show again";
const wchar_t TrainerClose[] = L"Close";

const wchar_t AboutCaption[] = L"About <PRODUCT>";
const wchar_t AboutVersionLabel[] = L"Version:";
const wchar_t AboutLegalNotice[] =
    L"This program is protected by copyright law and international treaties. Unauthorized reproduction or "
    L"distribution of this program, or any portion of it, may result in severe civil and criminal penalties.";
const wchar_t AboutClose[] = L"Close";

}  // namespace txt
