// The glyph buttons drawn and worked as a user meets them: the classic faces in each state, the
// active button's frame and focus rectangle, the pressed shift, the glyph cell per state, and
// clicking by mouse and keys.
#include "Pixels.h"
#include "framework/SystemColors.h"
#include "controls/buttons/TLMDButton.h"
#include "controls/buttons/TLMDGlyphCache.h"
#include "controls/buttons/TLMDSpeedButton.h"
#include "framework/widgets/StdControls.h"
#include "framework/TForm.h"

#include <QLineEdit>
#include <QPainter>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {
const QColor face(191, 255, 255), white(255, 255, 255), dark(64, 64, 64), shadow(128, 128, 128), black(0, 0, 0);
const QColor transparent(255, 0, 255), upColour(200, 0, 0), disabledColour(0, 150, 0);

// A strip of 12 x 12 cells: a red square in cell 0, a green one in cell 1 (when there are two),
// magenta around them (its bottom-left pixel makes magenta the transparent colour).
QImage strip(int cells)
{
    QImage image(12 * cells, 12, QImage::Format_RGB32);
    image.fill(transparent);
    QPainter p(&image);
    p.fillRect(3, 3, 6, 6, upColour);
    if (cells > 1)
        p.fillRect(12 + 3, 3, 6, 6, disabledColour);
    return image;
}

struct Pixel {
    int X, Y;
    QColor Colour;
};

void expectPixels(const QImage& image, const char* state, std::initializer_list<Pixel> pixels)
{
    for (const Pixel& p : pixels)
        EXPECT_EQ(QColor(image.pixel(p.X, p.Y)), p.Colour) << state << " at " << p.X << "," << p.Y;
}

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(nullptr);
        form->resize(400, 200);
        QPalette p = form->palette();
        p.setColor(QPalette::Window, face);
        form->setPalette(p);
        edit = new QLineEdit(form.get());
        edit->setGeometry(10, 150, 100, 20);
    }
    template <class B> B* add(const QRect& place, const QString& caption)
    {
        auto* b = new B(form.get(), form.get());
        b->setGeometry(place);
        b->setFont(PinnedFont(11));
        b->setText(caption);
        return b;
    }
    void show()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    static QImage shot(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // The content of a button: what is neither face nor bevel, found by its colour.
    static QRect glyphBox(QWidget* w, const QColor& c) { return BoxOf(shot(w), c); }

    std::unique_ptr<TForm> form;
    QLineEdit* edit = nullptr;
};
} // namespace

TEST_F(Window, PushButtonFacesInEachState)
{
    auto* button = add<TLMDButton>({20, 20, 60, 30}, QString());
    auto* other = add<TLMDButton>({100, 20, 60, 30}, QString());
    show();
    other->setFocus(); // neither focused nor default: the plain raised face
    expectPixels(shot(button), "up",
                 {{0, 0, white},
                  {58, 0, white},
                  {59, 0, dark}, // the far corners belong to the dark lines
                  {0, 29, dark},
                  {59, 29, dark},
                  {0, 28, white},
                  {58, 28, shadow},
                  {58, 1, shadow},
                  {1, 28, shadow},
                  {1, 1, face},
                  {4, 4, face}}); // no focus rectangle

    // Focused: the window-frame rectangle outside the bevel, the dots 3 pixels inside it.
    button->setFocus();
    const QImage active = shot(button);
    expectPixels(active, "active",
                 {{0, 0, black},
                  {59, 29, black},
                  {1, 1, white},
                  {58, 28, dark},
                  {4, 4, black},
                  {5, 4, face},
                  {6, 4, black},
                  {3, 3, face}});

    // Held down: black, then grey, no window frame, dots 4 pixels in.
    button->setDown(true);
    expectPixels(
        shot(button), "down",
        {{0, 0, black}, {59, 29, black}, {1, 1, shadow}, {58, 28, shadow}, {2, 2, face}, {3, 3, face}, {4, 4, black}});
    button->setDown(false);

    // The mouse over it looks like up.
    button->setFocus();
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(25, 25));
    QApplication::sendEvent(button, &enter);
    EXPECT_EQ(button->DrawnState(), bstHot);
    EXPECT_EQ(shot(button), active);
}

