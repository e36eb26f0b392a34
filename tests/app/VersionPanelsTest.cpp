// The two version panels of the real window, run from a program folder of its own with real
// version resources, driven by mouse clicks and keys as a user drives them.
#include "update/VersionPanels.h"
#include "InstalledCopy.h"
#include "app/OpenMainWindow.h"
#include "app/TMainForm.h"
#include "update/ProgramFolder.h"
#include "controls/buttons/TLMDButton.h"
#include "framework/TApplication.h"
#include "framework/widgets/TValueListEditor.h"
#include "platform/registry.h"
#include "support/TempDir.h"
#include "support/UpdatePath.h"
#include "version/VersionFixtures.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace fs = std::filesystem;
using Entries = std::vector<std::string>;

namespace {
const char* const keys[] = {"Product Name", "Product Version", "File Version", "Legal Copyright"};

// A program file whose string table holds the given values, in the order of the panel's rows;
// an empty value is left out of the table.
void writeProgram(const fs::path& file, const std::array<std::string, 4>& values)
{
    const char* const names[] = {"ProductName", "ProductVersion", "FileVersion", "LegalCopyright"};
    std::vector<std::pair<std::string, std::string>> strings{{"CompanyName", "Harrowmere Software"}};
    for (int i = 0; i < 4; ++i)
        if (!values[i].empty())
            strings.emplace_back(names[i], values[i]);
    fixtures::writePe(file, verwriter::simpleVersionInfo({1, 0, 0, 0}, strings));
}

Entries entriesOf(const std::array<std::string, 4>& values)
{
    Entries e;
    for (int i = 0; i < 4; ++i)
        e.push_back(std::string(keys[i]) + "=" + (values[i].empty() ? "Not Available" : values[i]));
    return e;
}

class VersionPanels : public ::testing::Test {
protected:
    void TearDown() override
    {
        form.reset();
        TApplication::Instance().Reset();
    }

    void open()
    {
        ASSERT_NO_FATAL_FAILURE(openMainWindow(form));
        current = form->ValueListEditor1;
        update = form->ValueListEditor2;
    }

    void openWith(const std::array<std::string, 4>& installedValues, const std::array<std::string, 4>& waitingValues)
    {
        writeProgram(installed, installedValues);
        writeProgram(waiting, waitingValues);
        open();
    }

    // The panel's entries, checked against what its rows show.
    static Entries shown(TValueListEditor* panel)
    {
        Entries e;
        for (int i = 0; i < panel->Strings().Count(); ++i) {
            e.push_back(panel->Strings().Strings(i));
            const std::string row =
                panel->item(i, 0)->text().toStdString() + "=" + panel->item(i, 1)->text().toStdString();
            EXPECT_EQ(row, e.back()) << "row " << i;
        }
        EXPECT_EQ(panel->rowCount(), panel->RowCount());
        return e;
    }
    static void expectTextColour(TValueListEditor* panel, const QColor& colour)
    {
        for (int r = 0; r < panel->rowCount(); ++r)
            for (int c = 0; c < 2; ++c)
                EXPECT_EQ(panel->item(r, c)->foreground().color(), colour) << r << "," << c;
    }
    static void click(TValueListEditor* panel, int col, int row)
    {
        QTest::mouseClick(panel->viewport(), Qt::LeftButton, {}, panel->visualItemRect(panel->item(row, col)).center());
    }
    static void key(Qt::Key k) { QTest::keyClick(QApplication::focusWidget(), k); }

    const fs::path folder = ProgramFolder();
    const fs::path installed = folder / "Tallyrune.exe";
    const fs::path waiting = folder / "Update" / "Tallyrune.exe";
    const std::array<std::string, 4> v14{"Tallyrune POS", "1.4", "1.4.2.310", "(C) 2025 Harrowmere"};
    const std::array<std::string, 4> v15{"Tallyrune POS", "1.5", "1.5.0.12", "(C) 2026 Harrowmere"};
    const std::array<std::string, 4> v16{"Tallyrune POS", "1.6", "1.6.0.1", "(C) 2027 Harrowmere"};
    std::unique_ptr<TMainForm> form;
    TValueListEditor* current = nullptr;
    TValueListEditor* update = nullptr;
};

const QColor green(0, 128, 0), red(255, 0, 0), windowText(0, 0, 0);
} // namespace

