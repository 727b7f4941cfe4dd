// An Outlook that is already running: an object of the stand-in's
// "Outlook.Application" registered as the running object of its class, held
// until this program's window is closed.
#include <windows.h>
#include <oleauto.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    CLSID clsid;
    IUnknown* outlook = nullptr;
    DWORD cookie = 0;
    if (FAILED(CLSIDFromProgID(L"Outlook.Application", &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&outlook))) ||
        FAILED(RegisterActiveObject(outlook, clsid, ACTIVEOBJECT_STRONG, &cookie)))
        return 2;
    WNDCLASSW c{};
    c.lpfnWndProc = WindowProc;
    c.hInstance = instance;
    c.lpszClassName = L"VorlixRunningOutlook";
    RegisterClassW(&c);
    CreateWindowExW(0, c.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    RevokeActiveObject(cookie, nullptr);
    outlook->Release();
    CoUninitialize();
    return 0;
}
