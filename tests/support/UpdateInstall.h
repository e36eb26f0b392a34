#pragma once
// A Tallyrune install on disk for the update tests: a program folder with the installed
// Tallyrune.exe and a few files, and its Update folder with the update copy and newer files.
#include "support/TempDir.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>

class UpdateInstall {
public:
    // Empty texts leave the file without that version string; nullopt leaves the file out.
    UpdateInstall(std::optional<std::string> currentFileVersion, std::optional<std::string> updateFileVersion);

    // The program folder, ending with "/".
    std::string programFolder() const { return (dir_.path() / "POS").string() + "/"; }
    std::filesystem::path program() const { return dir_.path() / "POS"; }
    std::filesystem::path update() const { return dir_.path() / "POS" / "Update"; }
    std::filesystem::path base() const { return dir_.path(); }

    // Every regular file below the program folder but the update folder, path -> bytes.
    std::map<std::string, std::string> installedFiles() const;

private:
    TempDir dir_;
};

// A PE file whose version resource names the product and carries the file version text.
void writeProgramFile(const std::filesystem::path& path, const std::string& fileVersion);
// "LastUpdate" in HKLM\...\Update, or nullopt when there is none.
std::optional<std::string> lastUpdateValue();
