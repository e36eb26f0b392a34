// The main window as a user meets it: layout, fonts, focus, keys, the logo and the copy job's
// source and destination, on the offscreen platform with the real event loop.
#include "app/TMainForm.h"
#include "app/UpdateUtility.h"
#include "update/ProgramFolder.h"
#include "controls/buttons/TLMDButton.h"
#include "controls/buttons/TLMDSpeedButton.h"
#include "controls/labels/TLMDLabel.h"
#include "framework/pictures/JpegImage.h"
#include "framework/widgets/StdControls.h"
#include "framework/TApplication.h"
#include "framework/widgets/TValueListEditor.h"
#include "platform/registry.h"
#include "shell/TabfFileOperation.h"
#include "support/ModalScript.h"
#include "support/TempDir.h"
#include "support/UpdatePath.h"

#include <QFontInfo>
#include <QIcon>
#include <QImage>
#include <QFontMetrics>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace {
class MainWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        TApplication::Instance().Reset();
        TApplication::Instance().SetTitle("Update Utility");
        form.reset(TApplication::Instance().CreateForm<TMainForm>());
    }
    void TearDown() override
    {
        form.reset();
        TApplication::Instance().Reset();
    }
    void showAndWait()
    {
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QTest::qWait(10);
    }

    ScopedCompatRoot root;
    std::unique_ptr<TMainForm> form;
};

} // namespace

TEST_F(MainWindow, GeometryColoursAndCaption)
{
    EXPECT_EQ(form->windowTitle(), "Tallyrune POS Update Utility");
    EXPECT_EQ(form->size(), QSize(596, 442));
    EXPECT_EQ(form->minimumSize(), form->maximumSize()); // fixed: cannot be resized
    const auto flags = form->windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
    EXPECT_EQ(form->palette().color(QPalette::Window), QColor(191, 255, 255));

    const struct {
        QWidget* w;
        QRect r;
    } places[] = {
        {form->Panel1, {0, 0, 596, 41}},
        {form->Panel2, {446, 4, 145, 35}},         {form->Image1, {8, -21, 125, 125}},
        {form->Label3, {16, 53, 199, 20}},         {form->ValueListEditor1, {16, 78, 429, 83}},
        {form->LMDButton3, {456, 132, 125, 29}},   {form->Label4, {16, 171, 198, 20}},
        {form->ValueListEditor2, {16, 196, 429, 83}}, {form->LMDButton4, {456, 248, 125, 29}},
        {form->Label1, {20, 292, 34, 13}},         {form->Memo1, {20, 306, 421, 21}},
        {form->Label2, {20, 330, 53, 13}},         {form->Edit1, {20, 344, 421, 21}},
        {form->UpdateButton, {20, 384, 129, 37}},  {form->HelpButton, {348, 392, 69, 29}},
        {form->AboutButton, {428, 392, 69, 29}},   {form->ExitButton, {508, 392, 68, 28}},
    };
    for (const auto& p : places) {
        if (qobject_cast<QLabel*>(p.w) == nullptr) {
            EXPECT_EQ(p.w->geometry(), p.r) << p.w->metaObject()->className();
            continue;
        }
        // Labels keep their place and size themselves to their caption in the local font.
        auto* label = qobject_cast<QLabel*>(p.w);
        EXPECT_EQ(label->pos(), p.r.topLeft()) << label->text().toStdString();
        EXPECT_GE(label->width(), QFontMetrics(label->font()).horizontalAdvance(label->text()));
    }

    EXPECT_EQ(form->UpdateButton->text(), "Update");
    EXPECT_EQ(form->LMDButton3->text(), "Get Current Version");
    EXPECT_EQ(form->LMDButton4->text(), "Check for New Version");
    EXPECT_EQ(form->HelpButton->text(), "Help");
    EXPECT_EQ(form->AboutButton->text(), "About");
    EXPECT_EQ(form->ExitButton->text(), "Exit");
    EXPECT_EQ(form->Label3->text(), "Current Program Version");
    EXPECT_EQ(form->Label4->text(), "Update Program Version");
    EXPECT_EQ(form->LMDLabel1->Caption(), "Tallyrune POS Update Utility");
    // The title label sizes itself to its caption when loading ends: text, sunken copy and margins.
    const QFontMetrics title(form->LMDLabel1->font());
    EXPECT_EQ(form->LMDLabel1->geometry(),
              QRect(8, 8, title.horizontalAdvance(form->LMDLabel1->Caption()) + 3, title.height() + 3));
    EXPECT_EQ(form->LMDLabel1->FontFX().Style(), tdSunken);
    EXPECT_EQ(form->LMDLabel1->Alignment(), agCenter);
    EXPECT_EQ(form->Panel1->BevelOuter(), bvRaised);
    EXPECT_EQ(form->Panel1->BevelInner(), bvLowered);
    EXPECT_EQ(form->Panel2->BevelOuter(), bvNone);
    // Both panels start empty: one blank row.
    EXPECT_EQ(form->ValueListEditor1->RowCount(), 1);
    EXPECT_EQ(form->ValueListEditor2->RowCount(), 1);
}

