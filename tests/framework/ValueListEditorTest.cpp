// The key/value grid in a real window: entries, which cells may become current through the mouse
// and the arrow keys, the exit event, editing, and deletions requested from inside a deletion.
#include "framework/widgets/TValueListEditor.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {
struct Selection {
    int col, row;
    bool operator==(const Selection&) const = default;
};

// Records the keys that reach the window itself, as a window's default button would see them.
class RecordingWindow : public QWidget {
public:
    std::vector<int> keys;

protected:
    void keyPressEvent(QKeyEvent* event) override { keys.push_back(event->key()); }
};

class ValueListEditor : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<RecordingWindow>();
        grid = new TValueListEditor(nullptr, window.get());
        grid->setGeometry(16, 16, 429, 83);
        grid->ReadProperty("ColWidths[0]", "95");
        grid->ReadProperty("DefaultRowHeight", "18");
        grid->ReadProperty("TabStop", "False");
        other = new QPushButton("Other", window.get());
        other->setGeometry(460, 16, 100, 30);
        window->resize(600, 140);
        grid->OnSelectCell = [this](TComponent* sender, int col, int row, bool& canSelect) {
            EXPECT_EQ(sender, grid);
            EXPECT_TRUE(canSelect);
            selections.push_back({col, row});
            if (onSelect)
                onSelect(col, row, canSelect);
        };
        grid->OnExit = [this](TComponent* sender) {
            EXPECT_EQ(sender, grid);
            ++exits;
        };
    }

    void fill()
    {
        for (const char* key : {"Product Name", "Product Version", "File Version", "Legal Copyright"})
            grid->SetValues(key, std::string("v-") + key);
    }
    void show()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
    }
    QPoint cellCentre(int col, int row) { return grid->visualItemRect(grid->item(row, col)).center(); }
    void click(int col, int row) { QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cellCentre(col, row)); }
    std::vector<std::string> entries() const
    {
        std::vector<std::string> e;
        for (int i = 0; i < grid->Strings().Count(); ++i)
            e.push_back(grid->Strings().Strings(i));
        return e;
    }

    std::unique_ptr<RecordingWindow> window;
    TValueListEditor* grid = nullptr;
    QPushButton* other = nullptr;
    std::vector<Selection> selections;
    std::function<void(int, int, bool&)> onSelect;
    int exits = 0;
};
} // namespace

TEST_F(ValueListEditor, EntriesAreRowsWithOneBlankRowWhenEmpty)
{
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->rowCount(), 1);
    EXPECT_EQ(grid->item(0, 0)->text(), "");
    grid->DeleteRow(0); // the blank row is no entry
    EXPECT_EQ(grid->RowCount(), 1);

    grid->SetValues("A", "1");
    EXPECT_EQ(grid->RowCount(), 1);
    grid->SetValues("B", "2");
    grid->SetValues("C", "3");
    grid->SetValues("B", "two"); // in place
    EXPECT_EQ(entries(), (std::vector<std::string>{"A=1", "B=two", "C=3"}));
    EXPECT_EQ(grid->rowCount(), 3);
    EXPECT_EQ(grid->item(1, 0)->text(), "B");
    EXPECT_EQ(grid->item(1, 1)->text(), "two");
    EXPECT_EQ(grid->Values("C"), "3");

    grid->DeleteRow(3);
    grid->DeleteRow(-1);
    EXPECT_EQ(grid->RowCount(), 3);
    grid->DeleteRow(1);
    EXPECT_EQ(entries(), (std::vector<std::string>{"A=1", "C=3"}));
    grid->DeleteRow(0);
    grid->DeleteRow(0);
    EXPECT_EQ(grid->RowCount(), 1);
    EXPECT_EQ(grid->item(0, 1)->text(), "");
    // Keys are never editable; the blank row has no value to edit either.
    EXPECT_FALSE(grid->item(0, 0)->flags() & Qt::ItemIsEditable);
    EXPECT_FALSE(grid->item(0, 1)->flags() & Qt::ItemIsEditable);
}

