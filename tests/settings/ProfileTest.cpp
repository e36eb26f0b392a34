// INI files: the platform's profile functions and the settings store on its INI back end.
#include "SettingsTestSupport.h"
#include "support/Prerequisite.h"

#include "framework/core/Exceptions.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/SettingsPaths.h"
#include "settings/TLMDIniCtrl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using settings_test::snapshot;

namespace {

std::string read(const std::filesystem::path& file, const char* section, const char* key, const char* fallback,
                 DWORD size = 2048)
{
    std::string buffer(size, '\xee');
    const DWORD n = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, file.c_str());
    return std::string(buffer.data(), n);
}

} // namespace

TEST(Profile, ReadsMatchWithoutCaseTrimAndStripQuotes)
{
    TempDir dir;
    const auto file = dir / "pos.ini";
    writeFile(file, "top=level\r\n[Application]\r\n  Update Path =  /srv/update  \r\n"
                    "Quoted=\"  spaced  \"\r\nSingle='x'\r\nHalf=\"open\r\n;comment=1\r\nNoValue\r\n"
                    "[application]\r\nUpdate Path=second section loses\n[Other]\nkey=other\n");
    EXPECT_EQ(read(file, "APPLICATION", "update path", "d"), "/srv/update");
    EXPECT_EQ(read(file, " Application ", " Update Path ", "d"), "/srv/update");
    EXPECT_EQ(read(file, "Application", "Quoted", "d"), "  spaced  ");
    EXPECT_EQ(read(file, "Application", "Single", "d"), "x");
    EXPECT_EQ(read(file, "Application", "Half", "d"), "\"open");
    EXPECT_EQ(read(file, "Application", "NoValue", "d"), "d");
    EXPECT_EQ(read(file, "Other", "key", "d"), "other");
    EXPECT_EQ(read(file, "", "top", "d"), "d"); // entries before any section belong to none
    EXPECT_EQ(read(file, "Missing", "key", "default  "), "default");
    EXPECT_EQ(read(file, "Application", "Missing", nullptr), "");
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(read(dir / "absent.ini", "a", "b", "fallback"), "fallback");

    // Lists: section names, and the keys of a section, each ended by a zero.
    EXPECT_EQ(read(file, nullptr, nullptr, ""), std::string("Application\0application\0Other\0", 30));
    EXPECT_EQ(read(file, "Other", nullptr, ""), std::string("key\0", 4));
}

TEST(Profile, AReadIsCutToTheBufferLessOne)
{
    TempDir dir;
    const auto file = dir / "long.ini";
    writeFile(file, "[S]\nlong=" + std::string(3000, 'v') + "\n");
    const std::string value = read(file, "S", "long", "");
    EXPECT_EQ(value.size(), 2047u);
    EXPECT_EQ(read(file, "S", "long", "", 5), "vvvv");
    EXPECT_EQ(read(file, "S", "long", "", 1), "");
}

