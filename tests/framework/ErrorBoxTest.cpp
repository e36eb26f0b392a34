// The message loop's error box: its text, caption and icon, the windows it blocks without greying
// them, and the silent abort.
#include "framework/ErrorBox.h"
#include "framework/core/Exceptions.h"
#include "framework/TApplication.h"
#include "support/ModalScript.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {
class ErrorBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        TApplication::Instance().Reset();
        TApplication::Instance().SetTitle("Update Utility");
    }
    void TearDown() override { TApplication::Instance().Reset(); }
};

// Raises the error from a handler run by the message loop, and waits until the loop has dealt with it.
template <class Error> void raiseFromHandler(const Error& error)
{
    bool ran = false;
    QTimer::singleShot(0, [&] {
        ran = true;
        throw error;
    });
    QTRY_VERIFY_WITH_TIMEOUT(ran, 5000);
    QTest::qWait(20);
}
} // namespace

TEST_F(ErrorBoxes, FullStopIsAddedWhenTheLastCharacterSortsAfterIt)
{
    const struct {
        const char* message;
        const char* shown;
    } rows[] = {
        {"Failed to create key Update", "Failed to create key Update."},
        {"Already ends.", "Already ends."},
        {"Stop!", "Stop!"},
        {"Code 5", "Code 5."},
        {"(in brackets)", "(in brackets)"}, // ')' sorts before '.'
        {"a/", "a/."},                      // '/' sorts right after '.'
        {"minus-", "minus-"},               // '-' sorts right before '.'
        {"", ""},
        {"caf\xc3\xa9", "caf\xc3\xa9."}, // bytes above 127 sort after '.'
    };
    for (const auto& r : rows)
        EXPECT_EQ(ErrorBoxText(r.message), r.shown) << r.message;
}

TEST_F(ErrorBoxes, HandlerErrorShowsTitleStopIconAndOneOkButton)
{
    ModalScript script;
    QString iconKey;
    int buttonCount = 0;
    script.then("ErrorBox", [&](QWidget* box) {
        auto* message = qobject_cast<QMessageBox*>(box);
        ASSERT_NE(message, nullptr);
        buttonCount = static_cast<int>(message->buttons().size());
        iconKey = message->icon() == QMessageBox::Critical ? QStringLiteral("stop") : QString();
        EXPECT_EQ(message->iconPixmap().size(), QSize(32, 32));
        clickButton("OK")(box);
    });
    raiseFromHandler(ERegistryException("Failed to create key Update"));
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 5000);
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text, "Failed to create key Update.");
    EXPECT_EQ(script.seen()[0].caption, "Update Utility");
    EXPECT_EQ(buttonCount, 1);
    EXPECT_EQ(iconKey, "stop");
}

TEST_F(ErrorBoxes, MarkupInAMessageIsShownAsText)
{
    ModalScript script;
    bool plain = false;
    script.then("ErrorBox", [&](QWidget* box) {
        plain = qobject_cast<QMessageBox*>(box)->textFormat() == Qt::PlainText;
        clickButton("OK")(box);
    });
    raiseFromHandler(Exception("Cannot read <b>file</b>"));
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 5000);
    EXPECT_TRUE(plain);
    EXPECT_EQ(script.seen().at(0).text, "Cannot read <b>file</b>.");
}

TEST_F(ErrorBoxes, SilentAbortShowsNothing)
{
    ModalScript script;
    raiseFromHandler(EAbort());
    QTest::qWait(100);
    EXPECT_TRUE(script.seen().empty());
}

TEST_F(ErrorBoxes, OtherWindowsTakeNoInputMeanwhileKeepTheirLookAndTheActiveOneGetsItsFocusBack)
{
    QWidget first, second;
    auto* firstEdit = new QLineEdit(&first);
    (void)firstEdit;
    auto* layout = new QVBoxLayout(&second);
    auto* top = new QLineEdit(&second);
    auto* bottom = new QLineEdit(&second);
    layout->addWidget(top);
    layout->addWidget(bottom);
    first.setWindowTitle("first");
    second.setWindowTitle("second");
    first.show();
    second.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
    second.activateWindow();
    bottom->setFocus();
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::activeWindow() == &second, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(QApplication::focusWidget() == bottom, 5000);
    // The window that is not active: no caret blinks in it, so its look is the same from grab to grab.
    const QImage firstBefore = first.grab().toImage();

    bool firstEnabled = false, secondEnabled = false, boxEnabled = false, blocksAll = false;
    QImage firstDuring;
    ModalScript script;
    script.then("ErrorBox", [&](QWidget* box) {
        firstEnabled = first.isEnabled();
        secondEnabled = second.isEnabled();
        boxEnabled = box->isEnabled();
        blocksAll = QApplication::activeModalWidget() == box && box->windowModality() == Qt::ApplicationModal;
        firstDuring = first.grab().toImage();
        clickButton("OK")(box);
        // Something else takes the activation as the box closes; it is handed back all the same.
        QApplication::setActiveWindow(&first);
    });
    raiseFromHandler(Exception("Disk full"));
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 5000);
    EXPECT_TRUE(blocksAll);
    EXPECT_TRUE(firstEnabled);
    EXPECT_TRUE(secondEnabled);
    EXPECT_TRUE(boxEnabled);
    EXPECT_EQ(firstDuring, firstBefore);
    EXPECT_TRUE(first.isEnabled());
    EXPECT_TRUE(second.isEnabled());
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), &second, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(bottom), 5000);
}

TEST_F(ErrorBoxes, AWindowDisabledBeforehandStaysDisabled)
{
    QWidget off;
    off.setEnabled(false);
    off.show();
    ModalScript script;
    script.then("ErrorBox", clickButton("OK"));
    raiseFromHandler(Exception("x"));
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 5000);
    EXPECT_FALSE(off.isEnabled());
}

TEST_F(ErrorBoxes, CtrlCCopiesCaptionTextAndButtonAsTheMessageDialogDoes)
{
    QApplication::clipboard()->clear();
    ModalScript script;
    script.then("ErrorBox", [](QWidget* box) {
        QTest::keyClick(box->focusWidget(), Qt::Key_C, Qt::ControlModifier);
        clickButton("OK")(box);
    });
    raiseFromHandler(ERegistryException("Failed to create key Update"));
    QTRY_VERIFY_WITH_TIMEOUT(script.finished(), 5000);
    const std::string d = "---------------------------\r\n";
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              d + "Update Utility\r\n" + d + "Failed to create key Update.\r\n" + d + "OK   \r\n" + d);
}
