#pragma once
// The companion's "--program-folder DIR": which utility install a command works on.
#include "cli/Commands.h"

#include <string>

class ProgramFolderOption {
public:
    // Takes "--program-folder DIR" or "--program-folder=DIR" at args[i], moving i past the folder;
    // false when args[i] is some other argument.
    bool Take(const CommandArgs& args, std::size_t& i);
    // Why the option cannot be used (no folder after it), or empty.
    const std::string& Error() const { return error_; }
    // The folder given, else the folder of the tallyrune-update that stands next to this program,
    // else the current folder; always as a full path, as the utility knows its own.
    std::string Folder() const;

private:
    std::string folder_;
    bool given_ = false;
    std::string error_;
};
