// Text laid out as the platform lays out a caption: breaks, placement, ellipses, access keys.
#include "framework/TextLayout.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {
QFont font()
{
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPixelSize(14);
    return f;
}

std::vector<TextLine> lay(const QString& text, const QRect& r, UINT format)
{
    return TextLayout(font()).Lay(text, r, format);
}

int width(const QString& text)
{
    return QFontMetrics(font()).horizontalAdvance(text);
}
int lineHeight()
{
    return QFontMetrics(font()).height();
}
} // namespace

TEST(TextLayout, WordBreakAndExplicitLineBreaks)
{
    const QString text = QStringLiteral("alpha beta gamma");
    const QRect r(5, 7, width(QStringLiteral("alpha beta")) + 1, 100);
    auto lines = lay(text, r, DT_WORDBREAK);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Text, "alpha beta");
    EXPECT_EQ(lines[1].Text, "gamma");
    EXPECT_EQ(lines[1].TopLeft, QPoint(5, 7 + lineHeight()));
    // One pixel narrower and "beta" moves down too.
    lines = lay(text, r.adjusted(0, 0, -2, 0), DT_WORDBREAK);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].Text, "alpha");
    EXPECT_EQ(lines[1].Text, "beta");
    // Without the flag: one line, however narrow.
    EXPECT_EQ(lay(text, QRect(0, 0, 10, 100), 0).size(), 1u);
    // Line breaks of either kind break lines, unless single-line.
    EXPECT_EQ(lay(QStringLiteral("a\r\nb\nc\rd"), r, 0).size(), 4u);
    lines = lay(QStringLiteral("a\r\nb"), r, DT_SINGLELINE);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Text, "ab");
}

TEST(TextLayout, LongWordsStayWholeUnlessLikeAnEditControl)
{
    const QString word = QStringLiteral("Tallyrune");
    const QRect narrow(0, 0, width(QStringLiteral("Tal")), 100);
    auto lines = lay(word, narrow, DT_WORDBREAK);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].Text, word);
    lines = lay(word, narrow, DT_WORDBREAK | DT_EDITCONTROL);
    ASSERT_GT(lines.size(), 1u);
    QString joined;
    for (const auto& line : lines) {
        EXPECT_LE(line.Width, narrow.width());
        joined += line.Text;
    }
    EXPECT_EQ(joined, word);
}

TEST(TextLayout, PlacementInTheRectangle)
{
    const QRect r(10, 20, 200, 60);
    const int w = width(QStringLiteral("Tally")), h = lineHeight();
    auto at = [&](UINT format) { return lay(QStringLiteral("Tally"), r, format).at(0).TopLeft; };
    EXPECT_EQ(at(0), QPoint(10, 20));
    EXPECT_EQ(at(DT_CENTER), QPoint(10 + (200 - w) / 2, 20));
    EXPECT_EQ(at(DT_RIGHT), QPoint(10 + 200 - w, 20));
    // Vertical placement acts on single-line text only.
    EXPECT_EQ(at(DT_VCENTER), QPoint(10, 20));
    EXPECT_EQ(at(DT_BOTTOM | DT_WORDBREAK), QPoint(10, 20));
    EXPECT_EQ(at(DT_VCENTER | DT_SINGLELINE), QPoint(10, 20 + (60 - h) / 2));
    EXPECT_EQ(at(DT_BOTTOM | DT_SINGLELINE), QPoint(10, 20 + 60 - h));

    QRect calc(3, 4, 500, 0);
    MeasureTextLayout(font(), QStringLiteral("Tally\r\nTallyrune"), calc, DT_CALCRECT);
    EXPECT_EQ(calc, QRect(3, 4, width(QStringLiteral("Tallyrune")), 2 * h));
}

