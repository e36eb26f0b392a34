// The settings store's properties, their setters and the stored-description spelling.
#include "framework/core/Exceptions.h"
#include "settings/SettingsPaths.h"
#include "settings/TLMDIniCtrl.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

namespace {
class NamedUser : public TLMDIniCtrl {
public:
    using TLMDIniCtrl::TLMDIniCtrl;
    std::string CurrentUserName() override { return "clerk"; }
};
} // namespace

TEST(IniCtrlProperties, DefaultsAndRootKeys)
{
    TComponent owner(nullptr);
    auto* store = new TLMDIniCtrl(&owner); // owned and freed by owner
    EXPECT_EQ(store->Target(), itAuto);
    EXPECT_EQ(store->StoreTarget(), itRegistry);
    EXPECT_EQ(store->RegRoot(), rpCurrentUser);
    EXPECT_EQ(store->IniPrefix(), ppWindows);
    EXPECT_TRUE(store->Common());
    EXPECT_FALSE(store->NetUser());
    EXPECT_FALSE(store->AlphaCounter());
    EXPECT_FALSE(store->Encoded());
    EXPECT_EQ(store->CryptMode(), icmKey);
    EXPECT_EQ(store->MaxEntries(), 16);
    EXPECT_NE(store->EncKey(), 0);
    EXPECT_EQ(store->LastSection(), "");
    EXPECT_EQ(store->IniFile(), "");

    EXPECT_EQ(RegRootKeyHandle(rpClassesRoot), HKEY_CLASSES_ROOT);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(RegRootKeyHandle(rpLocalMachine)), 0x80000002u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(RegRootKeyHandle(rpUsers)), 0x80000003u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(RegRootKeyHandle(rpCurrentConfig)), 0x80000005u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(RegRootKeyHandle(rpDynData)), 0x80000006u);
}

TEST(IniCtrlProperties, SettersWithEffects)
{
    NamedUser store(nullptr);
    store.SetIniFile("Tallyrune");
    EXPECT_EQ(store.IniFile(), "Tallyrune.INI");
    store.SetIniFile("settings.cfg");
    EXPECT_EQ(store.IniFile(), "settings.cfg");
    store.SetIniFile("/etc/pos.d/settings"); // a dot in a folder name is no extension
    EXPECT_EQ(store.IniFile(), "/etc/pos.d/settings.INI");

    store.SetMaxEntries(30);
    EXPECT_EQ(store.MaxEntries(), 30);
    store.SetAlphaCounter(true);
    EXPECT_EQ(store.MaxEntries(), 26);
    store.SetMaxEntries(30);
    EXPECT_EQ(store.MaxEntries(), 26);
    store.SetMaxEntries(20);
    EXPECT_EQ(store.MaxEntries(), 20);

    store.SetNetUser(true);
    EXPECT_EQ(store.User(), "clerk");
    store.SetUser("someone");
    store.SetNetUser(true); // no change, no copy
    EXPECT_EQ(store.User(), "someone");

    store.SetTarget(itIniFile);
    EXPECT_EQ(store.StoreTarget(), itIniFile);
    store.SetTarget(itAuto);
    EXPECT_EQ(store.StoreTarget(), itRegistry);

    TLMDIniCtrl real(nullptr);
    EXPECT_FALSE(real.CurrentUserName().empty());
}

