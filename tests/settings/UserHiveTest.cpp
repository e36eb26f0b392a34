// A user's own HKEY_CURRENT_USER hive against a second user of the same machine (nobody): a journal,
// link, file or folder that the other user places is never read, written or replayed as ours.
#include "SettingsTestSupport.h"
#include "support/Prerequisite.h"

#include "framework/core/Exceptions.h"
#include "platform/registry.h"
#include "settings/TLMDIniCtrl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using settings_test::runProcess;
using settings_test::snapshot;

namespace {

void configure(TLMDIniCtrl& store)
{
    store.ReadProperty("Target", "itRegistry");
    store.ReadProperty("RegRoot", "rpCurrentUser");
    store.ReadProperty("RegPath", "Software\\Harrowmere\\Tallyrune");
}

// The bytes of a hive whose "Update Path" is value, built in a root of its own: anyone can make
// one of these as themselves.
std::string hiveHolding(const std::string& value)
{
    ScopedCompatRoot elsewhere;
    TLMDIniCtrl store(nullptr);
    configure(store);
    store.WriteSetting("Application", "Update Path", value);
    return readFile(wincompat::registryHiveFile(HKEY_CURRENT_USER));
}

struct stat lstatOf(const fs::path& path)
{
    struct stat st {};
    if (lstat(path.c_str(), &st) != 0)
        st.st_nlink = 0;
    return st;
}

// The names of entries added, removed or changed: hives are binary, their dumps say nothing.
std::vector<std::string> changes(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after)
{
    std::vector<std::string> names;
    for (const auto& [name, bytes] : before)
        if (auto it = after.find(name); it == after.end() || it->second != bytes)
            names.push_back(name);
    for (const auto& [name, bytes] : after)
        if (before.count(name) == 0)
            names.push_back(name);
    return names;
}

LSTATUS openUserKey(const char* path, REGSAM access, bool create)
{
    HKEY key = nullptr;
    const LSTATUS rc =
        create ? RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, 0, access, nullptr, &key, nullptr)
               : RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &key);
    if (rc == ERROR_SUCCESS)
        RegCloseKey(key);
    return rc;
}

class UserHive : public ::testing::Test {
public: // the plants below work on the fixture
    std::vector<std::string> nobody;
    std::unique_ptr<ScopedCompatRoot> root;
    TLMDIniCtrl store{nullptr};

    void SetUp() override
    {
        nobody = settings_test::asNobody();
        REQUIRE_PREREQUISITE(!nobody.empty(), "needs root and setpriv or runuser to act as a second user (nobody)");
        fresh();
        configure(store);
    }

    // A new, empty compatibility root whose shared folders are set up as an administrator would.
    void fresh()
    {
        root.reset();
        root = std::make_unique<ScopedCompatRoot>();
        chmod(root->path().c_str(), 0755);
        fs::create_directories(users());
        chmod((root->path() / "registry").c_str(), 0755);
        chmod(users().c_str(), 01777);
    }

    fs::path users() const { return root->path() / "registry" / "users"; }
    fs::path hive() const { return wincompat::registryHiveFile(HKEY_CURRENT_USER); }
    // Where earlier versions kept this user's hive, and where nobody would plant things.
    fs::path sharedHive() const { return users() / (settings_test::currentUser() + ".db"); }

    // A shell script run as nobody in the shared users folder, with args as $1...
    settings_test::ProcessResult asNobody(const std::string& script, const std::vector<std::string>& args = {},
                                          const std::optional<std::string>& input = std::nullopt)
    {
        std::vector<std::string> argv = nobody;
        argv.insert(argv.end(), {"/bin/sh", "-c", "cd \"$0\" && " + script, users().string()});
        argv.insert(argv.end(), args.begin(), args.end());
        return runProcess(argv, {}, input);
    }

    void write(const std::string& value) { store.WriteSetting("Application", "Update Path", value); }
    std::string read() { return store.ReadSetting("Application", "Update Path", "<default>"); }
};

} // namespace

TEST_F(UserHive, AJournalAnotherUserPlantsIsNeverReplayedOverOurHive)
{
    write("/srv/good");
    const std::string journal = settings_test::rollbackJournalFor(hiveHolding("/srv/evil"));
    // Beside the hive, and beside the place hives were kept in the shared folder: wherever nobody can.
    asNobody(R"(cat > .journal; for f in "$@"; do cp .journal "$f" 2>/dev/null; done; exit 0)",
             {hive().string() + "-journal", sharedHive().string() + "-journal"}, journal);
    ASSERT_TRUE(fs::exists(sharedHive().string() + "-journal")) << "nobody could not plant the journal";

    EXPECT_EQ(read(), "/srv/good");
    write("/srv/newer");
    EXPECT_EQ(read(), "/srv/newer");
}

