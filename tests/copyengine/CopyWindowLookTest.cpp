// The copy's windows in the classic 3-D look, by their pixels: the progress window's face, bar and
// Cancel button, and the error dialog's face, stop icon and a width that shows its caption whole.
#include "platform/copyprogress.h"
#include "platform/gui/copy/error_dialog.h"
#include "platform/gui/copy/progress_dialog.h"

#include "controls/Pixels.h"

#include <QApplication>
#include <QFontMetrics>
#include <QImage>
#include <QPushButton>
#include <atomic>
#include <gtest/gtest.h>

namespace {

const QColor face(212, 208, 200), white(255, 255, 255), shadow(128, 128, 128), darkShadow(64, 64, 64);

// A button's bevel down its middle column, inside the room kept for a default frame: the top row
// and the two rows above the bottom one.
std::vector<QColor> bevelRows(QWidget* button)
{
    const QImage image = button->grab().toImage();
    const int x = image.width() / 2, h = image.height();
    return {QColor(image.pixel(x, 1)), QColor(image.pixel(x, h - 3)), QColor(image.pixel(x, h - 2))};
}

} // namespace

TEST(CopyWindowLook, ProgressWindowIsGreyWithAClassicBarAndButton)
{
    std::atomic<bool> cancel{false};
    wincompat::gui::ProgressDialog dialog(nullptr, "Updating Tallyrune ...", true, cancel);
    wincompat::CopyProgress progress;
    progress.bytesTotal = 1000;
    progress.bytesDone = 500;
    dialog.showProgress(progress, "");
    dialog.adjustSize();
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(1, 1)), face);
    // The bar's done part in the selection's dark blue.
    EXPECT_GT(CountOf(image, QColor(10, 36, 106)), 100);
    auto* button = dialog.findChild<QPushButton*>("cancelButton");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(bevelRows(button), (std::vector<QColor>{white, shadow, darkShadow}));
}

TEST(CopyWindowLook, ErrorDialogIsGreyWithAStopIconAndShowsItsCaptionWhole)
{
    wincompat::fileop::JobFailure failure{"copy", "/opt/till/Update/Tallyrune.exe", "", 28};
    wincompat::gui::ErrorDialog dialog(nullptr, failure);
    dialog.adjustSize();
    const QImage image = dialog.grab().toImage();
    EXPECT_EQ(QColor(image.pixel(1, 1)), face);
    EXPECT_GT(CountOf(image, QColor(255, 0, 0)), 200) << "the red stop disc";
    auto* skip = dialog.findChild<QPushButton*>("skipButton");
    ASSERT_NE(skip, nullptr);
    EXPECT_EQ(bevelRows(skip), (std::vector<QColor>{white, shadow, darkShadow}));
    QFont bold = QApplication::font();
    bold.setBold(true);
    // The caption beside the window's icon and three title-bar buttons of 16 pixels each, and 16 more
    // for the gaps between them.
    EXPECT_GE(dialog.width(), QFontMetrics(bold).horizontalAdvance("Error Copying File or Folder") + 5 * 16);
}
