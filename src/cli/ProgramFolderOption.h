#pragma once
// The companion's "--program-folder DIR": which utility install a command works on.
#include "cli/CommandLine.h"

#include <optional>
#include <string>

class ProgramFolderOption {
public:
    // Lets the command line take "--program-folder DIR" and "--program-folder=DIR".
    static void AddTo(CommandLine& line);
    // Takes the folder from a parsed line.
    void ReadFrom(const CommandLine& line);
    // Why the option cannot be used (an empty folder), or empty.
    const std::string& Error() const { return error_; }
    // The folder given, else the folder of the tallyrune-update that stands next to this program,
    // else the current folder; always as a full path, as the utility knows its own.
    std::string Folder() const;

    // What update and versions, which take options only, say about the argument they refused.
    static std::string RefusalMessage(const CommandLine& line);
    // Reads the line of such a command ("-h"/"--help" and the switches already added to line, and
    // this option): nullopt to go on, else the exit status once help is shown or a usage error
    // reported through usageError.
    std::optional<int> ReadCommandLine(CommandLine& line, const CommandArgs& args, const char* usageText,
                                       int (*usageError)(const std::string&));

private:
    std::string folder_;
    bool given_ = false;
    std::string error_;
};
