// The message dialog as a user meets it: its layout from the font's average character size, its keys,
// its close box and its Ctrl+C text, answered through the real widgets.
#include "framework/widgets/MessageDialog.h"
#include "framework/TApplication.h"
#include "framework/widgets/TMessageForm.h"
#include "platform/desktop.h"
#include "platform/user.h"
#include "support/ModalScript.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

namespace {

const char question2[] = "Program update might not be necessary. Are you sure you want to continue? ";

class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        TApplication::Instance().Reset();
        TApplication::Instance().SetTitle("Update Utility");
    }
    void TearDown() override { TApplication::Instance().Reset(); }
};

int rounded(int a, int b, int c)
{
    return (a * b + c / 2) / c;
}

struct Measures {
    int W, H;
    int hMargin() const { return rounded(8, W, 4); }
    int vMargin() const { return rounded(8, H, 8); }
    int hSpacing() const { return rounded(10, W, 4); }
    int vSpacing() const { return rounded(10, H, 8); }
    int buttonHeight() const { return rounded(14, H, 8); }
    int buttonSpacing() const { return W; }
    int minButtonWidth() const { return rounded(50, W, 4); }
};

Measures measuresOf(const QFont& font)
{
    QFontMetrics m(font);
    const QString letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    return {m.horizontalAdvance(letters) / 52, m.height()};
}

std::vector<QPushButton*> buttonsOf(const QWidget& form)
{
    auto list = form.findChildren<QPushButton*>();
    std::vector<QPushButton*> v(list.begin(), list.end());
    std::sort(v.begin(), v.end(), [](auto* a, auto* b) { return a->x() < b->x(); });
    return v;
}

int halfScreen()
{
    return QGuiApplication::primaryScreen()->geometry().width() / 2;
}

} // namespace

TEST_F(MessageBoxes, QuestionIsLaidOutFromTheAverageCharacterSize)
{
    TMessageForm form(question2, mtConfirmation, mbYesNoSet);
    const Measures m = measuresOf(form.font());
    EXPECT_EQ(form.AverageCharWidth(), m.W);
    EXPECT_EQ(form.AverageCharHeight(), m.H);
    ASSERT_GT(m.W, 3);
    EXPECT_EQ(form.objectName(), "TMessageForm");
    EXPECT_EQ(form.windowTitle(), "Confirm");
    EXPECT_EQ(form.minimumSize(), form.maximumSize()) << "fixed size";
    EXPECT_FALSE(form.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));

    auto* icon = form.findChild<QLabel*>("Image");
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->geometry(), QRect(m.hMargin(), m.vMargin(), 32, 32));
    EXPECT_EQ(icon->pixmap().size(), QSize(32, 32));

    auto* text = form.findChild<QLabel*>("Message");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), question2) << "the trailing blank is kept";
    EXPECT_EQ(text->x(), m.hMargin() + 32 + m.hSpacing());
    EXPECT_EQ(text->y(), m.vMargin());
    EXPECT_LT(text->height(), 2 * m.H) << "one line at half the screen";

    auto buttons = buttonsOf(form);
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0]->objectName(), "Yes");
    EXPECT_EQ(buttons[0]->text(), "&Yes");
    EXPECT_EQ(buttons[1]->objectName(), "No");
    EXPECT_EQ(buttons[1]->text(), "&No");
    const int bw = buttons[0]->width();
    EXPECT_EQ(buttons[1]->width(), bw);
    EXPECT_EQ(bw, m.minButtonWidth()) << "both captions are narrower than the least width";
    EXPECT_EQ(buttons[0]->height(), m.buttonHeight());
    EXPECT_EQ(buttons[1]->x() - buttons[0]->x(), bw + m.buttonSpacing());
    const int blockHeight = std::max(32, text->height());
    EXPECT_EQ(buttons[0]->y(), blockHeight + m.vMargin() + m.vSpacing());

    const int blockWidth = text->width() + m.hSpacing() + 32;
    EXPECT_EQ(form.width(), blockWidth + 2 * m.hMargin());
    EXPECT_EQ(form.height(), blockHeight + m.buttonHeight() + m.vSpacing() + 2 * m.vMargin());
    // Centred: the row stands (client width - row width) / 2 from the left.
    const int row = 2 * bw + m.buttonSpacing();
    EXPECT_EQ(buttons[0]->x(), (form.width() - row) / 2);
}

