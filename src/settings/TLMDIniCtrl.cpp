#include "settings/TLMDIniCtrl.h"

#include "framework/core/Exceptions.h"
#include "framework/core/HexText.h"
#include "framework/core/StoredValues.h"
#include "platform/system.h"
#include "settings/SettingsPaths.h"
#include "settings/TIniFile.h"
#include "settings/TLMDRegIniFile.h"

#include <QCoreApplication>

namespace {

constexpr WORD defaultEncKey = 0x4C4D;
constexpr BYTE alphaLimit = 26;
constexpr WORD cipherC1 = 52845;
constexpr WORD cipherC2 = 22719;

const char* const targetNames[] = {"itIniFile", "itRegistry", "itAuto"};
const char* const prefixNames[] = {"ppWindows", "ppSystem", "ppProgram", "ppFixed"};
const char* const cryptNames[] = {"icmKey", "icmTextKey", "icmCustom"};
const char* const rootNames[] = {"rpClassesRoot", "rpCurrentUser",   "rpLocalMachine",
                                 "rpUsers",       "rpCurrentConfig", "rpDynData"};

std::string localText(const QString& text)
{
    const QByteArray bytes = text.toLocal8Bit();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

// A byte-wise key stream: each output byte feeds the key for the next one.
std::string encipher(const std::string& plain, WORD key)
{
    std::string out(plain.size(), '\0');
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const auto c = static_cast<BYTE>(static_cast<BYTE>(plain[i]) ^ (key >> 8));
        out[i] = static_cast<char>(c);
        key = static_cast<WORD>((c + key) * cipherC1 + cipherC2);
    }
    return out;
}

std::string decipher(const std::string& cipher, WORD key)
{
    std::string out(cipher.size(), '\0');
    for (std::size_t i = 0; i < cipher.size(); ++i) {
        const auto c = static_cast<BYTE>(cipher[i]);
        out[i] = static_cast<char>(static_cast<BYTE>(c ^ (key >> 8)));
        key = static_cast<WORD>((c + key) * cipherC1 + cipherC2);
    }
    return out;
}

} // namespace

HKEY RegRootKeyHandle(TLMDRegRootKey root)
{
    switch (root) {
    case rpClassesRoot: return HKEY_CLASSES_ROOT;
    case rpCurrentUser: return HKEY_CURRENT_USER;
    case rpLocalMachine: return HKEY_LOCAL_MACHINE;
    case rpUsers: return HKEY_USERS;
    case rpCurrentConfig: return HKEY_CURRENT_CONFIG;
    case rpDynData: return HKEY_DYN_DATA;
    }
    return HKEY_CURRENT_USER;
}

TLMDIniCtrl::TLMDIniCtrl(TComponent* owner) : TLMDCustomComponent(owner), encKey_(defaultEncKey) {}

TLMDIniCtrl::~TLMDIniCtrl() = default;

void TLMDIniCtrl::SetAlphaCounter(bool value)
{
    if (alphaCounter_ == value)
        return;
    alphaCounter_ = value;
    if (maxEntries_ > alphaLimit)
        maxEntries_ = alphaLimit;
}

void TLMDIniCtrl::SetMaxEntries(BYTE value)
{
    if (maxEntries_ == value || (alphaCounter_ && value > alphaLimit))
        return;
    maxEntries_ = value;
}

void TLMDIniCtrl::SetIniFile(const std::string& value)
{
    std::string name = value;
    if (!name.empty() && settings::ExtractFileExt(name).empty())
        name += ".INI";
    iniFile_ = name;
}

void TLMDIniCtrl::SetNetUser(bool value)
{
    if (netUser_ == value)
        return;
    netUser_ = value;
    if (netUser_)
        user_ = CurrentUserName();
}

void TLMDIniCtrl::SetTarget(TLMDIniTarget value)
{
    if (target_ == value)
        return;
    target_ = value;
    storeTarget_ = value == itIniFile ? itIniFile : itRegistry;
}

std::string TLMDIniCtrl::CurrentUserName()
{
    char buffer[64];
    DWORD size = sizeof buffer;
    if (!GetUserNameA(buffer, &size))
        return "(Unknown)";
    return std::string(buffer);
}

std::string TLMDIniCtrl::EncodeValue(const std::string& Value)
{
    switch (cryptMode_) {
    case icmKey: return encipher(Value, encKey_);
    case icmTextKey: return toHex(encipher(Value, encKey_));
    case icmCustom: {
        std::string result = Value;
        if (onEncodeString_)
            onEncodeString_(this, result);
        return result;
    }
    }
    return Value;
}

