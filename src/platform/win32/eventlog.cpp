// The Application event log and the program's own state files, on Windows.
#include "platform/eventlog.h"

#include "platform/system.h"

#include <string>
#include <windows.h>

namespace wincompat {
namespace {
std::string stateFolder(const std::string& folder)
{
    return compatRoot() + "\\" + folder;
}

// A reparse point (link, junction) in place of the folder or file is refused.
bool isPlainEntry(HANDLE h)
{
    BY_HANDLE_FILE_INFORMATION info{};
    return GetFileInformationByHandle(h, &info) && !(info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
           info.nNumberOfLinks <= 1;
}
} // namespace

void writeSystemLog(EventSeverity severity, const std::string& text)
{
    HANDLE source = RegisterEventSourceA(nullptr, "tallyrune-update");
    if (source == nullptr)
        return;
    const char* strings[] = {text.c_str()};
    ReportEventA(source, severity == EventSeverity::Information ? EVENTLOG_INFORMATION_TYPE : EVENTLOG_WARNING_TYPE, 0,
                 0, nullptr, 1, 0, strings, nullptr);
    DeregisterEventSource(source);
}

std::string stateFilePath(const std::string& folder, const std::string& name)
{
    return stateFolder(folder) + "\\" + name;
}

DWORD appendLineToStateFile(const std::string& folder, const std::string& name, const std::string& line)
{
    const std::string dir = stateFolder(folder);
    if (!CreateDirectoryA(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
        return GetLastError();
    const DWORD attributes = GetFileAttributesA(dir.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
        !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ERROR_ACCESS_DENIED;
    HANDLE h = CreateFileA(stateFilePath(folder, name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD rc = ERROR_ACCESS_DENIED;
    DWORD written = 0;
    // FILE_APPEND_DATA alone: every write goes to the end, whole.
    if (isPlainEntry(h))
        rc = WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr) ? ERROR_SUCCESS
                                                                                           : GetLastError();
    CloseHandle(h);
    return rc == ERROR_SUCCESS && written != line.size() ? ERROR_DISK_FULL : rc;
}

DWORD readStateFile(const std::string& folder, const std::string& name, std::string& contents)
{
    contents.clear();
    HANDLE h = CreateFileA(stateFilePath(folder, name).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError();
    DWORD rc = isPlainEntry(h) ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
    char buffer[65536];
    DWORD n = 0;
    while (rc == ERROR_SUCCESS) {
        if (!ReadFile(h, buffer, sizeof buffer, &n, nullptr))
            rc = GetLastError();
        else if (n == 0)
            break;
        else
            contents.append(buffer, n);
    }
    CloseHandle(h);
    return rc;
}

} // namespace wincompat
