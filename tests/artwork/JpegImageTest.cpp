// The JPEG decoder: pictures from another encoder, and damage that must not end the program.
#include "ArtworkTestSupport.h"

#include "framework/pictures/JpegImage.h"

#include <QBuffer>
#include <QImageWriter>
#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

QByteArray qtJpeg(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(95);
    EXPECT_TRUE(writer.write(image)) << qPrintable(writer.errorString());
    return bytes;
}

int distance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

TEST(JpegImage, DecodesColourAndGreyPicturesFromAnotherEncoder)
{
    QImage colour(40, 24, QImage::Format_RGB32);
    colour.fill(QColor(20, 60, 200));
    for (int y = 0; y < 24; ++y)
        for (int x = 20; x < 40; ++x)
            colour.setPixel(x, y, qRgb(240, 200, 40));
    const QImage decoded = JpegImage::decode(qtJpeg(colour));
    ASSERT_FALSE(decoded.isNull());
    EXPECT_EQ(decoded.size(), colour.size());
    EXPECT_EQ(decoded.format(), QImage::Format_RGB32);
    EXPECT_LT(distance(decoded.pixel(5, 12), qRgb(20, 60, 200)), 30);
    EXPECT_LT(distance(decoded.pixel(34, 12), qRgb(240, 200, 40)), 30);

    QImage grey(17, 9, QImage::Format_Grayscale8);
    grey.fill(90);
    const QImage greyDecoded = JpegImage::decode(qtJpeg(grey));
    ASSERT_FALSE(greyDecoded.isNull());
    EXPECT_EQ(greyDecoded.size(), QSize(17, 9));
    EXPECT_LT(distance(greyDecoded.pixel(8, 4), qRgb(90, 90, 90)), 9);
}

TEST(JpegImage, RefusesTruncatedAndForeignBytes)
{
    const QByteArray logo = resourceBytes("logo.jpg");
    ASSERT_FALSE(JpegImage::decode(logo).isNull());

    EXPECT_TRUE(JpegImage::decode(QByteArray()).isNull());
    EXPECT_TRUE(JpegImage::decode(QByteArray("not a picture")).isNull());
    EXPECT_TRUE(JpegImage::decode(resourceBytes("glyph-about.bmp")).isNull());
    // Cut in the markers, in the tables and all through the scan: libjpeg's own answer to a short
    // scan is to pad it with grey and warn, which must not pass for a picture.
    for (qsizetype length = 1; length < logo.size(); length += 37)
        EXPECT_TRUE(JpegImage::decode(logo.left(length)).isNull()) << "cut at " << length;
}

TEST(JpegImage, RefusesAHeaderClaimingAnEnormousPicture)
{
    QByteArray bytes = resourceBytes("logo.jpg");
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GE(sof, 0);
    // SOF0: marker, length (2), precision (1), height (2), width (2).
    for (int i = 5; i <= 8; ++i)
        bytes[sof + i] = char(0xFF);
    EXPECT_TRUE(JpegImage::decode(bytes).isNull());
}

TEST(JpegImage, SurvivesRandomDamage)
{
    QRandomGenerator random(77);
    const QByteArray good = resourceBytes("logo.jpg");
    ASSERT_FALSE(good.isEmpty());
    for (int round = 0; round < 300; ++round) {
        QByteArray bytes = good;
        const int flips = 1 + random.bounded(6);
        for (int i = 0; i < flips; ++i)
            bytes[random.bounded(int(bytes.size()))] = char(random.bounded(256));
        const QImage image = JpegImage::decode(bytes);
        // Damage to the entropy-coded data can still decode cleanly; what matters is no crash and
        // no picture of a size the header never had.
        if (!image.isNull()) {
            EXPECT_LE(qint64(image.width()) * image.height(), 64LL * 1024 * 1024);
        }
    }
}

TEST(JpegImage, LoadOfAMissingFileIsNull)
{
    EXPECT_TRUE(JpegImage::load("/nonexistent/logo.jpg").isNull());
}

} // namespace
