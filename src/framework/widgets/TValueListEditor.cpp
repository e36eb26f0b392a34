#include "framework/widgets/TValueListEditor.h"
#include "framework/SystemColors.h"

#include "framework/core/FormDescription.h"
#include "framework/TApplication.h"
#include "framework/TForm.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

namespace {
// Resets a flag however the scope is left: a handler raised inside may end it early.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), was_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = was_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool was_;
};

constexpr int columnLineSlack = 2; // pixels either side of the line between the columns
constexpr int narrowestColumn = 8;
} // namespace

TValueListEditor::TValueListEditor(TComponent* owner, QWidget* parent) : QTableWidget(parent), TControl(owner, this)
{
    SetTakesFocus(true);
    SetTabStop(true);
    setColumnCount(2);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(Scaled(18));
    setShowGrid(true);
    // The classic two-pixel client edge: shadow and dark shadow above and left, highlight and 3-D
    // light below and right.
    setFrameShape(QFrame::WinPanel);
    setFrameShadow(QFrame::Sunken);
    // The current cell is shown by its editor, not by a highlight.
    setSelectionMode(QAbstractItemView::NoSelection);
    setTabKeyNavigation(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    viewport()->setMouseTracking(true);
    connect(this, &QTableWidget::itemChanged, this, &TValueListEditor::valueEdited);
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        focusWatch_ = connect(app, &QApplication::focusChanged, this, &TValueListEditor::focusChanged);
    refreshRows();
}

// The base widget's destructor moves the focus away; by then this part of the editor is gone.
TValueListEditor::~TValueListEditor()
{
    disconnect(focusWatch_);
}

void TValueListEditor::DeleteRow(int row)
{
    if (deleting_ || row < 0 || row >= strings_.Count())
        return;
    FlagScope deleting(deleting_);
    finishEditing();
    strings_.Delete(row);
    // The current row must exist: moving it off a row that went away is a selection like any other,
    // and its handler may change the entries again.
    const int last = RowCount() - 1;
    const bool moves = row_ > last;
    refreshRows();
    if (moves) {
        SelectCell(col_, last);
        setCurrent(col_, std::min(last, RowCount() - 1));
    }
}

void TValueListEditor::SetValues(const std::string& key, const std::string& value)
{
    finishEditing();
    strings_.SetValue(key, value);
    refreshRows();
}

void TValueListEditor::SetFontColor(TColor color)
{
    fontColor_ = color;
    TControl::SetFontColor(color);
    refreshRows();
}

bool TValueListEditor::SelectCell(int col, int row)
{
    bool canSelect = true;
    if (OnSelectCell)
        OnSelectCell(this, col, row, canSelect);
    return canSelect && (col == 1 || keysEditable_);
}

void TValueListEditor::moveCurrent(int col, int row)
{
    // Reached from the toolkit's key and mouse handling: what the selection handler raises stops
    // the move and is shown here.
    TApplication::Instance().RunHandler([&] {
        col = std::clamp(col, 0, 1);
        row = std::clamp(row, 0, RowCount() - 1);
        if (col != col_ || row != row_) {
            finishEditing();
            if (SelectCell(col, row))
                setCurrent(col, std::min(row, RowCount() - 1));
        }
        if (hasFocus())
            showEditor();
    });
}

void TValueListEditor::setCurrent(int col, int row)
{
    col_ = col;
    row_ = std::max(0, row);
    FlagScope refreshing(refreshing_); // Qt's own notice of the move is not a user's selection
    setCurrentIndex(model()->index(row_, col_));
    scrollTo(model()->index(row_, col_));
}

void TValueListEditor::showEditor()
{
    QTableWidgetItem* current = item(row_, col_);
    if (current == nullptr || !(current->flags() & Qt::ItemIsEditable) || state() == EditingState)
        return;
    editItem(current);
    if (QWidget* editor = indexWidget(currentIndex()))
        editor->installEventFilter(this);
}

bool TValueListEditor::eventFilter(QObject* watched, QEvent* event)
{
    // Left at the very start of the value's text leaves the editor for the key cell, as an arrow
    // key does anywhere else in the grid.
    auto* editor = qobject_cast<QLineEdit*>(watched);
    if (editor != nullptr && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            // The typed text is kept, and Enter is the window's, as it is in any other field.
            finishEditing();
            showEditor();
            if (window() != this)
                QCoreApplication::sendEvent(window(), key);
            return true;
        }
        // The item view would move the editor to the next cell; Tab belongs to the window.
        const bool tab = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (tab && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            focusNextPrevChild(key->key() == Qt::Key_Tab && !(key->modifiers() & Qt::ShiftModifier));
            return true;
        }
        if (key->key() == Qt::Key_Left && key->modifiers() == Qt::NoModifier && editor->cursorPosition() == 0 &&
            !editor->hasSelectedText()) {
            moveCurrent(col_ - 1, row_);
            return true;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}

void TValueListEditor::finishEditing()
{
    if (state() != EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex())) {
        commitData(editor);
        FlagScope refreshing(refreshing_); // closing hands the focus back to the grid itself
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void TValueListEditor::valueEdited(QTableWidgetItem* changed)
{
    if (refreshing_ || changed->column() != 1 || changed->row() >= strings_.Count())
        return;
    const int row = changed->row();
    strings_.SetStrings(row, strings_.Names(row) + "=" + changed->text().toStdString());
}

void TValueListEditor::refreshRows()
{
    const bool editing = state() == EditingState;
    finishEditing();
    FlagScope refreshing(refreshing_);
    const int rows = RowCount();
    setRowCount(rows);
    const QColor text = ToQColor(fontColor_);
    for (int r = 0; r < rows; ++r) {
        QString key, value;
        if (r < strings_.Count()) {
            const std::string& s = strings_.Strings(r);
            const auto eq = s.find('=');
            key = QString::fromStdString(eq == std::string::npos ? s : s.substr(0, eq));
            value = QString::fromStdString(eq == std::string::npos ? std::string() : s.substr(eq + 1));
        }
        auto* keyItem = new QTableWidgetItem(key);
        keyItem->setFlags(keysEditable_ ? Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::ItemIsEnabled);
        auto* valueItem = new QTableWidgetItem(value);
        // The blank row of an empty grid has no entry to write a value into.
        valueItem->setFlags(r < strings_.Count() ? Qt::ItemIsEnabled | Qt::ItemIsEditable : Qt::ItemIsEnabled);
        keyItem->setForeground(text);
        valueItem->setForeground(text);
        setItem(r, 0, keyItem);
        setItem(r, 1, valueItem);
    }
    setCurrent(col_, std::min(row_, rows - 1));
    if (editing || hasFocus())
        showEditor();
}

void TValueListEditor::fitValueColumn()
{
    setColumnWidth(0, Scaled(keyColumnWidth_));
    // The value column takes the client width less the key column less 2.
    setColumnWidth(1, std::max(0, viewport()->width() - columnWidth(0) - 2));
}

void TValueListEditor::resizeEvent(QResizeEvent* event)
{
    QTableWidget::resizeEvent(event);
    fitValueColumn();
}

bool TValueListEditor::onColumnLine(int x) const
{
    return colSizing_ && std::abs(x - columnViewportPosition(1)) <= columnLineSlack;
}

void TValueListEditor::mousePressEvent(QMouseEvent* event)
{
    const QPoint at = event->position().toPoint();
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    event->accept();
    if (onColumnLine(at.x())) {
        sizingFrom_ = at.x();
        return;
    }
    const QModelIndex cell = indexAt(at);
    if (cell.isValid())
        moveCurrent(cell.column(), cell.row());
}

void TValueListEditor::mouseMoveEvent(QMouseEvent* event)
{
    const int x = event->position().toPoint().x();
    if (sizingFrom_ >= 0) {
        const int widest = viewport()->width() - 2 - narrowestColumn;
        keyColumnWidth_ = std::clamp(x, narrowestColumn, std::max(narrowestColumn, widest)) * 96 / Scaled(96);
        fitValueColumn();
    }
    viewport()->setCursor(sizingFrom_ >= 0 || onColumnLine(x) ? Qt::SplitHCursor : Qt::ArrowCursor);
    event->accept();
}

void TValueListEditor::mouseReleaseEvent(QMouseEvent* event)
{
    sizingFrom_ = -1;
    event->accept();
}

void TValueListEditor::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The second press of a double click is a press like the first.
    mousePressEvent(event);
}

void TValueListEditor::keyPressEvent(QKeyEvent* event)
{
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QTableWidget::keyPressEvent(event);
        return;
    }
    const int page = std::max(1, viewport()->height() / std::max(1, rowHeight(0)));
    int col = col_, row = row_;
    switch (event->key()) {
    case Qt::Key_Up: --row; break;
    case Qt::Key_Down: ++row; break;
    case Qt::Key_Left: --col; break;
    case Qt::Key_Right: ++col; break;
    case Qt::Key_PageUp: row -= page; break;
    case Qt::Key_PageDown: row += page; break;
    case Qt::Key_Home: col = 0; break;
    case Qt::Key_End: col = 1; break;
    default: QTableWidget::keyPressEvent(event); return;
    }
    event->accept();
    moveCurrent(col, row);
}

void TValueListEditor::focusInEvent(QFocusEvent* event)
{
    QTableWidget::focusInEvent(event);
    if (!refreshing_)
        showEditor();
}

bool TValueListEditor::focusNextPrevChild(bool next)
{
    // What was typed is kept; the focus change that follows raises OnExit.
    finishEditing();
    if (auto* form = qobject_cast<TForm*>(window()); form != nullptr && form->SelectNext(this, next))
        return true;
    return QTableWidget::focusNextPrevChild(next);
}

void TValueListEditor::focusChanged(QWidget* old, QWidget* now)
{
    auto inside = [this](QWidget* w) { return w == this || isAncestorOf(w); };
    if (old == nullptr || now == nullptr || !inside(old) || inside(now) || now->window() != window())
        return;
    if (OnExit)
        TApplication::Instance().RunHandler([this] { OnExit(this); });
}

bool TValueListEditor::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "DefaultRowHeight") {
        verticalHeader()->setDefaultSectionSize(Scaled(StoredInt(name, value)));
    } else if (name == "ColWidths[0]") {
        keyColumnWidth_ = StoredInt(name, value);
        fitValueColumn();
    } else if (name == "ColWidths[1]" || name == "DisplayOptions") {
        // The value column always fills the rest of the width; there is never a title row.
    } else if (name == "Options") {
        colSizing_ = value.find("goColSizing") != std::string::npos;
        setShowGrid(value.find("goVertLine") != std::string::npos || value.find("goHorzLine") != std::string::npos);
    } else if (name == "KeyOptions") {
        keysEditable_ = value.find("keyEdit") != std::string::npos;
        refreshRows();
    } else if (name == "BorderStyle" || name == "Ctl3D") {
        // The sunken three-dimensional border is the grid's only border.
    } else {
        return false;
    }
    return true;
}

void RegisterValueListEditor()
{
    RegisterControlClass("TValueListEditor", [](TComponent* o, QWidget* p) { return new TValueListEditor(o, p); });
}
