// The caption labels as the window uses them: the title label's size and where its copies stand,
// the placement rules with and without sizing to the text, and the link label.
#include "Pixels.h"
#include "framework/SystemColors.h"
#include "controls/labels/TLMDLabel.h"
#include "controls/labels/TLMDSimpleLabel.h"
#include "framework/core/Exceptions.h"

#include <QFontMetrics>
#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QColor lightColour(0, 160, 0);

struct Host {
    Host()
    {
        window.resize(400, 120);
        QPalette p = window.palette();
        p.setColor(QPalette::Window, Qt::white);
        window.setPalette(p);
        window.setAutoFillBackground(true);
    }
    // The label as it shows over its parent.
    QImage shot(QWidget* w) { return window.grab(w->geometry()).toImage().convertToFormat(QImage::Format_RGB32); }
    QWidget window;
};

template <class Label> Label* makeLabel(Host& host, const QString& caption, const QFont& font)
{
    auto* label = new Label(nullptr, &host.window);
    label->BeginLoading();
    label->move(8, 8);
    label->setFont(font);
    label->SetCaption(caption);
    label->Loaded();
    return label;
}
} // namespace

TEST(CaptionLabel, TitleLabelFitsItsTextWithRoomForTheSunkenCopy)
{
    Host host;
    const QFont font = PinnedFont(21, true);
    const QString caption = QStringLiteral("Tallyrune POS Update Utility");
    auto* label = makeLabel<TLMDLabel>(host, caption, font);
    label->resize(294, 27); // the stored size gives way when loading ends
    label->BeginLoading();
    label->FontFX().SetStyle(tdSunken);
    label->FontFX().SetLightColor(FromQColor(lightColour));
    label->SetAlignment(agCenter);
    label->Loaded();

    const QFontMetrics fm(font);
    EXPECT_EQ(label->size(), QSize(fm.horizontalAdvance(caption) + 3, fm.height() + 3));
    EXPECT_EQ(label->pos(), QPoint(8, 8));

    // The text stands one pixel from the left edge and at the top, its light copy one pixel
    // further right and down.
    QImage expected = Canvas(label->size());
    {
        QPainter p(&expected);
        p.setFont(font);
        p.setPen(lightColour);
        p.drawText(QPoint(2, 1 + fm.ascent()), caption);
        p.setPen(Qt::black);
        p.drawText(QPoint(1, fm.ascent()), caption);
    }
    EXPECT_EQ(host.shot(label), expected);
}

TEST(CaptionLabel, SizeFollowsCaptionFontAndEffect)
{
    Host host;
    const QFont font = PinnedFont(16);
    const QFontMetrics fm(font);
    auto* label = makeLabel<TLMDLabel>(host, QStringLiteral("Tally"), font);
    EXPECT_EQ(label->size(), QSize(fm.horizontalAdvance(QStringLiteral("Tally")) + 2, fm.height() + 2));
    label->SetCaption(QStringLiteral("Tallyrune"));
    EXPECT_EQ(label->width(), fm.horizontalAdvance(QStringLiteral("Tallyrune")) + 2);
    label->FontFX().SetStyle(tdRaisedShadow); // L + S = 2 more
    EXPECT_EQ(label->width(), fm.horizontalAdvance(QStringLiteral("Tallyrune")) + 4);
    label->Bevel().SetStyleOuter(TLMDBevelStyle::bvRaised); // a 1-pixel frame: 2 more each way
    EXPECT_EQ(label->Bevel().Width(), 1);
    EXPECT_EQ(label->width(), fm.horizontalAdvance(QStringLiteral("Tallyrune")) + 6);
    // An empty caption keeps one line's height.
    label->SetCaption(QString());
    EXPECT_EQ(label->height(), fm.height() + 4 + 2);
    // Without AutoSize nothing changes the size.
    label->SetAutoSize(false);
    label->resize(200, 60);
    label->SetCaption(QStringLiteral("x"));
    EXPECT_EQ(label->size(), QSize(200, 60));
}

