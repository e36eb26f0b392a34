#include "framework/core/StoredValues.h"

#include "framework/core/Exceptions.h"

#include <charconv>

void InvalidStoredValue(const std::string& property, const std::string& value)
{
    throw EComponentError("Invalid property value for " + property + ": " + value);
}

bool StoredBool(const std::string& name, const std::string& value)
{
    if (value == "True")
        return true;
    if (value == "False")
        return false;
    InvalidStoredValue(name, value);
}

int StoredInt(const std::string& name, const std::string& value)
{
    int result = 0;
    auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), result);
    if (ec != std::errc() || end != value.data() + value.size())
        InvalidStoredValue(name, value);
    return result;
}

int StoredIntWithin(const std::string& property, const std::string& value, int low, int high)
{
    const int n = StoredInt(property, value);
    if (n < low || n > high)
        InvalidStoredValue(property, value);
    return n;
}

int StoredEnum(const std::string& property, const std::string& value, const char* const* names, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        if (value == names[i])
            return static_cast<int>(i);
    InvalidStoredValue(property, value);
}

unsigned StoredSet(const std::string& property, const std::string& value, const char* const* names, std::size_t count)
{
    if (value.size() < 2 || value.front() != '[' || value.back() != ']')
        InvalidStoredValue(property, value);
    unsigned bits = 0;
    std::string item;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ',' || c == ']') {
            if (!item.empty())
                bits |= 1u << StoredEnum(property, item, names, count);
            item.clear();
        } else if (c != ' ') {
            item += c;
        }
    }
    return bits;
}