TEST(Profile, WritesCreateReplaceAndDeleteKeepingTheRestOfTheFile)
{
    TempDir dir;
    const auto file = dir / "pos.ini";
    ASSERT_TRUE(WritePrivateProfileStringA("Update", "LastUpdate", "today", file.c_str()));
    EXPECT_EQ(readFile(file), "[Update]\r\nLastUpdate=today\r\n");

    writeFile(file, "; kept comment\n[Update]\nlastupdate = old\n\n[Other]\nx=1\n");
    ASSERT_TRUE(WritePrivateProfileStringA("update", "LastUpdate", "  new", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Update", "Added", "2", file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Third", "k", "v", file.c_str()));
    EXPECT_EQ(readFile(file), "; kept comment\n[Update]\nlastupdate=new\nAdded=2\n\n[Other]\nx=1\n\n[Third]\nk=v\n");

    ASSERT_TRUE(WritePrivateProfileStringA("Update", "Added", nullptr, file.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("Other", nullptr, nullptr, file.c_str()));
    EXPECT_EQ(readFile(file), "; kept comment\n[Update]\nlastupdate=new\n\n[Third]\nk=v\n");
    ASSERT_TRUE(WritePrivateProfileStringA("Nope", nullptr, nullptr, (dir / "absent.ini").c_str()));
    EXPECT_FALSE(std::filesystem::exists(dir / "absent.ini"));
}

TEST(Profile, AWriteReplacesTheFileWholeAndLeavesNothingBehind)
{
    TempDir dir;
    const auto file = dir / "pos.ini";
    writeFile(file, "[S]\nk=0\n");
    chmod(file.c_str(), 0640);
    // A reader that has the old file open keeps seeing it whole: the new one is renamed into place.
    const int reader = open(file.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(reader, 0);
    struct stat before {};
    fstat(reader, &before);
    for (int i = 1; i <= 50; ++i)
        ASSERT_TRUE(WritePrivateProfileStringA("S", ("k" + std::to_string(i)).c_str(), "v", file.c_str()));
    struct stat after {};
    stat(file.c_str(), &after);
    EXPECT_NE(before.st_ino, after.st_ino);
    char old[16] = {};
    EXPECT_EQ(pread(reader, old, sizeof old, 0), 8);
    EXPECT_EQ(std::string(old), "[S]\nk=0\n");
    close(reader);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(snapshot(dir.path()).size(), 1u);
    EXPECT_EQ(read(file, "S", "k50", ""), "v");
    // Writing what is there already does not touch the file.
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k50", "v", file.c_str()));
    struct stat same {};
    stat(file.c_str(), &same);
    EXPECT_EQ(same.st_ino, after.st_ino);
}

TEST(Profile, WritesGoThroughALinkToItsTarget)
{
    TempDir dir;
    writeFile(dir / "real.ini", "[S]\nk=1\n");
    std::filesystem::create_symlink("real.ini", dir / "pos.ini");
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "2", (dir / "pos.ini").c_str()));
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "pos.ini"));
    EXPECT_EQ(readFile(dir / "real.ini"), "[S]\nk=2\n");
}

TEST(Profile, ConcurrentWritersLoseNothing)
{
    TempDir dir;
    const auto file = dir / "shared.ini";
    constexpr int writers = 8, writes = 20;
    std::vector<int> pids;
    for (int id = 0; id < writers; ++id)
        pids.push_back(settings_test::startProcess({settings_test::selfExecutable().string()},
                                                   {{settings_test::helperVariable, "ini-hammer"},
                                                    {"HELPER_FILE", file.string()},
                                                    {"HELPER_ID", std::to_string(id)},
                                                    {"HELPER_COUNT", std::to_string(writes)}}));
    for (int pid : pids)
        EXPECT_EQ(settings_test::waitProcess(pid), 0);
    int found = 0;
    for (int id = 0; id < writers; ++id)
        for (int i = 0; i < writes; ++i)
            found += read(file, "Shared", ("w" + std::to_string(id) + "-" + std::to_string(i)).c_str(), "") ==
                     std::to_string(i);
    EXPECT_EQ(found, writers * writes);
    EXPECT_EQ(snapshot(dir.path()).size(), 1u);
}

TEST(Profile, RefusedWritesReportFalseAndALastError)
{
    TempDir dir;
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (dir / "no" / "such" / "pos.ini").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    std::filesystem::create_directory(dir / "folder.ini");
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "v", (dir / "folder.ini").c_str()));
    EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, nullptr, nullptr, (dir / "x.ini").c_str())); // the flush
    EXPECT_EQ(snapshot(dir.path()).size(), 1u);

    // Nothing that would change the file's structure gets in.
    const auto file = dir / "pos.ini";
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "k", "a\n[Other]\nx=1", file.c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "a=b", "v", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("S", "[T]", "v", file.c_str()));
    EXPECT_FALSE(WritePrivateProfileStringA("S\r\n[T]", "k", "v", file.c_str()));
    EXPECT_EQ(readFile(file), "[S]\r\nk=v\r\n");
}

