#include "platform/version/version_block.h"

#include "platform/base/case_fold.h"
#include "platform/version/elf_image.h"
#include "platform/version/pe_image.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace wincompat::version {
namespace {
constexpr std::size_t maxBlock = 0xFFFF;
constexpr std::size_t headerSize = 6;

std::size_t align4(std::size_t v)
{
    return (v + 3) & ~std::size_t{3};
}

// One node of the tree: header, key, value, children, all inside [start, end).
struct Node {
    std::size_t start = 0;
    std::size_t end = 0;
    std::size_t keyStart = 0;
    std::size_t keyUnits = 0;
    std::size_t valueStart = 0;
    std::size_t valueBytes = 0;
    std::size_t childrenStart = 0;
    std::uint16_t valueLength = 0;
    std::uint16_t type = 0;
};

// Parses the node at offset within [.., limit). False ends the walk: no room for a header, a
// length of 0 (which would never advance), or a key without its NUL.
bool parseNode(const std::uint8_t* b, std::size_t offset, std::size_t limit, Node& n)
{
    if (offset >= limit || limit - offset < headerSize)
        return false;
    const std::size_t length = load16(b + offset);
    if (length < headerSize)
        return false;
    n.start = offset;
    n.end = std::min(limit, offset + length);
    n.valueLength = load16(b + offset + 2);
    n.type = load16(b + offset + 4);
    n.keyStart = offset + headerSize;
    std::size_t k = n.keyStart;
    while (k + 2 <= n.end && load16(b + k) != 0)
        k += 2;
    if (k + 2 > n.end)
        return false;
    n.keyUnits = (k - n.keyStart) / 2;
    n.valueStart = std::min(align4(k + 2), n.end);
    const std::size_t claimed = n.type == 1 ? std::size_t{n.valueLength} * 2 : n.valueLength;
    n.valueBytes = std::min(claimed, n.end - n.valueStart);
    n.childrenStart = std::min(align4(n.valueStart + n.valueBytes), n.end);
    return true;
}

// Each sibling starts at least 8 bytes after the one before, so the walk always ends.
template <typename Visit> void forEachChild(const std::uint8_t* b, const Node& parent, Visit visit)
{
    Node child;
    for (std::size_t at = parent.childrenStart; parseNode(b, at, parent.end, child); at = align4(child.end)) {
        if (!visit(child))
            return;
    }
}

bool keyEquals(const std::uint8_t* b, const Node& n, const std::u16string& key)
{
    if (n.keyUnits != key.size())
        return false;
    for (std::size_t i = 0; i < key.size(); ++i)
        if (upperCaseUnit(load16(b + n.keyStart + 2 * i)) != upperCaseUnit(key[i]))
            return false;
    return true;
}

// Path components are ANSI (UTF-8); compared with keys as UTF-16.
std::u16string fromUtf8(const char* s, std::size_t n)
{
    std::u16string out;
    std::size_t i = 0;
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto cont = [&](std::size_t k) { return i + k < n && (byte(i + k) & 0xC0) == 0x80; };
    while (i < n) {
        const unsigned char c = byte(i);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if (c >= 0xC2 && c < 0xE0 && cont(1)) {
            cp = ((c & 0x1Fu) << 6) | (byte(i + 1) & 0x3Fu);
            len = 2;
        } else if (c >= 0xE0 && c < 0xF0 && cont(1) && cont(2)) {
            cp = ((c & 0x0Fu) << 12) | ((byte(i + 1) & 0x3Fu) << 6) | (byte(i + 2) & 0x3Fu);
            len = 3;
            if (cp < 0x800 || (cp >= 0xD800 && cp < 0xE000))
                cp = 0xFFFD;
        } else if (c >= 0xF0 && c < 0xF5 && cont(1) && cont(2) && cont(3)) {
            cp = ((c & 0x07u) << 18) | ((byte(i + 1) & 0x3Fu) << 12) | ((byte(i + 2) & 0x3Fu) << 6) |
                 (byte(i + 3) & 0x3Fu);
            len = 4;
            if (cp < 0x10000 || cp > 0x10FFFF)
                cp = 0xFFFD;
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::size_t resourceLength(const Bytes& resource)
{
    if (resource.size() < headerSize)
        return 0;
    const std::size_t claimed = load16(resource.data());
    if (claimed < headerSize)
        return 0;
    return std::min(claimed, resource.size());
}

std::size_t ansiOffset(std::size_t rootLength, std::size_t valueStart)
{
    return align4(rootLength) + valueStart / 2 * 3;
}

const std::u16string stringFileInfo = u"StringFileInfo";
} // namespace

DWORD MemorySource::read(std::uint64_t offset, void* out, std::size_t n)
{
    if (offset > size_ || n > size_ - offset)
        return ERROR_BAD_FORMAT;
    if (n != 0)
        std::memcpy(out, data_ + offset, n);
    return ERROR_SUCCESS;
}

std::size_t utf16ToUtf8(const std::uint8_t* units, std::size_t count, char* out)
{
    std::size_t o = 0;
    for (std::size_t i = 0; i < count; ++i) {
        char32_t c = load16(units + 2 * i);
        if (c == 0)
            break;
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < count) {
            const char32_t low = load16(units + 2 * (i + 1));
            if (low >= 0xDC00 && low < 0xE000) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (c >= 0xD800 && c < 0xE000)
            c = 0xFFFD;
        if (c < 0x80) {
            out[o++] = static_cast<char>(c);
        } else if (c < 0x800) {
            out[o++] = static_cast<char>(0xC0 | (c >> 6));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out[o++] = static_cast<char>(0xE0 | (c >> 12));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out[o++] = static_cast<char>(0xF0 | (c >> 18));
            out[o++] = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out[o++] = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out[o++] = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    out[o] = '\0';
    return o;
}

DWORD readVersionResource(ByteSource& source, Bytes& resource)
{
    ResourceSpan span;
    DWORD error;
    if (looksLikePe(source))
        error = findPeVersionResource(source, span);
    else if (looksLikeElf(source))
        error = findElfVersionSection(source, span);
    else
        error = ERROR_BAD_FORMAT;
    if (error != ERROR_SUCCESS)
        return error;
    resource.resize(std::min<std::size_t>(span.size, maxBlock));
    if (DWORD e = source.read(span.offset, resource.data(), resource.size()))
        return e;
    if (resourceLength(resource) == 0)
        return ERROR_INVALID_DATA;
    return ERROR_SUCCESS;
}

DWORD versionBlockSize(const Bytes& resource)
{
    const std::size_t r = resourceLength(resource);
    if (r == 0)
        return 0;
    return static_cast<DWORD>(align4(r) + align4(r) / 2 * 3 + 4);
}

void fillVersionBlock(const Bytes& resource, std::uint8_t* block)
{
    const std::size_t r = resourceLength(resource);
    const std::size_t total = versionBlockSize(resource);
    std::memcpy(block, resource.data(), r);
    std::memset(block + r, 0, total - r);
    block[0] = static_cast<std::uint8_t>(r);
    block[1] = static_cast<std::uint8_t>(r >> 8);

    // Every string value (root \ StringFileInfo \ table \ key) gets its UTF-8 copy now, so that
    // the lookup only ever reads the block.
    Node root;
    if (!parseNode(block, 0, r, root))
        return;
    forEachChild(block, root, [&](const Node& info) {
        if (keyEquals(block, info, stringFileInfo)) {
            forEachChild(block, info, [&](const Node& table) {
                forEachChild(block, table, [&](const Node& value) {
                    utf16ToUtf8(block + value.valueStart, (value.end - value.valueStart) / 2,
                                reinterpret_cast<char*>(block + ansiOffset(r, value.valueStart)));
                    return true;
                });
                return true;
            });
        }
        return true;
    });
}

bool queryVersionBlock(const std::uint8_t* block, const char* path, const void** value, UINT* length)
{
    const std::size_t r = load16(block);
    Node node;
    if (!parseNode(block, 0, r, node))
        return false;
    std::size_t depth = 0;
    bool underStrings = false;
    for (const char* p = path; *p != '\0';) {
        if (*p == '\\') {
            ++p;
            continue;
        }
        const char* stop = std::strchr(p, '\\');
        const std::size_t n = stop ? static_cast<std::size_t>(stop - p) : std::strlen(p);
        const std::u16string key = fromUtf8(p, n);
        p += n;
        bool found = false;
        Node match;
        forEachChild(block, node, [&](const Node& child) {
            found = keyEquals(block, child, key);
            if (found)
                match = child;
            return !found;
        });
        if (!found)
            return false;
        if (depth == 0)
            underStrings = keyEquals(block, match, stringFileInfo);
        node = match;
        ++depth;
    }
    if (underStrings && depth == 3) {
        const char* text = reinterpret_cast<const char*>(block + ansiOffset(r, node.valueStart));
        *value = text;
        if (length)
            *length = static_cast<UINT>(std::strlen(text) + 1);
        return true;
    }
    *value = block + node.valueStart;
    if (length)
        *length = static_cast<UINT>(node.type == 1 ? node.valueBytes / 2 : node.valueBytes);
    return true;
}

} // namespace wincompat::version
