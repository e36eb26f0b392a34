#pragma once
// Why a file the version reader is about to be given cannot be read. The reader itself answers
// "no version information" for a missing file and for a file without any alike; a command that
// names files must tell the two apart.
#include <optional>
#include <string>

// Nothing when path is a file that opens for reading; otherwise the system's text for why not.
std::optional<std::string> UnreadableFileReason(const std::string& path);