TEST_F(MessageBoxes, LongTextWrapsWithinHalfTheScreen)
{
    std::string text;
    for (int i = 0; i < 60; ++i)
        text += "wrapping words " + std::to_string(i) + " ";
    TMessageForm form(text, mtInformation, mbOKSet);
    const Measures m = measuresOf(form.font());
    auto* label = form.findChild<QLabel*>("Message");
    ASSERT_NE(label, nullptr);
    EXPECT_LE(label->width(), halfScreen());
    EXPECT_GT(label->width(), halfScreen() - 12 * m.W) << "lines fill the width up to a word";
    EXPECT_GE(label->height(), 3 * m.H);
    EXPECT_EQ(form.windowTitle(), "Information");
    // The text block is taller than the icon: the buttons stand below the text.
    auto buttons = buttonsOf(form);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->y(), label->height() + m.vMargin() + m.vSpacing());
    EXPECT_EQ(form.width(), label->width() + m.hSpacing() + 32 + 2 * m.hMargin());
}

TEST_F(MessageBoxes, ShortPlainTextGetsItsCaptionsWidthAndNoIcon)
{
    TMessageForm form("Hi", mtCustom, mbOKSet);
    const Measures m = measuresOf(form.font());
    EXPECT_EQ(form.windowTitle(), "Update Utility");
    EXPECT_EQ(form.findChild<QLabel*>("Image"), nullptr);
    auto* label = form.findChild<QLabel*>("Message");
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label->pos(), QPoint(m.hMargin(), m.vMargin())) << "text starts at the left margin";
    auto buttons = buttonsOf(form);
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(buttons[0]->objectName(), "OK");
    // Wider than the button row and margins: the title bar shows "Update Utility" whole beside the
    // window's icon and three title-bar buttons of 16 pixels each, and 16 more for the gaps between them.
    QFont bold = QApplication::font();
    bold.setBold(true);
    EXPECT_GE(form.width(), QFontMetrics(bold).horizontalAdvance("Update Utility") + 5 * 16);
    EXPECT_EQ(buttons[0]->x(), (form.width() - m.minButtonWidth()) / 2);
    EXPECT_EQ(buttons[0]->y(), label->height() + m.vMargin() + m.vSpacing())
        << "no icon: the block is the text's height";
    EXPECT_LT(buttons[0]->y(), 32 + m.vMargin());
}

TEST_F(MessageBoxes, WideCaptionsWidenEveryButtonAlike)
{
    // "Yes to All" and "No to All" are wider than the least width in any usual font.
    TMessageForm form("Replace?", mtWarning, (1u << mbYes) | (1u << mbNoToAll) | (1u << mbYesToAll) | (1u << mbCancel));
    const Measures m = measuresOf(form.font());
    EXPECT_EQ(form.windowTitle(), "Warning");
    auto buttons = buttonsOf(form);
    ASSERT_EQ(buttons.size(), 4u);
    // In the table's order, not the order of the set's bits as written.
    EXPECT_EQ(buttons[0]->objectName(), "Yes");
    EXPECT_EQ(buttons[1]->objectName(), "Cancel");
    EXPECT_EQ(buttons[2]->objectName(), "NoToAll");
    EXPECT_EQ(buttons[3]->objectName(), "YesToAll");
    const int captionWidth =
        QFontMetrics(form.font()).boundingRect(QRect(), Qt::TextShowMnemonic, "Yes to &All").width() + 8;
    const int expected = std::max(m.minButtonWidth(), captionWidth);
    for (auto* b : buttons)
        EXPECT_EQ(b->width(), expected) << b->objectName().toStdString();
    const int row = 4 * expected + 3 * m.buttonSpacing();
    EXPECT_EQ(form.width(), std::max(row, QFontMetrics(form.font()).horizontalAdvance("Replace?") + m.hSpacing() + 32) +
                                2 * m.hMargin());
}

struct KeyCase {
    const char* name;
    TMsgDlgButtons buttons;
    std::function<ModalScript::Answer()> answer;
    int result;
};

