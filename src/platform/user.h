#pragma once
// Top-level windows of any process: finding one by class and title, restoring and activating
// it; and the system's modal message box.
#include "platform/wintypes.h"

#ifndef _WIN32
#define MB_OK 0x00000000L
#define MB_OKCANCEL 0x00000001L
#define MB_ABORTRETRYIGNORE 0x00000002L
#define MB_YESNOCANCEL 0x00000003L
#define MB_YESNO 0x00000004L
#define MB_RETRYCANCEL 0x00000005L
#define MB_TYPEMASK 0x0000000FL
#define MB_ICONHAND 0x00000010L
#define MB_ICONQUESTION 0x00000020L
#define MB_ICONEXCLAMATION 0x00000030L
#define MB_ICONASTERISK 0x00000040L
#define MB_ICONMASK 0x000000F0L
#define MB_ICONWARNING MB_ICONEXCLAMATION
#define MB_ICONERROR MB_ICONHAND
#define MB_ICONINFORMATION MB_ICONASTERISK
#define MB_DEFBUTTON1 0x00000000L
#define MB_DEFBUTTON2 0x00000100L
#define MB_DEFBUTTON3 0x00000200L
#define MB_DEFMASK 0x00000F00L

#define IDOK 1
#define IDCANCEL 2
#define IDABORT 3
#define IDRETRY 4
#define IDIGNORE 5
#define IDYES 6
#define IDNO 7

#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#endif
#define SUBLANG_NEUTRAL 0x00

// The next top-level window after childAfter (null: from the top) whose class and title match
// (null: any). parent must be null. Other processes' windows are found on an X11 display only.
HWND FindWindowExA(HWND parent, HWND childAfter, LPCSTR className, LPCSTR windowName);
BOOL IsWindow(HWND window);
BOOL IsIconic(HWND window);
// Restores a minimised window and activates it.
BOOL OpenIcon(HWND window);
BOOL SetForegroundWindow(HWND window);

// Modal; returns the ID of the button that closed it, 0 on failure. Text is in the ANSI code page.
int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD languageId);
#endif

namespace wincompat {
// Marks window as this process's application window: one of class "TApplication" with the
// application's title, which another process finds with FindWindowExA and brings forward.
void SetApplicationWindow(HWND window, const char* title);
} // namespace wincompat
