#include "Glyphs.h"

#include "Bitmap16Writer.h"
#include "GlobeMotif.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>
#include <initializer_list>
#include <map>
#include <vector>

namespace Glyphs {

namespace {

enum Vga : uchar {
    Black = 0,
    Maroon = 1,
    Olive = 3,
    Navy = 4,
    Grey = 7,
    Silver = 8,
    Red = 9,
    Yellow = 11,
    Blue = 12,
    White = 15,
};
static_assert(Olive == Bitmap16Writer::kTransparentIndex);

QImage blankCell(int width, int height)
{
    QImage cell(width, height, QImage::Format_Indexed8);
    cell.setColorTable(Bitmap16Writer::vgaPalette());
    cell.fill(Olive);
    return cell;
}

// Glyphs are drawn with antialiasing and then snapped: a pixel at least half covered takes the
// nearest of the colours that glyph uses, anything less is transparent. Dithering or a free
// choice among all 16 colours would leave stray pixels of unrelated colours along the edges.
QImage snap(const QImage& argb, std::initializer_list<Vga> colours)
{
    QImage cell = blankCell(argb.width(), argb.height());
    const QList<QRgb>& palette = Bitmap16Writer::vgaPalette();
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb c = argb.pixel(x, y);
            if (qAlpha(c) < 128)
                continue;
            const int r = qRed(c) * 255 / qAlpha(c), g = qGreen(c) * 255 / qAlpha(c), b = qBlue(c) * 255 / qAlpha(c);
            int best = -1;
            long bestDistance = 0;
            for (Vga v : colours) {
                const QRgb p = palette[v];
                const long d = long(qRed(p) - r) * (qRed(p) - r) + long(qGreen(p) - g) * (qGreen(p) - g) +
                               long(qBlue(p) - b) * (qBlue(p) - b);
                if (best < 0 || d < bestDistance) {
                    best = v;
                    bestDistance = d;
                }
            }
            cell.setPixel(x, y, uint(best));
        }
    }
    return cell;
}

QImage canvas(int size)
{
    QImage argb(size, size, QImage::Format_ARGB32);
    argb.fill(Qt::transparent);
    return argb;
}

// Pixel art for shapes too small to leave to a rasteriser. '.' keeps what is below.
void stamp(QImage& cell, int left, int top, std::initializer_list<const char*> rows, const std::map<char, Vga>& ink)
{
    int y = top;
    for (const char* row : rows) {
        for (int x = 0; row[x]; ++x)
            if (row[x] != '.')
                cell.setPixel(left + x, y, ink.at(row[x]));
        ++y;
    }
}

// The disabled look of a glyph: its outline pixels as a grey shape over a white copy of itself
// one pixel right and down, as if pressed into the face.
QImage etched(const QImage& cell, const std::function<bool(uint)>& isInk)
{
    QImage out = blankCell(cell.width(), cell.height());
    for (int pass = 0; pass < 2; ++pass) {
        const int shift = pass == 0 ? 1 : 0;
        const uint colour = pass == 0 ? White : Grey;
        for (int y = 0; y + shift < cell.height(); ++y)
            for (int x = 0; x + shift < cell.width(); ++x)
                if (isInk(cell.pixelIndex(x, y)))
                    out.setPixel(x + shift, y + shift, colour);
    }
    return out;
}

QImage strip(std::initializer_list<QImage> cells)
{
    int width = 0, height = 0;
    for (const QImage& c : cells) {
        width += c.width();
        height = std::max(height, c.height());
    }
    QImage out = blankCell(width, height);
    int left = 0;
    for (const QImage& c : cells) {
        for (int y = 0; y < c.height(); ++y)
            for (int x = 0; x < c.width(); ++x)
                out.setPixel(left + x, y, uint(c.pixelIndex(x, y)));
        left += c.width();
    }
    return out;
}

bool anyInk(uint index)
{
    return index != Olive;
}

