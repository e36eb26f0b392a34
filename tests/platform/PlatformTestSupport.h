#pragma once
// Byte surgery on fixture images and the version calls over bytes in memory.
#include "platform/version/version_block.h"
#include "platform/version/version_source.h"
#include "verwriter/PeWriter.h"

#include <cstdint>
#include <optional>
#include <string>

namespace platform_test {
using verwriter::Bytes;

inline void put16(Bytes& b, std::size_t at, std::uint16_t v)
{
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
inline void put32(Bytes& b, std::size_t at, std::uint32_t v)
{
    put16(b, at, static_cast<std::uint16_t>(v));
    put16(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
inline void put64(Bytes& b, std::size_t at, std::uint64_t v)
{
    put32(b, at, static_cast<std::uint32_t>(v));
    put32(b, at + 4, static_cast<std::uint32_t>(v >> 32));
}
inline std::uint32_t get32(const Bytes& b, std::size_t at)
{
    return wincompat::version::load32(&b.at(at));
}

// The version resource the images below carry: one string, ProductName "Tallyrune".
inline const Bytes& sampleVersionData()
{
    static const Bytes data =
        verwriter::buildVersionBlock(verwriter::simpleVersionInfo({1, 2, 3, 4}, {{"ProductName", "Tallyrune"}}));
    return data;
}

// Runs one image walk over bytes in memory: its result, and where it found the resource.
using Walk = DWORD (*)(wincompat::version::ByteSource&, wincompat::version::ResourceSpan&);
inline DWORD walkWith(Walk find, const Bytes& file, wincompat::version::ResourceSpan* where)
{
    wincompat::version::MemorySource source(file.data(), file.size());
    wincompat::version::ResourceSpan span;
    const DWORD rc = find(source, span);
    if (where)
        *where = span;
    return rc;
}

// A string value of the block made from the file's version resource, or nothing.
inline std::optional<std::string> queryText(const Bytes& file, const std::string& path)
{
    wincompat::version::MemorySource source(file.data(), file.size());
    Bytes resource;
    if (wincompat::version::readVersionResource(source, resource) != ERROR_SUCCESS)
        return std::nullopt;
    Bytes block(wincompat::version::versionBlockSize(resource));
    wincompat::version::fillVersionBlock(resource, block.data());
    const void* value = nullptr;
    UINT length = 0;
    if (!wincompat::version::queryVersionBlock(block.data(), path.c_str(), &value, &length))
        return std::nullopt;
    return std::string(static_cast<const char*>(value), length == 0 ? 0 : length - 1);
}
} // namespace platform_test
