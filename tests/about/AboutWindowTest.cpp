// The About window as a user meets it: built on the real event loop, looked at while it shows,
// and closed with the keyboard or the mouse from the test.
#include "about/TLMDAboutDlg.h"
#include "about/TLMDApplication.h"
#include "controls/labels/TLMDSimpleLabel.h"
#include "framework/widgets/StdControls.h"
#include "framework/TApplication.h"
#include "framework/TForm.h"
#include "support/ModalScript.h"

#include <QDesktopServices>
#include <QFontInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>

class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

namespace {
const char* const parts[] = {"Image",          "OKButton",     "CustomButton", "Bevel",    "lblAppName", "lblVersion",
                             "lblDescription", "lblCopyright", "lblinfo1",     "lblinfo2", "lblJump",    "lblEMail"};

QString caption(QWidget* w)
{
    if (auto* label = dynamic_cast<TLMDSimpleLabel*>(w))
        return label->Caption();
    if (auto* button = qobject_cast<QPushButton*>(w))
        return button->text();
    return {};
}

// What the window showed, taken while it was open.
struct Seen {
    bool answered = false;
    QString title;
    QRect frame;
    QRect client;
    std::map<std::string, QRect> at;
    std::map<std::string, QString> text;
    std::map<std::string, bool> shown;
    std::string focus;
    QFont titleFont;
    QFont versionFont;

    int bottom(const std::string& part) { return at[part].y() + at[part].height(); }
};

void keyTo(QWidget* window, Qt::Key key)
{
    QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
    QTest::keyClick(target, key);
}

void look(QWidget* window, Seen& seen)
{
    seen.title = window->windowTitle();
    seen.frame = window->frameGeometry();
    seen.client = window->geometry();
    for (const char* name : parts) {
        auto* w = window->findChild<QWidget*>(QString::fromLatin1(name));
        if (w == nullptr)
            continue;
        seen.at[name] = w->geometry();
        seen.text[name] = caption(w);
        seen.shown[name] = w->isVisibleTo(window);
    }
    if (QWidget* f = window->focusWidget())
        seen.focus = f->objectName().toStdString();
    seen.titleFont = window->findChild<QWidget*>("lblAppName")->font();
    seen.versionFont = window->findChild<QWidget*>("lblVersion")->font();
}

class AboutWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        TApplication::Instance().Reset();
        TApplication::Instance().SetTitle("Update Utility");
    }
    void TearDown() override
    {
        TApplication::Instance().Reset();
        LMDApplication() = TLMDApplication();
    }

    // The settings the utility's own About box has.
    void asInTheProgram()
    {
        dlg.SetAppname("Update Utility");
        dlg.SetAppNameSize(18);
        dlg.SetCaptionTitle("About Update Utility");
        dlg.SetDescription("Tallyrune Update Utility");
        dlg.SetColors(16);
        dlg.SetIconStyle(isStandard);
        dlg.SetUseResInfo(true);
        dlg.SetUseResVersionInfoStyle(vsFileFull);
        dlg.SetCopyright("Copyright (C) 2026 Harrowmere Software");
        dlg.SetEMail("support@harrowmere.example");
        dlg.SetJump("https://www.harrowmere.example/");
    }

    // Shows the window, looks at it, runs extra steps, then clicks OK.
    Seen show(const std::function<void(QWidget*)>& more = {})
    {
        Seen seen;
        ModalScript script;
        script.then("LMDAboutForm", [&](QWidget* window) {
            look(window, seen);
            if (more)
                more(window);
            if (window->isVisible())
                QTest::mouseClick(window->findChild<QWidget*>("OKButton"), Qt::LeftButton);
        });
        EXPECT_TRUE(dlg.Execute());
        seen.answered = script.finished() && script.unexpected() == 0;
        EXPECT_TRUE(seen.answered);
        return seen;
    }

    TLMDAboutDlg dlg{nullptr};
};
} // namespace

