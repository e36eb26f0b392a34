// tallyrune-updatectl: the administrator's companion to the update utility.
#include "cli/Commands.h"
#include "version/OwnVersion.h"

#include <cstdio>
#include <cstring>

namespace {
struct Subcommand {
    const char* name;
    const char* synopsis;
    int (*run)(const CommandArgs&);
};

const Subcommand subcommands[] = {
    {"reg", "reg query|add|delete KEY ...        manage the registry as Windows' reg command does", RunRegCommand},
    {"copy", "copy [--title T] [--pairs] [--quiet] SOURCE... DEST   copy as the update does", RunCopyCommand},
    {"verinfo", "verinfo [--json] FILE...            show the version information of files", RunVerinfoCommand},
    {"versions", "versions [--json] [--program-folder DIR]   what the utility's version panels show",
     RunVersionsCommand},
    {"update", "update [--yes | --if-needed] [--json] [--program-folder DIR]   run the update as the window does",
     RunUpdateCommand},
    {"rollback", "rollback [--yes] [--force] [--json] [--program-folder DIR]   take back the last update",
     RunRollbackCommand},
    {"history", "history [--json] [--program-folder DIR]   every update and rollback recorded for the folder",
     RunHistoryCommand},
};

void usage(std::FILE* out)
{
    std::fprintf(out, "Usage: tallyrune-updatectl COMMAND [ARGS...]\n\nCommands:\n");
    for (const auto& s : subcommands)
        std::fprintf(out, "  %s\n", s.synopsis);
    std::fprintf(out, "\n  -h, --help                          show this help; COMMAND --help shows a command's own\n"
                      "  -V, --version                       show this program's version\n"
                      "\nEnvironment:\n"
                      "  WINCOMPAT_ROOT   the folder holding the settings (registry), the history and the\n"
                      "                   other Windows state; /var/lib/wincompat when not set\n");
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        usage(stderr);
        return 2;
    }
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        usage(stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0) {
        std::printf("%s\n", OwnVersionLine("tallyrune-updatectl").c_str());
        return 0;
    }
    for (const auto& s : subcommands) {
        if (std::strcmp(argv[1], s.name) == 0)
            return s.run(CommandArgs(argv + 2, argv + argc));
    }
    std::fprintf(stderr, "tallyrune-updatectl: unknown command '%s'\n\n", argv[1]);
    usage(stderr);
    return 2;
}