TEST(Profile, AFileItsUserMayWriteInAFolderTheyMayNotIsRewrittenInPlace)
{
    TempDir dir;
    const auto file = dir / "pos.ini";
    writeFile(file, "; kept\r\n[S]\r\nk=old\r\n");
    chmod(file.c_str(), 0640);
    const std::vector<std::string> nobody = settings_test::asNobody();
    // Root may write any folder: the writer is nobody then; anyone else writes as themselves.
    const bool asNobody = !nobody.empty();
    chmod(dir.path().c_str(), 0755);
    REQUIRE_PREREQUISITE(geteuid() != 0 || (asNobody && settings_test::traversableByOthers(dir.path())),
                         "needs a second user (nobody) who can reach " << dir.path());
    if (asNobody) {
        ASSERT_EQ(chown(file.c_str(), 65534, 65534), 0);
    }
    chmod(dir.path().c_str(), 0555);
    struct stat before {};
    ASSERT_EQ(stat(file.c_str(), &before), 0);
    const auto write = [&](const char* section, const char* key, const char* value) {
        if (!asNobody)
            return WritePrivateProfileStringA(section, key, value, file.c_str()) ? std::string() : std::string("refused");
        settings_test::Environment env = {{settings_test::helperVariable, "ini-write"},
                                          {"HELPER_FILE", file.string()},
                                          {"HELPER_SECTION", section},
                                          {"HELPER_KEY", key}};
        if (value != nullptr)
            env.emplace_back("HELPER_VALUE", value);
        std::vector<std::string> argv = nobody;
        argv.push_back(settings_test::executableForOthers().string());
        const auto r = settings_test::runProcess(argv, env);
        return r.exitCode == 0 ? std::string() : "refused " + r.out + r.err;
    };

    EXPECT_EQ(write("S", "k", "a value longer than the old one"), "");
    EXPECT_EQ(readFile(file), "; kept\r\n[S]\r\nk=a value longer than the old one\r\n");
    EXPECT_EQ(write("S", "k", nullptr), ""); // shorter: the rest is cut off
    EXPECT_EQ(write("T", "new", "1"), "");
    EXPECT_EQ(readFile(file), "; kept\r\n[S]\r\n\r\n[T]\r\nnew=1\r\n");
    struct stat after {};
    ASSERT_EQ(stat(file.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(snapshot(dir.path()).size(), 1u);

    // A file that its user may not write either stays as it is.
    chmod(file.c_str(), 0440);
    EXPECT_NE(write("S", "k", "v"), "");
    EXPECT_EQ(readFile(file), "; kept\r\n[S]\r\n\r\n[T]\r\nnew=1\r\n");
}

TEST(Profile, BareNamesLiveInTheWindowsFolder)
{
    ScopedCompatRoot root;
    ASSERT_TRUE(WritePrivateProfileStringA("S", "k", "v", "pos.ini"));
    EXPECT_EQ(readFile(root.path() / "windows" / "pos.ini"), "[S]\r\nk=v\r\n");
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "", buffer, sizeof buffer, "pos.ini"), 1u);
}

namespace {
class StoreOnIni : public ::testing::Test {
protected:
    ScopedCompatRoot root;
    TLMDIniCtrl store{nullptr};
    std::filesystem::path file() const { return root.path() / "pos" / "Tallyrune.INI"; }
    void SetUp() override
    {
        std::filesystem::create_directories(root.path() / "pos");
        store.SetTarget(itIniFile);
        store.SetIniPrefix(ppFixed);
        store.SetIniFile((root.path() / "pos" / "Tallyrune").string());
    }
};
} // namespace