TEST(CaptionLabel, BevelWidthRule)
{
    TLMDBevel b;
    EXPECT_EQ(b.Width(), 0);
    b.SetBorderWidth(2);
    EXPECT_EQ(b.Width(), 2); // rings count even without bevel lines
    b.SetStyleOuter(TLMDBevelStyle::bvFrameLowered);
    EXPECT_EQ(b.Width(), 2 + 1 + 1);
    b.SetStyleInner(TLMDBevelStyle::bvLowered);
    b.SetWidthInner(3);
    EXPECT_EQ(b.Width(), 2 + 2 + 3);
    b.SetStyleInner(TLMDBevelStyle::bvShadow);
    b.SetBorderInnerWidth(1);
    EXPECT_EQ(b.Width(), 3 + 1); // a shadow frame counts alone
    b.SetMode(bmEdge);
    EXPECT_EQ(b.Width(), 2 + 1);
    b.SetBorderSides(0);
    EXPECT_EQ(b.Width(), 1);
}

TEST(CaptionLabel, PlacementWithAndWithoutSizingToTheText)
{
    Host host;
    const QFont font = PinnedFont(14);
    const QFontMetrics fm(font);
    auto* label = makeLabel<TLMDLabel>(host, QStringLiteral("Tally"), font);
    label->SetAlignment(agCenter);
    label->SetAutoSize(false);
    label->resize(120, 60);
    // Not sized to the text and one line: centred both ways.
    QRect ink = InkBox(host.shot(label));
    EXPECT_NEAR(ink.center().y(), 30, 4);
    EXPECT_NEAR(ink.center().x(), 60, 3);
    // Several lines: laid out as a block from the top.
    label->SetMultiLine(true);
    label->SetAlignment(agTopCenter);
    ink = InkBox(host.shot(label));
    EXPECT_LT(ink.top(), fm.height() / 2 + 1);
    // Bottom row with several lines: the measured block moves down.
    label->SetAlignment(agBottomRight);
    ink = InkBox(host.shot(label));
    EXPECT_GT(ink.bottom(), 60 - 6);
    EXPECT_GT(ink.right(), 120 - 6);
    // Sized to the text again: one line's height.
    label->SetMultiLine(false);
    label->SetAutoSize(true);
    EXPECT_EQ(label->height(), fm.height() + 2);
}

TEST(CaptionLabel, AutoSizedCentredLabelCentresHorizontallyOnly)
{
    Host host;
    const QFont font = PinnedFont(14);
    const QFontMetrics fm(font);
    // Two lines of different width in a label sized to the wider one.
    auto* label = makeLabel<TLMDLabel>(host, QStringLiteral("Wide wide line\r\nab"), font);
    label->SetAlignment(agCenter);
    const QImage shot = host.shot(label);
    const QRect firstLine = InkBox(shot.copy(0, 0, shot.width(), fm.height()));
    const QRect secondLine = InkBox(shot.copy(0, fm.height(), shot.width(), fm.height()));
    EXPECT_LT(firstLine.top(), 4);
    EXPECT_NEAR(secondLine.center().x(), shot.width() / 2, 3);
}

TEST(CaptionLabel, OpaqueLabelFillsItsColourTransparentOneShowsTheParent)
{
    Host host;
    auto* label = makeLabel<TLMDLabel>(host, QStringLiteral("."), PinnedFont(14));
    host.window.show();
    QImage parent = host.window.grab().toImage();
    EXPECT_EQ(QColor(parent.pixel(label->x() + label->width() - 1, label->y())), QColor(Qt::white));
    label->SetTransparent(false);
    label->ReadProperty("Color", "clRed");
    parent = host.window.grab().toImage();
    EXPECT_EQ(QColor(parent.pixel(label->x() + label->width() - 1, label->y())), QColor(Qt::red));
    EXPECT_FALSE(label->ParentColor());
}

