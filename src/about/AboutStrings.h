#pragma once
// The About box's texts that the program keeps as resources, in one place.
namespace about_strings {
inline constexpr char AvailableMemory[] = "Available Memory:";
inline constexpr char SystemResources[] = "System Resources:";
inline constexpr char OrCompatible[] = "or compatible";
inline constexpr char PlatformCPU[] = "Platform, CPU:";
inline constexpr char Free[] = "free";
inline constexpr char Info[] = "Info ";
} // namespace about_strings
