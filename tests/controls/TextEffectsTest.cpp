// Text effects drawn into images: each style's copies, where they stand and in which colour,
// the disabled looks, turned text and measuring against drawing.
#include "Pixels.h"
#include "framework/SystemColors.h"
#include "controls/labels/EffectText.h"
#include "controls/labels/TLMDFxCaption.h"

#include <QPainter>
#include <functional>
#include <gtest/gtest.h>
#include <vector>

namespace {
const QColor textColour(200, 0, 0), lightColour(0, 160, 0), shadowColour(0, 0, 220), brushColour(240, 200, 0);
const QColor grey(128, 128, 128);
const QRect area(10, 10, 60, 60);

QImage draw(const TLMD3DCaption* effect, WORD state = dsfEnabled, const QString& text = QStringLiteral("I"),
            UINT flags = 0, const QRect& r = area, const QRect* clip = nullptr)
{
    QImage image = Canvas({90, 90});
    QPainter p(&image);
    TCanvas canvas{&p, PinnedFont(20), FromQColor(textColour), FromQColor(brushColour)};
    DrawEffectText(canvas, text, effect, r, flags, state, clip);
    return image;
}

struct Copy {
    int Dx, Dy;
    QColor Colour;
};

// What the copies should give: the plain text's pixels, stamped at each offset in drawing order.
QImage stamped(const std::vector<Copy>& copies, const QString& text = QStringLiteral("I"))
{
    const QImage plain = draw(nullptr, dsfEnabled, text);
    QImage out = Canvas(plain.size());
    for (const Copy& c : copies)
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (QColor(plain.pixel(x, y)) == textColour && out.rect().contains(x + c.Dx, y + c.Dy))
                    out.setPixel(x + c.Dx, y + c.Dy, c.Colour.rgb());
    return out;
}

TLMDFxCaption effect(TLMDThreeDStyle style, int light = 2, int shadow = 3)
{
    TLMDFxCaption e;
    e.SetStyle(style);
    e.SetLightDepth(static_cast<std::uint8_t>(light));
    e.SetShadowDepth(static_cast<std::uint8_t>(shadow));
    e.SetLightColor(FromQColor(lightColour));
    e.SetShadowColor(FromQColor(shadowColour));
    return e;
}

struct StyleRow {
    const char* Name;
    std::function<TLMDFxCaption()> Effect;
    std::vector<Copy> Copies;
    WORD State = dsfEnabled;
};
} // namespace

