#pragma once
// A registry key opened below a root key, with the value operations the settings store needs.
// The object owns its current key and closes it when another key is opened and on destruction.
#include "platform/registry.h"
#include "settings/UniqueRegKey.h"

#include <string>
#include <utility>

class TRegistry {
public:
    explicit TRegistry(REGSAM access = KEY_ALL_ACCESS);
    virtual ~TRegistry();
    TRegistry(const TRegistry&) = delete;
    TRegistry& operator=(const TRegistry&) = delete;

    HKEY RootKey() const { return rootKey_; }
    void SetRootKey(HKEY value);
    HKEY CurrentKey() const { return currentKey_.get(); }
    const std::string& CurrentPath() const { return currentPath_; }
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM value) { access_ = value; }
    // Closing a key never forces it to disk while set; every committed write is durable here
    // anyway, so the flag only records the caller's wish.
    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool value) { lazyWrite_ = value; }

    void CloseKey();
    // A path that begins with "\" is taken below the root key, any other below the current key
    // (or the root key while there is none).
    bool OpenKey(const std::string& key, bool canCreate);
    // Tries KEY_READ, then standard read rights with query and enumerate, then query alone; the
    // first mask that opens the key becomes the access mask.
    bool OpenKeyReadOnly(const std::string& key);
    // What the last OpenKey or OpenKeyReadOnly got from the registry: ERROR_FILE_NOT_FOUND for a
    // key that is not there, anything else but ERROR_SUCCESS for a store that failed.
    LSTATUS LastOpenStatus() const { return lastOpenStatus_; }
    // Creates (or opens) the key with full access and closes it again; a refusal raises
    // ERegistryException "Failed to create key %s".
    bool CreateKey(const std::string& key);

    bool ValueExists(const std::string& name);
    // The data size of a value, -1 when it cannot be queried.
    int GetDataSize(const std::string& name);
    // The text of a REG_SZ or REG_EXPAND_SZ value up to its first zero byte; empty for a value
    // of size zero; ERegistryException for any other type or data that cannot be read.
    std::string ReadString(const std::string& name);
    // Stores the text and one terminating zero byte as REG_SZ.
    void WriteString(const std::string& name, const std::string& value);
    // Removes a value of the current key; one that is not there is no failure.
    void DeleteValue(const std::string& name);

protected:
    static bool IsRelative(const std::string& key);
    HKEY GetBaseKey(bool relative) const;
    // The key opened with the current access mask; empty when it cannot be opened.
    UniqueRegKey GetKey(const std::string& key);
    // As GetKey, with the registry's answer.
    LSTATUS GetKey(const std::string& key, UniqueRegKey& opened);
    void ChangeKey(UniqueRegKey value, const std::string& path);
    // Makes another key (owned by the caller) the current one for a scope and puts the old one
    // back on every path out of it, exceptions included: the two swap owners and swap back.
    class CurrentKeyScope {
    public:
        CurrentKeyScope(TRegistry& registry, UniqueRegKey& key) : registry_(registry), key_(key)
        {
            std::swap(registry_.currentKey_, key_);
        }
        ~CurrentKeyScope() { std::swap(registry_.currentKey_, key_); }
        CurrentKeyScope(const CurrentKeyScope&) = delete;
        CurrentKeyScope& operator=(const CurrentKeyScope&) = delete;

    private:
        TRegistry& registry_;
        UniqueRegKey& key_;
    };
    DWORD GetData(const std::string& name, void* buffer, DWORD bufSize, DWORD& dataType);
    void PutData(const std::string& name, const void* buffer, DWORD bufSize, DWORD dataType);

private:
    HKEY rootKey_ = HKEY_CURRENT_USER;
    UniqueRegKey currentKey_;
    std::string currentPath_;
    REGSAM access_;
    bool lazyWrite_ = true;
    LSTATUS lastOpenStatus_ = ERROR_SUCCESS;
};