std::string TLMDIniCtrl::DecodeValue(const std::string& Value)
{
    switch (cryptMode_) {
    case icmKey: return decipher(Value, encKey_);
    case icmTextKey: {
        std::string bytes;
        // Text that was never encoded (stored by hand, say) is handed back as it is.
        return fromHex(Value, bytes) ? decipher(bytes, encKey_) : Value;
    }
    case icmCustom: {
        std::string result = Value;
        if (onDecodeString_)
            onDecodeString_(this, result);
        return result;
    }
    }
    return Value;
}

std::string TLMDIniCtrl::RegistryBasePath() const
{
    if (!settings::IsBlank(regPath_))
        return settings::ComposeRegistryBasePath(regPath_, {}, {}, {}, {});
    return settings::ComposeRegistryBasePath(regPath_, localText(QCoreApplication::organizationName()),
                                             localText(QCoreApplication::applicationName()), settings::ModuleFileName(),
                                             localText(QCoreApplication::applicationVersion()));
}

std::string TLMDIniCtrl::IniFilePath()
{
    if (iniFile_.empty())
        iniFile_ = settings::ChangeFileExt(settings::ModuleFileName(), ".INI");
    if (iniPrefix_ == ppFixed)
        return iniFile_;
    std::string folder;
    char buffer[MAX_PATH];
    switch (iniPrefix_) {
    case ppWindows:
    case ppSystem: {
        const UINT n =
            iniPrefix_ == ppWindows ? GetWindowsDirectoryA(buffer, MAX_PATH) : GetSystemDirectoryA(buffer, MAX_PATH);
        if (n > 0 && n < MAX_PATH)
            folder.assign(buffer, n);
        break;
    }
    case ppProgram: folder = settings::ExtractFilePath(settings::ModuleFileName()); break;
    case ppFixed: break;
    }
    // A failed lookup is no folder at all, never the root folder that an empty one would become.
    if (folder.empty())
        return {};
    return settings::IncludeTrailingPathDelimiter(folder) + settings::ExtractFileName(iniFile_);
}

std::string TLMDIniCtrl::ApplySectionRule(const std::string& Section)
{
    if (settings::IsBlank(Section))
        return settings::IsBlank(lastSection_) ? std::string("Common") : lastSection_;
    std::string result = Section;
    if (storeTarget_ == itIniFile) {
        if (!common_)
            result = (netUser_ ? CurrentUserName() : user_) + "." + Section;
    } else if (Section == "#ROOT") {
        result.clear(); // the base key itself
    }
    lastSection_ = result;
    return result;
}

std::string TLMDIniCtrl::ReadSetting(const std::string& Section, const std::string& Key, const std::string& Default)
{
    return storeTarget_ == itIniFile ? ReadIni(Section, Key, Default) : ReadRegistry(Section, Key, Default);
}

void TLMDIniCtrl::WriteSetting(const std::string& Section, const std::string& Key, const std::string& Value)
{
    if (storeTarget_ == itIniFile)
        WriteIni(Section, Key, Value);
    else
        WriteRegistry(Section, Key, Value);
}

std::string TLMDIniCtrl::ReadRegistry(const std::string& Section, const std::string& Key, const std::string& Default)
{
    TLMDRegIniFile registry(RegRootKeyHandle(regRoot_), RegistryBasePath(), true);
    const std::string fallback = encoded_ ? EncodeValue(Default) : Default;
    const std::string section = ApplySectionRule(Section);
    std::string result = registry.ReadString(section, Key, fallback);
    return encoded_ ? DecodeValue(result) : result;
}

bool TLMDIniCtrl::ReadStoredSetting(const std::string& Section, const std::string& Key, std::string& Value)
{
    std::string stored;
    if (storeTarget_ == itIniFile) {
        const std::string path = IniFilePath();
        if (path.empty())
            throw EIniFileException(FormatMessageText("Unable to read %s", settings::ExtractFileName(iniFile_)));
        TIniFile file(path);
        const std::string section = ApplySectionRule(Section);
        if (!file.ValueExists(section, Key))
            return false;
        stored = file.ReadString(section, Key, {});
    } else {
        TLMDRegIniFile registry(RegRootKeyHandle(regRoot_), RegistryBasePath(), true);
        if (const LSTATUS rc = registry.LastOpenStatus(); rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND)
            throw ERegistryException(FormatMessageText("Failed to read '%s'", Key) + ": " + SysErrorMessage(rc));
        if (!registry.ReadStoredString(ApplySectionRule(Section), Key, stored))
            return false;
    }
    Value = encoded_ ? DecodeValue(stored) : stored;
    return true;
}

