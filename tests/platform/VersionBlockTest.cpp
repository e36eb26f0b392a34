// The version block: key matching at the ends of the folded ranges, path names in every UTF-8
// length, the UTF-8 copies of values at every encoding boundary, and the lengths handed out.
#include "PlatformTestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>

using namespace platform_test;
using namespace wincompat::version;
using verwriter::VersionInfo;

namespace {
VersionInfo withStrings(const std::vector<std::pair<std::string, std::string>>& strings)
{
    return verwriter::simpleVersionInfo({1, 0, 0, 0}, strings);
}

// The block for a resource, and lookups in it with their lengths.
class Block {
public:
    explicit Block(const Bytes& resource) : bytes_(versionBlockSize(resource))
    {
        fillVersionBlock(resource, bytes_.data());
    }
    explicit Block(const VersionInfo& info) : Block(verwriter::buildVersionBlock(info)) {}

    std::optional<std::pair<std::string, UINT>> query(const std::string& path) const
    {
        const void* value = nullptr;
        UINT length = 0;
        if (!queryVersionBlock(bytes_.data(), path.c_str(), &value, &length))
            return std::nullopt;
        return std::make_pair(std::string(static_cast<const char*>(value)), length);
    }
    std::optional<std::string> text(const std::string& key) const
    {
        auto v = query("\\StringFileInfo\\040904E4\\" + key);
        if (!v)
            return std::nullopt;
        EXPECT_EQ(v->second, v->first.size() + 1) << key;
        return v->first;
    }
    UINT length(const std::string& path) const
    {
        auto v = query(path);
        return v ? v->second : 0xFFFFFFFFu;
    }
    std::size_t size() const { return bytes_.size(); }

private:
    Bytes bytes_;
};

// ProductName "Tallyrune" with a string of no value at all in front of it.
Bytes withBareString()
{
    verwriter::VersionNode root = verwriter::toNode(withStrings({{"ProductName", "Tallyrune"}}));
    auto& strings = root.children.at(0).children.at(0).children;
    strings.insert(strings.begin(), verwriter::VersionNode{u"Bare", 1, {}, 0, {}});
    return verwriter::encode(root);
}

// Where text (as UTF-16) first stands in the resource.
std::size_t offsetOf(const Bytes& resource, const std::u16string& text)
{
    Bytes units(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i)
        put16(units, 2 * i, text[i]);
    const auto at = std::search(resource.begin(), resource.end(), units.begin(), units.end());
    EXPECT_NE(at, resource.end());
    return static_cast<std::size_t>(at - resource.begin());
}

std::string utf8Of(std::u16string units)
{
    units.push_back(0);
    Bytes raw(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i)
        put16(raw, 2 * i, units[i]);
    std::string out(units.size() * 3 + 1, '\0');
    out.resize(utf16ToUtf8(raw.data(), units.size(), out.data()));
    return out;
}
} // namespace

TEST(VersionKeys, LettersFoldAtBothEndsOfTheirRangesAndNothingElseFolds)
{
    const Block block(withStrings({{"az", "ascii"}, {"\xC3\xA0\xC3\xBE", "latin"}, {"\xC3\xB7", "division"},
                                   {"\xC3\xBF", "y diaeresis"}, {"{", "brace"}}));
    EXPECT_EQ(block.text("AZ"), "ascii");
    EXPECT_EQ(block.text("aZ"), "ascii");
    EXPECT_EQ(block.text("\xC3\x80\xC3\x9E"), "latin"); // upper-case a grave, thorn
    EXPECT_EQ(block.text("\xC3\xA0\xC3\x9E"), "latin");
    EXPECT_EQ(block.text("\xC3\x80\xC3\xBE"), "latin");
    EXPECT_EQ(block.text("\xC3\x97"), std::nullopt); // the multiplication sign is not an upper-case division sign
    EXPECT_EQ(block.text("\xC3\xB7"), "division");
    EXPECT_EQ(block.text("\xC3\x9F"), std::nullopt); // sharp s is not an upper-case y diaeresis
    EXPECT_EQ(block.text("["), std::nullopt);
    EXPECT_EQ(block.text("a"), std::nullopt);
    EXPECT_EQ(block.text("azz"), std::nullopt);
}

TEST(VersionKeys, PathNamesMatchInEveryUtf8LengthButNotOverlong)
{
    const Block block(withStrings({{"A", "plain"}, {"\xC3\xA9t\xC3\xA9", "two"}, {"\xE2\x82\xAC", "three"},
                                   {"\xF0\x9F\x98\x80", "four"}, {"\xF0\x9F\x98\x81", "other"}}));
    EXPECT_EQ(block.text("\xC3\x89T\xC3\x89"), "two");
    EXPECT_EQ(block.text("\xE2\x82\xAC"), "three");
    EXPECT_EQ(block.text("\xF0\x9F\x98\x80"), "four");
    EXPECT_EQ(block.text("\xF0\x9F\x98\x81"), "other");
    // Overlong spellings of "A" are not "A".
    EXPECT_EQ(block.text("\xC1\x81"), std::nullopt);
    EXPECT_EQ(block.text("\xE0\x81\x81"), std::nullopt);
    EXPECT_EQ(block.text("\xF0\x80\x81\x81"), std::nullopt);
}