TEST_F(StoreOnIni, FilePathFollowsThePrefix)
{
    EXPECT_EQ(store.IniFilePath(), file().string());
    store.SetIniPrefix(ppWindows);
    EXPECT_EQ(store.IniFilePath(), (root.path() / "windows" / "Tallyrune.INI").string());
    store.SetIniPrefix(ppSystem);
    EXPECT_EQ(store.IniFilePath(), (root.path() / "windows" / "system32" / "Tallyrune.INI").string());
    store.SetIniPrefix(ppProgram);
    const std::string programFolder = settings::ExtractFilePath(settings::ModuleFileName());
    EXPECT_EQ(store.IniFilePath(), programFolder + "Tallyrune.INI");

    TLMDIniCtrl unnamed(nullptr);
    unnamed.SetIniPrefix(ppFixed);
    EXPECT_EQ(unnamed.IniFilePath(), settings::ModuleFileName() + ".INI");
    EXPECT_EQ(unnamed.IniFile(), settings::ModuleFileName() + ".INI");
    EXPECT_EQ(settings::ChangeFileExt("/a.b/prog.exe", ".INI"), "/a.b/prog.INI");
}

TEST_F(StoreOnIni, ReadsAndWritesWithTheSectionRules)
{
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", "dflt"), "dflt");
    EXPECT_TRUE(snapshot(root.path()).size() == 1u); // just the folder: a read creates no file
    store.WriteSetting("Update", "LastUpdate", "now");
    store.WriteSetting("#ROOT", "k", "ordinary section");
    EXPECT_EQ(readFile(file()), "[Update]\r\nLastUpdate=now\r\n\r\n[#ROOT]\r\nk=ordinary section\r\n");
    EXPECT_EQ(store.LastSection(), "#ROOT");
    EXPECT_EQ(store.ReadSetting("", "k", ""), "ordinary section");

    store.SetCommon(false);
    store.SetUser("clerk");
    store.WriteSetting("Application", "Update Path", "/srv/clerk");
    EXPECT_EQ(store.LastSection(), "clerk.Application");
    EXPECT_EQ(read(file(), "clerk.Application", "Update Path", ""), "/srv/clerk");
    EXPECT_EQ(store.ReadSetting("Application", "Update Path", ""), "/srv/clerk");
    EXPECT_EQ(store.ReadSetting(" ", "Update Path", ""), "/srv/clerk"); // not qualified twice

    store.SetNetUser(true);
    const std::string me = store.CurrentUserName();
    store.WriteSetting("Application", "Update Path", "/srv/me");
    EXPECT_EQ(read(file(), (me + ".Application").c_str(), "Update Path", ""), "/srv/me");
}

TEST_F(StoreOnIni, AnEmptyKeyOrSectionIsRefusedAsNoReadCouldFindIt)
{
    store.WriteSetting("A", "k", "kept");
    for (const char* key : {"", " ", "\t "}) {
        try {
            store.WriteSetting("A", key, "v");
            ADD_FAILURE() << "key \"" << key << "\" was written";
        } catch (const EIniFileException& e) {
            EXPECT_EQ(e.Message(), "Unable to write to " + file().string());
        }
    }
    EXPECT_FALSE(WritePrivateProfileStringA(" ", "k", "v", file().c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(readFile(file()), "[A]\r\nk=kept\r\n");
}

TEST_F(StoreOnIni, LongValuesAreCutAndRefusedWritesRaise)
{
    store.WriteSetting("S", "long", std::string(5000, 'x'));
    EXPECT_EQ(store.ReadSetting("S", "long", "").size(), 2047u);

    store.SetIniFile((root.path() / "missing" / "Tallyrune.INI").string());
    try {
        store.WriteSetting("S", "k", "v");
        FAIL() << "no exception";
    } catch (const EIniFileException& e) {
        EXPECT_EQ(e.Message(), "Unable to write to " + (root.path() / "missing" / "Tallyrune.INI").string());
    }
    EXPECT_EQ(store.ReadSetting("S", "k", "dflt"), "dflt");
}