TEST_F(VersionPanels, ShowingTheWindowFillsBothPanelsWithTheUpdateInGreen)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    EXPECT_EQ(shown(current), entriesOf(v14));
    EXPECT_EQ(shown(update), entriesOf(v15));
    expectTextColour(update, green);
    expectTextColour(current, windowText);
    EXPECT_EQ(update->Values("File Version"), "1.5.0.12");
}

TEST_F(VersionPanels, MissingFilesAndValuesShowNotAvailable)
{
    if (!InInstalledCopy())
        return;
    open(); // neither file exists
    EXPECT_EQ(shown(current), entriesOf({}));
    EXPECT_EQ(shown(update), entriesOf({}));
    expectTextColour(update, red);
    expectTextColour(current, windowText);

    // A product name without a copyright is green; a current program without a product name
    // keeps the window's text colour.
    writeProgram(installed, {"", "1.4", "1.4.2.310", "(C) 2025"});
    writeProgram(waiting, {"Tallyrune POS", "1.5", "1.5.0.12", ""});
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    QTest::mouseClick(form->LMDButton3, Qt::LeftButton);
    EXPECT_EQ(shown(update), entriesOf({"Tallyrune POS", "1.5", "1.5.0.12", ""}));
    expectTextColour(update, green);
    EXPECT_EQ(shown(current), entriesOf({"", "1.4", "1.4.2.310", "(C) 2025"}));
    expectTextColour(current, windowText);

    // The update copy's product name alone decides the colour.
    writeProgram(waiting, {"", "1.5", "1.5.0.12", "(C) 2026"});
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    expectTextColour(update, red);
}

TEST_F(VersionPanels, EveryClickReadsTheFileAfreshAndLeavesFourRows)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    const std::array<std::string, 4>* versions[] = {&v15, &v16, &v14};
    for (const auto* v : versions) {
        writeProgram(installed, *v); // the same name, new contents
        writeProgram(waiting, *v);
        QTest::mouseClick(form->LMDButton3, Qt::LeftButton);
        EXPECT_EQ(shown(current), entriesOf(*v));
        QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
        EXPECT_EQ(shown(update), entriesOf(*v));
    }
    // Enter on a focused panel button clicks it too.
    writeProgram(installed, v16);
    form->LMDButton3->setFocus();
    QTest::keyClick(form->LMDButton3, Qt::Key_Return);
    EXPECT_EQ(shown(current), entriesOf(v16));
}

TEST_F(VersionPanels, AClickOnAKeyCellRefillsAndTheKeyCellDoesNotBecomeCurrent)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    for (TValueListEditor* panel : {current, update}) {
        writeProgram(panel == current ? installed : waiting, v16);
        click(panel, 0, 2);
        EXPECT_EQ(shown(panel), entriesOf(v16));
        EXPECT_EQ(panel->Col(), 1);
        EXPECT_EQ(panel->Row(), 0);
    }
    expectTextColour(update, green);
}

TEST_F(VersionPanels, SelectingRowsByMouseAndArrowKeysKeepsTheRowsInOrder)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    for (TValueListEditor* panel : {current, update}) {
        const fs::path file = panel == current ? installed : waiting;
        writeProgram(file, v16);
        click(panel, 1, 3); // the last row while the first is current
        EXPECT_EQ(shown(panel), entriesOf(v16));
        EXPECT_EQ(panel->Row(), 3);

        // Back to the first row: emptying the panel moves the current row off the end, and the
        // refill that this starts runs inside the first.
        writeProgram(file, v14);
        click(panel, 1, 0);
        EXPECT_EQ(shown(panel), entriesOf(v14));
        EXPECT_EQ(panel->Row(), 0);

        for (Qt::Key k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up,
                          Qt::Key_Up, Qt::Key_PageDown, Qt::Key_PageUp}) {
            key(k);
            EXPECT_EQ(shown(panel), entriesOf(v14)) << "after key " << k;
        }
        EXPECT_EQ(panel->Row(), 0);

        // A refill from the button while the last row is current runs the nested refill too.
        click(panel, 1, 3);
        writeProgram(file, v15);
        QTest::mouseClick(panel == current ? form->LMDButton3 : form->LMDButton4, Qt::LeftButton);
        EXPECT_EQ(shown(panel), entriesOf(v15));
    }
    expectTextColour(update, green);
    expectTextColour(current, windowText);
}