TEST(VersionValues, Utf8CopiesAreRightAtEveryEncodingBoundary)
{
    EXPECT_EQ(utf8Of(u"\u007F"), "\x7F");
    EXPECT_EQ(utf8Of(u"\u0080"), "\xC2\x80");
    EXPECT_EQ(utf8Of(u"\u07FF"), "\xDF\xBF");
    EXPECT_EQ(utf8Of(u"\u0800"), "\xE0\xA0\x80");
    EXPECT_EQ(utf8Of(u"\uFFFF"), "\xEF\xBF\xBF");
    EXPECT_EQ(utf8Of(u"\U00010000"), "\xF0\x90\x80\x80");
    EXPECT_EQ(utf8Of(u"\U0010FFFF"), "\xF4\x8F\xBF\xBF");
    // Surrogates that do not pair up stand for U+FFFD each.
    EXPECT_EQ(utf8Of(std::u16string{0xD800, 0xE000}), "\xEF\xBF\xBD\xEE\x80\x80");
    EXPECT_EQ(utf8Of(std::u16string{0xDC00, 0xD800}), "\xEF\xBF\xBD\xEF\xBF\xBD");
    // A pair split by the end of the value is not joined with what lies beyond.
    Bytes raw(4);
    put16(raw, 0, 0xD83D);
    put16(raw, 2, 0xDE00);
    char out[8] = {};
    EXPECT_EQ(utf16ToUtf8(raw.data(), 1, out), 3u);
    EXPECT_STREQ(out, "\xEF\xBF\xBD");

    const Block block(withStrings({{"Mixed", "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF0\x90\x80\x80"}}));
    EXPECT_EQ(block.text("Mixed"), "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xF0\x90\x80\x80");
}

TEST(VersionValues, LengthsCountWhatEachKindOfValueHolds)
{
    const Block block(withStrings({{"Comments", ""}, {"ProductName", "Tallyrune"}}));
    EXPECT_EQ(block.length("\\"), 52u);                        // the fixed part, in bytes
    EXPECT_EQ(block.length("\\VarFileInfo\\Translation"), 4u); // one language and code page
    EXPECT_EQ(block.text("ProductName"), "Tallyrune");
    // A string of no characters: its key's NUL ends the node.
    EXPECT_EQ(block.text("Comments"), "");
    // A table and the string group have no value of their own.
    EXPECT_EQ(block.length("\\StringFileInfo\\040904E4"), 0u);
    EXPECT_EQ(block.length("\\StringFileInfo"), 0u);
}

TEST(VersionValues, ARootThatClaimsMoreThanTheResourceIsCutToIt)
{
    const Bytes resource = verwriter::buildVersionBlock(withStrings({{"ProductName", "Tallyrune"}}));
    Bytes claiming = resource;
    put16(claiming, 0, 0xFFF0);
    EXPECT_EQ(versionBlockSize(claiming), versionBlockSize(resource));
    const Block block(claiming);
    EXPECT_EQ(block.text("ProductName"), "Tallyrune");
}

TEST(VersionValues, ANodeThatEndsWithItsKeyIsStillANode)
{
    // No value at all: the key's NUL is the last unit of the node, and a sibling follows.
    const Block block(withBareString());
    EXPECT_EQ(block.text("Bare"), "");
    EXPECT_EQ(block.text("ProductName"), "Tallyrune");
}

TEST(VersionValues, AChildThatClaimsMoreThanItsParentIsCutToIt)
{
    // The string table is made to end in the middle of its last value: the value ends with it,
    // whatever its own length says.
    Bytes resource = verwriter::buildVersionBlock(withStrings({{"ProductName", "Tallyrune"}}));
    const std::size_t table = offsetOf(resource, u"040904E4") - 6, value = offsetOf(resource, u"Tallyrune");
    put16(resource, table, static_cast<std::uint16_t>(value + 2 * 5 - table));
    const Block block(resource);
    EXPECT_EQ(block.text("ProductName"), "Tally");
}

TEST(VersionValues, AKeyThatRunsToTheEndOfItsNodeWithoutItsNulEndsTheWalk)
{
    Bytes resource = withBareString();
    const std::size_t node = offsetOf(resource, std::u16string(u"Bare\0", 5)) - 6;
    ASSERT_EQ(get32(resource, node) & 0xFFFF, 6u + 10u); // the header and "Bare" with its NUL
    put16(resource, node, 6 + 8);                        // the NUL left outside
    const Block block(resource);
    EXPECT_EQ(block.text("Bar"), std::nullopt);
    EXPECT_EQ(block.text("Bare"), std::nullopt);
}

TEST(VersionValues, ATextValueOutsideTheStringTablesCountsItsUnits)
{
    verwriter::VersionNode root = verwriter::toNode(withStrings({{"ProductName", "Tallyrune"}}));
    root.children.at(1).children.push_back(verwriter::VersionNode{u"Note", 1, {'a', 0, 'b', 0, 'c', 0, 0, 0}, {}, {}});
    const Block block(verwriter::encode(root));
    EXPECT_EQ(block.length("\\VarFileInfo\\Note"), 4u); // three characters and the NUL, in UTF-16 units
    EXPECT_EQ(block.length("\\VarFileInfo\\Translation"), 4u);
}
