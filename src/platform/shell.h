#pragma once
// The shell's file operation (copy, move, delete, rename) with its progress window.
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
#endif