TEST_F(AboutWindow, LaidOutAsTheProgramShowsIt)
{
    asInTheProgram();
    Seen s = show();
    EXPECT_EQ(s.title, "About Update Utility");
    EXPECT_EQ(s.client.width(), 410);
    EXPECT_EQ(s.at["Image"].topLeft(), QPoint(13, 7));
    EXPECT_EQ(s.at["lblAppName"].topLeft(), QPoint(60, 12));
    EXPECT_EQ(s.text["lblAppName"], "Update Utility");
    EXPECT_EQ(QFontInfo(s.titleFont).family(), "Liberation Sans");
    EXPECT_TRUE(s.titleFont.bold());
    EXPECT_EQ(s.titleFont.pixelSize(), 24); // 18 points at 96 dpi

    EXPECT_EQ(s.at["lblVersion"].topLeft(), QPoint(60, 66));
    EXPECT_EQ(s.text["lblVersion"], "Version 1.0.8.130");
    EXPECT_TRUE(s.versionFont.bold());
    EXPECT_EQ(s.at["lblDescription"].topLeft(), QPoint(60, s.bottom("lblVersion") + 4));
    EXPECT_EQ(s.text["lblDescription"], "Tallyrune Update Utility");
    EXPECT_EQ(s.at["lblCopyright"].topLeft(), QPoint(60, s.bottom("lblDescription") + 24));
    EXPECT_EQ(s.text["lblCopyright"], "Copyright (C) 2026 Harrowmere Software");
    EXPECT_EQ(s.at["lblJump"].topLeft(), QPoint(60, s.bottom("lblCopyright") + 1));
    EXPECT_EQ(s.text["lblJump"], "https://www.harrowmere.example/");
    EXPECT_EQ(s.at["lblEMail"].topLeft(), QPoint(60, s.bottom("lblJump") + 3));
    EXPECT_EQ(s.text["lblEMail"], "support@harrowmere.example");
    EXPECT_EQ(s.at["Bevel"], QRect(60, s.bottom("lblEMail") + 6, 340, 2));

    const int infoTop = s.at["Bevel"].y() + 9;
    EXPECT_EQ(s.at["lblinfo1"].topLeft(), QPoint(60, infoTop));
    EXPECT_EQ(s.at["lblinfo2"].topLeft(), QPoint(60 + s.at["lblinfo1"].width(), infoTop));
    EXPECT_EQ(s.text["lblinfo1"], "Available Memory:\rPlatform, CPU:");
    EXPECT_TRUE(s.text["lblinfo2"].endsWith(" or compatible"));
    // Both lines of each column, one below the other.
    EXPECT_GE(s.at["lblinfo1"].height(), 2 * QFontMetrics(s.versionFont).height() - 2);

    const int okTop = infoTop + std::max(s.at["lblinfo1"].height(), s.at["lblinfo2"].height()) + 24;
    EXPECT_EQ(s.at["OKButton"], QRect(410 - 6 - 75, okTop, 75, 25));
    EXPECT_EQ(s.text["OKButton"], "OK");
    EXPECT_EQ(s.client.height(), okTop + 25 + 6);
    EXPECT_EQ(s.focus, "OKButton");
    EXPECT_FALSE(s.shown["CustomButton"]);
    for (const char* label : {"lblAppName", "lblVersion", "lblDescription", "lblCopyright", "lblJump", "lblEMail"})
        EXPECT_LE(s.at[label].width(), 340) << label;

    const QSize screen = QGuiApplication::primaryScreen()->size();
    // Centred by its outer rectangle, frame included.
    EXPECT_EQ(s.frame.topLeft(),
              QPoint((screen.width() - s.frame.width()) / 2, (screen.height() - s.frame.height()) / 2));
}

