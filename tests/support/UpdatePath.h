#pragma once
// Stores the utility's "Update Path" setting in the machine-wide hive of the current settings root.
#include "platform/wintypes.h"

#include <string>

void setUpdatePath(const std::string& folder);
// Any type and bytes, to store what the utility does not expect there.
void setUpdatePath(const void* data, DWORD size, DWORD type);
