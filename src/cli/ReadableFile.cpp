#include "cli/ReadableFile.h"

#include "framework/core/Exceptions.h"
#include "platform/wintypes.h"

#include <filesystem>
#include <fstream>

std::optional<std::string> UnreadableFileReason(const std::string& path)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path file(path);
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) {
        // Windows tells a missing file from a missing folder on the way to it.
        const fs::path parent = file.parent_path();
        const bool folderThere = parent.empty() || fs::is_directory(parent, ec);
        return SysErrorMessage(folderThere ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND);
    }
    if (fs::is_directory(status))
        return SysErrorMessage(ERROR_ACCESS_DENIED);
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return SysErrorMessage(ERROR_ACCESS_DENIED);
    return std::nullopt;
}
