#include "cli/ProgramFolderOption.h"

#include "platform/system.h"

#include <filesystem>
#include <system_error>

namespace {
std::string defaultProgramFolder()
{
    const std::string self = wincompat::moduleFileName();
    std::error_code ec;
    if (!self.empty()) {
        const std::filesystem::path beside = std::filesystem::path(self).parent_path();
        if (std::filesystem::is_regular_file(beside / "tallyrune-update", ec))
            return beside.string();
    }
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string(".") : here.string();
}
} // namespace

bool ProgramFolderOption::Take(const CommandArgs& args, std::size_t& i)
{
    const std::string& a = args[i];
    if (a == "--program-folder") {
        if (i + 1 < args.size())
            folder_ = args[++i];
    } else if (a.rfind("--program-folder=", 0) == 0) {
        folder_ = a.substr(a.find('=') + 1);
    } else {
        return false;
    }
    given_ = true;
    if (folder_.empty())
        error_ = "--program-folder needs a folder";
    return true;
}

std::string ProgramFolderOption::Folder() const
{
    const std::string folder = given_ ? folder_ : defaultProgramFolder();
    std::error_code ec;
    if (const std::filesystem::path full = std::filesystem::absolute(folder, ec); !ec)
        return full.string();
    return folder;
}
