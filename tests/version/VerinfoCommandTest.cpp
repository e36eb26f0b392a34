// tallyrune-updatectl verinfo, run as the administrator runs it.
#include "VersionFixtures.h"
#include "support/Prerequisite.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <fstream>
#include <gtest/gtest.h>

using namespace fixtures;
namespace fs = std::filesystem;

namespace {
struct CommandResult {
    int exitCode;
    std::string out;
    std::string err;
};

CommandResult verinfo(const QStringList& args, const fs::path& program = binDir() / "tallyrune-updatectl",
                      const fs::path& cwd = {})
{
    QProcess p;
    if (!cwd.empty())
        p.setWorkingDirectory(QString::fromStdString(cwd.string()));
    p.start(QString::fromStdString(program.string()), QStringList{"verinfo"} + args);
    EXPECT_TRUE(p.waitForFinished(30000));
    return {p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
}

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

const char* const noData = "MajorVersion=-1\nMinorVersion=-1\nRelease=-1\nBuild=-1\nDateTime=0\n"
                           "CompanyName=\nFileDescription=\nFileVersion=\nInternalName=\nLegalCopyright=\n"
                           "OriginalFilename=\nProductName=\nProductVersion=\nComments=\nLegalTrademarks=\n";
} // namespace

TEST(VerinfoCommand, PlainOutputListsTheFifteenValuesPerFile)
{
    TempDir dir;
    const std::string file =
        writePe(dir / "Tallyrune.exe", simpleVersionInfo({1, 2, 3, 4}, {{"CompanyName", "Harrowmere Software"},
                                                                        {"FileVersion", "9.9"},
                                                                        {"ProductName", "Tallyrune"},
                                                                        {"Comments", "line one\nline\x1b[31mtwo"}}));
    const std::string plain = (dir / "notes.txt").string();
    std::ofstream(plain) << "no version information here\n";
    CommandResult r = verinfo({q(file), q((dir / "missing.exe").string()), q(plain)});
    // The missing file is named on standard error and fails the command; the others are shown.
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tallyrune-updatectl verinfo: " + (dir / "missing.exe").string() +
                         ": The system cannot find the file specified.\n");
    EXPECT_EQ(r.out, "MajorVersion=1\nMinorVersion=2\nRelease=3\nBuild=4\nDateTime=-109205\n"
                     "CompanyName=Harrowmere Software\nFileDescription=\nFileVersion=9.9\nInternalName=\n"
                     "LegalCopyright=\nOriginalFilename=\nProductName=Tallyrune\nProductVersion=\n"
                     "Comments=line one\\x0Aline\\x1B[31mtwo\nLegalTrademarks=\n\n" +
                         std::string(noData));
}

TEST(VerinfoCommand, AFileThatCannotBeReadFailsWithTheReason)
{
    TempDir dir;
    const struct {
        std::string name, reason;
    } cases[] = {
        {(dir / "missing.exe").string(), "The system cannot find the file specified."},
        {(dir / "gone" / "Tallyrune.exe").string(), "The system cannot find the path specified."},
        {dir.str(), "Access is denied."},
    };
    for (const auto& c : cases) {
        for (const QString& form : {QString(), QString("--json")}) {
            const CommandResult r = verinfo(form.isEmpty() ? QStringList{q(c.name)} : QStringList{form, q(c.name)});
            EXPECT_EQ(r.exitCode, 1) << c.name;
            EXPECT_EQ(r.err, "tallyrune-updatectl verinfo: " + c.name + ": " + c.reason + "\n");
            EXPECT_EQ(r.out, "") << c.name;
        }
    }
}