TEST_F(Window, SpeedButtonFacesRaisedAndSunken)
{
    auto* speed = add<TLMDSpeedButton>({20, 20, 40, 30}, QString());
    show();
    expectPixels(shot(speed), "up", {{0, 0, white}, {39, 29, dark}, {38, 28, shadow}, {1, 1, face}});
    speed->setDown(true);
    expectPixels(shot(speed), "down",
                 {{0, 0, dark}, {1, 1, shadow}, {39, 29, white}, {38, 28, ToQColor(cl3DLight)}, {2, 2, face}});
}

TEST_F(Window, FocusRectangleOnlyOnTheActiveButton)
{
    auto* byDefault = add<TLMDButton>({20, 20, 80, 30}, QStringLiteral("Update"));
    auto* other = add<TLMDButton>({120, 20, 80, 30}, QStringLiteral("Get"));
    byDefault->ReadProperty("Default", "True");
    EXPECT_EQ(form->DefaultButton(), byDefault);
    show();
    auto hasDots = [&](TLMDButton* b) { return QColor(shot(b).pixel(4, 4)) == black; };

    edit->setFocus(); // the focus on a control that is not a button: the default button is active
    EXPECT_TRUE(byDefault->Active());
    EXPECT_TRUE(hasDots(byDefault));
    EXPECT_FALSE(other->Active());
    EXPECT_FALSE(hasDots(other));

    other->setFocus(); // another button takes the focus and the default button lets go
    EXPECT_FALSE(byDefault->Active());
    EXPECT_FALSE(hasDots(byDefault));
    EXPECT_EQ(QColor(shot(byDefault).pixel(0, 0)), white);
    EXPECT_TRUE(hasDots(other));

    byDefault->setFocus();
    EXPECT_TRUE(hasDots(byDefault));
    EXPECT_FALSE(hasDots(other));
    // A disabled default button is nobody's Enter target and draws no focus.
    edit->setFocus();
    byDefault->setEnabled(false);
    EXPECT_FALSE(byDefault->Active());
    EXPECT_FALSE(hasDots(byDefault));
}

TEST_F(Window, PressingShiftsGlyphAndCaptionOnePixel)
{
    auto* button = add<TLMDButton>({20, 20, 90, 34}, QStringLiteral("Update"));
    button->SetGlyph(strip(2));
    auto* speed = add<TLMDSpeedButton>({150, 20, 90, 34}, QStringLiteral("Help"));
    speed->SetGlyph(strip(2));
    show();
    edit->setFocus();
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(button), static_cast<QAbstractButton*>(speed)}) {
        const QRect glyphUp = glyphBox(b, upColour);
        // Right of the glyph and inside the frames: only the caption is black there.
        const QRect captionArea(glyphUp.right() + 1, 5, b->width() - 4 - (glyphUp.right() + 1), 24);
        const QRect textUp = BoxOf(shot(b).copy(captionArea), black);
        b->setDown(true);
        const QRect glyphDown = glyphBox(b, upColour);
        const QRect textDown = BoxOf(shot(b).copy(captionArea), black);
        b->setDown(false);
        EXPECT_EQ(glyphDown, glyphUp.translated(1, 1)) << b->text().toStdString();
        EXPECT_EQ(textDown, textUp.translated(1, 1)) << b->text().toStdString();
        EXPECT_FALSE(textUp.isEmpty());
    }
}

TEST_F(Window, GlyphAndCaptionCentredAsOneBlock)
{
    auto* button = add<TLMDButton>({20, 20, 129, 37}, QStringLiteral("Update"));
    button->SetGlyph(strip(2));
    auto* plain = add<TLMDButton>({20, 80, 125, 29}, QStringLiteral("Get Current Version"));
    show();
    edit->setFocus();
    const int textWidth = QFontMetrics(PinnedFont(11)).horizontalAdvance(QStringLiteral("Update"));
    // Content: 3 pixels inside the bevel; block = glyph 12 + spacing 2 + caption.
    const int blockLeft = 3 + (123 - (12 + 2 + textWidth)) / 2;
    const int blockHeight = std::max(12, QFontMetrics(PinnedFont(11)).height());
    const int glyphTop = 3 + (31 - blockHeight) / 2 + (blockHeight - 12) / 2;
    EXPECT_EQ(glyphBox(button, upColour), QRect(blockLeft + 3, glyphTop + 3, 6, 6));
    // Without a glyph the caption alone is centred, with no spacing.
    const int plainWidth = QFontMetrics(PinnedFont(11)).horizontalAdvance(QStringLiteral("Get Current Version"));
    const QRect ink = BoxOf(shot(plain).copy(4, 4, 117, 21), black).translated(4, 4);
    EXPECT_NEAR(ink.left(), 3 + (119 - plainWidth) / 2, 1);
}

