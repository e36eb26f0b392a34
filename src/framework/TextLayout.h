#pragma once
// Text laid out and drawn as the platform's DrawTextExA does it, over QPainter: word breaks,
// explicit line breaks, single-line vertical centring, end and path ellipsis, "&" access-key
// prefixes, tab expansion and measuring without drawing.
#include "platform/drawtext.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

class QPainter;
class QPainterPath;

struct TextLine {
    QString Text;
    QPoint TopLeft; // of the line's cell
    int Width = 0;
    int Underline = -1; // index into Text of the access-key character, -1 when none is shown
};

class TextLayout {
public:
    explicit TextLayout(const QFont& font);

    // The lines of text placed in r by the format flags.
    std::vector<TextLine> Lay(const QString& text, const QRect& r, UINT format) const;
    // What DT_CALCRECT turns r into: the lines' block from r's left and top edges.
    QRect Bounds(const std::vector<TextLine>& lines, const QRect& r) const;
    // Draws the lines with the painter's pen; clipped to r unless DT_NOCLIP.
    void Draw(QPainter& painter, const std::vector<TextLine>& lines, const QRect& r, UINT format) const;
    // The outlines of the lines' glyphs, for stroking.
    void AddToPath(QPainterPath& path, const std::vector<TextLine>& lines) const;

    int LineHeight() const;
    int TextWidth(const QString& text) const;

private:
    QString expandTabs(const QString& line) const;
    QString ellipsised(const QString& line, int width, UINT format) const;
    std::vector<QString> wrapped(const QString& paragraph, int width, UINT format) const;

    QFont font_;
};

// The whole DrawTextExA call: with DT_CALCRECT r becomes the text's rectangle and nothing is
// drawn (painter may then be null); otherwise the text is drawn in the painter's font and pen.
// Returns the height of the text.
int DrawTextLayout(QPainter* painter, const QString& text, QRect& r, UINT format);
int MeasureTextLayout(const QFont& font, const QString& text, QRect& r, UINT format);
