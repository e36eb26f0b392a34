#pragma once
// Colours as 0x00BBGGRR; a high byte of 0xFF names a system colour by the index in its low byte.
#include <cstdint>
#include <string>

using TColor = std::int32_t;

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000F);
constexpr TColor clBtnShadow = static_cast<TColor>(0xFF000010);
constexpr TColor clGrayText = static_cast<TColor>(0xFF000011);
constexpr TColor clBtnText = static_cast<TColor>(0xFF000012);
constexpr TColor clBtnHighlight = static_cast<TColor>(0xFF000014);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005);
constexpr TColor clInfoBk = static_cast<TColor>(0xFF000018);
constexpr TColor clInfoText = static_cast<TColor>(0xFF000017);
constexpr TColor cl3DDkShadow = static_cast<TColor>(0xFF000015);
constexpr TColor cl3DLight = static_cast<TColor>(0xFF000016);
constexpr TColor clWindowFrame = static_cast<TColor>(0xFF000006);
constexpr TColor clPurple = 0x800080;
constexpr TColor clBlue = 0xFF0000;

// "clWhite", "16777151", "$00BFFFFF" as the stored description spells them.
TColor StoredColor(const std::string& name, const std::string& value);
