#include "platform/version/pe_image.h"

#include <algorithm>
#include <array>

namespace wincompat::version {
namespace {
constexpr std::uint32_t RT_VERSION_ID = 16;
constexpr std::uint32_t VS_VERSION_INFO_ID = 1;
constexpr std::uint32_t subdirectoryBit = 0x80000000u;
constexpr std::size_t sectionHeaderSize = 40;

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t rawSize;
    std::uint32_t rawPointer;
};

// An RVA range mapped to the file: where it starts and how many bytes of its section follow.
struct Mapped {
    std::uint64_t offset;
    std::uint64_t available;
};

bool mapRva(const std::vector<Section>& sections, std::uint32_t rva, Mapped& out)
{
    for (const Section& s : sections) {
        // Only bytes present in the file count: the zero-filled tail of a section is not there.
        if (rva >= s.virtualAddress && rva - s.virtualAddress < s.rawSize) {
            std::uint32_t into = rva - s.virtualAddress;
            out = {std::uint64_t{s.rawPointer} + into, std::uint64_t{s.rawSize} - into};
            return true;
        }
    }
    return false;
}

// The resource tree, with every directory offset checked against the bytes of its section.
class ResourceTree {
public:
    ResourceTree(ByteSource& source, Mapped base) : source_(source), base_(base) {}

    struct Entry {
        std::uint32_t name;
        std::uint32_t target;
    };

    // Calls pick(index, entry) for each entry until it returns true; found holds that entry.
    template <typename Pick> DWORD scan(std::uint32_t dir, Pick pick, bool& found, Entry& result)
    {
        found = false;
        std::array<std::uint8_t, 16> header{};
        if (DWORD e = readAt(dir, header.data(), header.size()))
            return e;
        const std::uint32_t count = std::uint32_t{load16(&header[12])} + load16(&header[14]);
        if (std::uint64_t{dir} + 16 + std::uint64_t{count} * 8 > base_.available)
            return ERROR_BAD_FORMAT;
        std::array<std::uint8_t, 8 * 256> chunk{};
        for (std::uint32_t first = 0; first < count; first += 256) {
            std::uint32_t n = std::min<std::uint32_t>(256, count - first);
            if (DWORD e = readAt(dir + 16 + first * 8, chunk.data(), n * 8))
                return e;
            for (std::uint32_t i = 0; i < n; ++i) {
                Entry entry{load32(&chunk[i * 8]), load32(&chunk[i * 8 + 4])};
                if (pick(first + i, entry)) {
                    found = true;
                    result = entry;
                    return ERROR_SUCCESS;
                }
            }
        }
        return ERROR_SUCCESS;
    }

    DWORD readAt(std::uint64_t rel, void* out, std::size_t n)
    {
        if (rel > base_.available || n > base_.available - rel)
            return ERROR_BAD_FORMAT;
        return source_.read(base_.offset + rel, out, n);
    }

private:
    ByteSource& source_;
    Mapped base_;
};
} // namespace

bool looksLikePe(ByteSource& source)
{
    std::uint8_t mz[2];
    return source.size() >= 2 && source.read(0, mz, 2) == ERROR_SUCCESS && mz[0] == 'M' && mz[1] == 'Z';
}

