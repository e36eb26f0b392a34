#include "cli/ProgramFolderOption.h"

#include "cli/TextOutput.h"
#include "platform/system.h"
#include "update/ProgramFolder.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

namespace {
const char missingFolder[] = "--program-folder needs a folder";

std::string defaultProgramFolder()
{
    const std::string self = wincompat::moduleFileName();
    std::error_code ec;
    if (!self.empty()) {
        const std::filesystem::path beside = std::filesystem::path(self).parent_path();
        if (std::filesystem::is_regular_file(beside / "tallyrune-update", ec))
            return ProgramFolderServedFrom((beside / "").string());
    }
    const std::filesystem::path here = std::filesystem::current_path(ec);
    return ec ? std::string(".") : here.string();
}
} // namespace

void ProgramFolderOption::AddTo(CommandLine& line)
{
    line.AddValueOption(QStringLiteral("program-folder"));
}

void ProgramFolderOption::ReadFrom(const CommandLine& line)
{
    given_ = line.IsSet(QStringLiteral("program-folder"));
    folder_ = line.Value(QStringLiteral("program-folder"));
    if (given_ && folder_.empty())
        error_ = missingFolder;
}

std::string ProgramFolderOption::RefusalMessage(const CommandLine& line)
{
    if (line.Refusal() == CommandLine::Problem::MissingValue)
        return missingFolder;
    return "unexpected argument '" + PlainText(line.RefusedArgument()) + "'";
}

std::string ProgramFolderOption::Folder() const
{
    const std::string folder = given_ ? folder_ : defaultProgramFolder();
    std::error_code ec;
    if (const std::filesystem::path full = std::filesystem::absolute(folder, ec); !ec)
        return full.string();
    return folder;
}

std::optional<int> ProgramFolderOption::ReadCommandLine(CommandLine& line, const CommandArgs& args,
                                                        const char* usageText, int (*usageError)(const std::string&))
{
    line.AddSwitch({"h", "help"});
    AddTo(line);
    line.Parse(args);
    if (line.IsSet("help")) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (line.Refusal() != CommandLine::Problem::None)
        return usageError(RefusalMessage(line));
    ReadFrom(line);
    if (!error_.empty())
        return usageError(error_);
    return std::nullopt;
}