TEST(TextLayout, EndAndPathEllipsis)
{
    const QString text = QStringLiteral("Tallyrune point of sale");
    const int room = width(QStringLiteral("Tallyrune po"));
    auto one = [&](const QString& t, UINT format) { return lay(t, QRect(0, 0, room, 20), format).at(0); };
    TextLine line = one(text, DT_END_ELLIPSIS);
    EXPECT_TRUE(line.Text.endsWith(QStringLiteral("...")));
    EXPECT_TRUE(text.startsWith(line.Text.chopped(3)));
    EXPECT_LE(line.Width, room);
    EXPECT_GT(width(line.Text + QStringLiteral("i")), room - width(QStringLiteral("W")));
    EXPECT_EQ(one(QStringLiteral("Tally"), DT_END_ELLIPSIS).Text, "Tally"); // fits: unchanged
    EXPECT_EQ(one(text, 0).Text, text);                                     // no flag: unchanged

    const QString path = QStringLiteral("/srv/tallyrune/updates/2026/Tally.exe");
    line = lay(path, QRect(0, 0, width(QStringLiteral("/srv/tal.../Tally.exe")), 20), DT_PATH_ELLIPSIS).at(0);
    EXPECT_TRUE(line.Text.endsWith(QStringLiteral(".../Tally.exe"))) << line.Text.toStdString();
    EXPECT_TRUE(line.Text.startsWith(QStringLiteral("/srv/t"))) << line.Text.toStdString();
}

TEST(TextLayout, AccessKeyPrefixes)
{
    const QRect r(0, 0, 300, 40);
    auto one = [&](const QString& t, UINT format) { return lay(t, r, format).at(0); };
    TextLine line = one(QStringLiteral("&Update"), 0);
    EXPECT_EQ(line.Text, "Update");
    EXPECT_EQ(line.Underline, 0);
    line = one(QStringLiteral("Save && E&xit"), 0);
    EXPECT_EQ(line.Text, "Save & Exit");
    EXPECT_EQ(line.Underline, 8);
    EXPECT_EQ(one(QStringLiteral("A&"), 0).Text, "A");
    line = one(QStringLiteral("&Update"), DT_NOPREFIX);
    EXPECT_EQ(line.Text, "&Update");
    EXPECT_EQ(line.Underline, -1);
    line = one(QStringLiteral("&Update"), DT_HIDEPREFIX);
    EXPECT_EQ(line.Text, "Update");
    EXPECT_EQ(line.Underline, -1);
    // The underline follows its character onto a later line.
    const auto lines =
        lay(QStringLiteral("alpha &beta"), QRect(0, 0, width(QStringLiteral("alpha")) + 2, 40), DT_WORDBREAK);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].Underline, -1);
    EXPECT_EQ(lines[1].Underline, 0);
}

TEST(TextLayout, TabsExpandToStops)
{
    const QRect r(0, 0, 500, 40);
    const TextLine line = lay(QStringLiteral("a\tb"), r, DT_EXPANDTABS).at(0);
    const int stop = 8 * QFontMetrics(font()).averageCharWidth();
    EXPECT_GE(line.Width, stop + width(QStringLiteral("b")));
    EXPECT_LT(line.Width, stop + width(QStringLiteral("b")) + width(QStringLiteral(" ")) + 1);
}

TEST(TextLayout, DrawingClipsToTheRectangleUnlessTold)
{
    QImage image(100, 40, QImage::Format_RGB32);
    auto drawn = [&](UINT format) {
        image.fill(Qt::white);
        QPainter p(&image);
        p.setFont(font());
        p.setPen(Qt::black);
        QRect r(10, 5, 12, 30);
        DrawTextLayout(&p, QStringLiteral("Tallyrune"), r, format);
        p.end();
        int right = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) != qRgb(255, 255, 255))
                    right = std::max(right, x);
        return right;
    };
    EXPECT_LT(drawn(0), 22);
    EXPECT_GT(drawn(DT_NOCLIP), 40);
    QRect calc(0, 0, 0, 0);
    const int height = DrawTextLayout(nullptr, QStringLiteral("Tally"), calc, DT_CALCRECT);
    EXPECT_EQ(height, calc.height());
    EXPECT_EQ(calc.width(), QFontMetrics(QFont()).horizontalAdvance(QStringLiteral("Tally")));
}
