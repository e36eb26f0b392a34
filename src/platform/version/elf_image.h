#pragma once
// Finds the version block that the build put into an ELF executable as a section of its own.
#include "platform/version/version_source.h"

namespace wincompat::version {

inline constexpr char elfVersionSection[] = ".tallyrune_ver";

bool looksLikeElf(ByteSource& source);

// ELF32 and ELF64, little-endian. ERROR_RESOURCE_TYPE_NOT_FOUND when the section is absent,
// ERROR_BAD_FORMAT for broken headers.
DWORD findElfVersionSection(ByteSource& source, ResourceSpan& span);

} // namespace wincompat::version
