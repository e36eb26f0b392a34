#pragma once
// Subcommands of tallyrune-updatectl. Each takes the arguments after its own name and returns
// the process exit status: 0 success, 1 failure, 2 usage error.
#include <string>
#include <vector>

using CommandArgs = std::vector<std::string>;

int RunRegCommand(const CommandArgs& args);
int RunCopyCommand(const CommandArgs& args);
int RunVerinfoCommand(const CommandArgs& args);
int RunUpdateCommand(const CommandArgs& args);
int RunVersionsCommand(const CommandArgs& args);
int RunRollbackCommand(const CommandArgs& args);
int RunHistoryCommand(const CommandArgs& args);
