// The 16-colour bitmap reader, against the writer that makes the glyph strips and against damage.
#include "ArtworkTestSupport.h"

#include "Bitmap16Writer.h"
#include "framework/pictures/Bitmap16.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <string>

namespace {

QImage randomIndexed(int width, int height, QRandomGenerator& random)
{
    QImage image(width, height, QImage::Format_Indexed8);
    image.setColorTable(Bitmap16Writer::vgaPalette());
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.bounded(16));
    return image;
}

void put32(QByteArray& bytes, int at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = char((v >> (8 * i)) & 0xFF);
}

void put16(QByteArray& bytes, int at, std::uint32_t v)
{
    bytes[at] = char(v & 0xFF);
    bytes[at + 1] = char((v >> 8) & 0xFF);
}

void expectSamePixels(const QImage& actual, const QImage& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (int y = 0; y < expected.height(); ++y)
        for (int x = 0; x < expected.width(); ++x)
            ASSERT_EQ(actual.pixel(x, y), expected.pixel(x, y)) << "at " << x << "," << y;
}

TEST(Bitmap16, RoundTripsEveryRowPaddingAndKeepsThePalette)
{
    QRandomGenerator random(1234);
    // Widths 1 to 9 give every padding of a 4-bit row, odd widths a half-used last byte.
    for (int width = 1; width <= 9; ++width) {
        for (int height : {1, 2, 18}) {
            const QImage original = randomIndexed(width, height, random);
            const QByteArray bytes = Bitmap16Writer::encode(original);
            ASSERT_EQ(bytes.size(), 14 + 40 + 64 + (width * 4 + 31) / 32 * 4 * height);
            const QImage decoded = Bitmap16::decode(bytes);
            ASSERT_FALSE(decoded.isNull()) << width << "x" << height;
            EXPECT_EQ(decoded.format(), QImage::Format_Indexed8);
            EXPECT_EQ(decoded.colorTable(), Bitmap16Writer::vgaPalette());
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    ASSERT_EQ(decoded.pixelIndex(x, y), original.pixelIndex(x, y))
                        << width << "x" << height << " at " << x << "," << y;
        }
    }
}

TEST(Bitmap16, ReadsTopDownRowsAndShortColourTables)
{
    QRandomGenerator random(99);
    const QImage original = randomIndexed(5, 4, random);

    QByteArray topDown = Bitmap16Writer::encode(original.mirrored(false, true));
    put32(topDown, 22, std::uint32_t(-4));
    expectSamePixels(Bitmap16::decode(topDown), original);

    // Two colours in the table, and every pixel within them.
    QImage twoColour(3, 2, QImage::Format_Indexed8);
    twoColour.setColorTable({qRgb(1, 2, 3), qRgb(200, 100, 50)});
    twoColour.fill(1);
    twoColour.setPixel(1, 1, 0);
    QByteArray bytes = Bitmap16Writer::encode(twoColour);
    put32(bytes, 46, 2);
    const QImage decoded = Bitmap16::decode(bytes);
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.colorCount(), 2);
    EXPECT_EQ(decoded.pixel(1, 1), qRgb(1, 2, 3));
    EXPECT_EQ(decoded.pixel(0, 0), qRgb(200, 100, 50));
}

TEST(Bitmap16, RefusesEveryTruncation)
{
    QRandomGenerator random(7);
    const QByteArray bytes = Bitmap16Writer::encode(randomIndexed(7, 5, random));
    ASSERT_FALSE(Bitmap16::decode(bytes).isNull());
    for (qsizetype length = 0; length < bytes.size(); ++length)
        EXPECT_TRUE(Bitmap16::decode(bytes.left(length)).isNull()) << "cut at " << length;
}

struct Damage {
    const char* what;
    int offset;
    int width; // 2 or 4 bytes
    std::uint32_t value;
};

void PrintTo(const Damage& d, std::ostream* os)
{
    *os << d.what;
}

class Bitmap16DamageTest : public ::testing::TestWithParam<Damage> {};

TEST_P(Bitmap16DamageTest, GivesANullImage)
{
    QRandomGenerator random(5);
    QByteArray bytes = Bitmap16Writer::encode(randomIndexed(6, 3, random));
    const Damage d = GetParam();
    if (d.width == 2)
        put16(bytes, d.offset, d.value);
    else
        put32(bytes, d.offset, d.value);
    EXPECT_TRUE(Bitmap16::decode(bytes).isNull());
}

INSTANTIATE_TEST_SUITE_P(
    Headers, Bitmap16DamageTest,
    ::testing::Values(Damage{"signature", 0, 2, 0x4142}, Damage{"pixels past the end", 10, 4, 0x100},
                      Damage{"pixels at 4 GiB", 10, 4, 0xFFFFFFFF}, Damage{"pixels inside the palette", 10, 4, 60},
                      Damage{"header too small", 14, 4, 12}, Damage{"header past the end", 14, 4, 0x7FFFFFFF},
                      Damage{"zero width", 18, 4, 0}, Damage{"negative width", 18, 4, 0xFFFFFFFA},
                      Damage{"enormous width", 18, 4, 0x7FFFFFFF}, Damage{"zero height", 22, 4, 0},
                      Damage{"most negative height", 22, 4, 0x80000000}, Damage{"two planes", 26, 2, 2},
                      Damage{"24 bits", 28, 2, 24}, Damage{"no bits", 28, 2, 0},
                      Damage{"run-length compressed", 30, 4, 2}, Damage{"17 colours", 46, 4, 17},
                      Damage{"4 billion colours", 46, 4, 0xFFFFFFFF}, Damage{"index beyond one colour", 46, 4, 1}),
    [](const auto& info) {
        std::string name;
        for (const char* c = info.param.what; *c; ++c)
            name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
        return name;
    });

TEST(Bitmap16, SurvivesRandomDamage)
{
    // Not a substitute for a fuzzer: a quick sweep that also runs under the sanitizers in CI.
    QRandomGenerator random(2024);
    const QByteArray good = resourceBytes("glyph-update.bmp");
    ASSERT_FALSE(good.isEmpty());
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + random.bounded(4);
        for (int i = 0; i < flips; ++i)
            bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        const QImage image = Bitmap16::decode(bytes.left(random.bounded(int(bytes.size()) + 1)));
        if (!image.isNull()) {
            EXPECT_LE(qint64(image.width()) * image.height(), qint64(bytes.size()) * 2);
        }
    }
}

TEST(Bitmap16, LoadOfAMissingFileIsNull)
{
    EXPECT_TRUE(Bitmap16::load("/nonexistent/glyph.bmp").isNull());
}

} // namespace
