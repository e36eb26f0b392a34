#include "support/UpdateInstall.h"

#include "platform/registry.h"
#include "verwriter/PeWriter.h"

#include <stdexcept>

namespace {
constexpr char appKey[] = "Software\\Harrowmere\\Tallyrune";
}

void writeProgramFile(const std::filesystem::path& path, const std::string& fileVersion)
{
    using namespace verwriter;
    std::vector<std::pair<std::string, std::string>> strings = {
        {"ProductName", "Tallyrune"}, {"ProductVersion", "1.0"}, {"LegalCopyright", "Harrowmere"}};
    if (!fileVersion.empty())
        strings.emplace_back("FileVersion", fileVersion);
    std::filesystem::create_directories(path.parent_path());
    writeBytes(path.string(), buildPe(buildVersionBlock(simpleVersionInfo({1, 0, 0, 1}, strings)), {}).flatten());
}

UpdateInstall::UpdateInstall(std::optional<std::string> currentFileVersion,
                             std::optional<std::string> updateFileVersion)
{
    writeFile(program() / "readme.txt", "old readme");
    writeFile(program() / "data" / "prices.db", "old prices");
    if (currentFileVersion)
        writeProgramFile(program() / "Tallyrune.exe", *currentFileVersion);
    writeFile(update() / "readme.txt", "new readme");
    writeFile(update() / "data" / "prices.db", "new prices");
    writeFile(update() / "reports" / "daily.rpt", "new report");
    if (updateFileVersion)
        writeProgramFile(update() / "Tallyrune.exe", *updateFileVersion);
}

std::map<std::string, std::string> UpdateInstall::installedFiles() const
{
    std::map<std::string, std::string> files;
    for (auto it = std::filesystem::recursive_directory_iterator(program()); it != decltype(it)(); ++it) {
        if (it->path() == update()) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file())
            files[std::filesystem::relative(it->path(), program()).string()] = readFile(it->path());
    }
    return files;
}

std::optional<std::string> lastUpdateValue()
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(appKey) + "\\Update").c_str(), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return std::nullopt;
    char buffer[512] = {};
    DWORD size = sizeof buffer, type = 0;
    const LSTATUS rc = RegQueryValueExA(key, "LastUpdate", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return std::nullopt;
    return std::string(buffer);
}
