#pragma once
// Owns one registry key handle and closes it on every path out of its scope.
#include "platform/registry.h"

#include <utility>

class UniqueRegKey {
public:
    UniqueRegKey() = default;
    explicit UniqueRegKey(HKEY key) : key_(key) {}
    ~UniqueRegKey() { reset(); }
    UniqueRegKey(const UniqueRegKey&) = delete;
    UniqueRegKey& operator=(const UniqueRegKey&) = delete;
    UniqueRegKey(UniqueRegKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}
    UniqueRegKey& operator=(UniqueRegKey&& other) noexcept
    {
        if (this != &other)
            reset(std::exchange(other.key_, nullptr));
        return *this;
    }

    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    HKEY release() { return std::exchange(key_, nullptr); }
    void reset(HKEY key = nullptr)
    {
        if (key_ != nullptr)
            RegCloseKey(key_);
        key_ = key;
    }

private:
    HKEY key_ = nullptr;
};