TEST(IniCtrlProperties, StoredDescriptionSetsEveryPublishedProperty)
{
    TLMDIniCtrl store(nullptr);
    const std::pair<const char*, const char*> stored[] = {
        {"Name", "LMDIniCtrl1"},
        {"Target", "itRegistry"},
        {"RegRoot", "rpLocalMachine"},
        {"RegPath", "Software\\Harrowmere\\Tallyrune"},
        {"IniFile", "Tallyrune.INI"},
        {"IniPrefix", "ppProgram"},
        {"About", "v1"},
        {"Common", "False"},
        {"User", "bob"},
        {"MaxEntries", "12"},
        {"AlphaCounter", "True"},
        {"EncKey", "4660"},
        {"Encoded", "True"},
        {"CryptMode", "icmCustom"},
    };
    for (const auto& [name, value] : stored)
        store.ReadProperty(name, value);
    EXPECT_EQ(store.Name(), "LMDIniCtrl1");
    EXPECT_EQ(store.Target(), itRegistry);
    EXPECT_EQ(store.RegRoot(), rpLocalMachine);
    EXPECT_EQ(store.RegPath(), "Software\\Harrowmere\\Tallyrune");
    EXPECT_EQ(store.IniFile(), "Tallyrune.INI");
    EXPECT_EQ(store.IniPrefix(), ppProgram);
    EXPECT_EQ(store.About(), "v1");
    EXPECT_FALSE(store.Common());
    EXPECT_EQ(store.User(), "bob");
    EXPECT_EQ(store.MaxEntries(), 12);
    EXPECT_TRUE(store.AlphaCounter());
    EXPECT_EQ(store.EncKey(), 4660);
    EXPECT_TRUE(store.Encoded());
    EXPECT_EQ(store.CryptMode(), icmCustom);

    EXPECT_THROW(store.ReadProperty("Target", "registry"), EComponentError);
    EXPECT_THROW(store.ReadProperty("Common", "yes"), EComponentError);
    EXPECT_THROW(store.ReadProperty("MaxEntries", "300"), EComponentError);
    EXPECT_THROW(store.ReadProperty("EncKey", "-1"), EComponentError);
    EXPECT_THROW(store.ReadProperty("Colour", "red"), EComponentError);
}

TEST(IniCtrlProperties, RegistryBasePathRules)
{
    using settings::ComposeRegistryBasePath;
    EXPECT_EQ(ComposeRegistryBasePath("Software\\A", "Co", "T", "/x", "1"), "Software\\A\\");
    EXPECT_EQ(ComposeRegistryBasePath("Software\\A\\", "", "", "", ""), "Software\\A\\");
    EXPECT_EQ(ComposeRegistryBasePath("  ", "Harrowmere", "Update Utility", "/opt/u", "1.0"),
              "Software\\Harrowmere\\Update Utility\\1.0\\");
    EXPECT_EQ(ComposeRegistryBasePath("", "", "Update Utility", "/opt/u", ""), "Software\\Update Utility\\");
    EXPECT_EQ(ComposeRegistryBasePath("", " ", " ", "/opt/pos/update", ""), "Software\\/opt/pos/update\\");

    // The application-wide names come from QCoreApplication.
    const QString name = QCoreApplication::applicationName(), org = QCoreApplication::organizationName(),
                  version = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationName("Update Utility");
    QCoreApplication::setOrganizationName("Harrowmere");
    QCoreApplication::setApplicationVersion("");
    TLMDIniCtrl store(nullptr);
    EXPECT_EQ(store.RegistryBasePath(), "Software\\Harrowmere\\Update Utility\\");
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setOrganizationName(org);
    QCoreApplication::setApplicationVersion(version);
}

TEST(IniCtrlProperties, CiphersRoundTrip)
{
    TLMDIniCtrl store(nullptr);
    const std::string text("Tallyrune \x01\xff text", 17);
    store.SetCryptMode(icmKey);
    const std::string keyed = store.EncodeValue(text);
    EXPECT_NE(keyed, text);
    EXPECT_EQ(keyed.size(), text.size());
    EXPECT_EQ(store.DecodeValue(keyed), text);
    store.SetEncKey(static_cast<WORD>(store.EncKey() + 1));
    EXPECT_NE(store.EncodeValue(text), keyed);

    store.SetCryptMode(icmTextKey);
    const std::string printable = store.EncodeValue(text);
    EXPECT_EQ(printable.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    EXPECT_EQ(store.DecodeValue(printable), text);
    EXPECT_EQ(store.DecodeValue("not hex"), "not hex");

    store.SetCryptMode(icmCustom); // no handlers: values pass unchanged
    EXPECT_EQ(store.EncodeValue(text), text);
    EXPECT_EQ(store.DecodeValue(text), text);
}
