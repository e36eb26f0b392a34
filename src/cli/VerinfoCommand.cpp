#include "cli/Commands.h"

#include <cstdio>

int RunVerinfoCommand(const CommandArgs&)
{
    std::fprintf(stderr, "tallyrune-updatectl: this command is not available yet\n");
    return 1;
}
