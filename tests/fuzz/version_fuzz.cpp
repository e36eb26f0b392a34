// Fuzz entry over the version reader: the PE and ELF walk down to the version resource, the block
// built from it, and the lookups the version component makes. Every value handed out must lie
// inside the block.
#include "platform/version/version_block.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace wincompat::version;

namespace {
void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

void query(const std::vector<std::uint8_t>& block, const std::string& path, std::uint32_t* word = nullptr)
{
    const void* value = nullptr;
    UINT length = 0;
    if (!queryVersionBlock(block.data(), path.c_str(), &value, &length))
        return;
    const auto* p = static_cast<const std::uint8_t*>(value);
    check(p >= block.data() && p <= block.data() + block.size());
    const std::size_t room = static_cast<std::size_t>(block.data() + block.size() - p);
    // Binary values are counted in bytes, text in characters (two bytes each at most here).
    check(length <= room);
    volatile std::uint8_t sink = 0;
    for (UINT i = 0; i < length; ++i)
        sink = sink ^ p[i];
    if (word != nullptr && length >= 4)
        std::memcpy(word, p, 4);
}

void exercise(const Bytes& resource)
{
    const DWORD size = versionBlockSize(resource);
    if (size == 0)
        return;
    std::vector<std::uint8_t> block(size);
    fillVersionBlock(resource, block.data());
    query(block, "\\");
    std::uint32_t translation = 0;
    query(block, "\\VarFileInfo\\Translation", &translation);
    char table[40];
    std::snprintf(table, sizeof table, "\\StringFileInfo\\%.4X%.4X\\", translation & 0xFFFF, translation >> 16);
    static const char* const keys[] = {"CompanyName",
                                       "FileDescription",
                                       "FileVersion",
                                       "InternalName",
                                       "LegalCopyright",
                                       "OriginalFilename",
                                       "ProductName",
                                       "PRODUCTVERSION",
                                       "comments",
                                       "LegalTrademarks",
                                       "",
                                       "\\\\"};
    for (const char* key : keys)
        query(block, std::string(table) + key);
    query(block, "\\StringFileInfo");
    query(block, "StringFileInfo\\\\040904e4");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    MemorySource source(data, size);
    Bytes resource;
    if (readVersionResource(source, resource) == ERROR_SUCCESS)
        exercise(resource);
    // The input taken as a bare version block as well, so that the block walk sees every shape.
    resource.assign(data, data + std::min<std::size_t>(size, 0xFFFF));
    exercise(resource);
    return 0;
}
