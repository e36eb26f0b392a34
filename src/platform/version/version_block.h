#pragma once
// The block that GetFileVersionInfoA hands out and VerQueryValueA looks into.
//
// Layout, for a resource whose root node is R bytes long (R <= 65535), with R4 = R rounded up to 4:
//   [0, R)                 the resource exactly as the file holds it (a root that claims more
//                          bytes than the file has is cut to what is there)
//   [R, R4)                zero
//   [R4, R4 + 3*R4/2 + 4)  the ANSI area: the UTF-8 copy of every string value, NUL-terminated
// The UTF-8 copy of the value that starts at block offset v (always a multiple of 4) lives at
// R4 + 3*v/2. A value of n UTF-16 units needs at most 3n bytes in UTF-8 (a surrogate pair, two
// units, needs four), and the next value starts at least 8 bytes after this one ends, so the
// copies never overlap and the ANSI lookup can return a pointer into the caller's block, as
// Windows does, without any allocation of its own.
#include "platform/version/version_source.h"

#include <vector>

namespace wincompat::version {

using Bytes = std::vector<std::uint8_t>;

// The version resource of a PE or ELF file, at most 64 KiB (a version block cannot be longer).
DWORD readVersionResource(ByteSource& source, Bytes& resource);

// Size of the block for this resource; 0 when the resource has no usable root node.
DWORD versionBlockSize(const Bytes& resource);

// Fills block (size bytes, at least versionBlockSize) from the resource.
void fillVersionBlock(const Bytes& resource, std::uint8_t* block);

// The lookup behind VerQueryValueA.
bool queryVersionBlock(const std::uint8_t* block, const char* path, const void** value, UINT* length);

// UTF-16 to UTF-8 up to the first NUL: surrogate pairs joined, lone surrogates as U+FFFD.
// Writes at most 3 bytes per unit plus the NUL; returns the bytes written without the NUL.
std::size_t utf16ToUtf8(const std::uint8_t* units, std::size_t count, char* out);

} // namespace wincompat::version
