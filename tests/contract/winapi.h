#pragma once
// The Windows names the contract tests call: the system's own under Windows (or Wine), our
// platform layer's everywhere else. Nothing else of the project is visible to the tests.
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#include <winver.h>
#else
#include "platform/mutex.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/version.h"
#endif
