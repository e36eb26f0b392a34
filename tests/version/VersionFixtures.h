#pragma once
// Fixture files for the version tests, made by the project's writer of the published layouts.
#include "platform/system.h"
#include "platform/version.h"
#include "support/TempDir.h"
#include "verwriter/PeWriter.h"

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace fixtures {
using namespace verwriter;

inline std::string writePe(const std::filesystem::path& path, const VersionInfo& info, const PeOptions& options = {})
{
    std::filesystem::create_directories(path.parent_path());
    writeBytes(path.string(), buildPe(buildVersionBlock(info), options).flatten());
    return path.string();
}

inline std::string writeRaw(const std::filesystem::path& path, const Bytes& bytes)
{
    writeBytes(path.string(), bytes);
    return path.string();
}

inline std::string asString(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}
inline Bytes asBytes(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

// The block as GetFileVersionInfoA hands it out; empty when the size query gives 0.
inline std::vector<std::uint8_t> readBlock(const std::string& file, DWORD* error = nullptr)
{
    DWORD handle = 7;
    const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &handle);
    if (error)
        *error = GetLastError();
    if (size == 0)
        return {};
    std::vector<std::uint8_t> block(size);
    if (!GetFileVersionInfoA(file.c_str(), 0, size, block.data())) {
        if (error)
            *error = GetLastError();
        return {};
    }
    return block;
}

// A string value by path, checked to lie inside the block.
inline std::optional<std::string> queryText(const std::vector<std::uint8_t>& block, const std::string& path)
{
    void* value = nullptr;
    UINT length = 0;
    if (block.empty() || !VerQueryValueA(block.data(), path.c_str(), &value, &length))
        return std::nullopt;
    const auto* p = static_cast<const char*>(value);
    if (p < reinterpret_cast<const char*>(block.data()) ||
        p + length > reinterpret_cast<const char*>(block.data() + block.size()))
        return "<outside the block>";
    return std::string(p, strnlen(p, length));
}
} // namespace fixtures