QImage updateCell()
{
    // Two arrows chasing each other round a ring, heads at three and nine o'clock. Drawn by hand:
    // at this size a rasterised arrowhead loses its point.
    QImage cell = blankCell(18, 18);
    stamp(cell, 0, 0,
          {
              "..................",
              "..................",
              ".....NNNNNNNN.....",
              "....NNNNNNNNNN....",
              "...NNNNN..NNNNN...",
              "..NNNN......NNNN..",
              ".............NNN..",
              "...N.......NNNNNNN",
              "..NNN.......NNNNN.",
              ".NNNNN.......NNN..",
              "NNNNNNN.......N...",
              "..NNN.............",
              "..NNNN......NNNN..",
              "...NNNNN..NNNNN...",
              "....NNNNNNNNNN....",
              ".....NNNNNNNN.....",
              "..................",
              "..................",
          },
          {{'N', Navy}});
    return cell;
}

QImage helpCell()
{
    QImage argb = canvas(16);
    QPainter p(&argb);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x80, 0x80, 0x80), 1.0));
    p.setBrush(QColor(0xff, 0xff, 0x00));
    p.drawEllipse(QPointF(8, 8), 7.4, 7.4);
    p.end();
    QImage cell = snap(argb, {Yellow, Grey});
    stamp(cell, 5, 3,
          {
              ".RRRR.",
              "RR..RR",
              "RR..RR",
              "....RR",
              "...RR.",
              "..RR..",
              "..RR..",
              "......",
              "..RR..",
              "..RR..",
          },
          {{'R', Red}});
    return cell;
}

QImage aboutCell()
{
    QImage argb = canvas(18);
    QPainter p(&argb);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x00, 0x00, 0x80), 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(9, 9), 7.6, 7.6);
    p.end();
    QImage cell = snap(argb, {Navy});
    stamp(cell, 6, 5,
          {
              "..NNN.",
              ".NN..N",
              "NN....",
              "NN....",
              "NN....",
              "NN....",
              ".NN..N",
              "..NNN.",
          },
          {{'N', Navy}});
    return cell;
}

QImage exitCell()
{
    QImage cell = blankCell(18, 18);
    // A door frame round a dark doorway, the leaf swung open towards the viewer on its left hinge
    // (its foot reaching below the sill), and an arrow on its way out through the doorway.
    stamp(cell, 0, 0,
          {
              "..................",
              ".KKKKKKKKKK.......",
              ".KWKNNNNNNK.......",
              ".KWSKNNNNNK.......",
              ".KWSSKNNNNKR......",
              ".KWSSKNNNNKRR.....",
              ".KWSSKNNNNKRRR....",
              ".KWSSKNNNNKRRRR...",
              ".KWSSKRRRRRRRRRR..",
              ".KWSKKRRRRRRRRRRR.",
              ".KWSSKRRRRRRRRRr..",
              ".KWSSKNNNNKRRRr...",
              ".KWSSKNNNNKRRr....",
              ".KWSSKNNNNKRr.....",
              ".KWSSKNNNNKr......",
              ".KWSSKNNNNK.......",
              ".KKSSKKKKKK.......",
              "...KKK............",
          },
          {{'K', Black}, {'S', Silver}, {'W', White}, {'N', Navy}, {'R', Red}, {'r', Maroon}});
    return cell;
}

} // namespace

QImage update()
{
    const QImage cell = updateCell();
    return strip({cell, etched(cell, anyInk)});
}

QImage help()
{
    const QImage cell = helpCell();
    // The yellow fill would etch into a featureless blot; the rim and the mark carry the shape.
    return strip({cell, etched(cell, [](uint i) { return i == Grey || i == Red; })});
}

QImage about()
{
    return strip({aboutCell()});
}

QImage exit()
{
    const QImage cell = exitCell();
    return strip({cell, etched(cell, [](uint i) { return i == Black || i == Red || i == Maroon; })});
}

} // namespace Glyphs