TEST(CaptionLabel, AccessKeyMovesTheFocusToTheFocusControl)
{
    Host host;
    auto* edit = new QLineEdit(&host.window);
    edit->move(10, 60);
    auto* other = new QLineEdit(&host.window);
    other->move(200, 60);
    auto* label = makeLabel<TLMDLabel>(host, QStringLiteral("&Name"), PinnedFont(14));
    label->SetFocusControl(edit);
    host.window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&host.window));
    other->setFocus();
    QTest::keyClick(&host.window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(edit->hasFocus());
    // Not with the access key hidden.
    other->setFocus();
    label->SetShowAccelChar(false);
    QTest::keyClick(&host.window, Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(other->hasFocus());
}

TEST(SimpleLabel, SingleLineTakesTheVerticalAlignment)
{
    Host host;
    const QFont font = PinnedFont(14);
    auto* label = makeLabel<TLMDSimpleLabel>(host, QStringLiteral("Tally"), font);
    EXPECT_EQ(label->size(), QSize(QFontMetrics(font).horizontalAdvance(QStringLiteral("Tally")) + 2,
                                   QFontMetrics(font).height() + 2));
    label->SetAutoSize(false);
    label->resize(100, 60);
    label->SetAlignment(agBottomLeft);
    const QRect ink = InkBox(host.shot(label));
    EXPECT_GT(ink.bottom(), 50);
    EXPECT_LT(ink.left(), 3);
    // A transparent label without text paints nothing.
    label->SetCaption(QString());
    EXPECT_TRUE(label->NothingToPaint());
}

TEST(SimpleLabel, LinkOpensItsTargetAndSwitchesOffWhenThatFails)
{
    Host host;
    auto* label = makeLabel<TLMDSimpleLabel>(host, QStringLiteral("support@harrowmere.example"), PinnedFont(14));
    host.window.show();
    EXPECT_EQ(label->cursor().shape(), Qt::ArrowCursor);
    label->SetJumpMode(jmInternet);
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->JumpTarget(), "mailto:support@harrowmere.example");

    std::vector<std::string> opened;
    bool succeed = true;
    label->OpenTarget = [&](const std::string& target) {
        opened.push_back(target);
        return succeed;
    };
    // Released outside: the colour turns, nothing opens.
    QTest::mousePress(label, Qt::LeftButton, {}, QPoint(2, 2));
    QTest::mouseRelease(label, Qt::LeftButton, {}, QPoint(label->width() + 5, 2));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(label->FontColor(), clPurple);
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "mailto:support@harrowmere.example");

    label->SetJump("https://www.harrowmere.example/");
    EXPECT_EQ(label->JumpTarget(), "https://www.harrowmere.example/");
    succeed = false;
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(label->JumpMode(), jmNone);
    EXPECT_FALSE(label->isEnabled());
    QTest::mouseClick(label, Qt::LeftButton, {}, QPoint(2, 2));
    EXPECT_EQ(opened.size(), 2u);
}

TEST(SimpleLabel, ReadsItsStoredProperties)
{
    Host host;
    auto* label = new TLMDSimpleLabel(nullptr, &host.window);
    label->ReadProperty("Font3D.Style", "tdSunken");
    label->ReadProperty("JumpMode", "jmInternet");
    label->ReadProperty("MultiLine", "True");
    label->ReadProperty("ShowAccelChar", "False");
    label->ReadProperty("Options", "[loEndEllipsis, loEditControl]");
    EXPECT_EQ(label->Font3D().Style(), tdSunken);
    EXPECT_EQ(label->JumpMode(), jmInternet);
    EXPECT_TRUE(label->MultiLine());
    EXPECT_FALSE(label->ShowAccelChar());
    EXPECT_EQ(label->Options(), (1u << loEndEllipsis) | (1u << loEditControl));
    EXPECT_EQ(label->ActiveColor(), 0x800080);
    EXPECT_EQ(label->InActiveColor(), 0xFF0000);
    EXPECT_THROW(label->ReadProperty("JumpMode", "jmSometimes"), EComponentError);
    EXPECT_THROW(label->ReadProperty("Options", "[loNothing]"), EComponentError);
}
