#include "framework/TextLayout.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {
const QString ellipsis = QStringLiteral("...");
constexpr int tabStopChars = 8;

struct Paragraph {
    QString Text;
    int Underline = -1;
};

// "&x" shows x as the access key, "&&" shows one "&", and a lone "&" at the end shows nothing.
Paragraph withoutPrefixes(const QString& s, bool showUnderline)
{
    Paragraph out;
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'&') {
            out.Text += s[i];
            continue;
        }
        if (++i >= s.size())
            break;
        if (s[i] != u'&' && showUnderline)
            out.Underline = static_cast<int>(out.Text.size());
        out.Text += s[i];
    }
    return out;
}

std::vector<QString> paragraphsOf(const QString& text, UINT format)
{
    if (format & DT_SINGLELINE) {
        QString one = text;
        one.remove(u'\r');
        one.remove(u'\n');
        return {one};
    }
    QString unified = text;
    unified.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    unified.replace(u'\r', u'\n');
    std::vector<QString> out;
    for (const QString& p : unified.split(u'\n'))
        out.push_back(p);
    return out;
}
} // namespace

TextLayout::TextLayout(const QFont& font) : font_(font) {}

int TextLayout::LineHeight() const
{
    return QFontMetrics(font_).height();
}

int TextLayout::TextWidth(const QString& text) const
{
    return QFontMetrics(font_).horizontalAdvance(text);
}

QString TextLayout::expandTabs(const QString& line) const
{
    if (!line.contains(u'\t'))
        return line;
    const QFontMetrics fm(font_);
    const int stop = std::max(1, tabStopChars * fm.averageCharWidth());
    QString out;
    for (QChar c : line) {
        if (c != u'\t') {
            out += c;
            continue;
        }
        // Blanks up to the next stop, measured as a whole: blanks' widths do not simply add up.
        const int next = (fm.horizontalAdvance(out) / stop + 1) * stop;
        do
            out += u' ';
        while (fm.horizontalAdvance(out) < next);
    }
    return out;
}

QString TextLayout::ellipsised(const QString& line, int width, UINT format) const
{
    if (TextWidth(line) <= width)
        return line;
    if (format & DT_PATH_ELLIPSIS) {
        const qsizetype cut = std::max(line.lastIndexOf(u'\\'), line.lastIndexOf(u'/'));
        if (cut > 0) {
            // The last part of a path is what tells paths apart: shorten what comes before it.
            const QString tail = line.mid(cut);
            QString head = line.left(cut);
            while (!head.isEmpty() && TextWidth(head + ellipsis + tail) > width)
                head.chop(1);
            if (TextWidth(head + ellipsis + tail) <= width || !(format & DT_END_ELLIPSIS))
                return head + ellipsis + tail;
        }
    }
    if (!(format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)))
        return line;
    QString head = line;
    while (!head.isEmpty() && TextWidth(head + ellipsis) > width)
        head.chop(1);
    return head + ellipsis;
}

std::vector<QString> TextLayout::wrapped(const QString& paragraph, int width, UINT format) const
{
    if (!(format & DT_WORDBREAK) || (format & DT_SINGLELINE))
        return {paragraph};
    std::vector<QString> lines;
    const qsizetype n = paragraph.size();
    qsizetype pos = 0;
    do {
        qsizetype end = pos;
        qsizetype i = pos;
        while (i < n) {
            qsizetype j = i;
            while (j < n && paragraph[j] == u' ')
                ++j;
            while (j < n && paragraph[j] != u' ')
                ++j;
            // The first word of a line stays whole even when it is too wide, unless an edit
            // control's rule asks for it to be broken between characters.
            if (end != pos && TextWidth(paragraph.mid(pos, j - pos)) > width)
                break;
            end = j;
            i = j;
            if (end - pos > 0 && TextWidth(paragraph.mid(pos, end - pos)) > width)
                break;
        }
        QString line = paragraph.mid(pos, end - pos);
        if ((format & DT_EDITCONTROL) && TextWidth(line) > width) {
            qsizetype fit = 1;
            while (fit < line.size() && TextWidth(line.left(fit + 1)) <= width)
                ++fit;
            end = pos + fit;
            line = line.left(fit);
        }
        while (line.endsWith(u' '))
            line.chop(1);
        lines.push_back(line);
        pos = end;
        while (pos < n && paragraph[pos] == u' ')
            ++pos; // the blanks at a break belong to no line
    } while (pos < n);
    return lines;
}