TEST_F(VersionPanels, TypedTextStandsUntilTheNextRefill)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    click(current, 1, 1);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "9.9");
    QTest::qWait(20);
    EXPECT_EQ(editor->text(), "9.9");

    // Enter keeps it and, as no button holds the focus, clicks the default button.
    int updates = 0;
    form->UpdateButton->OnClick = [&](TComponent*) {
        ++updates;
        EXPECT_EQ(current->Values("Product Version"), "9.9");
    };
    key(Qt::Key_Return);
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(current->item(1, 1)->text(), "9.9");

    // Leaving the panel refills it: the file's value is back.
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    EXPECT_EQ(shown(current), entriesOf(v14));
    EXPECT_EQ(shown(update), entriesOf(v15));

    // So does selecting another cell of the same panel.
    click(update, 1, 2);
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "typed");
    key(Qt::Key_Up);
    EXPECT_EQ(shown(update), entriesOf(v15));
    EXPECT_EQ(update->Row(), 1);
}

TEST_F(VersionPanels, LeavingAPanelForAnotherControlRefillsIt)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    click(current, 1, 2);
    writeProgram(installed, v16);
    click(update, 1, 1); // the focus moves from one panel to the other
    EXPECT_EQ(shown(current), entriesOf(v16));

    writeProgram(waiting, v16);
    form->UpdateButton->setFocus(Qt::TabFocusReason);
    QTest::qWait(10);
    EXPECT_EQ(shown(update), entriesOf(v16));
}

TEST_F(VersionPanels, TheUpdatePanelFollowsUpdatePathOnEveryRefill)
{
    if (!InInstalledCopy())
        return;
    TempDir elsewhere;
    writeProgram(waiting, v15);
    writeProgram(elsewhere / "upd" / "Tallyrune.exe", v16);
    open();
    EXPECT_EQ(shown(update), entriesOf(v15)); // no value: the program folder's Update

    setUpdatePath((elsewhere / "upd").string());
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    EXPECT_EQ(shown(update), entriesOf(v16));
    EXPECT_EQ(form->SMVersionInfo2->FileName(), (elsewhere / "upd" / "Tallyrune.exe").string());

    setUpdatePath((elsewhere / "none").string());
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    EXPECT_EQ(shown(update), entriesOf({}));
    expectTextColour(update, red);
}

TEST_F(VersionPanels, AnUpdatePathOfTheWrongTypeReachesTheErrorBoxAndTheWindowStaysUsable)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);

    std::vector<std::string> messages;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr)
            return;
        std::string text;
        for (auto* label : box->findChildren<QLabel*>())
            text += label->text().toStdString();
        messages.push_back(text);
        for (auto* button : box->findChildren<QAbstractButton*>())
            if (button->text().remove('&') == "OK")
                return button->click();
        box->close();
    });
    answer.start(20);

    const DWORD number = 42;
    setUpdatePath(&number, sizeof number, REG_DWORD);
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Invalid data type for 'Update Path'"), std::string::npos) << messages[0];
    // The refill ended where it stood: the panel had been emptied.
    EXPECT_EQ(shown(update), Entries{});
    EXPECT_EQ(update->RowCount(), 1);

    // Leaving the panel raises it again, from the focus change.
    form->activateWindow(); // as the window manager does once the box has gone
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    click(update, 1, 0);
    ASSERT_TRUE(update->hasFocus());
    QTest::mouseClick(form->LMDButton3, Qt::LeftButton);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(shown(current), entriesOf(v14));

    setUpdatePath(folder.string() + "Update");
    QTest::mouseClick(form->LMDButton4, Qt::LeftButton);
    answer.stop();
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(shown(update), entriesOf(v15));
    expectTextColour(update, green);
    EXPECT_TRUE(form->isVisible());
}

