#pragma once
// The shell: its file operation (copy, move, delete, rename) with its progress window, opening a
// document or address with its default action, and the standard About box.
#include "platform/wintypes.h"

#ifdef _WIN32
#include <shellapi.h> // left out by WIN32_LEAN_AND_MEAN
#endif

#ifndef _WIN32
#define FO_MOVE 0x0001
#define FO_COPY 0x0002
#define FO_DELETE 0x0003
#define FO_RENAME 0x0004

#define FOF_MULTIDESTFILES 0x0001
#define FOF_CONFIRMMOUSE 0x0002
#define FOF_SILENT 0x0004
#define FOF_RENAMEONCOLLISION 0x0008
#define FOF_NOCONFIRMATION 0x0010
#define FOF_WANTMAPPINGHANDLE 0x0020
#define FOF_ALLOWUNDO 0x0040
#define FOF_FILESONLY 0x0080
#define FOF_SIMPLEPROGRESS 0x0100
#define FOF_NOCONFIRMMKDIR 0x0200
#define FOF_NOERRORUI 0x0400

using FILEOP_FLAGS = WORD;

// The request, field for field as the 32-bit shell takes it.
#pragma pack(push, 1)
struct SHFILEOPSTRUCTA {
    HWND hwnd;
    UINT wFunc;
    LPCSTR pFrom; // NUL-separated paths, closed by a second NUL
    LPCSTR pTo;
    FILEOP_FLAGS fFlags;
    BOOL fAnyOperationsAborted;
    LPVOID hNameMappings;
    LPCSTR lpszProgressTitle;
};
#pragma pack(pop)

// Returns 0 when everything was done, a Windows error code otherwise (ERROR_CANCELLED for a cancel).
int SHFileOperationA(SHFILEOPSTRUCTA* request);

#define SW_HIDE 0
#define SW_SHOWNORMAL 1

// ShellExecuteA's failures: a result of 32 or less.
#define SE_ERR_FNF 2
#define SE_ERR_PNF 3
#define SE_ERR_ACCESSDENIED 5
#define SE_ERR_OOM 8
#define SE_ERR_SHARE 26
#define SE_ERR_ASSOCINCOMPLETE 27
#define SE_ERR_NOASSOC 31

// Opens file (a document, folder or address with a scheme such as https: or mailto:) with the
// desktop's default action. Returns a value above 32 on success. Only the default verb ("open") is
// offered; a link never starts a program with parameters.
HINSTANCE ShellExecuteA(HWND owner, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory, INT showCmd);

// The standard About box, modal to owner. app may hold "title#first line"; otherStuff follows it.
INT ShellAboutA(HWND owner, LPCSTR app, LPCSTR otherStuff, HICON icon);
#endif
