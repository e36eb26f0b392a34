// The window calls are Windows' own; only the application window needs a body here. The toolkit
// has no hidden application window, so one of class "TApplication" stands in for it and hands
// restoring and activation on to the main window, as another instance expects.
#include "platform/user.h"

namespace {

HWND mainWindow = nullptr;

LRESULT CALLBACK applicationWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (mainWindow != nullptr && (message == WM_SYSCOMMAND && (wParam & 0xFFF0) == SC_RESTORE)) {
        ShowWindow(mainWindow, SW_RESTORE);
        SetForegroundWindow(mainWindow);
        return 0;
    }
    if (mainWindow != nullptr && message == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        if (IsIconic(mainWindow))
            ShowWindow(mainWindow, SW_RESTORE);
        SetForegroundWindow(mainWindow);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

namespace wincompat {
void SetApplicationWindow(HWND window, const char* title)
{
    static HWND applicationWindow = nullptr;
    mainWindow = window;
    if (applicationWindow == nullptr) {
        WNDCLASSA cls{};
        cls.lpfnWndProc = applicationWindowProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "TApplication";
        RegisterClassA(&cls);
        applicationWindow =
            CreateWindowExA(0, "TApplication", title, WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, cls.hInstance, nullptr);
    } else {
        SetWindowTextA(applicationWindow, title);
    }
}
} // namespace wincompat