TEST_F(ValueListEditor, ColumnsRowsAndColour)
{
    fill();
    show();
    EXPECT_EQ(grid->KeyColumnWidth(), 95);
    EXPECT_EQ(grid->columnWidth(1), grid->viewport()->width() - 95 - 2);
    EXPECT_EQ(grid->rowHeight(3), 18);
    EXPECT_TRUE(grid->showGrid());
    EXPECT_EQ(grid->focusPolicy(), Qt::ClickFocus); // no tab stop

    grid->SetFontColor(0x008000);
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 2; ++c)
            EXPECT_EQ(grid->item(r, c)->foreground().color(), QColor(0, 128, 0)) << r << "," << c;
    grid->SetValues("Later", "x"); // rows added afterwards take the colour too
    EXPECT_EQ(grid->item(4, 0)->foreground().color(), QColor(0, 128, 0));

    // The line between the columns can be dragged; the value column keeps filling the rest.
    const int line = grid->columnViewportPosition(1);
    QTest::mousePress(grid->viewport(), Qt::LeftButton, {}, QPoint(line, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(line + 30, 5), grid->viewport()->mapToGlobal(QPointF(line + 30, 5)),
                     Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &move);
    QTest::mouseRelease(grid->viewport(), Qt::LeftButton, {}, QPoint(line + 30, 5));
    EXPECT_EQ(grid->KeyColumnWidth(), 125);
    EXPECT_EQ(grid->columnWidth(1), grid->viewport()->width() - 125 - 2);
    EXPECT_TRUE(selections.empty()); // sizing a column selects nothing
}

TEST_F(ValueListEditor, MouseSelectionAsksFirstAndKeyCellsNeverBecomeCurrent)
{
    fill();
    show();
    EXPECT_EQ(grid->Col(), 1);
    EXPECT_EQ(grid->Row(), 0);

    click(1, 2);
    EXPECT_EQ(selections, (std::vector<Selection>{{1, 2}}));
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);

    click(0, 3); // a key cell: asked about, refused
    EXPECT_EQ(selections.back(), (Selection{0, 3}));
    EXPECT_EQ(grid->Row(), 2);
    EXPECT_EQ(grid->Col(), 1);

    click(1, 2); // the current cell does not become current again
    EXPECT_EQ(selections.size(), 2u);

    onSelect = [](int, int, bool& canSelect) { canSelect = false; };
    click(1, 0);
    EXPECT_EQ(selections.back(), (Selection{1, 0}));
    EXPECT_EQ(grid->Row(), 2);
}

TEST_F(ValueListEditor, ArrowKeysSelectThroughTheSameEvent)
{
    fill();
    show();
    click(1, 0); // current already: gives the grid the focus, asks nothing
    EXPECT_TRUE(selections.empty());
    ASSERT_TRUE(grid->isAncestorOf(QApplication::focusWidget()) || grid->hasFocus());

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up); // nowhere to go
    EXPECT_TRUE(selections.empty());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_EQ(selections, (std::vector<Selection>{{1, 1}, {1, 2}}));
    EXPECT_EQ(grid->Row(), 2);

    // Left at the start of the value goes to the key column: asked about, refused.
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->setCursorPosition(1);
    QTest::keyClick(editor, Qt::Key_Left); // moves within the text
    EXPECT_EQ(selections.size(), 2u);
    QTest::keyClick(editor, Qt::Key_Left);
    EXPECT_EQ(selections.back(), (Selection{0, 2}));
    EXPECT_EQ(grid->Col(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // past the last row: stays
    EXPECT_EQ(selections.back(), (Selection{1, 3}));
    EXPECT_EQ(selections.size(), 4u);
    EXPECT_EQ(grid->Row(), 3);
}

TEST_F(ValueListEditor, TheCurrentValueCellShowsItsEditorAndTypedTextIsKept)
{
    fill();
    show();
    click(1, 1);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(grid->isAncestorOf(editor));
    editor->selectAll();
    QTest::keyClicks(editor, "typed");
    click(1, 3); // moving on commits what was typed
    EXPECT_EQ(grid->Values("Product Version"), "typed");
    EXPECT_EQ(grid->item(1, 1)->text(), "typed");
    EXPECT_EQ(selections.back(), (Selection{1, 3}));

    // Enter keeps what was typed and is the window's, so its default button can answer it.
    editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "entered");
    QTest::keyClick(editor, Qt::Key_Return);
    EXPECT_EQ(grid->Values("Legal Copyright"), "entered");
    EXPECT_EQ(window->keys, std::vector<int>{Qt::Key_Return});
    EXPECT_EQ(selections.size(), 2u);
    EXPECT_TRUE(grid->isAncestorOf(QApplication::focusWidget())); // the editor is shown again
}

