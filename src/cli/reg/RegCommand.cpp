// tallyrune-updatectl reg: Windows' reg command (query, add, delete) over the platform registry,
// with its syntax, its output and its exit codes, except that a usage error exits with 2.
#include "cli/Commands.h"
#include "cli/reg/RegConsole.h"
#include "cli/reg/RegOperations.h"

#include <algorithm>
#include <iterator>
#include <string>

namespace {

void printUsage(const std::string& operation)
{
    if (operation == "query")
        reg::out("tallyrune-updatectl reg query KEY [/v NAME | /ve] [/s]\n\n"
                 "  KEY   ROOT\\Subkey, ROOT one of HKLM, HKCU, HKCR, HKU, HKCC (or the long names)\n"
                 "  /v    the value NAME only        /ve   the unnamed (Default) value only\n"
                 "  /s    every key below KEY too\n");
    else if (operation == "add")
        reg::out("tallyrune-updatectl reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]\n\n"
                 "  /t    REG_SZ (default), REG_EXPAND_SZ, REG_MULTI_SZ, REG_DWORD, REG_QWORD, REG_BINARY, REG_NONE\n"
                 "  /d    the data: numbers in decimal or 0x hex, binary as hex digits, REG_MULTI_SZ items\n"
                 "        separated by \\0 (or by the /s character)\n"
                 "  /f    overwrite an existing value without asking\n");
    else if (operation == "delete")
        reg::out("tallyrune-updatectl reg delete KEY [/v NAME | /ve | /va] [/f]\n\n"
                 "  without /v, /ve or /va the key and everything below it is deleted\n"
                 "  /va   every value of KEY      /f   delete without asking\n");
    else
        reg::out("tallyrune-updatectl reg OPERATION [PARAMETERS]\n\n"
                 "  OPERATION  QUERY | ADD | DELETE\n\n"
                 "For help on one operation: tallyrune-updatectl reg OPERATION /? (or --help)\n\n"
                 "The hives are kept below WINCOMPAT_ROOT, /var/lib/wincompat when it is not set.\n"
                 "Exit status: 0 done or answered No, 1 failed or no answer could be read, 2 usage error.\n");
}

bool isHelp(const std::string& arg)
{
    return arg == "/?" || arg == "-?" || reg::isKeyword(arg, "/H") || reg::isKeyword(arg, "-H") || arg == "--help";
}

} // namespace

int RunRegCommand(const CommandArgs& args)
{
    if (args.empty())
        return reg::usageError("");
    if (isHelp(args[0])) {
        printUsage("");
        return reg::exitSuccess;
    }
    const char* const operations[] = {"query", "add", "delete"};
    const auto known = std::find_if(std::begin(operations), std::end(operations),
                                    [&](const char* name) { return reg::isKeyword(args[0], name); });
    if (known == std::end(operations))
        return reg::usageError("", "ERROR: Invalid syntax.");
    const std::string operation = *known;
    if (args.size() < 2)
        return reg::usageError(operation);
    if (isHelp(args[1])) {
        printUsage(operation);
        return reg::exitSuccess;
    }
    if (operation == "query")
        return reg::runQuery(args);
    if (operation == "add")
        return reg::runAdd(args);
    return reg::runDelete(args);
}
