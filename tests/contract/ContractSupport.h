#pragma once
// Files, folders and names for the contract tests, the same on both systems.
#include <string>

namespace contract {
// A fresh folder below this run's own temporary folder.
std::string freshFolder(const std::string& name);
// a + separator + b, with the system's own separator.
std::string pathJoin(const std::string& a, const std::string& b);
void writeFile(const std::string& path, const std::string& bytes);
// Empty when the file cannot be read.
std::string readFile(const std::string& path);
bool exists(const std::string& path);
// The folder and those above it.
void makeFolder(const std::string& path);
void setReadOnly(const std::string& path, bool readOnly);
// A name no other run uses at the same time (for registry keys and mutexes).
std::string uniqueName(const std::string& prefix);
// True under Wine, where a few answers differ from Windows' own.
bool underWine();
} // namespace contract
