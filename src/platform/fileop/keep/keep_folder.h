#pragma once
// The keep root and its generations ("pending", "previous"): folders of the user's own, which
// nobody else may write, created private and checked every time they are opened.
#include "platform/base/unique_fd.h"
#include "platform/keptcopy.h"

#include <string>

namespace wincompat::fileop {

inline constexpr char kPending[] = "pending";
inline constexpr char kPrevious[] = "previous";
inline constexpr char kDiscarded[] = "discarded"; // a previous copy on its way out

// Opens `path` as a folder of ours (a real folder, owned by us or by root, written by nobody else),
// creating it 0700 when `create` and it is missing. Empty, with `error` set, when it cannot be used;
// ERROR_FILE_NOT_FOUND when it does not exist.
UniqueFd openKeepFolder(const std::string& path, bool create, DWORD& error);

// Takes back the copy recorded in root/name (every file, then the folders), and removes the
// folder, and root too when nothing else is kept there.
DWORD undoKeepFolder(const std::string& root, const char* name, bool force, KeptCopyOutcome& outcome);

// Lets a kept copy go: the files it kept, its journal, its folder.
DWORD removeKeepFolder(const std::string& path);

std::string keepPath(const std::string& root, const char* name);

} // namespace wincompat::fileop
