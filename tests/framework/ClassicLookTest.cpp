// The classic 3-D look of every window, by its pixels: the message box's face, bevels and icons, the
// two-pixel client edge of a version panel and an edit.
#include "framework/widgets/StdControls.h"
#include "framework/widgets/TValueListEditor.h"
#include "platform/user.h"
#include "support/ModalScript.h"

#include "controls/Pixels.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const QColor face(212, 208, 200), white(255, 255, 255), shadow(128, 128, 128), darkShadow(64, 64, 64);

// The colours down the middle column of a widget, from the top row.
std::vector<QColor> column(QWidget* widget)
{
    const QImage image = widget->grab().toImage();
    std::vector<QColor> colours;
    for (int y = 0; y < image.height(); ++y)
        colours.emplace_back(image.pixel(image.width() / 2, y));
    return colours;
}

} // namespace

TEST(ClassicLook, MessageBoxIsGreyWithBevelledButtonsAndAClassicIcon)
{
    const struct {
        UINT icon;
        QColor sign; // the colour that only that icon carries
    } rows[] = {
        {MB_ICONHAND, QColor(255, 0, 0)},
        {MB_ICONEXCLAMATION, QColor(255, 255, 0)},
        {MB_ICONQUESTION, QColor(0, 0, 255)},
        {MB_ICONASTERISK, QColor(0, 0, 255)},
    };
    for (const auto& row : rows) {
        QImage box;
        std::vector<QColor> noButton, yesButton;
        ModalScript script;
        script.then("MessageBox", [&](QWidget* w) {
            box = w->grab().toImage();
            yesButton = column(w->findChild<QPushButton*>("Yes"));
            noButton = column(w->findChild<QPushButton*>("No"));
            clickButton("No")(w);
        });
        MessageBoxExA(nullptr, "Update now?", "Update Utility", MB_YESNO | row.icon, 0);
        ASSERT_TRUE(script.finished()) << row.icon;
        EXPECT_EQ(QColor(box.pixel(1, 1)), face) << row.icon;
        EXPECT_GT(CountOf(box, row.sign), 20) << row.icon;
        // A plain button, inside the room of a default frame: white above, shadow and dark shadow below.
        ASSERT_GT(noButton.size(), 4u);
        const std::vector<QColor> plainEdges{noButton[0], noButton[1], noButton[noButton.size() - 3],
                                             noButton[noButton.size() - 2], noButton.back()};
        EXPECT_EQ(plainEdges, (std::vector<QColor>{face, white, shadow, darkShadow, face})) << row.icon;
        // The default button is framed in dark shadow over the same bevel.
        ASSERT_GT(yesButton.size(), 4u);
        EXPECT_EQ(yesButton[0], darkShadow) << row.icon;
        EXPECT_EQ(yesButton[1], white) << row.icon;
    }
}

TEST(ClassicLook, VersionPanelAndEditHaveTheTwoPixelClientEdge)
{
    QWidget window;
    window.resize(300, 200);
    auto* panel = new TValueListEditor(nullptr, &window);
    panel->setGeometry(0, 0, 200, 83);
    auto* edit = new TEdit(nullptr, &window);
    edit->setGeometry(0, 100, 200, 21);
    for (QWidget* control : {static_cast<QWidget*>(panel), static_cast<QWidget*>(edit)}) {
        const std::vector<QColor> colours = column(control);
        ASSERT_GT(colours.size(), 4u);
        EXPECT_EQ(colours[0], shadow) << control->metaObject()->className();
        EXPECT_EQ(colours[1], darkShadow) << control->metaObject()->className();
        EXPECT_EQ(colours[colours.size() - 1], white) << control->metaObject()->className();
        EXPECT_EQ(colours[colours.size() - 2], face) << control->metaObject()->className();
    }
}
