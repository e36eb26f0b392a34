#pragma once
// Property values as a stored window description spells them: bounded numbers, names of
// enumeration values and sets of them, "[akLeft, akTop]". A value that does not parse raises
// EComponentError naming the property and the value.
#include <array>
#include <cstddef>
#include <string>

[[noreturn]] void InvalidStoredValue(const std::string& property, const std::string& value);

// The spelling of a Boolean ("True"/"False") and of a plain integer.
bool StoredBool(const std::string& name, const std::string& value);
int StoredInt(const std::string& name, const std::string& value);
// An integer that must lie within [low, high].
int StoredIntWithin(const std::string& property, const std::string& value, int low, int high);

// The ordinal of the value among names.
int StoredEnum(const std::string& property, const std::string& value, const char* const* names, std::size_t count);
// A set as bits by ordinal; an unknown member is reported on its own.
unsigned StoredSet(const std::string& property, const std::string& value, const char* const* names, std::size_t count);

template <std::size_t N>
int StoredEnum(const std::string& property, const std::string& value, const std::array<const char*, N>& names)
{
    return StoredEnum(property, value, names.data(), N);
}
template <std::size_t N>
int StoredEnum(const std::string& property, const std::string& value, const char* const (&names)[N])
{
    return StoredEnum(property, value, names, N);
}
template <std::size_t N>
unsigned StoredSet(const std::string& property, const std::string& value, const std::array<const char*, N>& names)
{
    return StoredSet(property, value, names.data(), N);
}
