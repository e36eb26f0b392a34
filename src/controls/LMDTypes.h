#pragma once
// Enumerations shared by the styled controls, in their ordinal order, with their stored names.
#include "framework/core/StoredValues.h"

#include <array>

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