TEST_F(ValueListEditor, TabInTheEditorKeepsTheTextAndLeavesTheGrid)
{
    fill();
    show();
    click(1, 1);
    auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "typed");
    QTest::keyClick(editor, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), other); // not the next cell's editor
    EXPECT_EQ(grid->Values("Product Version"), "typed");
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(selections.size(), 1u);
    EXPECT_EQ(grid->indexWidget(grid->currentIndex()), nullptr); // the editing ended
}

TEST_F(ValueListEditor, ExitIsRaisedWhenTheFocusGoesToAnotherControlOfTheWindow)
{
    fill();
    show();
    click(1, 1);
    EXPECT_EQ(exits, 0); // the grid's own editor is not another control
    QTest::mouseClick(other, Qt::LeftButton);
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(exits, 1);
    QTest::mouseClick(other, Qt::LeftButton);
    EXPECT_EQ(exits, 1);

    click(1, 2);
    QWidget elsewhere; // another window
    QLineEdit field(&elsewhere);
    elsewhere.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&elsewhere));
    elsewhere.activateWindow();
    field.setFocus();
    QTest::qWait(10);
    EXPECT_EQ(exits, 1);
}

TEST_F(ValueListEditor, DeletingTheCurrentRowSelectsAgainAndIgnoresNestedDeletions)
{
    fill();
    show();
    click(1, 3); // the last row
    selections.clear();
    int nestedRows = -1;
    onSelect = [&](int, int, bool&) {
        nestedRows = grid->RowCount();
        for (int i = 0; i < 4; ++i)
            grid->DeleteRow(0); // ignored: a deletion is under way
        grid->SetValues("Product Name", "again");
    };
    grid->DeleteRow(0);
    // Three rows were left, so the current row moved from 3 to 2 through the event.
    EXPECT_EQ(selections, (std::vector<Selection>{{1, 2}}));
    EXPECT_EQ(nestedRows, 3);
    EXPECT_EQ(entries(), (std::vector<std::string>{"Product Version=v-Product Version", "File Version=v-File Version",
                                                   "Legal Copyright=v-Legal Copyright", "Product Name=again"}));
    EXPECT_EQ(grid->Row(), 2);

    // Deleting a row while the current one stays in range asks nothing; the next deletion works.
    onSelect = nullptr;
    grid->DeleteRow(0);
    EXPECT_EQ(selections.size(), 1u);
    EXPECT_EQ(grid->RowCount(), 3);
}

TEST_F(ValueListEditor, AnErrorInTheSelectionEventEndsTheDeletionButNotLaterOnes)
{
    fill();
    show();
    click(1, 3);
    onSelect = [](int, int, bool&) { throw std::runtime_error("reader failed"); };
    EXPECT_THROW(grid->DeleteRow(0), std::runtime_error);
    onSelect = nullptr;
    grid->DeleteRow(0); // not refused as nested: the failed deletion is over
    EXPECT_EQ(grid->RowCount(), 2);
}
