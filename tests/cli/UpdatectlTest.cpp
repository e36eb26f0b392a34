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

TEST(Updatectl, UsageErrorsNameTheArgumentAsTyped)
{
    const struct {
        QStringList args;
        std::string firstLine;
    } cases[] = {
        {{"update", "--frobnicate"}, "tallyrune-updatectl update: unexpected argument '--frobnicate'"},
        {{"update", "--json=yes"}, "tallyrune-updatectl update: unexpected argument '--json=yes'"},
        {{"update", "--yes", "-x"}, "tallyrune-updatectl update: unexpected argument '-x'"},
        {{"update", "--program-folder"}, "tallyrune-updatectl update: --program-folder needs a folder"},
        {{"update", "--program-folder="}, "tallyrune-updatectl update: --program-folder needs a folder"},
        {{"versions", "extra", "--bogus"}, "tallyrune-updatectl versions: unexpected argument 'extra'"},
        {{"versions", "--program-folder", "dir", "--jsn"}, "tallyrune-updatectl versions: unexpected argument '--jsn'"},
        {{"verinfo", "a.exe", "--xml"}, "tallyrune-updatectl verinfo: unknown option '--xml'"},
        {{"copy", "--pairs=1", "a", "b"}, "tallyrune-updatectl copy: unknown option '--pairs=1'"},
        {{"copy", "--quiet", "--title"}, "tallyrune-updatectl copy: --title needs a text"},
        {{"copy", "--title", "--quiet", "a"}, "tallyrune-updatectl copy: needs at least one SOURCE and a DEST"},
    };
    for (const auto& c : cases) {
        const UpdatectlOutcome r = runUpdatectl(c.args);
        EXPECT_EQ(r.status, 2) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.firstLine) << c.args.join(' ').toStdString();
        EXPECT_EQ(r.out, "");
    }
    // Help before the mistake still helps, as the arguments are read in order.
    EXPECT_EQ(runUpdatectl({"versions", "--help", "--bogus"}).status, 0);
    EXPECT_EQ(runUpdatectl({"versions", "--bogus", "--help"}).status, 2);
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

// Every command answers for itself the way an administrator tries first, and says where the
// settings it reads live.
TEST(Updatectl, EveryCommandHelpsItself)
{
    const struct {
        QStringList args;
        std::string firstLine;
        bool namesRoot;
    } cases[] = {
        {{"--help"}, "Usage: tallyrune-updatectl COMMAND [ARGS...]", true},
        {{"-h"}, "Usage: tallyrune-updatectl COMMAND [ARGS...]", true},
        {{"reg", "--help"}, "tallyrune-updatectl reg OPERATION [PARAMETERS]", true},
        {{"reg", "-h"}, "tallyrune-updatectl reg OPERATION [PARAMETERS]", true},
        {{"reg", "/?"}, "tallyrune-updatectl reg OPERATION [PARAMETERS]", true},
        {{"reg", "add", "--help"},
         "tallyrune-updatectl reg add KEY [/v NAME | /ve] [/t TYPE] [/s SEPARATOR] [/d DATA] [/f]",
         false},
        {{"copy", "-h"}, "Usage: tallyrune-updatectl copy [--title TEXT] [--pairs] [--quiet] SOURCE... DEST", false},
        {{"verinfo", "-h"}, "Usage: tallyrune-updatectl verinfo [--json] FILE...", false},
        {{"versions", "-h"}, "Usage: tallyrune-updatectl versions [--json] [--program-folder DIR]", true},
        {{"update", "-h"},
         "Usage: tallyrune-updatectl update [--yes | --if-needed] [--json] [--program-folder DIR]",
         true},
        {{"rollback", "-h"},
         "Usage: tallyrune-updatectl rollback [--yes] [--force] [--json] [--program-folder DIR]",
         true},
        {{"history", "--help"}, "Usage: tallyrune-updatectl history [--json] [--program-folder DIR]", true},
    };
    for (const auto& c : cases) {
        const std::string what = c.args.join(' ').toStdString();
        const UpdatectlOutcome r = runUpdatectl(c.args);
        EXPECT_EQ(r.status, 0) << what;
        EXPECT_EQ(r.out.substr(0, r.out.find('\n')), c.firstLine) << what;
        EXPECT_EQ(r.out.find("WINCOMPAT_ROOT") != std::string::npos, c.namesRoot) << what;
        EXPECT_EQ(r.err, "") << what;
    }
}

// Both programs print the version their own version resource carries, without a display.
TEST(Updatectl, BothProgramsTellTheirVersion)
{
    for (const char* program : {"tallyrune-updatectl", "tallyrune-update"})
        for (const char* option : {"--version", "-V"}) {
            QProcessEnvironment noDisplay = QProcessEnvironment::systemEnvironment();
            noDisplay.remove("DISPLAY");
            noDisplay.remove("QT_QPA_PLATFORM");
            const UpdatectlOutcome r =
                runUpdatectl({option}, QString::fromStdString((binDir() / program).string()), {}, noDisplay);
            EXPECT_EQ(r.status, 0) << program << option;
            EXPECT_EQ(r.out, std::string(program) + " 1.0.8.130\n") << program << option;
        }
}
