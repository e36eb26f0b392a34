// The About and Help buttons of the main window: each shows its box, the box closes with Enter or
// Escape, and afterwards the window is as it was: same focus, no panel read again.
#include "app/HelpText.h"
#include "app/OpenMainWindow.h"
#include "app/TMainForm.h"
#include "controls/buttons/TLMDButton.h"
#include "controls/buttons/TLMDSpeedButton.h"
#include "controls/labels/TLMDSimpleLabel.h"
#include "framework/TApplication.h"
#include "framework/widgets/TValueListEditor.h"
#include "support/ModalScript.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {
class AboutAndHelp : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(openMainWindow(form));
        // Every refill of a panel goes through its button's click handler; count them from here.
        for (auto [button, count] :
             {std::pair{form->LMDButton3, &currentReads}, std::pair{form->LMDButton4, &updateReads}}) {
            auto original = button->OnClick;
            button->OnClick = [original, count](TComponent* sender) {
                ++*count;
                original(sender);
            };
        }
    }
    void TearDown() override
    {
        form.reset();
        TApplication::Instance().Reset();
    }

    ScopedCompatRoot root;
    std::unique_ptr<TMainForm> form;
    int currentReads = 0;
    int updateReads = 0;
};

QStringList linesOf(const std::string& text)
{
    return QString::fromStdString(text).split(QRegularExpression("\r\n|\r|\n"));
}
} // namespace

TEST(HelpText, FourLinesJoinedByCrLf)
{
    const std::string text = HelpText();
    const QStringList lines = QString::fromStdString(text).split("\r\n");
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[0].startsWith("Support: +"));
    EXPECT_EQ(lines[1], "Sales: " + lines[0].mid(9)); // one number for both
    EXPECT_EQ(lines[2], "Email: support@harrowmere.example");
    EXPECT_EQ(lines[3], "Website: https://www.harrowmere.example/");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 3); // no break after the last
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3);
}

TEST_F(AboutAndHelp, HelpShowsTheFourLinesAndClosesWithEnterOrEscape)
{
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        form->LMDButton4->setFocus();
        QTest::qWait(10);
        std::string shown;
        bool opened = false;
        {
            ModalScript script;
            script.then("TMessageForm", [&](QWidget* box) {
                opened = true;
                QTest::keyClick(box->focusWidget() != nullptr ? box->focusWidget() : box, static_cast<Qt::Key>(key));
            });
            QTest::mouseClick(form->HelpButton, Qt::LeftButton);
            ASSERT_TRUE(script.finished());
            ASSERT_EQ(script.seen().size(), 1u);
            EXPECT_EQ(script.seen()[0].caption, "Update Utility");
            shown = script.seen()[0].text;
        }
        EXPECT_TRUE(opened);
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "key " << key;
        const QStringList lines = linesOf(shown);
        ASSERT_EQ(lines.size(), 4) << shown;
        EXPECT_TRUE(lines[0].startsWith("Support: "));
        EXPECT_TRUE(lines[1].startsWith("Sales: "));
        EXPECT_EQ(lines[2], "Email: support@harrowmere.example");
        EXPECT_EQ(lines[3], "Website: https://www.harrowmere.example/");
        EXPECT_EQ(form->focusWidget(), form->LMDButton4); // given back when the window is active again
    }
    EXPECT_EQ(currentReads, 0);
    EXPECT_EQ(updateReads, 0);
}

TEST_F(AboutAndHelp, AboutShowsTheProgramsBoxAndClosesWithEnterOrEscape)
{
    for (int key : {Qt::Key_Return, Qt::Key_Escape}) {
        form->LMDButton3->setFocus();
        QTest::qWait(10);
        QString caption, version, title;
        ModalScript script;
        script.then("LMDAboutForm", [&](QWidget* window) {
            caption = window->windowTitle();
            title = window->findChild<TLMDSimpleLabel*>("lblAppName")->Caption();
            version = window->findChild<TLMDSimpleLabel*>("lblVersion")->Caption();
            QTest::keyClick(window->focusWidget() != nullptr ? window->focusWidget() : window,
                            static_cast<Qt::Key>(key));
        });
        QTest::mouseClick(form->AboutButton, Qt::LeftButton);
        ASSERT_TRUE(script.finished());
        EXPECT_EQ(caption, "About Update Utility");
        EXPECT_EQ(title, "Update Utility");
        EXPECT_EQ(version, "Version 1.0.8.130"); // this program carries the utility's version block
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "key " << key;
        EXPECT_EQ(form->focusWidget(), form->LMDButton3);
    }
    EXPECT_EQ(currentReads, 0);
    EXPECT_EQ(updateReads, 0);
}

TEST_F(AboutAndHelp, APanelWithTheFocusIsNotRefilledEither)
{
    // The grid left by the focus refills itself; a box opening over the window is no such leaving.
    form->ValueListEditor1->setFocus();
    QTest::qWait(10);
    ASSERT_TRUE(form->ValueListEditor1->hasFocus() ||
                form->ValueListEditor1->isAncestorOf(QApplication::focusWidget()));
    ModalScript script;
    script.then("TMessageForm", clickButton("OK")).then("LMDAboutForm", pressKey(Qt::Key_Escape));
    QTest::mouseClick(form->HelpButton, Qt::LeftButton);
    QTest::mouseClick(form->AboutButton, Qt::LeftButton);
    EXPECT_TRUE(script.finished());
    EXPECT_EQ(currentReads, 0);
    EXPECT_EQ(updateReads, 0);
}