TEST_F(Window, GlyphCellPerStateAndTheEtchedDisabledImage)
{
    auto* two = add<TLMDSpeedButton>({20, 20, 40, 30}, QString());
    two->SetGlyph(strip(2));
    auto* one = add<TLMDButton>({80, 20, 40, 30}, QString());
    one->SetGlyph(strip(1));
    EXPECT_EQ(two->NumGlyphs(), 2);
    EXPECT_EQ(one->NumGlyphs(), 1);
    show();
    edit->setFocus();

    EXPECT_FALSE(glyphBox(two, upColour).isEmpty());
    two->setDown(true);
    EXPECT_FALSE(glyphBox(two, upColour).isEmpty());
    EXPECT_TRUE(glyphBox(two, disabledColour).isEmpty());
    two->setDown(false);
    two->setEnabled(false);
    EXPECT_TRUE(glyphBox(two, upColour).isEmpty());
    EXPECT_EQ(glyphBox(two, disabledColour).size(), QSize(6, 6));

    // One image: disabled shows the etched copy, a shadow square over a highlight one pixel
    // right and down, and no trace of the image's own colour.
    const QRect square = glyphBox(one, upColour);
    ASSERT_EQ(square.size(), QSize(6, 6));
    one->setEnabled(false);
    const QImage etched = shot(one);
    EXPECT_EQ(CountOf(etched, upColour), 0);
    EXPECT_EQ(BoxOf(etched.copy(square.adjusted(0, 0, 1, 1)), shadow), QRect(0, 0, 6, 6));
    EXPECT_EQ(QColor(etched.pixel(square.right() + 1, square.bottom() + 1)), white);
    EXPECT_EQ(QColor(etched.pixel(square.right() + 1, square.top() + 1)), white);
    EXPECT_EQ(QColor(etched.pixel(square.right() + 1, square.top())), face);
    EXPECT_EQ(QColor(etched.pixel(square.left() - 1, square.top() - 1)), face);
}

TEST(Glyph, CellsOfAStripAndTheSharedList)
{
    const int before = TLMDGlyphCache::ListCount();
    {
        TLMDGlyph a, b, c;
        a.SetBitmap(QImage(36, 18, QImage::Format_RGB32));
        EXPECT_EQ(a.NumGlyphs(), 2);
        EXPECT_EQ(a.CellSize(), QSize(18, 18));
        b.SetBitmap(QImage(18, 18, QImage::Format_RGB32));
        EXPECT_EQ(b.NumGlyphs(), 1);
        c.SetBitmap(QImage(120, 20, QImage::Format_RGB32)); // six would be too many
        EXPECT_EQ(c.NumGlyphs(), 1);
        c.SetNumGlyphs(0); // ignored
        EXPECT_EQ(c.NumGlyphs(), 1);
        c.SetNumGlyphs(3);
        EXPECT_EQ(c.CellSize(), QSize(40, 20));

        EXPECT_EQ(a.CellFor(bstUp), 0);
        EXPECT_EQ(a.CellFor(bstHot), 0);
        EXPECT_EQ(a.CellFor(bstDown), 0);
        EXPECT_EQ(a.CellFor(bstDisabled), 1);
        EXPECT_EQ(c.CellFor(bstHot), 2);
        EXPECT_EQ(c.CellFor(bstDown), 0);

        // Glyphs of one cell size share one list, made at first use.
        EXPECT_EQ(TLMDGlyphCache::ListCount(), before);
        a.Image(bstUp);
        b.Image(bstDisabled);
        EXPECT_EQ(TLMDGlyphCache::ListCount(), before + 1);
        EXPECT_EQ(TLMDGlyphCache::ListFor(QSize(18, 18))->Count(), 2);
        a.Image(bstUp); // made once
        EXPECT_EQ(TLMDGlyphCache::ListFor(QSize(18, 18))->Count(), 2);
        c.Image(bstUp);
        EXPECT_EQ(TLMDGlyphCache::ListCount(), before + 2);
        a.SetNumGlyphs(1); // a new cell size drops the old images
        EXPECT_EQ(TLMDGlyphCache::ListFor(QSize(18, 18))->Count(), 1);
    }
    // Freed with the last glyph that used it.
    EXPECT_EQ(TLMDGlyphCache::ListCount(), before);
}

