// The companion's own dispatch: help, unknown commands and missing arguments.
#include "support/TempDir.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {
struct Outcome {
    int status;
    QString out, err;
};

Outcome updatectl(const QStringList& args)
{
    QProcess p;
    p.start(QString::fromStdString((binDir() / "tallyrune-updatectl").string()), args);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}
} // namespace

TEST(Updatectl, HelpListsEverySubcommand)
{
    Outcome r = updatectl({"--help"});
    EXPECT_EQ(r.status, 0);
    for (const char* command : {"reg", "copy", "verinfo"})
        EXPECT_TRUE(r.out.contains(QString("  ") + command)) << command;
}

TEST(Updatectl, UnknownInputIsAUsageError)
{
    Outcome none = updatectl({});
    EXPECT_EQ(none.status, 2);
    EXPECT_TRUE(none.err.contains("Usage: tallyrune-updatectl"));

    Outcome unknown = updatectl({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_TRUE(unknown.err.contains("unknown command 'frobnicate'"));
}