TEST_F(MessageBoxes, EnterEscapeAndTheCloseBoxForBothButtonSets)
{
    const KeyCase cases[] = {
        {"yes/no Enter", mbYesNoSet, [] { return pressKey(Qt::Key_Return); }, mrYes},
        {"yes/no keypad Enter", mbYesNoSet, [] { return pressKey(Qt::Key_Enter); }, mrYes},
        {"yes/no Escape", mbYesNoSet, [] { return pressKey(Qt::Key_Escape); }, mrNo},
        {"yes/no close box", mbYesNoSet, [] { return closeFromTitleBar(); }, mrCancel},
        {"yes/no click No", mbYesNoSet, [] { return clickButton("No"); }, mrNo},
        {"yes/no Tab then Enter", mbYesNoSet,
         [] {
             return [](QWidget* box) {
                 QTest::keyClick(box->focusWidget(), Qt::Key_Tab);
                 QTest::keyClick(box->focusWidget(), Qt::Key_Return);
             };
         },
         mrNo},
        {"OK Enter", mbOKSet, [] { return pressKey(Qt::Key_Return); }, mrOk},
        {"OK Escape", mbOKSet, [] { return pressKey(Qt::Key_Escape); }, mrOk},
        {"OK close box", mbOKSet, [] { return closeFromTitleBar(); }, mrCancel},
        {"Abort/Retry Escape does nothing, Enter retries", (1u << mbAbort) | (1u << mbRetry),
         [] {
             return [](QWidget* box) {
                 QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
                 QTest::keyClick(box, Qt::Key_Enter); // Enter outside the buttons
             };
         },
         mrRetry},
    };
    for (const auto& c : cases) {
        ModalScript script;
        bool firstHadFocus = false;
        script.then("TMessageForm", [&](QWidget* box) {
            auto* first = buttonsOf(*box).front();
            firstHadFocus = box->focusWidget() == first;
            c.answer()(box);
        });
        EXPECT_EQ(MessageDialog("Question?", mtConfirmation, c.buttons, 0), c.result) << c.name;
        EXPECT_TRUE(script.finished()) << c.name;
        EXPECT_TRUE(firstHadFocus) << c.name;
        EXPECT_EQ(script.unexpected(), 0) << c.name;
    }
}

TEST_F(MessageBoxes, PlainMessageIsCaptionedWithTheApplicationTitle)
{
    ModalScript script;
    script.then("TMessageForm", pressKey(Qt::Key_Return));
    ShowPlainMessage("Call us.");
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].caption, "Update Utility");
    EXPECT_EQ(script.seen()[0].text, "Call us.");
}

TEST_F(MessageBoxes, CtrlCCopiesCaptionTextAndButtons)
{
    QApplication::clipboard()->clear();
    const std::string d = "---------------------------\r\n";
    {
        ModalScript script;
        script.then("TMessageForm", [](QWidget* box) {
            QTest::keyClick(box->focusWidget(), Qt::Key_C, Qt::ControlModifier);
            QTest::keyClick(box->focusWidget(), Qt::Key_Return);
        });
        EXPECT_EQ(MessageDialog("Update Process completed.", mtInformation, mbOKSet, 0), mrOk);
    }
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              d + "Information\r\n" + d + "Update Process completed.\r\n" + d + "OK   \r\n" + d);

    ModalScript second;
    second.then("TMessageForm", [](QWidget* box) {
        QTest::keyClick(box->focusWidget(), Qt::Key_C, Qt::ControlModifier);
        QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
    });
    MessageDialog("A?", mtConfirmation, mbYesNoSet | (1u << mbNoToAll), 0);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              d + "Confirm\r\n" + d + "A?\r\n" + d + "Yes   No   No to All   \r\n" + d);
}

TEST_F(MessageBoxes, ClipboardHeldElsewhereRaisesCannotOpenClipboard)
{
    QApplication::clipboard()->setText("kept");
    int other = 0;
    ASSERT_TRUE(OpenClipboard(reinterpret_cast<HWND>(&other)));
    ModalScript script;
    script.then("TMessageForm", pressKey(Qt::Key_C, Qt::ControlModifier))
        .then("ErrorBox", clickButton("OK"))
        .then("TMessageForm", pressKey(Qt::Key_Return));
    // The error box answers from inside the still open dialog; the dialog stays and is answered after.
    EXPECT_EQ(MessageDialog("Text", mtInformation, mbOKSet, 0), mrOk);
    CloseClipboard();
    ASSERT_EQ(script.seen().size(), 3u);
    EXPECT_EQ(script.seen()[1].kind, "ErrorBox");
    EXPECT_EQ(script.seen()[1].text, "Cannot open clipboard.");
    EXPECT_EQ(script.seen()[1].caption, "Update Utility");
    EXPECT_EQ(QApplication::clipboard()->text(), "kept");
}

namespace {
// A press as the display sends it while a key is held down.
void sendRepeat(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers, const QString& text)
{
    QKeyEvent repeat(QEvent::KeyPress, key, modifiers, text, true);
    QApplication::sendEvent(target, &repeat);
}

// An access key clicks its button a moment later, as the button shows itself pressed; a box left
// open by then was not answered.
bool answeredWithin(QWidget* box)
{
    return QTest::qWaitFor([box] { return !box->isVisible(); }, 500);
}
} // namespace