DWORD findPeVersionResource(ByteSource& source, ResourceSpan& span)
{
    std::array<std::uint8_t, 64> dos{};
    if (source.size() < dos.size())
        return ERROR_BAD_FORMAT;
    if (DWORD e = source.read(0, dos.data(), dos.size()))
        return e;
    if (dos[0] != 'M' || dos[1] != 'Z')
        return ERROR_BAD_FORMAT;
    const std::uint64_t pe = load32(&dos[0x3C]);

    // Signature, file header and the optional header up to the end of the data directories.
    std::array<std::uint8_t, 4 + 20 + 240> nt{};
    if (pe + 24 > source.size())
        return ERROR_BAD_FORMAT;
    const std::size_t ntRead = static_cast<std::size_t>(std::min<std::uint64_t>(nt.size(), source.size() - pe));
    if (DWORD e = source.read(pe, nt.data(), ntRead))
        return e;
    if (nt[0] != 'P' || nt[1] != 'E' || nt[2] != 0 || nt[3] != 0)
        return ERROR_BAD_FORMAT;
    const std::uint16_t sectionCount = load16(&nt[4 + 2]);
    const std::uint16_t optionalSize = load16(&nt[4 + 16]);
    const std::size_t opt = 24;
    if (optionalSize < 2 || opt + 2 > ntRead)
        return ERROR_BAD_FORMAT;
    const std::uint16_t magic = load16(&nt[opt]);
    std::size_t countAt, dirsAt;
    if (magic == 0x10B) {
        countAt = 92;
        dirsAt = 96;
    } else if (magic == 0x20B) {
        countAt = 108;
        dirsAt = 112;
    } else {
        return ERROR_BAD_FORMAT;
    }
    constexpr std::size_t resourceDir = 2;
    const std::size_t resourceAt = dirsAt + resourceDir * 8;
    if (optionalSize < resourceAt + 8 || opt + resourceAt + 8 > ntRead || load32(&nt[opt + countAt]) <= resourceDir)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    const std::uint32_t resourceRva = load32(&nt[opt + resourceAt]);
    const std::uint32_t resourceSize = load32(&nt[opt + resourceAt + 4]);
    if (resourceRva == 0 || resourceSize == 0)
        return ERROR_RESOURCE_DATA_NOT_FOUND;

    const std::uint64_t tableAt = pe + opt + optionalSize;
    const std::uint64_t tableBytes = std::uint64_t{sectionCount} * sectionHeaderSize;
    if (tableAt > source.size() || tableBytes > source.size() - tableAt)
        return ERROR_BAD_FORMAT;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(tableBytes));
    if (DWORD e = source.read(tableAt, table.data(), table.size()))
        return e;
    std::vector<Section> sections;
    sections.reserve(sectionCount);
    for (std::size_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* s = &table[i * sectionHeaderSize];
        sections.push_back({load32(s + 12), load32(s + 16), load32(s + 20)});
    }

    Mapped base{};
    if (!mapRva(sections, resourceRva, base))
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    if (base.offset >= source.size())
        return ERROR_BAD_FORMAT;
    base.available = std::min(base.available, source.size() - base.offset);
    ResourceTree tree(source, base);

    // A directory entry must lead further down; one that leads back to a directory already seen
    // is a loop and ends the walk.
    std::array<std::uint32_t, 3> seen{0, 0, 0};
    std::size_t seenCount = 1;
    auto descend = [&](const ResourceTree::Entry& e, std::uint32_t& dir) {
        if (!(e.target & subdirectoryBit))
            return false;
        dir = e.target & ~subdirectoryBit;
        if (std::find(seen.begin(), seen.begin() + seenCount, dir) != seen.begin() + seenCount)
            return false;
        seen[seenCount++] = dir;
        return true;
    };

    bool found = false;
    ResourceTree::Entry entry{};
    std::uint32_t dir = 0;
    if (DWORD e = tree.scan(
            0, [](std::uint32_t, const ResourceTree::Entry& x) { return x.name == RT_VERSION_ID; }, found, entry))
        return e;
    if (!found)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (!descend(entry, dir))
        return ERROR_BAD_FORMAT;

    // Name 1 as Windows looks for it; a file whose only version resource has another name still
    // gets read, from its first name.
    const std::uint32_t typeDir = dir;
    if (DWORD e = tree.scan(
            typeDir, [](std::uint32_t, const ResourceTree::Entry& x) { return x.name == VS_VERSION_INFO_ID; }, found,
            entry))
        return e;
    if (!found) {
        if (DWORD e = tree.scan(
                typeDir, [](std::uint32_t i, const ResourceTree::Entry&) { return i == 0; }, found, entry))
            return e;
        if (!found)
            return ERROR_RESOURCE_NAME_NOT_FOUND;
    }
    if (!descend(entry, dir))
        return ERROR_BAD_FORMAT;

    if (DWORD e = tree.scan(
            dir, [](std::uint32_t i, const ResourceTree::Entry&) { return i == 0; }, found, entry))
        return e;
    if (!found)
        return ERROR_RESOURCE_LANG_NOT_FOUND;
    if (entry.target & subdirectoryBit)
        return ERROR_BAD_FORMAT;

    std::array<std::uint8_t, 16> data{};
    if (DWORD e = tree.readAt(entry.target, data.data(), data.size()))
        return e;
    const std::uint32_t dataRva = load32(&data[0]);
    const std::uint32_t dataSize = load32(&data[4]);
    Mapped where{};
    if (dataSize == 0)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    if (!mapRva(sections, dataRva, where) || dataSize > where.available || where.offset > source.size() ||
        dataSize > source.size() - where.offset)
        return ERROR_BAD_FORMAT;
    span = {where.offset, dataSize};
    return ERROR_SUCCESS;
}

} // namespace wincompat::version
