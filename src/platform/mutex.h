#pragma once
// Named mutexes shared between processes: create or open by name, try to take without
// waiting, release, close. Ownership belongs to a thread and dies with its process.
#include "platform/wintypes.h"

#ifndef _WIN32
#define WAIT_OBJECT_0 0x00000000L
#define WAIT_ABANDONED 0x00000080L
#define WAIT_TIMEOUT 0x00000102L
#define WAIT_FAILED 0xFFFFFFFFUL
#define INFINITE 0xFFFFFFFFUL

struct SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// A null name gives a mutex of this process alone. For an existing name the last error is
// ERROR_ALREADY_EXISTS and initialOwner is ignored; null with the last error set on failure.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
// WAIT_OBJECT_0 when taken (again, by its owning thread), WAIT_ABANDONED when taken over from an
// owner that died without releasing it, WAIT_TIMEOUT when another thread or process holds it.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// FALSE with ERROR_NOT_OWNER when the calling thread does not own it.
BOOL ReleaseMutex(HANDLE handle);
BOOL CloseHandle(HANDLE handle);
#endif
