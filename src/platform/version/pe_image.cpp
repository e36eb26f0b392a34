#include "platform/version/pe_image.h"

#include <algorithm>
#include <array>

namespace wincompat::version {
namespace {
constexpr std::uint32_t RT_VERSION_ID = 16;
constexpr std::uint32_t VS_VERSION_INFO_ID = 1;

// DOS header: "MZ", and in its last field the file offset of the PE signature.
constexpr std::size_t kDosHeaderSize = 64;
constexpr std::size_t kDosPeOffsetField = 0x3C;

// From the PE signature: the signature "PE\0\0", the file header, then the optional header.
constexpr std::size_t kPeSignatureSize = 4;
constexpr std::size_t kFileHeaderSize = 20;
constexpr std::size_t kFileNumberOfSections = kPeSignatureSize + 2;
constexpr std::size_t kFileSizeOfOptionalHeader = kPeSignatureSize + 16;
constexpr std::size_t kOptionalHeaderAt = kPeSignatureSize + kFileHeaderSize;

// The optional header's magic tells PE32 from PE32+, whose wider fields move the data directories.
constexpr std::size_t kOptionalMagicSize = 2;
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::size_t kLargestOptionalHeader = 240; // PE32+ with all sixteen data directories

// Offsets from the start of the optional header.
struct OptionalHeaderLayout {
    std::size_t numberOfRvaAndSizes;
    std::size_t dataDirectories;
};
constexpr OptionalHeaderLayout kPe32Layout{.numberOfRvaAndSizes = 92, .dataDirectories = 96};
constexpr OptionalHeaderLayout kPe32PlusLayout{.numberOfRvaAndSizes = 108, .dataDirectories = 112};

// A data directory is an RVA and a size; the resource table's is the third.
constexpr std::size_t kDataDirectorySize = 8;
constexpr std::size_t kDataDirectoryRva = 0;
constexpr std::size_t kDataDirectorySizeField = 4;
constexpr std::size_t kResourceDirectoryIndex = 2;

// A section table entry.
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kSectionVirtualAddress = 12;
constexpr std::size_t kSectionSizeOfRawData = 16;
constexpr std::size_t kSectionPointerToRawData = 20;

// A resource directory: a header ending in the counts of named and of ID entries, then the
// entries, each a name (or ID) and a target (a subdirectory when the top bit is set).
constexpr std::size_t kResourceDirectoryHeaderSize = 16;
constexpr std::size_t kResourceNamedEntryCount = 12;
constexpr std::size_t kResourceIdEntryCount = 14;
constexpr std::size_t kResourceEntrySize = 8;
constexpr std::size_t kResourceEntryName = 0;
constexpr std::size_t kResourceEntryTarget = 4;
constexpr std::uint32_t kSubdirectoryBit = 0x80000000u;
constexpr std::size_t kEntriesPerRead = 256;

// A resource data entry: the data's RVA, its size, its code page and a reserved field.
constexpr std::size_t kResourceDataEntrySize = 16;
constexpr std::size_t kDataEntryRva = 0;
constexpr std::size_t kDataEntrySize = 4;

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
        std::array<std::uint8_t, kResourceDirectoryHeaderSize> header{};
        if (DWORD e = readAt(dir, header.data(), header.size()))
            return e;
        const std::uint32_t count =
            std::uint32_t{load16(&header[kResourceNamedEntryCount])} + load16(&header[kResourceIdEntryCount]);
        const std::uint64_t entries = std::uint64_t{dir} + kResourceDirectoryHeaderSize;
        if (entries + std::uint64_t{count} * kResourceEntrySize > base_.available)
            return ERROR_BAD_FORMAT;
        std::array<std::uint8_t, kResourceEntrySize * kEntriesPerRead> chunk{};
        for (std::uint32_t first = 0; first < count; first += kEntriesPerRead) {
            const std::uint32_t n = std::min<std::uint32_t>(kEntriesPerRead, count - first);
            if (DWORD e = readAt(entries + first * kResourceEntrySize, chunk.data(), n * kResourceEntrySize))
                return e;
            for (std::uint32_t i = 0; i < n; ++i) {
                const std::uint8_t* p = &chunk[i * kResourceEntrySize];
                const Entry entry{load32(p + kResourceEntryName), load32(p + kResourceEntryTarget)};
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

// A directory entry must lead further down; one that leads back to a directory already seen
// is a loop and ends the walk.
class Descent {
public:
    bool into(const ResourceTree::Entry& e, std::uint32_t& dir)
    {
        if (!(e.target & kSubdirectoryBit))
            return false;
        dir = e.target & ~kSubdirectoryBit;
        if (std::find(seen_.begin(), seen_.begin() + seenCount_, dir) != seen_.begin() + seenCount_)
            return false;
        seen_[seenCount_++] = dir;
        return true;
    }

private:
    std::array<std::uint32_t, 3> seen_{0, 0, 0}; // the root, the type and the name directories
    std::size_t seenCount_ = 1;
};

bool firstEntry(std::uint32_t index, const ResourceTree::Entry&)
{
    return index == 0;
}

DWORD findPeHeader(ByteSource& source, std::uint64_t& peAt)
{
    std::array<std::uint8_t, kDosHeaderSize> dos{};
    if (source.size() < dos.size())
        return ERROR_BAD_FORMAT;
    if (DWORD e = source.read(0, dos.data(), dos.size()))
        return e;
    if (dos[0] != 'M' || dos[1] != 'Z')
        return ERROR_BAD_FORMAT;
    peAt = load32(&dos[kDosPeOffsetField]);
    return ERROR_SUCCESS;
}

// The signature, the file header and the optional header up to the end of its data
// directories, as far as the file holds them.
struct NtHeaders {
    std::array<std::uint8_t, kOptionalHeaderAt + kLargestOptionalHeader> bytes{};
    std::size_t length = 0;
    std::uint16_t sectionCount = 0;
    std::uint16_t optionalSize = 0;
};

DWORD readNtHeaders(ByteSource& source, std::uint64_t peAt, NtHeaders& nt)
{
    if (peAt + kOptionalHeaderAt > source.size())
        return ERROR_BAD_FORMAT;
    nt.length = static_cast<std::size_t>(std::min<std::uint64_t>(nt.bytes.size(), source.size() - peAt));
    if (DWORD e = source.read(peAt, nt.bytes.data(), nt.length))
        return e;
    if (nt.bytes[0] != 'P' || nt.bytes[1] != 'E' || nt.bytes[2] != 0 || nt.bytes[3] != 0)
        return ERROR_BAD_FORMAT;
    nt.sectionCount = load16(&nt.bytes[kFileNumberOfSections]);
    nt.optionalSize = load16(&nt.bytes[kFileSizeOfOptionalHeader]);
    return ERROR_SUCCESS;
}

// The resource table's RVA from the optional header's data directories.
DWORD readResourceDirectoryRva(const NtHeaders& nt, std::uint32_t& rva)
{
    if (nt.optionalSize < kOptionalMagicSize || kOptionalHeaderAt + kOptionalMagicSize > nt.length)
        return ERROR_BAD_FORMAT;
    const std::uint8_t* opt = &nt.bytes[kOptionalHeaderAt];
    OptionalHeaderLayout layout{};
    if (const std::uint16_t magic = load16(opt); magic == kPe32Magic)
        layout = kPe32Layout;
    else if (magic == kPe32PlusMagic)
        layout = kPe32PlusLayout;
    else
        return ERROR_BAD_FORMAT;
    const std::size_t resourceAt = layout.dataDirectories + kResourceDirectoryIndex * kDataDirectorySize;
    const std::size_t resourceEnd = resourceAt + kDataDirectorySize;
    if (nt.optionalSize < resourceEnd || kOptionalHeaderAt + resourceEnd > nt.length ||
        load32(opt + layout.numberOfRvaAndSizes) <= kResourceDirectoryIndex)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    rva = load32(opt + resourceAt + kDataDirectoryRva);
    if (rva == 0 || load32(opt + resourceAt + kDataDirectorySizeField) == 0)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    return ERROR_SUCCESS;
}

DWORD readSectionTable(ByteSource& source, std::uint64_t peAt, const NtHeaders& nt, std::vector<Section>& sections)
{
    const std::uint64_t tableAt = peAt + kOptionalHeaderAt + nt.optionalSize;
    const std::uint64_t tableBytes = std::uint64_t{nt.sectionCount} * kSectionHeaderSize;
    if (tableAt > source.size() || tableBytes > source.size() - tableAt)
        return ERROR_BAD_FORMAT;
    std::vector<std::uint8_t> table(static_cast<std::size_t>(tableBytes));
    if (DWORD e = source.read(tableAt, table.data(), table.size()))
        return e;
    sections.reserve(nt.sectionCount);
    for (std::size_t i = 0; i < nt.sectionCount; ++i) {
        const std::uint8_t* s = &table[i * kSectionHeaderSize];
        sections.push_back({load32(s + kSectionVirtualAddress), load32(s + kSectionSizeOfRawData),
                            load32(s + kSectionPointerToRawData)});
    }
    return ERROR_SUCCESS;
}

// Name 1 as Windows looks for it; a file whose only version resource has another name still
// gets read, from its first name.
DWORD findVersionName(ResourceTree& tree, std::uint32_t typeDir, ResourceTree::Entry& entry)
{
    bool found = false;
    if (DWORD e = tree.scan(
            typeDir, [](std::uint32_t, const ResourceTree::Entry& x) { return x.name == VS_VERSION_INFO_ID; }, found,
            entry))
        return e;
    if (found)
        return ERROR_SUCCESS;
    if (DWORD e = tree.scan(typeDir, firstEntry, found, entry))
        return e;
    return found ? ERROR_SUCCESS : ERROR_RESOURCE_NAME_NOT_FOUND;
}

// Type, name, language: the offset of the version resource's data entry.
DWORD findVersionDataEntry(ResourceTree& tree, std::uint32_t& dataEntry)
{
    Descent descent;
    bool found = false;
    ResourceTree::Entry entry{};
    std::uint32_t dir = 0;
    if (DWORD e = tree.scan(
            0, [](std::uint32_t, const ResourceTree::Entry& x) { return x.name == RT_VERSION_ID; }, found, entry))
        return e;
    if (!found)
        return ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (!descent.into(entry, dir))
        return ERROR_BAD_FORMAT;
    if (DWORD e = findVersionName(tree, dir, entry))
        return e;
    if (!descent.into(entry, dir))
        return ERROR_BAD_FORMAT;
    if (DWORD e = tree.scan(dir, firstEntry, found, entry))
        return e;
    if (!found)
        return ERROR_RESOURCE_LANG_NOT_FOUND;
    if (entry.target & kSubdirectoryBit)
        return ERROR_BAD_FORMAT;
    dataEntry = entry.target;
    return ERROR_SUCCESS;
}

// The data must lie within the raw bytes of the section its RVA maps into, and within the file.
DWORD readDataEntry(ByteSource& source, ResourceTree& tree, const std::vector<Section>& sections,
                    std::uint32_t dataEntry, ResourceSpan& span)
{
    std::array<std::uint8_t, kResourceDataEntrySize> data{};
    if (DWORD e = tree.readAt(dataEntry, data.data(), data.size()))
        return e;
    const std::uint32_t dataRva = load32(&data[kDataEntryRva]);
    const std::uint32_t dataSize = load32(&data[kDataEntrySize]);
    Mapped where{};
    if (dataSize == 0)
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    if (!mapRva(sections, dataRva, where) || dataSize > where.available || where.offset > source.size() ||
        dataSize > source.size() - where.offset)
        return ERROR_BAD_FORMAT;
    span = {where.offset, dataSize};
    return ERROR_SUCCESS;
}
} // namespace

bool looksLikePe(ByteSource& source)
{
    std::uint8_t mz[2];
    return source.size() >= 2 && source.read(0, mz, 2) == ERROR_SUCCESS && mz[0] == 'M' && mz[1] == 'Z';
}

DWORD findPeVersionResource(ByteSource& source, ResourceSpan& span)
{
    std::uint64_t peAt = 0;
    if (DWORD e = findPeHeader(source, peAt))
        return e;
    NtHeaders nt;
    if (DWORD e = readNtHeaders(source, peAt, nt))
        return e;
    std::uint32_t resourceRva = 0;
    if (DWORD e = readResourceDirectoryRva(nt, resourceRva))
        return e;
    std::vector<Section> sections;
    if (DWORD e = readSectionTable(source, peAt, nt, sections))
        return e;

    Mapped base{};
    if (!mapRva(sections, resourceRva, base))
        return ERROR_RESOURCE_DATA_NOT_FOUND;
    if (base.offset >= source.size())
        return ERROR_BAD_FORMAT;
    base.available = std::min(base.available, source.size() - base.offset);
    ResourceTree tree(source, base);
    std::uint32_t dataEntry = 0;
    if (DWORD e = findVersionDataEntry(tree, dataEntry))
        return e;
    return readDataEntry(source, tree, sections, dataEntry, span);
}

} // namespace wincompat::version
