#include "framework/core/TColor.h"

#include "framework/core/StoredValues.h"

#include <cstdlib>

TColor StoredColor(const std::string& name, const std::string& value)
{
    static const struct {
        const char* name;
        TColor color;
    } named[] = {
        {"clNone", clNone},
        {"clBlack", clBlack},
        {"clWhite", clWhite},
        {"clRed", clRed},
        {"clGreen", clGreen},
        {"clNavy", clNavy},
        {"clBtnFace", clBtnFace},
        {"clBtnShadow", clBtnShadow},
        {"clGrayText", clGrayText},
        {"clBtnText", clBtnText},
        {"clBtnHighlight", clBtnHighlight},
        {"clWindowText", clWindowText},
        {"clWindow", clWindow},
        {"clWindowFrame", clWindowFrame},
        {"cl3DDkShadow", cl3DDkShadow},
        {"cl3DLight", cl3DLight},
        {"clPurple", clPurple},
        {"clBlue", clBlue},
        {"clInfoBk", clInfoBk},
        {"clInfoText", clInfoText},
    };
    for (const auto& n : named)
        if (value == n.name)
            return n.color;
    char* end = nullptr;
    long long number = value.size() > 1 && value[0] == '$' ? std::strtoll(value.c_str() + 1, &end, 16)
                                                           : std::strtoll(value.c_str(), &end, 10);
    if (value.empty() || end == nullptr || *end != '\0')
        InvalidStoredValue(name, value);
    return static_cast<TColor>(number);
}