TEST(TextEffects, EachStyleDrawsItsCopiesInOrderAtTheirOffsets)
{
    const QColor blend127(127, 127, 127), black(0, 0, 0), white(255, 255, 255);
    auto extrudeEnh = [](int s, TColor light, TColor shadow) {
        return [=] {
            TLMDFxCaption e = effect(tdExtrudeEnh, 1, s);
            e.SetLightColor(light);
            e.SetShadowColor(shadow);
            return e;
        };
    };
    auto extrude = [](TLMDThreeDOrientation o, int s) {
        return [=] {
            TLMDFxCaption e = effect(tdExtrude, 1, s);
            e.SetOrientation(o);
            return e;
        };
    };
    const std::vector<StyleRow> rows = {
        {"tdNone", [] { return effect(tdNone); }, {{0, 0, textColour}}},
        {"tdSunken L1", [] { return effect(tdSunken, 1); }, {{1, 1, lightColour}, {0, 0, textColour}}},
        {"tdSunken L2", [] { return effect(tdSunken, 2); }, {{2, 2, lightColour}, {0, 0, textColour}}},
        {"tdRaised", [] { return effect(tdRaised); }, {{0, 0, lightColour}, {2, 2, textColour}}},
        {"tdSunkenShadow",
         [] { return effect(tdSunkenShadow); },
         {{0, 0, shadowColour}, {5, 5, lightColour}, {3, 3, textColour}}},
        {"tdRaisedShadow",
         [] { return effect(tdRaisedShadow); },
         {{5, 5, shadowColour}, {0, 0, lightColour}, {2, 2, textColour}}},
        {"tdPColorSunken takes the brush colour",
         [] { return effect(tdPColorSunken); },
         {{0, 0, shadowColour}, {5, 5, lightColour}, {3, 3, brushColour}}},
        {"tdPColorRaised takes the brush colour",
         [] { return effect(tdPColorRaised); },
         {{5, 5, shadowColour}, {0, 0, lightColour}, {2, 2, brushColour}}},
        {"tdShadow", [] { return effect(tdShadow); }, {{3, 3, shadowColour}, {0, 0, textColour}}},
        {"tdExtrude toTopLeft",
         extrude(toTopLeft, 2),
         {{1, 1, shadowColour}, {2, 2, shadowColour}, {2, 2, textColour}}},
        {"tdExtrude toBottomLeft",
         extrude(toBottomLeft, 2),
         {{1, 2, shadowColour}, {2, 1, shadowColour}, {2, 1, textColour}}},
        {"tdExtrude toBottomRight",
         extrude(toBottomRight, 2),
         {{2, 2, shadowColour}, {1, 1, shadowColour}, {1, 1, textColour}}},
        {"tdExtrude toTopRight",
         extrude(toTopRight, 2),
         {{2, 1, shadowColour}, {1, 2, shadowColour}, {1, 2, textColour}}},
        {"tdExtrude depth 0 toBottomLeft", extrude(toBottomLeft, 0), {{0, 1, textColour}}},
        {"tdExtrude depth 0 toBottomRight", extrude(toBottomRight, 0), {{1, 1, textColour}}},
        {"tdExtrude depth 0 toTopLeft", extrude(toTopLeft, 0), {{0, 0, textColour}}},
        {"tdExtrude depth 0 toTopRight", extrude(toTopRight, 0), {{1, 0, textColour}}},
        {"tdExtrudeEnh fades from shadow toward light",
         extrudeEnh(2, FromQColor(white), FromQColor(black)),
         {{1, 1, blend127}, {2, 2, black}, {2, 2, textColour}}},
        {"tdExtrudeEnh blends system colours as drawn",
         extrudeEnh(2, clBtnHighlight, clBtnShadow),
         {{1, 1, QColor(191, 191, 191)}, {2, 2, grey}, {2, 2, textColour}}},
    };
    for (const StyleRow& row : rows) {
        const TLMDFxCaption e = row.Effect();
        EXPECT_EQ(draw(&e, row.State), stamped(row.Copies)) << row.Name;
    }
}

TEST(TextEffects, DisabledLooks)
{
    auto with = [](TLMDThreeDStyle style, TLMDDisabledStyle disabled) {
        TLMDFxCaption e = effect(style, 1, 1);
        e.SetDisabledStyle(disabled);
        return e;
    };
    const std::vector<StyleRow> rows = {
        {"dsAuto keeps the style in grey text, light copy unchanged",
         [&] { return with(tdSunken, dsAuto); },
         {{1, 1, lightColour}, {0, 0, grey}},
         dsfDisabled},
        {"dsAuto with the sunken flag sinks a plain text",
         [&] { return with(tdNone, dsAuto); },
         {{1, 1, lightColour}, {0, 0, grey}},
         dsfDisabled | dsfDisabledSunken},
        {"dsAuto without the flag stays plain", [&] { return with(tdNone, dsAuto); }, {{0, 0, grey}}, dsfDisabled},
        {"ds3d sinks any style",
         [&] { return with(tdRaised, ds3d); },
         {{1, 1, lightColour}, {0, 0, grey}},
         dsfDisabled},
        {"dsStandard keeps the style even with the flag",
         [&] { return with(tdRaised, dsStandard); },
         {{0, 0, lightColour}, {1, 1, grey}},
         dsfDisabled | dsfDisabledSunken},
        {"dsNone looks enabled",
         [&] { return with(tdSunken, dsNone); },
         {{1, 1, lightColour}, {0, 0, textColour}},
         dsfDisabled},
    };
    for (const StyleRow& row : rows) {
        const TLMDFxCaption e = row.Effect();
        EXPECT_EQ(draw(&e, row.State), stamped(row.Copies)) << row.Name;
    }
}