std::vector<TextLine> TextLayout::Lay(const QString& text, const QRect& r, UINT format) const
{
    const bool prefixes = !(format & DT_NOPREFIX);
    std::vector<TextLine> lines;
    for (const QString& raw : paragraphsOf(text, format)) {
        const QString expanded = (format & DT_EXPANDTABS) ? expandTabs(raw) : raw;
        Paragraph p = prefixes ? withoutPrefixes(expanded, !(format & DT_HIDEPREFIX)) : Paragraph{expanded, -1};
        int consumed = 0;
        for (const QString& piece : wrapped(p.Text, r.width(), format)) {
            const int start = static_cast<int>(p.Text.indexOf(piece, consumed));
            TextLine line;
            line.Text = ellipsised(piece, r.width(), format);
            if (p.Underline >= start && p.Underline < start + piece.size() && line.Text.startsWith(piece))
                line.Underline = p.Underline - start;
            consumed = start + static_cast<int>(piece.size());
            line.Width = TextWidth(line.Text);
            lines.push_back(line);
        }
    }
    const int lh = LineHeight();
    int y = r.top();
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            y = r.top() + (r.height() - lh) / 2;
        else if (format & DT_BOTTOM)
            y = r.top() + r.height() - lh;
    }
    for (TextLine& line : lines) {
        int x = r.left();
        if (format & DT_CENTER)
            x += (r.width() - line.Width) / 2;
        else if (format & DT_RIGHT)
            x += r.width() - line.Width;
        line.TopLeft = QPoint(x, y);
        y += lh;
    }
    return lines;
}

QRect TextLayout::Bounds(const std::vector<TextLine>& lines, const QRect& r) const
{
    int width = 0;
    for (const TextLine& line : lines)
        width = std::max(width, line.Width);
    return QRect(r.left(), r.top(), width, LineHeight() * static_cast<int>(lines.size()));
}

void TextLayout::Draw(QPainter& painter, const std::vector<TextLine>& lines, const QRect& r, UINT format) const
{
    painter.save();
    painter.setFont(font_);
    if (!(format & DT_NOCLIP))
        painter.setClipRect(r, painter.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
    if (format & DT_RTLREADING)
        painter.setLayoutDirection(Qt::RightToLeft);
    const QFontMetrics fm(font_);
    for (const TextLine& line : lines) {
        painter.drawText(QPoint(line.TopLeft.x(), line.TopLeft.y() + fm.ascent()), line.Text);
        if (line.Underline >= 0) {
            const int x = line.TopLeft.x() + fm.horizontalAdvance(line.Text.left(line.Underline));
            const int w = fm.horizontalAdvance(line.Text.at(line.Underline));
            painter.fillRect(x, line.TopLeft.y() + fm.ascent() + fm.underlinePos(), w, std::max(1, fm.lineWidth()),
                             painter.pen().color());
        }
    }
    painter.restore();
}

void TextLayout::AddToPath(QPainterPath& path, const std::vector<TextLine>& lines) const
{
    const QFontMetrics fm(font_);
    for (const TextLine& line : lines)
        path.addText(QPointF(line.TopLeft.x(), line.TopLeft.y() + fm.ascent()), font_, line.Text);
}

int MeasureTextLayout(const QFont& font, const QString& text, QRect& r, UINT format)
{
    const TextLayout layout(font);
    r = layout.Bounds(layout.Lay(text, r, format), r);
    return r.height();
}

int DrawTextLayout(QPainter* painter, const QString& text, QRect& r, UINT format)
{
    if (format & DT_CALCRECT)
        return MeasureTextLayout(painter != nullptr ? painter->font() : QFont(), text, r, format);
    const TextLayout layout(painter->font());
    const auto lines = layout.Lay(text, r, format);
    layout.Draw(*painter, lines, r, format);
    return layout.LineHeight() * static_cast<int>(lines.size());
}