bool TLMDIniCtrl::KeyCipherInForce() const
{
    return encoded_ && cryptMode_ == icmKey;
}

void TLMDIniCtrl::WriteRegistry(const std::string& Section, const std::string& Key, const std::string& Value)
{
    TLMDRegIniFile registry(RegRootKeyHandle(regRoot_), RegistryBasePath(), false);
    const std::string value = encoded_ ? EncodeValue(Value) : Value;
    const std::string section = ApplySectionRule(Section);
    // The byte cipher can make a zero byte, where a registry string would end: refused, not cut.
    if (KeyCipherInForce() && value.find('\0') != std::string::npos)
        throw ERegistryException(FormatMessageText("Failed to set data for '%s'", Key));
    registry.WriteString(section, Key, value);
}

std::string TLMDIniCtrl::ReadIni(const std::string& Section, const std::string& Key, const std::string& Default)
{
    const std::string path = IniFilePath();
    if (path.empty())
        return Default;
    TIniFile file(path);
    const std::string fallback = encoded_ ? EncodeValue(Default) : Default;
    const std::string section = ApplySectionRule(Section);
    std::string result = file.ReadString(section, Key, fallback);
    // The platform hands a default back only as far as a file could hold it; the byte cipher's
    // may not survive that, so a missing value gives the caller's own.
    if (KeyCipherInForce() && !TIniFile::KeepsExactly(fallback) && !file.ValueExists(section, Key))
        return Default;
    return encoded_ ? DecodeValue(result) : result;
}

void TLMDIniCtrl::WriteIni(const std::string& Section, const std::string& Key, const std::string& Value)
{
    const std::string path = IniFilePath();
    if (path.empty())
        throw EIniFileException(FormatMessageText("Unable to write to %s", settings::ExtractFileName(iniFile_)));
    TIniFile file(path);
    const std::string value = encoded_ ? EncodeValue(Value) : Value;
    const std::string section = ApplySectionRule(Section);
    // Byte cipher text that an INI line would change (cut, trimmed, unquoted) is refused.
    if (KeyCipherInForce() && !TIniFile::KeepsExactly(value))
        throw EIniFileException(FormatMessageText("Unable to write to %s", path));
    file.WriteString(section, Key, value);
}

void TLMDIniCtrl::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "About")
        SetAbout(value);
    else if (name == "AlphaCounter")
        SetAlphaCounter(StoredBool(name, value));
    else if (name == "Common")
        SetCommon(StoredBool(name, value));
    else if (name == "IniFile")
        SetIniFile(value);
    else if (name == "IniPrefix")
        SetIniPrefix(static_cast<TLMDPathPrefix>(StoredEnum(name, value, prefixNames)));
    else if (name == "MaxEntries")
        SetMaxEntries(static_cast<BYTE>(StoredIntWithin(name, value, 0, 0xFF)));
    else if (name == "NetUser")
        SetNetUser(StoredBool(name, value));
    else if (name == "User")
        SetUser(value);
    else if (name == "RegPath")
        SetRegPath(value);
    else if (name == "RegRoot")
        SetRegRoot(static_cast<TLMDRegRootKey>(StoredEnum(name, value, rootNames)));
    else if (name == "Target")
        SetTarget(static_cast<TLMDIniTarget>(StoredEnum(name, value, targetNames)));
    else if (name == "EncKey")
        SetEncKey(static_cast<WORD>(StoredIntWithin(name, value, 0, 0xFFFF)));
    else if (name == "Encoded")
        SetEncoded(StoredBool(name, value));
    else if (name == "CryptMode")
        SetCryptMode(static_cast<TLMDIniCryptMode>(StoredEnum(name, value, cryptNames)));
    else
        TLMDCustomComponent::ReadProperty(name, value);
}

void TLMDIniCtrl::DeleteSetting(const std::string& Section, const std::string& Key)
{
    if (storeTarget_ == itIniFile)
        throw EIniFileException(FormatMessageText("Unable to write to %s", settings::ExtractFileName(iniFile_)));
    TLMDRegIniFile registry(RegRootKeyHandle(regRoot_), RegistryBasePath(), false);
    registry.DeleteKey(ApplySectionRule(Section), Key);
}
