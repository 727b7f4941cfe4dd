#include "base/globals.h"

TConfiguration Config{};
ui::Bitmap CaptureBitmap;

std::wstring TempFolder, WindowsFolder, ProgramFilesFolder, DesktopFolder, ProgramFolder;
std::wstring ComputerName, UserName;

HWND MainWindow = nullptr;
HWND ApplicationWindow = nullptr;
HWND FreezeWindow = nullptr;

bool FreeHandActive = false, RectangleActive = false, WindowActive = false;
bool Frozen = false;
bool TimerArmed = false, TimerRunning = false;
bool AutoScrollRunning = false;
int AutoScrollStop = 0;
bool DeliveryBusy = false;
bool CompletionRunning = false;
bool ErrorBoxShown = false;
bool OptionsOpen = false, OptionsLoading = false;