TEST_F(MessageBoxes, KeysDownBeforeTheBoxCameOrRepeatingAnswerNothingUntilPressedAfresh)
{
    const struct {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        const char* text;
        int result;
        bool pressedHere; // false: pressed in another program, only its repeats arrive
    } rows[] = {
        {"Enter", Qt::Key_Return, Qt::NoModifier, "\r", mrYes, true},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", mrYes, true},
        {"Escape", Qt::Key_Escape, Qt::NoModifier, "\x1b", mrNo, true},
        {"Space on Yes", Qt::Key_Space, Qt::NoModifier, " ", mrYes, true},
        {"bare n", Qt::Key_N, Qt::NoModifier, "n", mrNo, true},
        {"Alt+N", Qt::Key_N, Qt::AltModifier, "n", mrNo, true},
        {"Enter from elsewhere", Qt::Key_Return, Qt::NoModifier, "\r", mrYes, false},
        {"Escape from elsewhere", Qt::Key_Escape, Qt::NoModifier, "\x1b", mrNo, false},
        {"n from elsewhere", Qt::Key_N, Qt::NoModifier, "n", mrNo, false},
    };
    QWidget before;
    before.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&before));
    for (const auto& r : rows) {
        // Pressed in another window and still down as the box opens.
        if (r.pressedHere)
            QTest::keyPress(&before, r.key, r.modifiers);
        bool openWhileHeld = false, openAfterRelease = false;
        ModalScript script;
        script.then("TMessageForm", [&](QWidget* box) {
            QWidget* focus = box->focusWidget();
            sendRepeat(focus, r.key, r.modifiers, r.text);
            sendRepeat(focus, r.key, r.modifiers, r.text);
            // Where the display does not mark repeats, a held key's press looks like any other.
            if (r.pressedHere)
                QTest::keyPress(focus, r.key, r.modifiers);
            openWhileHeld = box->isVisible();
            if (r.pressedHere)
                QTest::keyRelease(focus, r.key, r.modifiers);
            openAfterRelease = box->isVisible();
            QTest::keyClick(box->focusWidget(), r.key, r.modifiers);
            if (!answeredWithin(box))
                box->close();
        });
        EXPECT_EQ(MessageDialog("Question?", mtConfirmation, mbYesNoSet, 0), r.result) << r.name;
        EXPECT_TRUE(openWhileHeld) << r.name;
        EXPECT_TRUE(openAfterRelease) << r.name;
    }
}

TEST_F(MessageBoxes, AccessKeysAnswerBareAsWithAlt)
{
    const TMsgDlgButtons three = mbYesNoSet | (1u << mbNoToAll);
    const struct {
        const char* name;
        TMsgDlgButtons buttons;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int result;
    } rows[] = {
        {"y", mbYesNoSet, Qt::Key_Y, Qt::NoModifier, mrYes},
        {"Shift+Y", mbYesNoSet, Qt::Key_Y, Qt::ShiftModifier, mrYes},
        {"n", mbYesNoSet, Qt::Key_N, Qt::NoModifier, mrNo},
        {"Alt+Y", mbYesNoSet, Qt::Key_Y, Qt::AltModifier, mrYes},
        {"Alt+N", mbYesNoSet, Qt::Key_N, Qt::AltModifier, mrNo},
        {"o of N&o to All", three, Qt::Key_O, Qt::NoModifier, mrNoToAll},
        {"a letter no button has, then Escape", mbYesNoSet, Qt::Key_X, Qt::NoModifier, mrNo},
        {"Ctrl+N is no access key, then Escape", mbYesNoSet, Qt::Key_N, Qt::ControlModifier, mrNo},
    };
    for (const auto& r : rows) {
        ModalScript script;
        script.then("TMessageForm", [&](QWidget* box) {
            QTest::keyClick(box->focusWidget(), r.key, r.modifiers);
            if (!answeredWithin(box))
                QTest::keyClick(box->focusWidget(), Qt::Key_Escape);
        });
        EXPECT_EQ(MessageDialog("Question?", mtConfirmation, r.buttons, 0), r.result) << r.name;
    }
}

TEST_F(MessageBoxes, SystemBoxesAnswerBareAccessKeys)
{
    const struct {
        const char* name;
        UINT type;
        Qt::Key key;
        int result;
    } rows[] = {
        {"y", MB_YESNO, Qt::Key_Y, IDYES},
        {"n", MB_YESNO, Qt::Key_N, IDNO},
        {"r", MB_RETRYCANCEL, Qt::Key_R, IDRETRY},
        {"i", MB_ABORTRETRYIGNORE, Qt::Key_I, IDIGNORE},
    };
    for (const auto& r : rows) {
        ModalScript script;
        script.then("MessageBox", [&](QWidget* box) {
            QTest::keyClick(box->focusWidget(), r.key);
            if (!answeredWithin(box))
                box->close();
        });
        EXPECT_EQ(MessageBoxExA(nullptr, "Question?", "Update Utility", r.type, 0), r.result) << r.name;
    }
}
