// Encoded values on both back ends: what is written reads back unchanged, or the write is refused
// with the store's write error and what was stored before stays; the printable and custom ciphers
// keep the stored form they have always had.
#include "SettingsTestSupport.h"

#include "framework/core/Exceptions.h"
#include "platform/profile.h"
#include "platform/registry.h"
#include "settings/TLMDIniCtrl.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <random>

namespace {

// Values a till might keep, odd ones, and a seeded spread of random ones.
std::vector<std::string> sampleValues()
{
    std::vector<std::string> values = {"C:\\Tallyrune\\Update", "", "a", " padded ", "\"quoted\"", "'q'",
                                       "/srv/tallyrune-update", std::string(2047, 'x'), std::string(3000, 'y')};
    for (int c = 1; c < 256; ++c)
        values.emplace_back(1, static_cast<char>(c));
    std::mt19937 random(20261208);
    for (int i = 0; i < 120; ++i) {
        std::string value(random() % 40, '\0');
        for (char& c : value)
            c = static_cast<char>(1 + random() % 255);
        values.push_back(value);
    }
    return values;
}

class Encoded : public ::testing::TestWithParam<TLMDIniTarget> {
protected:
    ScopedCompatRoot root;
    TLMDIniCtrl store{nullptr};

    void SetUp() override
    {
        store.SetTarget(GetParam());
        store.SetRegRoot(rpCurrentUser);
        store.SetRegPath("Software\\Harrowmere\\Tallyrune");
        store.SetIniPrefix(ppFixed);
        store.SetIniFile((root.path() / "Tallyrune.INI").string());
        store.SetEncoded(true);
    }

    std::string writeError() const
    {
        return GetParam() == itIniFile ? "Unable to write to " + (root.path() / "Tallyrune.INI").string()
                                       : "Failed to set data for 'k'";
    }

    // The stored form, as the back end holds it.
    std::string stored(const char* section, const char* key)
    {
        if (GetParam() == itIniFile) {
            char buffer[2048];
            const DWORD n = GetPrivateProfileStringA(section, key, "", buffer, sizeof buffer,
                                                     (root.path() / "Tallyrune.INI").c_str());
            return std::string(buffer, n);
        }
        HKEY key_ = nullptr;
        const std::string path = std::string("Software\\Harrowmere\\Tallyrune\\") + section;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS)
            return "<no key>";
        char data[4096];
        DWORD size = sizeof data;
        const LSTATUS rc = RegQueryValueExA(key_, key, nullptr, nullptr, reinterpret_cast<LPBYTE>(data), &size);
        RegCloseKey(key_);
        return rc == ERROR_SUCCESS ? std::string(data, size) : "<no value>";
    }
};

std::string backEndName(const ::testing::TestParamInfo<TLMDIniTarget>& info)
{
    return info.param == itIniFile ? "IniFile" : "Registry";
}

} // namespace

TEST_P(Encoded, KeyCipherValuesReadBackUnchangedOrAreRefusedKeepingWhatWasThere)
{
    store.SetCryptMode(icmKey);
    // A value whose cipher text holds a zero byte: stored cut, it would read back as "C:\Tallyrune".
    const std::string path = "C:\\Tallyrune\\Update";
    ASSERT_NE(store.EncodeValue(path).find('\0'), std::string::npos);

    // Cipher texts an INI line would not keep as they are, and some it would. The cipher is a
    // stream, so decoding a chosen text gives the value that encodes to it.
    const struct {
        std::string cipherText;
        bool keptInIni, keptInRegistry;
    } chosen[] = {
        {std::string("a\0b", 3), false, false}, {" ab", false, true},           {"ab\t", false, true},
        {"a\nb", false, true},                  {"\"ab\"", false, true},        {"'ab'", false, true},
        {std::string(2048, 'A'), false, true},  {"\"ab'", true, true},          {"a b", true, true},
        {std::string(2047, 'A'), true, true},
    };
    for (const auto& c : chosen) {
        const std::string value = store.DecodeValue(c.cipherText);
        const bool kept = GetParam() == itIniFile ? c.keptInIni : c.keptInRegistry;
        SCOPED_TRACE(c.cipherText.substr(0, 8));
        if (kept) {
            EXPECT_NO_THROW(store.WriteSetting("S", "chosen", value));
            EXPECT_EQ(store.ReadSetting("S", "chosen", ""), value);
        } else {
            store.WriteSetting("S", "chosen", "before");
            EXPECT_THROW(store.WriteSetting("S", "chosen", value), Exception);
            EXPECT_EQ(store.ReadSetting("S", "chosen", ""), "before");
        }
    }

    std::string current = "<none yet>";
    int kept = 0, refused = 0;
    const std::vector<std::string> values = sampleValues();
    // Every registry write is a synced transaction: a third of the values there.
    const std::size_t step = GetParam() == itRegistry ? 3 : 1;
    for (std::size_t i = 0; i < values.size(); i += step) {
        const std::string& value = values[i];
        try {
            store.WriteSetting("S", "k", value);
            current = value;
            ++kept;
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), writeError());
            ++refused;
        }
        const std::string back = store.ReadSetting("S", "k", "<none yet>");
        EXPECT_EQ(back, current) << "after writing \"" << value << "\"";
        if (back != current)
            break;
        // A value that is not there reads as the caller's default, whatever its cipher text.
        ASSERT_EQ(store.ReadSetting("S", "missing", value), value);
    }
    EXPECT_GT(kept, 50);
    EXPECT_GT(refused, 0);
}

TEST_P(Encoded, TextKeyAndCustomCiphersKeepTheirStoredForm)
{
    store.SetCryptMode(icmTextKey);
    store.WriteSetting("S", "k", "C:\\Tallyrune\\Update");
    EXPECT_EQ(stored("S", "k").substr(0, 38), "0FD924C3A3CB65389B9F955A00974D5F6013F7");
    EXPECT_EQ(store.ReadSetting("S", "k", ""), "C:\\Tallyrune\\Update");
    const std::vector<std::string> values = sampleValues();
    for (std::size_t i = 0; i < values.size(); i += 7) {
        if (values[i].size() > 1000)
            continue; // twice as long in hex: past what an INI read returns
        store.WriteSetting("S", "k", values[i]);
        ASSERT_EQ(store.ReadSetting("S", "k", ""), values[i]);
    }

    store.SetCryptMode(icmCustom);
    store.SetOnEncodeString([](TComponent*, std::string& v) { v = "<" + v + ">"; });
    store.SetOnDecodeString([](TComponent*, std::string& v) { v = "[" + v + "]"; });
    store.WriteSetting("S", "custom", "C:\\Tallyrune\\Update");
    EXPECT_EQ(stored("S", "custom").substr(0, 21), "<C:\\Tallyrune\\Update>");
    EXPECT_EQ(store.ReadSetting("S", "custom", ""), "[<C:\\Tallyrune\\Update>]");
    // A missing value: the default goes through both events, as ever.
    EXPECT_EQ(store.ReadSetting("S", "missing", "d"), "[<d>]");
}

INSTANTIATE_TEST_SUITE_P(BothBackEnds, Encoded, ::testing::Values(itIniFile, itRegistry), backEndName);