TEST(TextEffects, NothingDrawnForEmptyTextOrRectangle)
{
    const TLMDFxCaption e = effect(tdSunken);
    const QImage blank = Canvas({90, 90});
    EXPECT_EQ(draw(&e, dsfEnabled, QString()), blank);
    EXPECT_EQ(draw(&e, dsfEnabled, QStringLiteral("I"), 0, QRect(10, 10, 0, 40)), blank);
    EXPECT_EQ(draw(&e, dsfEnabled, QStringLiteral("I"), 0, QRect(10, 10, 40, 0)), blank);
    EXPECT_NE(draw(&e, dsfEnabled, QStringLiteral("I"), 0, QRect(10, 10, 8, 30)), blank);
}

TEST(TextEffects, ClipFlagKeepsTheDrawingInsideTheClipRectangle)
{
    const TLMDFxCaption e = effect(tdShadow);
    const QRect clip(10, 10, 6, 60);
    const QImage clipped = draw(&e, dsfEnabled | dsfClip, QStringLiteral("W"), 0, area, &clip);
    EXPECT_TRUE(clip.contains(InkBox(clipped))) << InkBox(clipped).x() << "+" << InkBox(clipped).width();
    // Without the flag the same clip rectangle is ignored.
    EXPECT_FALSE(clip.contains(InkBox(draw(&e, dsfEnabled, QStringLiteral("W"), 0, area, &clip))));
}

TEST(TextEffects, OutlineStrokesTheGlyphsWithoutFillingThem)
{
    TLMDFxCaption e = effect(tdOutline, 1, 1);
    const QImage image = draw(&e, dsfEnabled, QStringLiteral("O"));
    const QImage filled = draw(nullptr, dsfEnabled, QStringLiteral("O"));
    EXPECT_GT(CountOf(image, textColour), 10);
    EXPECT_EQ(CountOf(image, lightColour) + CountOf(image, shadowColour), 0);
    // The middle of the letter stays empty, as in the filled letter.
    const QPoint middle = BoxOf(filled, textColour).center();
    EXPECT_EQ(QColor(image.pixel(middle)), QColor(Qt::white));
}

TEST(TextEffects, MeasuringMatchesWhatIsDrawn)
{
    const QFont font = PinnedFont(20);
    for (TLMDThreeDStyle style : {tdNone, tdSunken, tdRaisedShadow, tdShadow, tdExtrude}) {
        for (const QString& text : {QStringLiteral("Tallyrune"), QStringLiteral("Wg")}) {
            TLMDFxCaption e = effect(style, 1, 2);
            QRect measured(0, 0, 200, 10);
            MeasureEffectText(text, &e, 0, 0, true, false, font, measured);
            QImage image = Canvas(measured.size() + QSize(20, 20));
            QPainter p(&image);
            TCanvas canvas{&p, font, FromQColor(textColour), FromQColor(brushColour)};
            DrawEffectText(canvas, text, &e, measured, 0, dsfEnabled);
            p.end();
            const QRect ink = InkBox(image);
            EXPECT_TRUE(measured.contains(ink)) << style << " " << text.toStdString();
            // Two pixels of margin; the rest is the text and its effect, up to the glyphs' bearings.
            EXPECT_NEAR(ink.right() + 1, measured.width() - 2, 2) << style << " " << text.toStdString();
            EXPECT_NEAR(ink.bottom() + 1, measured.height() - 2, 6) << style << " " << text.toStdString();
        }
    }
}

