// Where the INI back end looks when the Windows or system folder is too long to look up: nowhere.
#include "framework/core/Exceptions.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// A folder below base whose path is exactly length characters long.
fs::path folderOfLength(const fs::path& base, std::size_t length)
{
    std::string path = base.string();
    while (path.size() < length) {
        const std::size_t remaining = length - path.size();
        path += "/" + std::string(remaining > 201 ? 100 : remaining - 1, 'r');
    }
    fs::create_directories(path);
    return path;
}

// Points WINCOMPAT_ROOT at a given folder for the life of the object.
class RootAt {
public:
    explicit RootAt(const fs::path& root)
    {
        if (const char* old = std::getenv("WINCOMPAT_ROOT"))
            previous_ = old;
        setenv("WINCOMPAT_ROOT", root.c_str(), 1);
    }
    ~RootAt()
    {
        if (previous_)
            setenv("WINCOMPAT_ROOT", previous_->c_str(), 1);
        else
            unsetenv("WINCOMPAT_ROOT");
    }

private:
    std::optional<std::string> previous_;
};

} // namespace

TEST(IniPath, AFolderTooLongToLookUpFailsTheReadAndTheWriteAndNothingLandsInTheRootFolder)
{
    TempDir base;
    // A name of this run's own, so that a stray file in "/" can be told apart and removed.
    const std::string name = "tallyrune-ini-path-" + std::to_string(getpid()) + ".INI";
    const fs::path stray = fs::path("/") / name;
    const struct {
        TLMDPathPrefix prefix;
        const char* below;
        UINT (*lookUp)(LPSTR, UINT);
    } folders[] = {{ppWindows, "/windows", GetWindowsDirectoryA}, {ppSystem, "/windows/system32", GetSystemDirectoryA}};
    for (const auto& folder : folders) {
        for (const std::size_t length : {std::size_t{MAX_PATH - 1}, std::size_t{MAX_PATH}}) {
            SCOPED_TRACE(std::string(folder.below) + ", " + std::to_string(length) + " characters");
            const fs::path root = folderOfLength(base.path() / std::to_string(length) / folder.below,
                                                 length - std::strlen(folder.below));
            RootAt at(root);
            char buffer[MAX_PATH];
            TLMDIniCtrl store(nullptr);
            store.SetTarget(itIniFile);
            store.SetIniPrefix(folder.prefix);
            store.SetIniFile(name);
            if (length < MAX_PATH) {
                EXPECT_EQ(folder.lookUp(buffer, MAX_PATH), length);
                EXPECT_EQ(store.IniFilePath(), root.string() + folder.below + "/" + name);
                store.WriteSetting("Update", "LastUpdate", "now");
                EXPECT_EQ(readFile(root.string() + folder.below + "/" + name), "[Update]\r\nLastUpdate=now\r\n");
                EXPECT_EQ(store.ReadSetting("Update", "LastUpdate", "dflt"), "now");
                continue;
            }
            EXPECT_EQ(folder.lookUp(buffer, MAX_PATH), length + 1); // the size it would need
            EXPECT_EQ(store.IniFilePath(), "");
            EXPECT_EQ(store.ReadSetting("Update", "LastUpdate", "dflt"), "dflt");
            try {
                store.WriteSetting("Update", "LastUpdate", "now");
                ADD_FAILURE() << "the write went through";
            } catch (const EIniFileException& e) {
                EXPECT_EQ(e.Message(), "Unable to write to " + name);
            }
            EXPECT_FALSE(fs::exists(stray));
        }
    }
    std::error_code ec;
    fs::remove(stray, ec);
}

TEST(IniPath, BareFileNamesLiveInTheWindowsFolderHoweverLongItsPath)
{
    TempDir base;
    const fs::path root = folderOfLength(base.path(), 600);
    RootAt at(root);
    const std::string name = "tallyrune-bare-" + std::to_string(getpid()) + ".ini";
    char buffer[16];
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", buffer, sizeof buffer, name.c_str()), 4u);
    EXPECT_STREQ(buffer, "dflt");
    EXPECT_TRUE(WritePrivateProfileStringA("S", "k", "v", name.c_str()));
    EXPECT_EQ(readFile(root / "windows" / name), "[S]\r\nk=v\r\n");
    EXPECT_EQ(GetPrivateProfileStringA("S", "k", "dflt", buffer, sizeof buffer, name.c_str()), 1u);
    EXPECT_STREQ(buffer, "v");
    std::error_code ec;
    EXPECT_FALSE(fs::remove(fs::path("/") / name, ec));
}
