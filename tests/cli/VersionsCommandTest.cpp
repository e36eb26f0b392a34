// tallyrune-updatectl versions: the panels' values for a program folder, as text and as JSON,
// with the settings in a private root.
#include "RunUpdatectl.h"
#include "platform/registry.h"
#include "support/UpdatePath.h"
#include "version/VersionFixtures.h"

namespace fs = std::filesystem;

namespace {
class VersionsCommand : public ::testing::Test {
protected:
    void writeProgram(const fs::path& file, const std::vector<std::pair<std::string, std::string>>& strings)
    {
        fixtures::writePe(file, verwriter::simpleVersionInfo({1, 0, 0, 0}, strings));
    }
    UpdatectlOutcome versions(QStringList args)
    {
        args.prepend("versions");
        return runUpdatectl(args);
    }
    QString folder() const { return QString::fromStdString(program.str()); }

    ScopedCompatRoot root;
    TempDir program;
};
} // namespace

TEST_F(VersionsCommand, PlainOutputIsTwoBlocksOfTheFourRows)
{
    writeProgram(program / "Tallyrune.exe", {{"ProductName", "Tallyrune POS"},
                                             {"ProductVersion", "1.4"},
                                             {"FileVersion", "1.4.2.310"},
                                             {"LegalCopyright", "(C) 2025\x1b[2J"}});
    writeProgram(program / "Update" / "Tallyrune.exe", {{"FileVersion", "1.5.0.12"}});
    UpdatectlOutcome r = versions({"--program-folder", folder()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "Current Program Version\n"
                     "Product Name=Tallyrune POS\n"
                     "Product Version=1.4\n"
                     "File Version=1.4.2.310\n"
                     "Legal Copyright=(C) 2025\\x1B[2J\n"
                     "\n"
                     "Update Program Version\n"
                     "Product Name=Not Available\n"
                     "Product Version=Not Available\n"
                     "File Version=1.5.0.12\n"
                     "Legal Copyright=Not Available\n");

    // No product name in the update copy: red.
    r = versions({"--json", "--program-folder", folder() + "/"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"update_colour\": \"red\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"Legal Copyright\": \"(C) 2025\\u001b[2J\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"update_file\": \"" + (program / "Update" / "Tallyrune.exe").string() + "\""),
              std::string::npos)
        << r.out;
}

TEST_F(VersionsCommand, UpdatePathIsReadAsStored)
{
    const std::string stored = program.str() + "/elsewhere/";
    setUpdatePath(stored.c_str(), static_cast<DWORD>(stored.size() + 1), REG_SZ);
    writeProgram(program / "elsewhere" / "Tallyrune.exe", {{"ProductName", "Tallyrune POS"}});
    UpdatectlOutcome r = versions({"--json", "--program-folder", folder()});
    // No installed program: the panels are still shown, and the command fails naming the file.
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "tallyrune-updatectl versions: " + program.str() +
                         "/Tallyrune.exe: The system cannot find the file specified.\n");
    EXPECT_NE(r.out.find("\"update_file\": \"" + stored + "/Tallyrune.exe\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"update_colour\": \"green\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"current\": {\"Product Name\": \"Not Available\""), std::string::npos) << r.out;
}

TEST_F(VersionsCommand, ASettingOfTheWrongTypeFailsWithTheStoresMessage)
{
    const DWORD number = 7;
    setUpdatePath(&number, sizeof number, REG_DWORD);
    UpdatectlOutcome r = versions({"--program-folder", folder()});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "tallyrune-updatectl versions: Invalid data type for 'Update Path'\n");
}

TEST_F(VersionsCommand, UsageErrors)
{
    for (const QStringList& args : {QStringList{"--program-folder"}, QStringList{"--program-folder", ""},
                                    QStringList{"--jsn"}, QStringList{"extra"}}) {
        UpdatectlOutcome r = versions(args);
        EXPECT_EQ(r.status, 2) << args.join(' ').toStdString();
        EXPECT_NE(r.err.find("Usage: tallyrune-updatectl versions"), std::string::npos);
        EXPECT_EQ(r.out, "");
    }
    UpdatectlOutcome help = versions({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("tallyrune-update that stands next to this program, else the"), std::string::npos);
}

TEST_F(VersionsCommand, TheDefaultFolderIsTheUtilitysBesideElseTheCurrentOne)
{
    // Built side by side: the utility's folder (where neither Tallyrune.exe exists).
    UpdatectlOutcome r = versions({"--json"});
    EXPECT_EQ(r.status, 1) << r.err;
    const std::string beside = fs::canonical(binDir()).string();
    EXPECT_NE(r.out.find("\"update_file\": \"" + beside + "/Update/Tallyrune.exe\""), std::string::npos) << r.out;

    // A companion on its own: the current folder.
    TempDir alone, here;
    fs::copy_file(binDir() / "tallyrune-updatectl", alone / "tallyrune-updatectl");
    writeProgram(here / "Tallyrune.exe", {});
    writeProgram(here / "Update" / "Tallyrune.exe", {});
    r = runUpdatectl({"versions", "--json"}, QString::fromStdString((alone / "tallyrune-updatectl").string()),
                     QString::fromStdString(here.str()));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"update_file\": \"" + here.str() + "/Update/Tallyrune.exe\""), std::string::npos) << r.out;
}
