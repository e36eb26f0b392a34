#include "PeWriter.h"

#include <cstring>
#include <fstream>
#include <stdexcept>

namespace verwriter {
namespace {
constexpr std::uint32_t fileAlignment = 0x200;
constexpr std::uint32_t sectionAlignment = 0x1000;
constexpr std::uint32_t firstSectionRva = 0x1000;

std::uint64_t alignUp(std::uint64_t v, std::uint64_t a)
{
    return (v + a - 1) / a * a;
}

void put16(Bytes& out, std::size_t at, std::uint16_t v)
{
    out[at] = static_cast<std::uint8_t>(v);
    out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void put32(Bytes& out, std::size_t at, std::uint32_t v)
{
    put16(out, at, static_cast<std::uint16_t>(v));
    put16(out, at + 2, static_cast<std::uint16_t>(v >> 16));
}

void put64(Bytes& out, std::size_t at, std::uint64_t v)
{
    put32(out, at, static_cast<std::uint32_t>(v));
    put32(out, at + 4, static_cast<std::uint32_t>(v >> 32));
}

// Three directory levels (type, name, language), one entry each, then the data entry, the
// optional name string and the data itself, at offsets relative to the section start.
Bytes resourceSection(const Bytes& data, const PeOptions& o, std::uint32_t sectionRva)
{
    constexpr std::size_t dirSize = 16 + 8;
    const std::size_t typeDir = 0, nameDir = dirSize, langDir = 2 * dirSize, dataEntry = 3 * dirSize;
    std::size_t nameString = dataEntry + 16;
    std::size_t dataAt = alignUp(nameString + (o.resourceName.empty() ? 0 : 2 + 2 * o.resourceName.size()), 8);
    Bytes s(dataAt + data.size(), 0);
    auto directory = [&](std::size_t at, bool named, std::uint32_t id, std::uint32_t target) {
        put16(s, at + 12, named ? 1 : 0);
        put16(s, at + 14, named ? 0 : 1);
        put32(s, at + 16, id);
        put32(s, at + 20, target);
    };
    directory(typeDir, false, o.resourceType, 0x80000000u | nameDir);
    if (o.resourceName.empty()) {
        directory(nameDir, false, o.resourceId, 0x80000000u | langDir);
    } else {
        directory(nameDir, true, 0x80000000u | static_cast<std::uint32_t>(nameString), 0x80000000u | langDir);
        put16(s, nameString, static_cast<std::uint16_t>(o.resourceName.size()));
        for (std::size_t i = 0; i < o.resourceName.size(); ++i)
            put16(s, nameString + 2 + 2 * i, o.resourceName[i]);
    }
    directory(langDir, false, o.language, static_cast<std::uint32_t>(dataEntry));
    put32(s, dataEntry, static_cast<std::uint32_t>(sectionRva + dataAt));
    put32(s, dataEntry + 4, static_cast<std::uint32_t>(data.size()));
    put32(s, dataEntry + 8, 0);
    std::memcpy(s.data() + dataAt, data.data(), data.size());
    return s;
}
} // namespace

PeImage buildPe(const Bytes& resourceData, const PeOptions& o)
{
    const std::uint64_t offset = o.sectionOffset ? alignUp(o.sectionOffset, fileAlignment) : fileAlignment;
    // Bytes between the headers and a far resource section belong to a data section of their
    // own, as in a real program, so that every byte of the file is accounted for.
    const std::uint64_t gap = offset - fileAlignment;
    if (gap > 0xC0000000ull)
        throw std::out_of_range("section offset beyond what PE can address");
    const std::uint32_t sectionRva = firstSectionRva + static_cast<std::uint32_t>(alignUp(gap, sectionAlignment));
    Bytes section = resourceSection(resourceData, o, sectionRva);
    const std::uint32_t rawSize = static_cast<std::uint32_t>(alignUp(section.size(), fileAlignment));
    section.resize(rawSize, 0);
    const std::uint16_t sectionCount = gap ? 2 : 1;

    const std::size_t peAt = 0x40, coffAt = peAt + 4, optAt = coffAt + 20;
    const std::uint16_t optSize = o.pe32plus ? 240 : 224;
    const std::size_t sectAt = optAt + optSize;
    Bytes h(fileAlignment, 0);
    h[0] = 'M';
    h[1] = 'Z';
    put32(h, 0x3C, static_cast<std::uint32_t>(peAt));
    std::memcpy(h.data() + peAt, "PE\0\0", 4);
    put16(h, coffAt, o.pe32plus ? 0x8664 : 0x014C);
    put16(h, coffAt + 2, sectionCount);
    put16(h, coffAt + 16, optSize);
    put16(h, coffAt + 18, o.pe32plus ? 0x0022 : 0x0102);

    const std::uint32_t imageSize = sectionRva + static_cast<std::uint32_t>(alignUp(section.size(), sectionAlignment));
    put16(h, optAt, o.pe32plus ? 0x20B : 0x10B);
    h[optAt + 2] = 2;                                               // linker version
    put32(h, optAt + 8, static_cast<std::uint32_t>(rawSize + gap)); // SizeOfInitializedData
    put32(h, optAt + 20, firstSectionRva);                          // BaseOfCode
    std::size_t dirs;
    if (o.pe32plus) {
        put64(h, optAt + 24, 0x140000000ull);
    } else {
        put32(h, optAt + 24, firstSectionRva); // BaseOfData
        put32(h, optAt + 28, 0x400000);
    }
    put32(h, optAt + 32, sectionAlignment);
    put32(h, optAt + 36, fileAlignment);
    put16(h, optAt + 40, o.pe32plus ? 6 : 4); // OS version
    put16(h, optAt + 48, o.pe32plus ? 6 : 4); // subsystem version
    put32(h, optAt + 56, imageSize);
    put32(h, optAt + 60, fileAlignment); // SizeOfHeaders
    put16(h, optAt + 68, 2);             // Windows GUI
    if (o.pe32plus) {
        put64(h, optAt + 72, 0x100000);
        put64(h, optAt + 80, 0x1000);
        put64(h, optAt + 88, 0x100000);
        put64(h, optAt + 96, 0x1000);
        put32(h, optAt + 108, 16);
        dirs = optAt + 112;
    } else {
        put32(h, optAt + 72, 0x100000);
        put32(h, optAt + 76, 0x1000);
        put32(h, optAt + 80, 0x100000);
        put32(h, optAt + 84, 0x1000);
        put32(h, optAt + 92, 16);
        dirs = optAt + 96;
    }
    put32(h, dirs + 2 * 8, sectionRva); // IMAGE_DIRECTORY_ENTRY_RESOURCE
    put32(h, dirs + 2 * 8 + 4, static_cast<std::uint32_t>(section.size()));

    std::size_t header = sectAt;
    if (gap) {
        std::memcpy(h.data() + header, ".data", 5);
        put32(h, header + 8, static_cast<std::uint32_t>(gap));
        put32(h, header + 12, firstSectionRva);
        put32(h, header + 16, static_cast<std::uint32_t>(gap));
        put32(h, header + 20, fileAlignment);
        put32(h, header + 36, 0xC0000040); // initialised data, readable, writable
        header += 40;
    }
    std::memcpy(h.data() + header, ".rsrc", 5);
    put32(h, header + 8, static_cast<std::uint32_t>(section.size()));
    put32(h, header + 12, sectionRva);
    put32(h, header + 16, rawSize);
    put32(h, header + 20, static_cast<std::uint32_t>(offset));
    put32(h, header + 36, 0x40000040); // initialised data, readable
    return PeImage{std::move(h), offset, std::move(section)};
}

Bytes PeImage::flatten() const
{
    Bytes out(sectionOffset + section.size(), 0);
    std::memcpy(out.data(), headers.data(), headers.size());
    std::memcpy(out.data() + sectionOffset, section.data(), section.size());
    return out;
}

bool writePe(const std::string& path, const PeImage& image, std::string* error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(image.headers.data()), static_cast<std::streamsize>(image.headers.size()));
    out.seekp(static_cast<std::streamoff>(image.sectionOffset));
    out.write(reinterpret_cast<const char*>(image.section.data()), static_cast<std::streamsize>(image.section.size()));
    out.close();
    if (!out) {
        if (error)
            *error = "cannot write " + path;
        return false;
    }
    return true;
}

bool writeBytes(const std::string& path, const Bytes& bytes, std::string* error)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        if (error)
            *error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace verwriter
