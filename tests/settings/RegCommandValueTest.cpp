// tallyrune-updatectl reg: every value type at the edges of its data, the bytes each one stores,
// and the key names and requests it refuses.
#include "SettingsTestSupport.h"
#include "support/Prerequisite.h"

#include "platform/registry.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

using settings_test::ProcessResult;

namespace {

class RegValues : public ::testing::Test {
protected:
    ScopedCompatRoot root;
    const std::string key = "HKCU\\Software\\Harrowmere\\Values";

    void SetUp() override
    {
        REQUIRE_PREREQUISITE(std::filesystem::exists(settings_test::updatectl()),
                             "tallyrune-updatectl is not built in " << settings_test::updatectl());
    }
    ProcessResult reg(const std::vector<std::string>& args, const std::optional<std::string>& input = std::nullopt)
    {
        std::vector<std::string> argv{settings_test::updatectl().string(), "reg"};
        argv.insert(argv.end(), args.begin(), args.end());
        return settings_test::runProcess(argv, {{"WINCOMPAT_ROOT", root.path().string()}}, input);
    }
    // Adds one value and gives back the line the query prints for it, or the error.
    std::string roundTrip(const std::string& type, const std::string& data, const std::vector<std::string>& extra = {})
    {
        std::vector<std::string> args{"add", key, "/v", "x", "/t", type, "/d", data, "/f"};
        args.insert(args.end(), extra.begin(), extra.end());
        const ProcessResult added = reg(args);
        if (added.exitCode != 0)
            return "exit " + std::to_string(added.exitCode);
        const std::string out = reg({"query", key, "/v", "x"}).out;
        const std::string head = "\nHKEY_CURRENT_USER\\Software\\Harrowmere\\Values\n    x    ";
        return out.rfind(head, 0) == 0 ? out.substr(head.size(), out.size() - head.size() - 2) : out;
    }
    // The bytes stored, read back through the platform's own call.
    std::string stored()
    {
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Harrowmere\\Values", 0, KEY_READ, &k) != ERROR_SUCCESS)
            return "<no key>";
        std::string data(64, '\0');
        DWORD size = static_cast<DWORD>(data.size());
        const LSTATUS rc = RegQueryValueExA(k, "x", nullptr, nullptr, reinterpret_cast<BYTE*>(data.data()), &size);
        RegCloseKey(k);
        return rc == ERROR_SUCCESS ? data.substr(0, size) : "<error>";
    }
};

} // namespace

TEST_F(RegValues, NumbersAtTheLimitsOfTheirTypes)
{
    EXPECT_EQ(roundTrip("REG_DWORD", "4294967295"), "REG_DWORD    0xffffffff");
    EXPECT_EQ(roundTrip("REG_DWORD", "4294967296"), "exit 2");
    EXPECT_EQ(roundTrip("REG_DWORD", "0xFFFFFFFF"), "REG_DWORD    0xffffffff");
    EXPECT_EQ(roundTrip("REG_DWORD", "0x100000000"), "exit 2");
    EXPECT_EQ(roundTrip("REG_DWORD", "0x1020304"), "REG_DWORD    0x1020304");
    EXPECT_EQ(stored(), std::string("\x04\x03\x02\x01", 4));
    EXPECT_EQ(roundTrip("REG_QWORD", "18446744073709551615"), "REG_QWORD    0xffffffffffffffff");
    EXPECT_EQ(roundTrip("REG_QWORD", "18446744073709551616"), "exit 2");
    EXPECT_EQ(roundTrip("REG_QWORD", "0x0102030405060708"), "REG_QWORD    0x102030405060708");
    EXPECT_EQ(stored(), std::string("\x08\x07\x06\x05\x04\x03\x02\x01", 8));
    // Signs, blanks and a bare prefix are no numbers, also behind the prefix.
    for (const char* bad : {"-1", "+1", " 1", "0x", "0x-1", "0x+1", "0x 1", "1 ", ""}) {
        EXPECT_EQ(roundTrip("REG_DWORD", bad), "exit 2") << bad;
        EXPECT_EQ(roundTrip("REG_QWORD", bad), "exit 2") << bad;
    }
}