TEST(VerinfoCommand, JsonOutputIsOneObjectForOneFileAndOneArrayForSeveral)
{
    TempDir dir;
    VersionInfo v = simpleVersionInfo(
        {65535, 0, 8, 130}, {{"ProductName", "Quote \" back \\ tab \t bell \a"}, {"LegalCopyright", "© Ünïcødé 𝄞"}});
    // 2000-01-01 00:00:00.001: a fraction that needs all seventeen digits.
    const std::uint64_t ticks = 125911584000010000ull;
    v.fixed->fileDateMS = static_cast<std::uint32_t>(ticks >> 32);
    v.fixed->fileDateLS = static_cast<std::uint32_t>(ticks);
    const std::string file = writePe(dir / "a.exe", v);
    // A file name that is not UTF-8 comes out with U+FFFD in its place.
    const std::string odd = (dir / "odd\xff.exe").string();
    fs::copy_file(file, odd);

    // Through a shell, so that the name reaches the program as the bytes it is.
    QProcess p;
    p.setWorkingDirectory(q(dir.str()));
    p.start("/bin/sh", {"-c", "exec \"$0\" verinfo --json \"$1\" \"$(printf 'odd\\377.exe')\"",
                        q((binDir() / "tallyrune-updatectl").string()), q(file)});
    ASSERT_TRUE(p.waitForFinished(30000));
    CommandResult r{p.exitCode(), p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
    EXPECT_EQ(r.exitCode, 0) << r.err;
    QJsonParseError error{};
    const QJsonDocument both = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << r.out;
    ASSERT_TRUE(both.isArray()) << r.out;
    ASSERT_EQ(both.array().size(), 2);
    const QJsonObject o = both.array()[0].toObject();
    EXPECT_EQ(o.size(), 16);
    EXPECT_EQ(o["file"].toString().toStdString(), file);
    EXPECT_EQ(o["MajorVersion"].toInt(), 65535);
    EXPECT_EQ(o["Build"].toInt(), 130);
    EXPECT_EQ(o["DateTime"].toDouble(), 36526.0 + 1.0 / 86400000.0);
    EXPECT_EQ(o["ProductName"].toString().toStdString(), "Quote \" back \\ tab \t bell \a");
    EXPECT_EQ(o["LegalCopyright"].toString().toStdString(), "© Ünïcødé 𝄞");
    EXPECT_EQ(o["Comments"].toString(), "");
    EXPECT_EQ(both.array()[1].toObject()["file"].toString().toStdString(), "odd\uFFFD.exe");

    // One file: the object alone, on one line.
    r = verinfo({"--json", q(file)});
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;
    const QJsonDocument one = QJsonDocument::fromJson(QByteArray::fromStdString(r.out), &error);
    ASSERT_TRUE(one.isObject()) << r.out;
    EXPECT_EQ(one.object()["Build"].toInt(), 130);
}

TEST(VerinfoCommand, UsageErrors)
{
    EXPECT_EQ(verinfo({}).exitCode, 2);
    EXPECT_EQ(verinfo({"--json"}).exitCode, 2);
    CommandResult r = verinfo({"--xml", "a.exe"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("Usage"), std::string::npos);
    // After "--" a leading dash is a file name.
    r = verinfo({"--", "-missing.exe"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "tallyrune-updatectl verinfo: -missing.exe: The system cannot find the file specified.\n");
}

TEST(VerinfoCommand, AFileNameThatIsNotUtf8IsOpenedAsGiven)
{
    TempDir dir;
    writePe(dir / "odd\xff.exe", simpleVersionInfo({3, 1, 4, 1}, {}));
    // Through a shell, as QProcess would pass the byte on as U+FFFD.
    QProcess p;
    p.setWorkingDirectory(q(dir.str()));
    p.start("/bin/sh",
            {"-c", "exec \"$0\" verinfo \"$(printf 'odd\\377.exe')\"", q((binDir() / "tallyrune-updatectl").string())});
    ASSERT_TRUE(p.waitForFinished(30000));
    EXPECT_EQ(p.exitCode(), 0);
    EXPECT_TRUE(p.readAllStandardOutput().startsWith("MajorVersion=3\nMinorVersion=1\nRelease=4\n"));
}

TEST(VerinfoCommand, ABareNameIsFoundNextToTheExecutableFirst)
{
    TempDir dir;
    fs::create_directories(dir / "program");
    fs::create_directories(dir / "elsewhere");
    const fs::path program = dir / "program" / "tallyrune-updatectl";
    fs::copy_file(binDir() / "tallyrune-updatectl", program);
    writePe(dir / "program" / "Tallyrune.exe", simpleVersionInfo({1, 1, 1, 1}, {{"ProductName", "beside"}}));
    writePe(dir / "elsewhere" / "Tallyrune.exe", simpleVersionInfo({2, 2, 2, 2}, {{"ProductName", "current"}}));
    CommandResult r = verinfo({"--json", "Tallyrune.exe"}, program, dir / "elsewhere");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("\"MajorVersion\":1,"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\"ProductName\":\"beside\""), std::string::npos) << r.out;
    // Without the one beside the executable, the current directory's.
    fs::remove(dir / "program" / "Tallyrune.exe");
    r = verinfo({"--json", "Tallyrune.exe"}, program, dir / "elsewhere");
    EXPECT_NE(r.out.find("\"ProductName\":\"current\""), std::string::npos) << r.out;
}

TEST(VerinfoCommand, TheUtilityAnswersForItsOwnVersion)
{
    const fs::path utility = binDir() / "tallyrune-update";
    REQUIRE_PREREQUISITE(fs::exists(utility), "tallyrune-update is not built in " << binDir());
    CommandResult r = verinfo({q(utility.string())});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "MajorVersion=1\nMinorVersion=0\nRelease=8\nBuild=130\nDateTime=-109205\n"
                     "CompanyName=Harrowmere Software\nFileDescription=Tallyrune Update Utility\n"
                     "FileVersion=1.0.8.130\nInternalName=Tallyrune Update Utility\n"
                     "LegalCopyright=Copyright (C) 2026 Harrowmere Software\n"
                     "OriginalFilename=Tallyrune Update Utility\nProductName=Update Utility\n"
                     "ProductVersion=1.0.0.0\nComments=Brings Tallyrune up to date from its update folder\n"
                     "LegalTrademarks=Tallyrune is a trademark of Harrowmere Software\n");
}
