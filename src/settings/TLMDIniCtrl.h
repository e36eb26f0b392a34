#pragma once
// The settings store: named string settings addressed by section and key, kept in the registry
// below a base key or in an INI file. Every call opens its back end, does one read or one write
// and closes it again; only the name of the last section used is kept between calls.
#include "platform/registry.h"
#include "framework/core/TLMDCustomComponent.h"

#include <functional>
#include <string>

enum TLMDIniTarget { itIniFile, itRegistry, itAuto };
enum TLMDPathPrefix { ppWindows, ppSystem, ppProgram, ppFixed };
enum TLMDIniCryptMode { icmKey, icmTextKey, icmCustom };
enum TLMDRegRootKey { rpClassesRoot, rpCurrentUser, rpLocalMachine, rpUsers, rpCurrentConfig, rpDynData };

using TLMDAboutVar = std::string;
// Rewrites Value in place.
using TLMDIniCryptEvent = std::function<void(TComponent* Sender, std::string& Value)>;

// The predefined key a root stands for (HKEY_PERFORMANCE_DATA has no member, so the values
// skip one after rpUsers).
HKEY RegRootKeyHandle(TLMDRegRootKey root);

class TLMDIniCtrl : public TLMDCustomComponent {
public:
    explicit TLMDIniCtrl(TComponent* owner);
    ~TLMDIniCtrl() override;

    // The stored text, or Default when the back end holds no such value. Never creates anything.
    std::string ReadSetting(const std::string& Section, const std::string& Key, const std::string& Default);
    // The stored text in Value, or false when the back end holds no such value. Unlike ReadSetting,
    // a back end that fails (a damaged or unreadable hive, a value of another type, no INI file
    // to look in) raises ERegistryException or EIniFileException naming its error rather than
    // passing for a missing value. Never creates anything.
    bool ReadStoredSetting(const std::string& Section, const std::string& Key, std::string& Value);
    // Stores Value, creating the section (and the registry base key) when missing. Failures raise
    // ERegistryException or EIniFileException after the back end has been released.
    void WriteSetting(const std::string& Section, const std::string& Key, const std::string& Value);
    // Removes a setting (from the registry; an INI target refuses it). One that is absent is no failure.
    void DeleteSetting(const std::string& Section, const std::string& Key);

    // The logged-on user's name, "(Unknown)" when the platform cannot tell.
    virtual std::string CurrentUserName();
    virtual std::string EncodeValue(const std::string& Value);
    virtual std::string DecodeValue(const std::string& Value);

    const TLMDAboutVar& About() const { return about_; }
    void SetAbout(const TLMDAboutVar& value) { about_ = value; }
    bool AlphaCounter() const { return alphaCounter_; }
    void SetAlphaCounter(bool value);
    bool Common() const { return common_; }
    void SetCommon(bool value) { common_ = value; }
    const std::string& IniFile() const { return iniFile_; }
    void SetIniFile(const std::string& value);
    TLMDPathPrefix IniPrefix() const { return iniPrefix_; }
    void SetIniPrefix(TLMDPathPrefix value) { iniPrefix_ = value; }
    BYTE MaxEntries() const { return maxEntries_; }
    void SetMaxEntries(BYTE value);
    bool NetUser() const { return netUser_; }
    void SetNetUser(bool value);
    const std::string& User() const { return user_; }
    void SetUser(const std::string& value) { user_ = value; }
    const std::string& RegPath() const { return regPath_; }
    void SetRegPath(const std::string& value) { regPath_ = value; }
    TLMDRegRootKey RegRoot() const { return regRoot_; }
    void SetRegRoot(TLMDRegRootKey value) { regRoot_ = value; }
    TLMDIniTarget Target() const { return target_; }
    void SetTarget(TLMDIniTarget value);
    WORD EncKey() const { return encKey_; }
    void SetEncKey(WORD value) { encKey_ = value; }
    bool Encoded() const { return encoded_; }
    void SetEncoded(bool value) { encoded_ = value; }
    TLMDIniCryptMode CryptMode() const { return cryptMode_; }
    void SetCryptMode(TLMDIniCryptMode value) { cryptMode_ = value; }
    const TLMDIniCryptEvent& OnEncodeString() const { return onEncodeString_; }
    void SetOnEncodeString(TLMDIniCryptEvent handler) { onEncodeString_ = std::move(handler); }
    const TLMDIniCryptEvent& OnDecodeString() const { return onDecodeString_; }
    void SetOnDecodeString(TLMDIniCryptEvent handler) { onDecodeString_ = std::move(handler); }

    // The back end in force: itIniFile or itRegistry.
    TLMDIniTarget StoreTarget() const { return storeTarget_; }
    // The resolved section of the last call that named one.
    const std::string& LastSection() const { return lastSection_; }

    // The registry path below the root key, ending in "\". With RegPath blank it is made of the
    // application's organisation name, name and version (QCoreApplication's, when they are set).
    std::string RegistryBasePath() const;
    // The INI file's full path; an empty IniFile first becomes the executable's path with ".INI".
    // Empty when the folder cannot be looked up: there is then no file to read or write.
    std::string IniFilePath();

    // Published properties by their stored names and spellings ("itRegistry", "True", "16").
    void ReadProperty(const std::string& name, const std::string& value) override;

private:
    std::string ApplySectionRule(const std::string& Section);
    // icmKey text can hold any byte, which neither back end keeps as it is in every case.
    bool KeyCipherInForce() const;
    std::string ReadRegistry(const std::string& Section, const std::string& Key, const std::string& Default);
    void WriteRegistry(const std::string& Section, const std::string& Key, const std::string& Value);
    std::string ReadIni(const std::string& Section, const std::string& Key, const std::string& Default);
    void WriteIni(const std::string& Section, const std::string& Key, const std::string& Value);

    TLMDAboutVar about_;
    bool alphaCounter_ = false;
    bool common_ = true;
    std::string iniFile_;
    TLMDPathPrefix iniPrefix_ = ppWindows;
    BYTE maxEntries_ = 16;
    bool netUser_ = false;
    std::string user_;
    std::string regPath_;
    TLMDRegRootKey regRoot_ = rpCurrentUser;
    TLMDIniTarget target_ = itAuto;
    WORD encKey_;
    bool encoded_ = false;
    TLMDIniCryptMode cryptMode_ = icmKey;
    TLMDIniCryptEvent onEncodeString_;
    TLMDIniCryptEvent onDecodeString_;

    TLMDIniTarget storeTarget_ = itRegistry;
    std::string lastSection_;
};
