// Writes the application icon at one size for the desktop's icon theme, from the icon the program
// carries: the frame drawn for that size when the icon file has one, else the smallest larger
// frame scaled down smoothly. Never scales up: an enlarged 48-pixel picture only looks blurred.
//
//   scale-icon <icon file> <size> <output.png>
#include <QCoreApplication>
#include <QImage>
#include <QImageReader>

#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv); // the ICO reader is a plug-in, found through the application
    const QStringList args = app.arguments();
    bool ok = false;
    const int size = args.size() == 4 ? args[2].toInt(&ok) : 0;
    if (!ok || size <= 0) {
        std::fprintf(stderr, "usage: scale-icon <icon file> <size> <output.png>\n");
        return 2;
    }
    QImageReader reader(args[1]);
    QImage best;
    do {
        const QImage frame = reader.read();
        if (frame.isNull())
            break;
        const bool fits = frame.width() >= size && frame.height() >= size;
        if (fits && (best.isNull() || frame.width() < best.width()))
            best = frame;
    } while (reader.jumpToNextImage());
    if (best.isNull()) {
        std::fprintf(stderr, "scale-icon: %s has no picture of %d pixels or more\n", qPrintable(args[1]), size);
        return 1;
    }
    const QImage out = best.width() == size && best.height() == size
                           ? best
                           : best.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    if (!out.convertToFormat(QImage::Format_ARGB32).save(args[3], "PNG")) {
        std::fprintf(stderr, "scale-icon: cannot write %s\n", qPrintable(args[3]));
        return 1;
    }
    return 0;
}
