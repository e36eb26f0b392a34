#pragma once
// The ordinal of a stored enumeration value by its name.
#include "framework/Exceptions.h"

#include <initializer_list>
#include <string>

inline int StoredChoice(const std::string& name, const std::string& value, std::initializer_list<const char*> names)
{
    int ordinal = 0;
    for (const char* n : names) {
        if (value == n)
            return ordinal;
        ++ordinal;
    }
    throw EComponentError("Invalid property value for " + name + ": " + value);
}