TEST_F(MainWindow, FontsResolveToMetricCompatibleFaces)
{
    QFontInfo title(form->LMDLabel1->font());
    EXPECT_EQ(title.family(), "Liberation Sans");
    EXPECT_EQ(title.pixelSize(), 21);
    EXPECT_TRUE(title.bold());

    QFontInfo heading(form->Label3->font());
    EXPECT_EQ(heading.pixelSize(), 16);
    EXPECT_TRUE(heading.bold());
    EXPECT_EQ(form->Label3->palette().color(QPalette::WindowText), QColor(0, 0, 0));

    QFontInfo window(form->Label1->font());
    EXPECT_EQ(window.pixelSize(), 11);
    EXPECT_FALSE(window.bold());
    EXPECT_FALSE(window.family().isEmpty());
    EXPECT_TRUE(QFontInfo(form->UpdateButton->font()).bold());
    EXPECT_FALSE(QFontInfo(form->ExitButton->font()).bold());
}

TEST_F(MainWindow, FocusStartsOnUpdateAndTabCyclesTheThreeButtons)
{
    showAndWait();
    EXPECT_EQ(QApplication::focusWidget(), form->UpdateButton);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->LMDButton3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->LMDButton4);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), form->UpdateButton);

    // The speed buttons answer the mouse but never take the focus; the boxes they open are closed.
    const std::pair<QWidget*, QString> speeds[] = {{form->HelpButton, "TMessageForm"},
                                                   {form->AboutButton, "LMDAboutForm"}};
    for (const auto& [speed, box] : speeds) {
        EXPECT_EQ(speed->focusPolicy(), Qt::NoFocus);
        ModalScript script;
        script.then(box, pressKey(Qt::Key_Escape));
        QTest::mouseClick(speed, Qt::LeftButton);
        EXPECT_TRUE(script.finished());
        EXPECT_EQ(form->focusWidget(), form->UpdateButton);
    }
}

TEST_F(MainWindow, EnterClicksTheDefaultButtonUnlessAnotherButtonHasTheFocus)
{
    int updates = 0, currents = 0;
    form->UpdateButton->OnClick = [&](TComponent* sender) {
        EXPECT_EQ(sender, form->UpdateButton);
        ++updates;
    };
    form->LMDButton3->OnClick = [&](TComponent*) { ++currents; };
    showAndWait();
    currents = 0; // showing the window clicked it once

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(updates, 1);

    form->Edit1->setFocus();
    QTest::keyClick(form->Edit1, Qt::Key_Enter);
    EXPECT_EQ(updates, 2);

    form->LMDButton3->setFocus();
    QTest::keyClick(form->LMDButton3, Qt::Key_Return);
    EXPECT_EQ(currents, 1);
    EXPECT_EQ(updates, 2);

    // Escape is bound to nothing: the window stays.
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(updates, 2);
}

TEST_F(MainWindow, ExitAndCloseEndTheApplication)
{
    showAndWait();
    QTest::mouseClick(form->ExitButton, Qt::LeftButton);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(TApplication::Instance().Terminated());
}

TEST_F(MainWindow, PanelTwoShowsLogoRows21To55)
{
    const QImage logo = JpegImage::load(":/logo.jpg");
    ASSERT_EQ(logo.size(), QSize(125, 125));
    EXPECT_EQ(form->Image1->Picture().size(), QSize(125, 125));

    const QImage shown = form->Panel2->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(145, 35));
    for (int y = 0; y < 35; ++y)
        for (int x = 0; x < 125; x += 7)
            ASSERT_EQ(shown.pixel(8 + x, y), logo.pixel(x, y + 21)) << x << "," << y;
    // Left of the picture the panel is white.
    EXPECT_EQ(QColor(shown.pixel(2, 17)), QColor(Qt::white));
}

TEST_F(MainWindow, CopyJobIsPreparedFromTheProgramFolder)
{
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_EQ(form->Edit1->Text(), folder);
    EXPECT_EQ(form->Memo1->Text(), folder + "Update/*.*\r\n");
    EXPECT_EQ(form->abfFileOperation1->DestFolder(), folder);
    EXPECT_EQ(form->abfFileOperation1->ProgressTitle(), "Updating Tallyrune ...");
    ASSERT_EQ(form->abfFileOperation1->FileList().Count(), 1);
    EXPECT_EQ(form->abfFileOperation1->FileList().Strings(0), folder + "Update/*.*");
    EXPECT_EQ(form->abfFileOperation1->Options(),
              (TabfFileOperationFlags{fofNoConfirmation, fofNoConfirmMkDir, fofSimpleProgress}));
}

TEST(MainWindowSettings, UpdatePathIsTakenAsStored)
{
    ScopedCompatRoot root;
    // A path that does not start at the root (the blank counts) is taken below the program folder.
    for (const auto& [value, folder] : std::vector<std::pair<std::string, std::string>>{
             {"/srv/upd", "/srv/upd"},
             {"/srv/upd/", "/srv/upd/"},
             {" /srv/a b ", ProgramFolder() + " /srv/a b "},
             {"upd", ProgramFolder() + "upd"},
             {"../upd", ProgramFolder() + "../upd"}}) {
        setUpdatePath(value);
        TApplication::Instance().Reset();
        std::unique_ptr<TMainForm> form(TApplication::Instance().CreateForm<TMainForm>());
        EXPECT_EQ(form->abfFileOperation1->FileList().Strings(0), folder + "/*.*");
        EXPECT_EQ(form->Memo1->Text(), folder + "/*.*\r\n");
    }
    TApplication::Instance().Reset();
}

TEST_F(MainWindow, EveryWindowCarriesTheProgramsIcon)
{
    const QIcon before = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon());
    SetApplicationIcon();
    const QIcon icon = QApplication::windowIcon();
    QApplication::setWindowIcon(before);
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes(), QList<QSize>{QSize(48, 48)});
    EXPECT_EQ(icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32),
              QImage(":/app-icon.png").convertToFormat(QImage::Format_ARGB32));
}
