#pragma once
// Where the version reader takes its bytes from: an open file read at offsets (so that only the
// headers and the resource are read, never the whole file) or a buffer (the fuzz target).
#include "platform/wintypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace wincompat::version {

class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t size() const = 0;
    // Reads exactly n bytes at offset. On failure returns the Windows error code; a range beyond
    // the end is ERROR_BAD_FORMAT (the headers promised bytes that are not there).
    virtual DWORD read(std::uint64_t offset, void* out, std::size_t n) = 0;
};

class MemorySource : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint64_t size() const override { return size_; }
    DWORD read(std::uint64_t offset, void* out, std::size_t n) override;

private:
    const std::uint8_t* data_;
    std::size_t size_;
};

// Little-endian loads; the formats read here are little-endian whatever the host.
inline std::uint16_t load16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t load32(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
}
inline std::uint64_t load64(const std::uint8_t* p)
{
    return load32(p) | (std::uint64_t{load32(p + 4)} << 32);
}

// Where a version resource lies in its file.
struct ResourceSpan {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
};

} // namespace wincompat::version