TEST_F(VersionPanels, TheCompanionShowsWhatTheWindowShows)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, {"Tallyrune \"POS\"", "1.5", "1.5.0.12", ""});

    QProcess companion;
    companion.start(QString::fromStdString((binDir() / "tallyrune-updatectl").string()),
                    {"versions", "--json", "--program-folder", QString::fromStdString(folder.string())});
    ASSERT_TRUE(companion.waitForFinished(30000));
    EXPECT_EQ(companion.exitCode(), 0) << companion.readAllStandardError().toStdString();

    auto object = [](TValueListEditor* panel) {
        std::string out = "{";
        for (const char* k : keys) {
            std::string v;
            for (char c : panel->Values(k))
                v += c == '"' ? std::string("\\\"") : std::string(1, c);
            out += std::string(out.size() > 1 ? ", " : "") + "\"" + k + "\": \"" + v + "\"";
        }
        return out + "}";
    };
    const std::string expected = "{\"current\": " + object(current) + ", \"update\": " + object(update) +
                                 ", \"update_colour\": \"green\", \"update_file\": \"" + waiting.string() + "\"}\n";
    EXPECT_EQ(companion.readAllStandardOutput().toStdString(), expected);
    expectTextColour(update, green);
}

TEST_F(VersionPanels, AnUpdatePathOfTheWrongTypeAtStartIsShownAndTheWindowStillOpens)
{
    if (!InInstalledCopy())
        return;
    writeProgram(installed, v14);
    const DWORD number = 42;
    setUpdatePath(&number, sizeof number, REG_DWORD);

    std::vector<std::string> messages;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (QWidget* box = QApplication::activeModalWidget()) {
            std::string text;
            for (auto* label : box->findChildren<QLabel*>())
                text += label->text().toStdString();
            messages.push_back(text);
            box->close();
        }
    });
    answer.start(20);
    open(); // the creation handler and then the update panel's refill each meet the value
    answer.stop();
    ASSERT_EQ(messages.size(), 2u);
    for (const std::string& m : messages)
        EXPECT_NE(m.find("Invalid data type for 'Update Path'"), std::string::npos) << m;
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(shown(current), entriesOf(v14));
    EXPECT_EQ(update->RowCount(), 1);
}

TEST_F(VersionPanels, TabAndShiftTabLeaveAPanelForTheNextStopAndRefillIt)
{
    if (!InInstalledCopy())
        return;
    openWith(v14, v15);
    struct Case {
        bool updatePanel;
        bool shift;
        bool updateDisabled;
        const char* focusedCaption;
    };
    const Case cases[] = {
        {false, false, false, "Get Current Version"},
        {false, true, false, "Update"},
        {true, false, false, "Get Current Version"},
        {true, true, false, "Update"},
        // A disabled stop is passed over; the order wraps to the last stop.
        {false, true, true, "Check for New Version"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.updatePanel ? "update panel" : "current panel") + (c.shift ? " Shift+Tab" : " Tab"));
        TValueListEditor* panel = c.updatePanel ? update : current;
        form->UpdateButton->setEnabled(!c.updateDisabled);
        click(panel, 1, 2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        ASSERT_NE(editor, nullptr);
        editor->selectAll();
        QTest::keyClicks(editor, "typed");
        QTest::keyClick(editor, Qt::Key_Tab, c.shift ? Qt::ShiftModifier : Qt::NoModifier);
        QTest::qWait(10);
        auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        ASSERT_NE(focused, nullptr);
        EXPECT_EQ(focused->text().toStdString(), c.focusedCaption);
        EXPECT_EQ(shown(panel), entriesOf(c.updatePanel ? v15 : v14)); // "typed" is gone
    }
}

// A copy placed in a folder serves that folder; only the copy in the install's bin folder serves
// Tallyrune's own folder, so that the bin folder is never updated as if it were a program folder.
TEST(ProgramFolder, AnInstalledCopyServesTallyrunesFolder)
{
    const struct {
        const char *exeFolder, *binFolder, *expected;
    } cases[] = {
        {"/usr/bin/", "/usr/bin/", "/opt/tallyrune/"},
        {"/opt/tallyrune/", "/usr/bin/", "/opt/tallyrune/"},
        {"/srv/pos/", "/usr/bin/", "/srv/pos/"},
        {"/usr/bin/pos/", "/usr/bin/", "/usr/bin/pos/"},
        {"/usr/", "/usr/bin/", "/usr/"},
        {"/usr/local/bin/", "/usr/bin/", "/usr/local/bin/"},
        {"/usr/bin/", "", "/usr/bin/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramFolderOf(c.exeFolder, c.binFolder, "/opt/tallyrune/"), c.expected)
            << c.exeFolder << " with " << c.binFolder;
}
