#include "settings/SettingsPaths.h"

#include "platform/system.h"

namespace settings {

bool IsBlank(const std::string& text)
{
    return text.find_first_not_of(' ') == std::string::npos;
}

bool IsPathDelimiter(char c)
{
    const char delimiter = wincompat::pathDelimiter();
    // The drive colon only means something where paths have drives.
    return c == delimiter || (delimiter == '\\' && c == ':');
}

namespace {
std::size_t lastDelimiter(const std::string& fileName)
{
    for (std::size_t i = fileName.size(); i > 0; --i)
        if (IsPathDelimiter(fileName[i - 1]))
            return i - 1;
    return std::string::npos;
}
} // namespace

std::string ExtractFilePath(const std::string& fileName)
{
    const std::size_t at = lastDelimiter(fileName);
    return at == std::string::npos ? std::string() : fileName.substr(0, at + 1);
}

std::string ExtractFileName(const std::string& fileName)
{
    const std::size_t at = lastDelimiter(fileName);
    return at == std::string::npos ? fileName : fileName.substr(at + 1);
}

std::string ExtractFileExt(const std::string& fileName)
{
    const std::size_t dot = fileName.rfind('.');
    const std::size_t at = lastDelimiter(fileName);
    if (dot == std::string::npos || (at != std::string::npos && dot < at))
        return {};
    return fileName.substr(dot);
}

std::string ChangeFileExt(const std::string& fileName, const std::string& extension)
{
    const std::string current = ExtractFileExt(fileName);
    return fileName.substr(0, fileName.size() - current.size()) + extension;
}

std::string IncludeTrailingPathDelimiter(const std::string& folder)
{
    if (!folder.empty() && folder.back() == wincompat::pathDelimiter())
        return folder;
    return folder + wincompat::pathDelimiter();
}

std::string ComposeRegistryBasePath(const std::string& regPath, const std::string& company, const std::string& title,
                                    const std::string& executablePath, const std::string& version)
{
    if (!IsBlank(regPath))
        return !regPath.empty() && regPath.back() == '\\' ? regPath : regPath + "\\";
    std::string path = "Software\\";
    if (!IsBlank(company))
        path += company + "\\";
    path += (IsBlank(title) ? executablePath : title) + "\\";
    if (!IsBlank(version))
        path += version + "\\";
    return path;
}

std::string ModuleFileName()
{
    return wincompat::moduleFileName();
}

} // namespace settings
