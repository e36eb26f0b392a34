#include "cli/Commands.h"

#include <cstdio>

int RunRegCommand(const CommandArgs&)
{
    std::fprintf(stderr, "tallyrune-updatectl: this command is not available yet\n");
    return 1;
}
