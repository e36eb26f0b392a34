#pragma once
// INI files ("private profiles") with Windows semantics.
#include "platform/wintypes.h"

#ifndef _WIN32
DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName);
// All-null arguments flush the cache (there is none here: every write goes straight to disk).
BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName);
#endif