TEST_F(AboutWindow, WithoutIcon)
{
    asInTheProgram();
    dlg.SetIconStyle(isNone);
    Seen s = show();
    EXPECT_EQ(s.client.width(), 340);
    EXPECT_FALSE(s.shown["Image"]);
    EXPECT_EQ(s.at["lblAppName"].topLeft(), QPoint(10, 10));
    EXPECT_EQ(s.at["lblVersion"].topLeft(), QPoint(10, std::max(60, s.bottom("lblAppName") + 10)));
    EXPECT_EQ(s.at["Bevel"], QRect(10, s.bottom("lblEMail") + 6, 320, 2));
    EXPECT_EQ(s.at["OKButton"].x(), 340 - 6 - 75);
}

TEST_F(AboutWindow, ExtendedIconWithItsShadow)
{
    asInTheProgram();
    dlg.SetIconStyle(isExtended);
    QImage picture;
    Seen s = show([&](QWidget* window) { picture = window->findChild<TImage*>("Image")->Picture(); });
    EXPECT_EQ(s.client.width(), 440);
    EXPECT_EQ(s.at["Image"], QRect(15, 7, 105, 105));
    EXPECT_EQ(s.at["lblAppName"].topLeft(), QPoint(128, 24));
    EXPECT_EQ(s.at["lblVersion"].y(), std::max(112, s.bottom("lblAppName") + 10));
    EXPECT_EQ(s.at["Bevel"], QRect(128, s.bottom("lblEMail") + 6, 440 - 128 - 6, 2));
    EXPECT_EQ(s.at["OKButton"].x(), 440 - 6 - 75);
    // The 72 x 72 bitmap stretched over the image: black frame at the top left, grey shadow at
    // the bottom right, button face in the shadow's gap at the bottom left.
    ASSERT_EQ(picture.size(), QSize(105, 105));
    EXPECT_EQ(QColor(picture.pixel(0, 0)), QColor(Qt::black));
    EXPECT_EQ(QColor(picture.pixel(104, 104)), QColor(0x80, 0x80, 0x80));
    EXPECT_EQ(QColor(picture.pixel(1, 104)), QColor(212, 208, 200));
    EXPECT_EQ(QColor(picture.pixel(104, 1)), QColor(212, 208, 200));
}

TEST_F(AboutWindow, LongTitleWrapsAndPushesTheLinesDown)
{
    asInTheProgram();
    dlg.SetAppname("Update Utility for every till in the shop, the back office and the stock room");
    Seen s = show();
    EXPECT_GT(s.at["lblAppName"].height(), 2 * QFontMetrics(s.titleFont).height() - 4);
    EXPECT_LE(s.at["lblAppName"].width(), 340);
    EXPECT_EQ(s.at["lblVersion"].y(), s.bottom("lblAppName") + 10);
    EXPECT_GT(s.at["lblVersion"].y(), 66);
}

TEST_F(AboutWindow, BlankAppnameTakesTheResourceOrTheApplicationTitle)
{
    asInTheProgram();
    TApplication::Instance().SetTitle("Title Of The Application");
    dlg.SetAppname("   ");
    EXPECT_EQ(show().text["lblAppName"], "Update Utility"); // the resource's product name
    dlg.SetUseResInfo(false);
    EXPECT_EQ(show().text["lblAppName"], "Title Of The Application");
}

TEST_F(AboutWindow, VersionLineByItsSource)
{
    asInTheProgram();
    const struct {
        TLMDAboutVersionStyle style;
        const char* line;
    } rows[] = {{vsProg, "Version 1.0.0.0"},
                {vsFileShort, "Version 1.0"},
                {vsFileFull, "Version 1.0.8.130"},
                {vsFileBuild, "Version 1.0 (Build 8.130)"}};
    for (const auto& row : rows) {
        dlg.SetUseResVersionInfoStyle(row.style);
        EXPECT_EQ(show().text["lblVersion"], row.line);
    }
    dlg.SetVersion("2.5 beta"); // shown as it is, without "Version "
    EXPECT_EQ(show().text["lblVersion"], "2.5 beta");
}

