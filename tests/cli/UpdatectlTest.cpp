// The companion's own dispatch: help, unknown commands and missing arguments.
#include "RunUpdatectl.h"

TEST(Updatectl, HelpListsEverySubcommand)
{
    UpdatectlOutcome r = runUpdatectl({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"reg", "copy", "verinfo", "versions"})
        EXPECT_NE(r.out.find(std::string("  ") + command + " "), std::string::npos) << command;
}

TEST(Updatectl, UnknownInputIsAUsageError)
{
    UpdatectlOutcome none = runUpdatectl({});
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("Usage: tallyrune-updatectl"), std::string::npos);

    UpdatectlOutcome unknown = runUpdatectl({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);
}
