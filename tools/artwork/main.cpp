// Draws the program's pictures into the resources folder. Run by hand when a picture changes; the
// output is committed, so a build never depends on this program's rendering.
//
//   draw-artwork <resources folder> [--preview <folder>]
//
// --preview also writes each picture enlarged eight times, and the band of the logo that the main
// window shows, for checking by eye.
#include "Bitmap16Writer.h"
#include "GlobeMotif.h"
#include "Glyphs.h"
#include "IconFile.h"
#include "JpegWriter.h"

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <QSaveFile>

#include <cstdio>

namespace {

bool save(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (bytes.isEmpty() || !file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        std::fprintf(stderr, "draw-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%lld bytes)\n", qPrintable(path), static_cast<long long>(bytes.size()));
    return true;
}

bool savePng(const QString& path, const QImage& image)
{
    if (!image.save(path, "PNG")) {
        std::fprintf(stderr, "draw-artwork: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QImage enlarged(const QImage& image, int factor)
{
    // Over the window's pale cyan, where the pictures will be seen.
    QImage out(image.width() * factor, image.height() * factor, QImage::Format_RGB32);
    out.fill(QColor(0xbf, 0xff, 0xff));
    QPainter p(&out);
    p.drawImage(out.rect(), image.convertToFormat(QImage::Format_ARGB32));
    return out;
}

// A glyph strip as a button shows it: the transparent colour replaced by the window's pale cyan.
QImage onFace(const QImage& strip)
{
    QImage out = strip.convertToFormat(QImage::Format_RGB32);
    const QRgb transparent = strip.pixel(0, strip.height() - 1);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (out.pixel(x, y) == transparent)
                out.setPixel(x, y, qRgb(0xbf, 0xff, 0xff));
    return out;
}

// What the header panel shows: a 145 x 35 white panel with the logo placed 8 right and 21 up.
QImage logoBand(const QImage& logo)
{
    QImage band(145, 35, QImage::Format_RGB32);
    band.fill(Qt::white);
    QPainter p(&band);
    p.drawImage(8, -21, logo);
    return band;
}

// The window's header and its glyph buttons at their real size, for judging the pictures where
// they will be seen rather than enlarged.
QImage inContext(const QImage& logo, const QList<std::pair<QString, QImage>>& glyphs)
{
    QImage out(596, 90, QImage::Format_RGB32);
    out.fill(QColor(0xbf, 0xff, 0xff));
    QPainter p(&out);
    p.fillRect(0, 0, 596, 41, Qt::white);
    p.setPen(QColor(0x80, 0x80, 0x80));
    p.drawLine(0, 40, 595, 40);
    p.drawImage(446, 4, logoBand(logo));
    QFont title("Arial");
    title.setPixelSize(21);
    title.setBold(true);
    p.setFont(title);
    p.setPen(Qt::black);
    p.drawText(QRect(8, 8, 294, 27), Qt::AlignCenter, "Tallyrune POS Update Utility");
    int x = 20;
    QFont caption("DejaVu Sans");
    caption.setPixelSize(11);
    p.setFont(caption);
    for (const auto& [name, strip] : glyphs) {
        const int cell = strip.height();
        for (int n = 0; n * cell < strip.width(); ++n) {
            p.drawImage(x, 55, onFace(strip.copy(n * cell, 0, cell, cell)));
            x += cell + 8;
        }
        x += 24;
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2 && !(args.size() == 4 && args[2] == QLatin1String("--preview"))) {
        std::fprintf(stderr, "usage: draw-artwork <resources folder> [--preview <folder>]\n");
        return 2;
    }
    const QDir out(args[1]);
    const QImage logo = GlobeMotif::logo();
    const QImage icon48 = GlobeMotif::icon(48), icon32 = GlobeMotif::icon(32), icon16 = GlobeMotif::icon(16);
    const QList<std::pair<QString, QImage>> glyphs = {
        {"glyph-update.bmp", Glyphs::update()},
        {"glyph-help.bmp", Glyphs::help()},
        {"glyph-about.bmp", Glyphs::about()},
        {"glyph-exit.bmp", Glyphs::exit()},
    };

    const QByteArray logoJpeg = JpegWriter::encode(logo, 90);
    bool ok = save(out.filePath("logo.jpg"), logoJpeg);
    for (const auto& [name, strip] : glyphs) {
        // The buttons take the transparent colour from the bottom-left pixel; a drawing that
        // covers it would make some other colour see-through.
        if (strip.pixelIndex(0, strip.height() - 1) != Bitmap16Writer::kTransparentIndex) {
            std::fprintf(stderr, "draw-artwork: %s covers its bottom-left pixel\n", qPrintable(name));
            ok = false;
            continue;
        }
        ok = save(out.filePath(name), Bitmap16Writer::encode(strip)) && ok;
    }
    ok = savePng(out.filePath("app-icon.png"), icon48) && ok;
    ok = savePng(out.filePath("app-icon-32.png"), icon32) && ok;
    ok = save(out.filePath("app-icon.ico"), IconFile::encode({icon16, icon32, icon48})) && ok;

    if (args.size() == 4) {
        const QDir preview(args[3]);
        preview.mkpath(".");
        // As compressed, so that JPEG artefacts show.
        const QImage decoded = QImage::fromData(logoJpeg, "JPG");
        ok = savePng(preview.filePath("logo-x4.png"), enlarged(decoded, 4)) && ok;
        ok = savePng(preview.filePath("logo-band-x8.png"), enlarged(logoBand(decoded), 8)) && ok;
        ok = savePng(preview.filePath("context-x2.png"), enlarged(inContext(decoded, glyphs), 2)) && ok;
        ok = savePng(preview.filePath("icons-x8.png"), enlarged(icon48, 8)) && ok;
        ok = savePng(preview.filePath("icon32-x8.png"), enlarged(icon32, 8)) && ok;
        ok = savePng(preview.filePath("icon16-x8.png"), enlarged(icon16, 8)) && ok;
        for (const auto& [name, strip] : glyphs)
            ok = savePng(preview.filePath(QString(name).replace(".bmp", "-x8.png")), enlarged(onFace(strip), 8)) && ok;
    }
    return ok ? 0 : 1;
}