TEST_F(RegValues, BigEndianNumbersStoreTheirHighByteFirst)
{
    EXPECT_EQ(roundTrip("REG_DWORD_BIG_ENDIAN", "0x01020304"), "REG_DWORD_BIG_ENDIAN    0x1020304");
    EXPECT_EQ(stored(), std::string("\x01\x02\x03\x04", 4));
    EXPECT_EQ(reg({"add", key, "/v", "y", "/t", "REG_DWORD_BIG_ENDIAN"}).exitCode, 2);
}

TEST_F(RegValues, BinaryTakesEitherCaseAndALeadingZeroLeftOut)
{
    EXPECT_EQ(roundTrip("REG_BINARY", "abc"), "REG_BINARY    0ABC");
    EXPECT_EQ(stored(), std::string("\x0a\xbc", 2));
    EXPECT_EQ(roundTrip("REG_BINARY", "fF00"), "REG_BINARY    FF00");
    EXPECT_EQ(roundTrip("REG_BINARY", ""), "REG_BINARY    ");
    EXPECT_EQ(roundTrip("REG_BINARY", "0g"), "exit 2");
    EXPECT_EQ(roundTrip("REG_NONE", "text"), "REG_NONE    74657874" + std::string("00"));
}

TEST_F(RegValues, StringListsSplitAtTheirSeparator)
{
    EXPECT_EQ(roundTrip("REG_MULTI_SZ", "a\\0b\\0"), "REG_MULTI_SZ    a\\0b");
    EXPECT_EQ(stored(), std::string("a\0b\0\0", 5));
    EXPECT_EQ(roundTrip("REG_MULTI_SZ", "a\\0\\0b"), "exit 2");
    EXPECT_EQ(roundTrip("REG_MULTI_SZ", "a,b", {"/s", ","}), "REG_MULTI_SZ    a\\0b");
    EXPECT_EQ(stored(), std::string("a\0b\0\0", 5));
    EXPECT_EQ(roundTrip("REG_MULTI_SZ", "a,b", {"/s", ",,"}), "exit 2");
}

TEST_F(RegValues, TypesThatHoldNoDataOfTheirOwnAreRefused)
{
    for (const char* type : {"REG_LINK", "REG_RESOURCE_LIST", "REG_FULL_RESOURCE_DESCRIPTOR",
                             "REG_RESOURCE_REQUIREMENTS_LIST"})
        EXPECT_EQ(roundTrip(type, "00"), "exit 2") << type;
}

TEST_F(RegValues, KeyNamesThatNameNoLocalKeyAreRefused)
{
    for (const std::string& name : {std::string("\\\\till2\\HKLM\\Software"), key + "\\\\Sub", std::string("HKCU\\\\Software")}) {
        const ProcessResult r = reg({"add", name, "/f"});
        EXPECT_EQ(r.exitCode, 2) << name;
        EXPECT_EQ(r.err, "ERROR: Invalid key name.\nType \"tallyrune-updatectl reg add /?\" for usage.\n") << name;
    }
    EXPECT_EQ(reg({"add", "HKCU", "/v", "x", "/d", "1", "/f"}).exitCode, 2);
    // One trailing backslash is only a trailing backslash.
    EXPECT_EQ(reg({"add", key + "\\", "/v", "x", "/d", "1", "/f"}).exitCode, 0);
    EXPECT_EQ(reg({"query", key + "\\", "/v", "x"}).exitCode, 0);

    // A whole hive is never deleted.
    const ProcessResult r = reg({"delete", "HKCU", "/f"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "ERROR: Access is denied.\n");
    EXPECT_EQ(reg({"query", key, "/v", "x"}).exitCode, 0);
}
