#include "cli/DefaultProgramFolder.h"

#include "platform/system.h"

#include <filesystem>
#include <system_error>

std::string DefaultProgramFolder()
{
    char self[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameA(nullptr, self, sizeof self);
    std::error_code ec;
    if (n > 0 && n < sizeof self) {
        const std::filesystem::path beside = std::filesystem::path(std::string(self, n)).parent_path();
        if (std::filesystem::is_regular_file(beside / "tallyrune-update", ec))
            return beside.string();
    }
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string(".") : here.string();
}