TEST_F(UserHive, FilesAndLinksAnotherUserPlantsInTheSharedFolderAreLeftAlone)
{
    const std::string journal = settings_test::rollbackJournalFor(hiveHolding("/srv/evil"));
    const struct {
        const char* what;
        const char* script; // $1 the shared hive's name
    } plants[] = {
        {"a hive of theirs", R"(cat > "$1")"},
        {"a link to a hive of theirs", R"(cat > theirs.db && ln -s "$PWD/theirs.db" "$1")"},
        {"a link in place of the journal", R"(cat > theirs.journal && ln -s "$PWD/theirs.journal" "$1-journal")"},
        {"a hive and a journal of theirs", R"(cp /dev/null "$1" && cat > "$1-journal")"},
    };
    for (const auto& plant : plants) {
        SCOPED_TRACE(plant.what);
        fresh();
        const auto r = asNobody(plant.script, {sharedHive().filename().string()},
                                std::string(plant.what).find("journal") != std::string::npos
                                    ? journal
                                    : hiveHolding("/srv/evil"));
        ASSERT_EQ(r.exitCode, 0) << r.err;
        const auto planted = snapshot(users());

        EXPECT_EQ(read(), "<default>");
        EXPECT_NO_THROW(write("/srv/good"));
        EXPECT_EQ(read(), "/srv/good");
        for (const auto& [name, bytes] : planted)
            EXPECT_EQ(readFile(users() / name), bytes) << name << " was changed";
    }
}

TEST_F(UserHive, AFolderOrFileInOurPlaceThatIsNotOursIsRefused)
{
    const struct {
        const char* what;
        bool beforeFirstUse;
        std::function<void(UserHive&)> plant;
    } cases[] = {
        {"a folder of theirs", true,
         [](UserHive& t) { t.asNobody(R"(mkdir -p "$1")", {t.hive().parent_path().string()}); }},
        {"a link to a folder of theirs", true,
         [](UserHive& t) { t.asNobody(R"(mkdir theirs && ln -s "$PWD/theirs" "$1")", {t.hive().parent_path().string()}); }},
        {"our folder open to others", false, [](UserHive& t) { chmod(t.hive().parent_path().c_str(), 0777); }},
        {"a shared folder without its sticky bit", false, [](UserHive& t) { chmod(t.users().c_str(), 0777); }},
        {"a hive file of theirs", false, [](UserHive& t) { chown(t.hive().c_str(), 65534, 65534); }},
        {"a hive file others may write", false, [](UserHive& t) { chmod(t.hive().c_str(), 0666); }},
        {"a journal of theirs", false,
         [](UserHive& t) {
             const fs::path journal = t.hive().string() + "-journal";
             writeFile(journal, settings_test::rollbackJournalFor(hiveHolding("/srv/evil")));
             chown(journal.c_str(), 65534, 65534);
         }},
        {"a link in place of the hive", false,
         [](UserHive& t) {
             fs::rename(t.hive(), t.hive().parent_path() / "real.db");
             fs::create_symlink(t.hive().parent_path() / "real.db", t.hive());
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fresh();
        if (!c.beforeFirstUse)
            write("/srv/good");
        c.plant(*this);
        const auto before = snapshot(root->path());

        EXPECT_EQ(openUserKey("Software", KEY_READ, false), ERROR_ACCESS_DENIED);
        EXPECT_EQ(openUserKey("Software\\Harrowmere\\Tallyrune\\Update", KEY_ALL_ACCESS, true), ERROR_ACCESS_DENIED);
        EXPECT_EQ(read(), "<default>");
        try {
            write("/srv/other");
            ADD_FAILURE() << "the write went through";
        } catch (const ERegistryException& e) {
            EXPECT_EQ(e.Message(), "Failed to create key Application");
        }
        EXPECT_EQ(changes(before, snapshot(root->path())), std::vector<std::string>{}); // nothing written
    }
    if (fs::exists(settings_test::updatectl())) {
        const auto r = runProcess({settings_test::updatectl().string(), "reg", "query", "HKCU\\Software"},
                                  {{"WINCOMPAT_ROOT", root->path().string()}});
        EXPECT_EQ(r.exitCode, 1);
        EXPECT_NE((r.out + r.err).find("ERROR: Access is denied."), std::string::npos) << r.out << r.err;
    }
}

TEST_F(UserHive, AHiveKeptInTheSharedFolderMovesIntoOurOwnOnFirstUse)
{
    // Left by an earlier version, with a journal nobody planted beside it since.
    writeFile(sharedHive(), hiveHolding("/srv/good"));
    chmod(sharedHive().c_str(), 0600);
    asNobody(R"(cat > "$1")", {sharedHive().string() + "-journal"},
             settings_test::rollbackJournalFor(hiveHolding("/srv/evil")));
    const std::string planted = readFile(sharedHive().string() + "-journal");

    EXPECT_EQ(read(), "/srv/good");
    EXPECT_FALSE(fs::exists(sharedHive()));
    EXPECT_EQ(readFile(sharedHive().string() + "-journal"), planted);
    const struct stat folder = lstatOf(hive().parent_path()), file = lstatOf(hive());
    EXPECT_TRUE(S_ISDIR(folder.st_mode));
    EXPECT_EQ(folder.st_mode & 07777, 0700u);
    EXPECT_EQ(folder.st_uid, geteuid());
    EXPECT_TRUE(S_ISREG(file.st_mode));
    EXPECT_EQ(file.st_mode & 07777, 0600u);
    write("/srv/newer");
    EXPECT_EQ(read(), "/srv/newer");

    // A journal of our own, left by a write that was cut short, moves along and is rolled back.
    fresh();
    writeFile(sharedHive(), hiveHolding("/srv/half written"));
    writeFile(sharedHive().string() + "-journal", settings_test::rollbackJournalFor(hiveHolding("/srv/before")));
    EXPECT_EQ(read(), "/srv/before");
    EXPECT_FALSE(fs::exists(hive().string() + "-journal"));
    EXPECT_FALSE(fs::exists(sharedHive().string() + "-journal"));
}
