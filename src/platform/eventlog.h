#pragma once
// What the program leaves behind for a technician: a line in the system's log, and small files of
// its own below the compatibility root that only it (or root) can have written.
#include "platform/wintypes.h"

#include <string>

namespace wincompat {

enum class EventSeverity { Information, Warning };

// One line in the system's log under the source "tallyrune-update" (syslog, facility user, on
// Linux; the Application event log on Windows). Line breaks in text become spaces. Never fails
// visibly: without a log daemon the line is lost.
void writeSystemLog(EventSeverity severity, const std::string& text);

// The full path of <root>/<folder>/<name>, for messages.
std::string stateFilePath(const std::string& folder, const std::string& name);

// Appends line to <root>/<folder>/<name> with one write, so that concurrent writers never
// interleave; creates the folder (0755) and the file (0644) when missing. Refuses
// (ERROR_ACCESS_DENIED) a link, anything but a regular file in a real folder, and a file or folder
// owned by another user than us or root or writable by group or others: on a shared till anyone
// else could have planted it.
DWORD appendLineToStateFile(const std::string& folder, const std::string& name, const std::string& line);

// Reads the whole file under the same checks; ERROR_FILE_NOT_FOUND (or ERROR_PATH_NOT_FOUND for
// the folder) when it is not there, which is not an error for a caller that only reads.
DWORD readStateFile(const std::string& folder, const std::string& name, std::string& contents);

} // namespace wincompat