TEST_F(AboutWindow, DefaultsFromTheLibraryApplication)
{
    LMDApplication().SetCompanyName("Acme Tills");
    LMDApplication().SetVersion("7.1");
    dlg.SetIconStyle(isStandard);
    dlg.SetUseDefault(true);
    Seen s = show();
    EXPECT_EQ(s.text["lblCopyright"], QString::fromUtf8("\rCopyright \u00a9 by Acme Tills"));
    EXPECT_EQ(s.text["lblVersion"], "Version 7.1");
    // No description: the copyright stands 24 below the version line all the same.
    EXPECT_EQ(s.at["lblCopyright"].y(), s.bottom("lblVersion") + 4 + 24);
    EXPECT_EQ(s.text["lblDescription"], "");
    EXPECT_EQ(s.title, "Info Update Utility...");
}

TEST_F(AboutWindow, CopyrightAndDescriptionFromTheResource)
{
    asInTheProgram();
    dlg.SetCopyright("");
    dlg.SetDescription("");
    dlg.SetUseDefault(true); // the resource comes first
    Seen s = show();
    EXPECT_EQ(s.text["lblCopyright"], "\rCopyright (C) 2026 Harrowmere Software");
    EXPECT_EQ(s.text["lblDescription"], "Tallyrune Update Utility");
    // The leading empty line takes a line of its own.
    EXPECT_GE(s.at["lblCopyright"].height(), 2 * QFontMetrics(s.versionFont).height() - 2);
}

TEST_F(AboutWindow, BlankLinksAreHiddenAndLeaveTheirGap)
{
    asInTheProgram();
    dlg.SetEMail("");
    Seen s = show();
    EXPECT_TRUE(s.shown["lblJump"]);
    EXPECT_FALSE(s.shown["lblEMail"]);
    EXPECT_EQ(s.at["Bevel"].y(), s.bottom("lblJump") + 6 + 6);

    dlg.SetEMail("support@harrowmere.example");
    dlg.SetJump(" ");
    s = show();
    EXPECT_FALSE(s.shown["lblJump"]);
    EXPECT_EQ(s.at["lblEMail"].y(), s.bottom("lblCopyright") + 1 + 3);
    EXPECT_EQ(s.at["Bevel"].y(), s.bottom("lblEMail") + 6);
}

TEST_F(AboutWindow, EnterEscapeAndTheTitleBarClose)
{
    asInTheProgram();
    for (auto close : {std::function<void(QWidget*)>([](QWidget* w) { keyTo(w, Qt::Key_Return); }),
                       std::function<void(QWidget*)>([](QWidget* w) { keyTo(w, Qt::Key_Escape); }),
                       std::function<void(QWidget*)>([](QWidget* w) { w->close(); })}) {
        QPointer<QWidget> window;
        ModalScript script;
        script.then("LMDAboutForm", [&](QWidget* w) {
            window = w;
            close(w);
        });
        EXPECT_TRUE(dlg.Execute());
        EXPECT_TRUE(script.finished());
        EXPECT_TRUE(window.isNull()); // destroyed once closed
        EXPECT_EQ(dlg.ShowingWindow(), nullptr);
    }
}

TEST_F(AboutWindow, CustomButtonAndCustomizing)
{
    asInTheProgram();
    dlg.SetCustomButton("Licence...");
    int clicks = 0;
    TComponent* customized = nullptr;
    bool visibleWhenCustomized = true;
    dlg.OnCustomClick = [&](TComponent*) { ++clicks; };
    dlg.OnCustomize = [&](TComponent* sender) {
        customized = sender;
        visibleWhenCustomized = dynamic_cast<TForm*>(sender)->isVisible();
    };
    bool stillOpen = false;
    Seen s = show([&](QWidget* window) {
        EXPECT_EQ(dynamic_cast<TForm*>(customized), window);
        QTest::mouseClick(window->findChild<QWidget*>("CustomButton"), Qt::LeftButton);
        stillOpen = window->isVisible();
    });
    EXPECT_FALSE(visibleWhenCustomized);
    EXPECT_TRUE(s.shown["CustomButton"]);
    EXPECT_EQ(s.text["CustomButton"], "Licence...");
    EXPECT_EQ(s.at["CustomButton"], QRect(s.at["OKButton"].x() - 75 - 6, s.at["OKButton"].y(), 75, 25));
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(stillOpen);
}