TEST(TextEffects, MeasuringAddsRoomMarginsAndBevel)
{
    const QFont font = PinnedFont(20);
    auto measure = [&](const QString& text, TLMD3DCaption* e, int bevel, bool accel) {
        QRect r(5, 7, 300, 10);
        MeasureEffectText(text, e, 0, bevel, accel, false, font, r);
        return r;
    };
    const QRect plain = measure(QStringLiteral("Tally"), nullptr, 0, true);
    EXPECT_EQ(plain.topLeft(), QPoint(5, 7));
    TLMDFxCaption sunken = effect(tdSunken, 1), deep = effect(tdSunkenShadow, 2, 3);
    EXPECT_EQ(measure(QStringLiteral("Tally"), &sunken, 0, true).size(), plain.size() + QSize(1, 1));
    EXPECT_EQ(measure(QStringLiteral("Tally"), &deep, 0, true).size(), plain.size() + QSize(5, 5));
    EXPECT_EQ(measure(QStringLiteral("Tally"), nullptr, 3, true).size(), plain.size() + QSize(6, 6));
    // An empty caption, or a lone access-key sign, keeps one blank's size.
    const QSize blank = measure(QStringLiteral(" "), nullptr, 0, true).size();
    EXPECT_EQ(measure(QString(), nullptr, 0, true).size(), blank);
    EXPECT_EQ(measure(QStringLiteral("&"), nullptr, 0, true).size(), blank);
    EXPECT_NE(measure(QStringLiteral("&"), nullptr, 0, false).size(), blank);
    // Measuring puts an unturned effect's inset back to 0 without telling the owner.
    TLMDFxCaption inset = effect(tdNone);
    inset.SetPosX(4);
    inset.SetPosY(6);
    int reports = 0;
    inset.OnChange = [&](TLMDObject*) { ++reports; };
    measure(QStringLiteral("Tally"), &inset, 0, true);
    EXPECT_EQ(inset.PosX(), 0);
    EXPECT_EQ(inset.PosY(), 0);
    EXPECT_EQ(reports, 0);
}

TEST(TextEffects, TurnedTextStaysInsideItsMeasuredBox)
{
    const QFont font = PinnedFont(20);
    const QString text = QStringLiteral("Tallyrune");
    const QFontMetrics fm(font);
    for (int angle : {90, 45, 180, 270}) {
        TLMDFxCaption e = effect(tdNone);
        e.SetAngle(angle);
        QRect measured(0, 0, 10, 10);
        MeasureEffectText(text, &e, 0, 0, true, false, font, measured);
        QImage image = Canvas(measured.size() + QSize(40, 40));
        QPainter p(&image);
        TCanvas canvas{&p, font, FromQColor(textColour), FromQColor(brushColour)};
        DrawEffectText(canvas, text, &e, measured.translated(20, 20), 0, dsfEnabled);
        p.end();
        const QRect ink = InkBox(image).translated(-20, -20);
        // Up to the half pixels that the start point's whole-pixel arithmetic loses.
        EXPECT_TRUE(measured.adjusted(-2, -2, 2, 2).contains(ink)) << angle;
        if (angle == 90 || angle == 270) {
            // Standing upright: as tall as the text is wide, as wide as a line is high.
            EXPECT_EQ(measured.height(), fm.horizontalAdvance(text) + 2) << angle;
            EXPECT_EQ(measured.width(), fm.height() + 2) << angle;
            EXPECT_GT(ink.height(), ink.width() * 3) << angle;
        }
    }
}

TEST(TextEffects, EffectObjectsReportChangesOnce)
{
    TLMDFxCaption e;
    int reports = 0;
    e.OnChange = [&](TLMDObject* sender) {
        EXPECT_EQ(sender, &e);
        ++reports;
    };
    e.SetStyle(tdSunken);
    e.SetStyle(tdSunken); // unchanged: no report
    EXPECT_EQ(reports, 1);
    e.SetAngle(360);
    EXPECT_EQ(e.Angle(), 0);
    EXPECT_EQ(reports, 1);
    e.SetAngle(90);
    EXPECT_EQ(reports, 2);

    e.SuspendNotification();
    e.SetLightDepth(4);
    e.SetShadowDepth(5);
    EXPECT_EQ(reports, 2);
    e.ResumeNotification(true);
    EXPECT_EQ(reports, 3);

    TLMDFxCaption other;
    other.SetStyle(tdOutline);
    other.SetPosX(7);
    e = other;
    EXPECT_EQ(reports, 4);
    EXPECT_EQ(e.Style(), tdOutline);
    EXPECT_EQ(e.PosX(), 7);
    EXPECT_EQ(e.Angle(), 0);
    EXPECT_EQ(e.LightDepth(), 1);
    EXPECT_TRUE(e.OnChange != nullptr); // the owner's connection stays
    EXPECT_TRUE(other.OnChange == nullptr);
}
