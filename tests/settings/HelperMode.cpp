// This test program doubles as its own helper process: started with TALLYRUNE_SETTINGS_HELPER
// set, it does one job before main() runs and exits. That lets a test run the real settings
// store in another process, as another user (nobody), or many times at once.
#include "SettingsTestSupport.h"

#include "framework/core/Exceptions.h"
#include "platform/profile.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string env(const char* name, const char* fallback = "")
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

// The store as the utility's main window configures it.
void configure(TLMDIniCtrl& store)
{
    store.ReadProperty("Target", env("HELPER_TARGET", "itRegistry"));
    store.ReadProperty("RegRoot", env("HELPER_ROOT", "rpLocalMachine"));
    store.ReadProperty("RegPath", "Software\\Harrowmere\\Tallyrune");
    store.ReadProperty("IniFile", "Tallyrune.INI");
    store.ReadProperty("IniPrefix", "ppProgram");
}

[[noreturn]] void finish(int code)
{
    std::fflush(stdout);
    std::fflush(stderr);
    std::_Exit(code);
}

int runHelperIfAsked()
{
    const std::string role = env(settings_test::helperVariable);
    if (role.empty())
        return 0;
    if (role == "ini-hammer") {
        // Many processes adding their own keys to one INI file: none may lose another's.
        const std::string file = env("HELPER_FILE"), id = env("HELPER_ID");
        const int count = std::atoi(env("HELPER_COUNT", "10").c_str());
        for (int i = 0; i < count; ++i) {
            const std::string key = "w" + id + "-" + std::to_string(i);
            if (!WritePrivateProfileStringA("Shared", key.c_str(), std::to_string(i).c_str(), file.c_str())) {
                std::printf("write %s failed: %u", key.c_str(), static_cast<unsigned>(GetLastError()));
                finish(4);
            }
        }
        finish(0);
    }
    if (role == "ini-write") {
        // One write, or with HELPER_VALUE unset the key's removal.
        const char* value = std::getenv("HELPER_VALUE");
        if (!WritePrivateProfileStringA(env("HELPER_SECTION").c_str(), env("HELPER_KEY").c_str(), value,
                                        env("HELPER_FILE").c_str())) {
            std::printf("%u", static_cast<unsigned>(GetLastError()));
            finish(4);
        }
        finish(0);
    }
    TLMDIniCtrl store(nullptr);
    configure(store);
    try {
        if (role == "write") {
            store.WriteSetting(env("HELPER_SECTION"), env("HELPER_KEY"), env("HELPER_VALUE"));
            std::printf("OK");
            finish(0);
        }
        if (role == "read") {
            std::printf("%s", store.ReadSetting(env("HELPER_SECTION"), env("HELPER_KEY"), "<default>").c_str());
            finish(0);
        }
        if (role == "hammer") {
            // Every writer creates the same section key and adds its own values to it.
            const std::string id = env("HELPER_ID");
            const int count = std::atoi(env("HELPER_COUNT", "10").c_str());
            for (int i = 0; i < count; ++i) {
                const std::string key = "w" + id + "-" + std::to_string(i);
                store.WriteSetting("Shared", key, std::to_string(i));
                store.WriteSetting("Own" + id, "last", std::to_string(i));
                if (store.ReadSetting("Shared", key, "") != std::to_string(i)) {
                    std::printf("lost %s", key.c_str());
                    finish(4);
                }
            }
            finish(0);
        }
    } catch (const Exception& e) {
        std::printf("%s", e.Message().c_str());
        finish(3);
    }
    std::printf("unknown helper role %s", role.c_str());
    finish(2);
}

[[maybe_unused]] const int helperHook = runHelperIfAsked();

} // namespace
