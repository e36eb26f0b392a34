#pragma once
// Enumerations shared by the styled controls, in their ordinal order, and the stored spelling of
// an enumeration value.
#include "framework/core/Exceptions.h"

#include <array>
#include <string>

enum TLMDAlignment {
    agTopLeft,
    agTopCenter,
    agTopRight,
    agCenterLeft,
    agCenter,
    agCenterRight,
    agBottomLeft,
    agBottomCenter,
    agBottomRight
};
inline constexpr std::array<const char*, 9> TLMDAlignmentNames{"agTopLeft",    "agTopCenter",    "agTopRight",
                                                               "agCenterLeft", "agCenter",       "agCenterRight",
                                                               "agBottomLeft", "agBottomCenter", "agBottomRight"};

enum TLMDLabelOption { loPathEllipsis, loEndEllipsis, loEditControl };
using TLMDLabelOptions = unsigned; // bit n for ordinal n
inline constexpr std::array<const char*, 3> TLMDLabelOptionNames{"loPathEllipsis", "loEndEllipsis", "loEditControl"};

enum TLMDJumpMode { jmInternet, jmApplication, jmNone, jmCustom };
inline constexpr std::array<const char*, 4> TLMDJumpModeNames{"jmInternet", "jmApplication", "jmNone", "jmCustom"};

// The value of a stored enumeration by its name; an unknown name is a stored-description error.
template <std::size_t N>
int StoredEnum(const std::string& property, const std::string& value, const std::array<const char*, N>& names)
{
    for (std::size_t i = 0; i < N; ++i)
        if (value == names[i])
            return static_cast<int>(i);
    throw EComponentError("Invalid property value for " + property + ": " + value);
}

// A stored set, "[loEndEllipsis, loEditControl]", as bits by ordinal.
template <std::size_t N>
unsigned StoredSet(const std::string& property, const std::string& value, const std::array<const char*, N>& names)
{
    if (value.size() < 2 || value.front() != '[' || value.back() != ']')
        throw EComponentError("Invalid property value for " + property + ": " + value);
    unsigned bits = 0;
    std::string item;
    for (std::size_t i = 1; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ',' || c == ']') {
            if (!item.empty())
                bits |= 1u << StoredEnum(property, item, names);
            item.clear();
        } else if (c != ' ') {
            item += c;
        }
    }
    return bits;
}
