#pragma once
// A private folder for one test, removed with everything in it afterwards.
#include <filesystem>
#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// Points WINCOMPAT_ROOT at a fresh private folder for the life of the object and restores it.
class ScopedCompatRoot {
public:
    ScopedCompatRoot();
    ~ScopedCompatRoot();
    const std::filesystem::path& path() const { return dir_.path(); }

private:
    TempDir dir_;
    std::string previous_;
    bool hadPrevious_ = false;
};

void writeFile(const std::filesystem::path& path, const std::string& bytes);
std::string readFile(const std::filesystem::path& path);
// Where the project's executables were built (tallyrune-updatectl, the demo tools).
std::filesystem::path binDir();