TEST_F(Window, SpeedButtonClicksOnlyWhenReleasedOverIt)
{
    auto* speed = add<TLMDSpeedButton>({20, 20, 69, 29}, QStringLiteral("Help"));
    int clicks = 0;
    speed->OnClick = [&](TComponent* sender) {
        EXPECT_EQ(sender, speed);
        ++clicks;
    };
    show();
    QTest::mousePress(speed, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(speed->DrawnState(), bstDown);
    QTest::mouseRelease(speed, Qt::LeftButton, {}, QPoint(100, 10));
    EXPECT_EQ(clicks, 0);
    EXPECT_NE(speed->DrawnState(), bstDown);
    QTest::mouseClick(speed, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(clicks, 1);
    EXPECT_FALSE(speed->hasFocus());
}

TEST_F(Window, SpaceClicksTheFocusedButtonAndEnterTheDefaultOne)
{
    auto* byDefault = add<TLMDButton>({20, 20, 80, 30}, QStringLiteral("Update"));
    auto* other = add<TLMDButton>({120, 20, 80, 30}, QStringLiteral("Get"));
    byDefault->ReadProperty("Default", "True");
    int defaults = 0, others = 0;
    byDefault->OnClick = [&](TComponent*) { ++defaults; };
    other->OnClick = [&](TComponent*) { ++others; };
    show();

    other->setFocus();
    QTest::keyClick(other, Qt::Key_Space);
    EXPECT_EQ(others, 1);
    QTest::keyPress(other, Qt::Key_Space);
    EXPECT_EQ(other->DrawnState(), bstDown);
    QTest::keyRelease(other, Qt::Key_Space);
    EXPECT_EQ(others, 2);

    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(defaults, 1);
    EXPECT_EQ(others, 2);
    byDefault->setEnabled(false);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(defaults, 1);
}

TEST_F(Window, DisabledCaptionIsGreyWithItsLightCopy)
{
    auto* button = add<TLMDButton>({20, 20, 90, 30}, QStringLiteral("Update"));
    show();
    edit->setFocus();
    const QRect enabledInk = BoxOf(shot(button).copy(4, 4, 82, 22), black);
    button->setEnabled(false);
    const QImage disabled = shot(button).copy(4, 4, 82, 22);
    EXPECT_EQ(CountOf(disabled, black), 0);
    EXPECT_EQ(BoxOf(disabled, shadow), enabledInk);
    EXPECT_EQ(BoxOf(disabled, white), enabledInk.translated(1, 1));
}

TEST_F(Window, ALongCaptionKeepsClearOfTheFocusRectangle)
{
    // The window's widest button caption, in a button of the window's size.
    auto* button = add<TLMDButton>({20, 20, 125, 29}, QStringLiteral("Check for New Version"));
    show();
    button->setFocus();
    const QImage image = shot(button);
    // The dotted rectangle runs 4 pixels inside the edges: columns 4 and 120, rows 4 and 24.
    ASSERT_EQ(QColor(image.pixel(4, 4)), black);
    ASSERT_EQ(QColor(image.pixel(120, 24)), black);
    const QRect ink = BoxOf(image.copy(5, 5, 115, 19), black).translated(5, 5);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left() - 4, 3) << "at least two face pixels between the dots and the caption";
    EXPECT_GE(120 - ink.right(), 3);
    EXPECT_LE(std::abs((ink.left() - 4) - (120 - ink.right())), 3) << "still centred, but for the letters' own sides";
}