TEST_F(AboutWindow, CaptionTitleChangedWhileShowing)
{
    asInTheProgram();
    QString during;
    show([&](QWidget* window) {
        dlg.SetCaptionTitle("About the Update Utility");
        during = window->windowTitle();
    });
    EXPECT_EQ(during, "About the Update Utility");
    dlg.SetCaptionTitle("Changed while closed"); // nothing showing: only remembered
    EXPECT_EQ(show().title, "Changed while closed");
}

TEST_F(AboutWindow, LinksOpenTheirTargets)
{
    asInTheProgram();
    UrlRecorder recorder;
    QDesktopServices::setUrlHandler("https", &recorder, "open");
    QDesktopServices::setUrlHandler("mailto", &recorder, "open");
    TColor pressed = 0;
    bool enabled = false;
    show([&](QWidget* window) {
        auto* web = window->findChild<TLMDSimpleLabel*>("lblJump");
        EXPECT_EQ(web->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_EQ(web->FontColor(), 0xFF0000); // blue, as blue-green-red
        EXPECT_FALSE(web->Visited());
        EXPECT_TRUE(web->font().underline());
        QTest::mouseClick(web, Qt::LeftButton);
        QTest::mouseClick(window->findChild<QWidget*>("lblEMail"), Qt::LeftButton);
        pressed = web->FontColor();
        enabled = web->isEnabled();
    });
    QDesktopServices::unsetUrlHandler("https");
    QDesktopServices::unsetUrlHandler("mailto");
    ASSERT_EQ(recorder.opened.size(), 2);
    EXPECT_EQ(recorder.opened[0], QUrl("https://www.harrowmere.example/"));
    EXPECT_EQ(recorder.opened[1], QUrl("mailto:support@harrowmere.example"));
    EXPECT_EQ(pressed, 0x800080); // purple once visited
    EXPECT_TRUE(enabled);
}

TEST_F(AboutWindow, ALinkThatCannotOpenIsSwitchedOffSilently)
{
    asInTheProgram();
    dlg.SetJump("no-such-place-for-this-test");
    bool enabledAfter = true;
    QWidget* modalAfter = nullptr;
    QWidget* modal = nullptr;
    show([&](QWidget* window) {
        modal = window;
        auto* web = window->findChild<QWidget*>("lblJump");
        QTest::mouseClick(web, Qt::LeftButton);
        enabledAfter = web->isEnabled();
        modalAfter = QApplication::activeModalWidget();
    });
    EXPECT_FALSE(enabledAfter);
    EXPECT_EQ(modalAfter, modal); // no message box came up
}

TEST_F(AboutWindow, StandardBoxOfThePlatform)
{
    asInTheProgram();
    dlg.SetStyle(bsStandard);
    QString title, text;
    ModalScript script;
    script.then("ShellAbout", [&](QWidget* w) {
        title = w->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(w))
            text = box->text();
        keyTo(w, Qt::Key_Return);
    });
    EXPECT_TRUE(dlg.Execute());
    EXPECT_TRUE(script.finished());
    // The part before "#" is the title, the part after it the first line inside.
    EXPECT_EQ(title, "Update Utility");
    EXPECT_TRUE(text.startsWith("About Update Utility\n")) << text.toStdString();
    EXPECT_TRUE(text.endsWith("Copyright (C) 2026 Harrowmere Software")) << text.toStdString();
}

#include "AboutWindowTest.moc"
