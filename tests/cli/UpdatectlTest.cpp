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

// A till without a display runs the companion: nothing it loads, directly or through another
// library, may belong to the display stack.
TEST(Updatectl, LoadsNoDisplayLibrary)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QString::fromStdString((binDir() / "tallyrune-updatectl").string())});
    ASSERT_TRUE(ldd.waitForFinished(30000));
    ASSERT_EQ(ldd.exitCode(), 0) << ldd.readAllStandardError().toStdString();
    const QString libraries = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_TRUE(libraries.contains(QStringLiteral("libQt6Core.so"))) << libraries.toStdString();
    for (const char* display : {"libQt6Gui", "libQt6Widgets", "libX11", "libxcb", "libGL", "libEGL", "libOpenGL",
                                "libxkbcommon", "libfontconfig", "libfreetype"})
        EXPECT_FALSE(libraries.contains(QLatin1String(display))) << display << " in\n" << libraries.toStdString();
}
