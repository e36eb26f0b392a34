// The committed pictures, as the program loads them.
#include "ArtworkTestSupport.h"

#include "Bitmap16Writer.h"
#include "framework/pictures/Bitmap16.h"
#include "framework/pictures/JpegImage.h"

#include <gtest/gtest.h>

namespace {

constexpr QRgb kTransparent = 0xFF808000;

struct GlyphStrip {
    const char* name;
    int cellSize;
    int cells;
};

void PrintTo(const GlyphStrip& s, std::ostream* os)
{
    *os << s.name;
}

class GlyphStripTest : public ::testing::TestWithParam<GlyphStrip> {};

TEST_P(GlyphStripTest, IsA16ColourStripOfCellsWithTheTransparentColourBottomLeft)
{
    const GlyphStrip s = GetParam();
    const QByteArray bytes = resourceBytes(s.name);
    ASSERT_FALSE(bytes.isEmpty()) << "not in the resources";
    ASSERT_GE(bytes.size(), 30);
    EXPECT_EQ(bytes[28], 4) << "bits per pixel";

    const QImage strip = Bitmap16::decode(bytes);
    ASSERT_FALSE(strip.isNull());
    EXPECT_EQ(strip.width(), s.cellSize * s.cells);
    EXPECT_EQ(strip.height(), s.cellSize);
    EXPECT_EQ(strip.pixel(0, strip.height() - 1), kTransparent);

    const QList<QRgb>& vga = Bitmap16Writer::vgaPalette();
    for (QRgb c : coloursIn(strip))
        EXPECT_TRUE(vga.contains(c)) << std::hex << c << " is not a VGA colour";

    for (int cell = 0; cell < s.cells; ++cell) {
        const QImage image = strip.copy(cell * s.cellSize, 0, s.cellSize, s.cellSize);
        const QList<QRgb> colours = coloursIn(image);
        EXPECT_GE(colours.size(), 2) << "cell " << cell << " is blank";
        // The button draws the disabled state from the second cell: grey with a white highlight.
        if (cell == 1) {
            for (QRgb c : colours)
                EXPECT_TRUE(c == kTransparent || c == 0xFF808080 || c == 0xFFFFFFFF)
                    << "disabled cell uses " << std::hex << c;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Glyphs, GlyphStripTest,
                         ::testing::Values(GlyphStrip{"glyph-update.bmp", 18, 2}, GlyphStrip{"glyph-help.bmp", 16, 2},
                                           GlyphStrip{"glyph-about.bmp", 18, 1},
                                           GlyphStrip{"glyph-exit.bmp", 18, 2}),
                         [](const auto& info) {
                             QString name = QString(info.param.name).section('.', 0, 0);
                             return name.replace('-', '_').toStdString();
                         });

bool isBlueish(QRgb c)
{
    return qBlue(c) > 120 && qBlue(c) > qRed(c) + 40;
}

TEST(Logo, IsABaseline125PixelJpegWhoseVisibleBandShowsTheMotif)
{
    const QByteArray bytes = resourceBytes("logo.jpg");
    ASSERT_FALSE(bytes.isEmpty());
    // Start-of-frame 0 (baseline), not progressive: every JPEG reader manages it.
    EXPECT_TRUE(bytes.contains(QByteArray("\xFF\xC0", 2)));
    EXPECT_FALSE(bytes.contains(QByteArray("\xFF\xC2", 2)));

    const QImage logo = JpegImage::decode(bytes);
    ASSERT_FALSE(logo.isNull());
    EXPECT_EQ(logo.size(), QSize(125, 125));
    EXPECT_EQ(logo.format(), QImage::Format_RGB32);
    for (QPoint corner : {QPoint(0, 0), QPoint(124, 0), QPoint(0, 124), QPoint(124, 124)}) {
        const QRgb c = logo.pixel(corner);
        EXPECT_GT(qRed(c) + qGreen(c) + qBlue(c), 3 * 245) << "corner " << corner.x() << "," << corner.y();
    }

    // The header panel shows rows 21 to 55 only; that band must carry a fair share of the picture,
    // on both sides of the globe's axis.
    int left = 0, right = 0;
    for (int y = 21; y <= 55; ++y)
        for (int x = 0; x < 125; ++x)
            if (isBlueish(logo.pixel(x, y)))
                ++(x < 62 ? left : right);
    EXPECT_GT(left, 35 * 62 / 4);
    EXPECT_GT(right, 35 * 62 / 4);
}

TEST(AppIcon, HasTransparentCornersAndAnOpaqueMiddle)
{
    for (auto [name, size] : {std::pair{"app-icon.png", 48}, std::pair{"app-icon-32.png", 32}}) {
        const QImage icon(resourcePath(name));
        ASSERT_FALSE(icon.isNull()) << name;
        EXPECT_EQ(icon.size(), QSize(size, size)) << name;
        EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0) << name;
        EXPECT_EQ(qAlpha(icon.pixel(size / 2, size / 2)), 255) << name;
    }
}

TEST(AppIcon, WindowsIconHoldsThe16To48PixelImages)
{
    const QImage ico(resourcePath("app-icon.ico"), "ICO");
    ASSERT_FALSE(ico.isNull());
    EXPECT_EQ(qAlpha(ico.pixel(0, 0)), 0);
    const QByteArray bytes = resourceBytes("app-icon.ico");
    ASSERT_GE(bytes.size(), 6);
    EXPECT_EQ(bytes[4], 3) << "image count";
}

// The program finds its pictures by these names.
TEST(Resources, EveryPictureIsCompiledIn)
{
    const QByteArray qrc = resourceBytes("resources.qrc");
    for (const char* name : {"logo.jpg", "glyph-update.bmp", "glyph-help.bmp", "glyph-about.bmp", "glyph-exit.bmp",
                             "app-icon.png", "app-icon-32.png"}) {
        EXPECT_TRUE(qrc.contains(QByteArray("alias=\"") + name + "\">" + name + "<")) << name;
        EXPECT_FALSE(resourceBytes(name).isEmpty()) << name;
    }
}

} // namespace
