#pragma once
// Path pieces and the temporary names shared by the copy engine's phases.
#include <cstdint>
#include <string>
#include <sys/stat.h>

namespace wincompat::fileop {

std::string joinPath(const std::string& dir, const std::string& name);
// `path` without trailing slashes, cut at its last slash ("." as the parent of a bare name).
void splitPath(std::string path, std::string& parent, std::string& last);
bool isDots(const char* name);
// Devices, FIFOs and sockets: reported, never opened.
inline bool isSpecial(mode_t m) { return !S_ISREG(m) && !S_ISDIR(m) && !S_ISLNK(m); }

// This process's temporary name number `seq` (".wincompat-copy-<pid>-<seq>.part").
std::string stagingName(std::uint64_t seq);
// The process number those names carry: this process's, as it was when the first name was made.
long stagingPid();
// Whether a directory entry is one of the engine's temporary files, and the process that made it.
bool isStagingName(const char* name);
long stagingOwner(const char* name);

// The umask, read without changing it (changing it would race with other threads creating files).
mode_t currentUmask();

} // namespace wincompat::fileop
