// An independent toolchain as a check on both the writer and the reader: the mingw resource
// compiler and linker make a PE from a .rc script, the writer makes one from the same values, and
// the reader must give the same answers for both.
#include "VersionFixtures.h"
#include "support/Prerequisite.h"

#include "version/TSMVersionInfo.h"

#include <QProcess>
#include <QStandardPaths>
#include <gtest/gtest.h>

using namespace fixtures;

namespace {
bool run(const QString& program, const QStringList& args, std::string& output)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    const bool finished = p.waitForFinished(60000);
    output = p.readAll().toStdString();
    return finished && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

const char rcScript[] = R"(1 VERSIONINFO
FILEVERSION 1,2,65535,4
PRODUCTVERSION 5,6,7,8
FILEOS 0x40004
FILETYPE 0x1
BEGIN
  BLOCK "StringFileInfo"
  BEGIN
    BLOCK "040904E4"
    BEGIN
      VALUE "CompanyName", "Harrowmere Software"
      VALUE "FileDescription", "Point of sale"
      VALUE "FileVersion", "9.9"
      VALUE "LegalCopyright", "Copyright (C) 2026 Grüße 日本"
      VALUE "ProductName", "Tallyrune"
      VALUE "ProductVersion", "5.6"
    END
  END
  BLOCK "VarFileInfo"
  BEGIN
    VALUE "Translation", 0x409, 1252
  END
END
)";
} // namespace

TEST(Windres, ReaderGivesTheSameValuesForTheResourceCompilersFileAsForTheWriters)
{
    const QString windres = QStandardPaths::findExecutable("i686-w64-mingw32-windres");
    const QString ld = QStandardPaths::findExecutable("i686-w64-mingw32-ld");
    const QString cpp = QStandardPaths::findExecutable("cpp");
    REQUIRE_PREREQUISITE(!windres.isEmpty() && !ld.isEmpty() && !cpp.isEmpty(),
                         "needs i686-w64-mingw32-windres and -ld (binutils-mingw-w64-i686) and cpp");

    TempDir dir;
    writeFile(dir / "version.rc", rcScript);
    std::string out;
    ASSERT_TRUE(
        run(windres,
            {"--preprocessor=" + cpp, "-c", "65001", "-i", QString::fromStdString((dir / "version.rc").string()), "-o",
             QString::fromStdString((dir / "version.o").string())},
            out))
        << out;
    ASSERT_TRUE(run(ld,
                    {"--entry=0", "-o", QString::fromStdString((dir / "windres.exe").string()),
                     QString::fromStdString((dir / "version.o").string())},
                    out))
        << out;

    VersionInfo mine = simpleVersionInfo({1, 2, 65535, 4},
                                         {{"CompanyName", "Harrowmere Software"},
                                          {"FileDescription", "Point of sale"},
                                          {"FileVersion", "9.9"},
                                          {"LegalCopyright", "Copyright (C) 2026 Grüße 日本"},
                                          {"ProductName", "Tallyrune"},
                                          {"ProductVersion", "5.6"}},
                                         {0x0409, 1252});
    mine.fixed->productVersion = {5, 6, 7, 8};
    const std::string ours = writePe(dir / "writer.exe", mine);

    TSMVersionInfo theirs(nullptr), ourInfo(nullptr);
    theirs.SetFileName((dir / "windres.exe").string());
    ourInfo.SetFileName(ours);
    EXPECT_EQ(theirs.MajorVersion(), 1);
    EXPECT_EQ(theirs.Release(), 65535);
    EXPECT_EQ(theirs.LegalCopyright(), "Copyright (C) 2026 Grüße 日本");
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(theirs.GetVersionNumber(i), ourInfo.GetVersionNumber(i)) << i;
    EXPECT_EQ(theirs.DateTime(), ourInfo.DateTime());
    for (int i = 1; i <= 10; ++i)
        EXPECT_EQ(theirs.GetVersionString(i), ourInfo.GetVersionString(i)) << TSMVersionInfo::StringKey(i);

    // Both fixed parts agree field by field, product version included.
    auto fixedOf = [](const std::string& file) {
        auto block = readBlock(file);
        void* value = nullptr;
        UINT length = 0;
        VS_FIXEDFILEINFO f{};
        if (!block.empty() && VerQueryValueA(block.data(), "\\", &value, &length) && length >= sizeof f)
            std::memcpy(&f, value, sizeof f);
        return f;
    };
    const VS_FIXEDFILEINFO a = fixedOf((dir / "windres.exe").string()), b = fixedOf(ours);
    EXPECT_EQ(a.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(a.dwFileVersionMS, b.dwFileVersionMS);
    EXPECT_EQ(a.dwFileVersionLS, b.dwFileVersionLS);
    EXPECT_EQ(a.dwProductVersionMS, b.dwProductVersionMS);
    EXPECT_EQ(a.dwProductVersionLS, b.dwProductVersionLS);
    EXPECT_EQ(a.dwFileOS, b.dwFileOS);
    EXPECT_EQ(a.dwFileType, b.dwFileType);
}
