#pragma once
// The key/value grid: one row per "key=value" entry, no title row, one blank row when empty.
// Keys sit in the left column and cannot be edited, so a key cell never becomes the current
// cell; the value cell that is current shows its editor while the grid has the focus.
#include "framework/TControl.h"
#include "framework/core/TStrings.h"

#include <QTableWidget>
#include <functional>

class TValueListEditor : public QTableWidget, public TControl {
    Q_OBJECT
public:
    // Raised before a cell becomes current; CanSelect enters true. The grid's own rule (a key
    // cell cannot be current) applies whatever the handler leaves in it.
    using TSelectCellEvent = std::function<void(TComponent* Sender, int ACol, int ARow, bool& CanSelect)>;
    using TNotifyEvent = std::function<void(TComponent* Sender)>;

    TValueListEditor(TComponent* owner, QWidget* parent);
    ~TValueListEditor() override;

    const TStrings& Strings() const { return strings_; }
    // The entries, or 1 for the blank row of an empty grid.
    int RowCount() const { return strings_.Count() == 0 ? 1 : strings_.Count(); }
    // Position 0 is the first entry. Requests made while a deletion is under way (from the
    // selection event that the deletion raises) are ignored.
    void DeleteRow(int row);
    std::string Values(const std::string& key) const { return strings_.Values(key); }
    // Replaces the value of an existing key where it stands, or appends the entry.
    void SetValues(const std::string& key, const std::string& value);
    void SetFontColor(TColor color) override;
    TColor FontColor() const { return fontColor_; }

    // The current cell: column 1 (values) and a row that exists.
    int Col() const { return col_; }
    int Row() const { return row_; }

    // Width of the key column in pixels; the value column takes the rest of the client width less 2.
    int KeyColumnWidth() const { return columnWidth(0); }

    TSelectCellEvent OnSelectCell;
    // The keyboard focus left the grid for another control of the same window.
    TNotifyEvent OnExit;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    // Tab and Shift+Tab leave the grid for the window's next or previous tab stop.
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Whether the cell may become current: the event first, then the grid's rule.
    virtual bool SelectCell(int col, int row);

private:
    // Makes (col, row) current as the user asked: through SelectCell, then with its editor.
    void moveCurrent(int col, int row);
    void setCurrent(int col, int row);
    void showEditor();
    // Commits what the user typed and closes the editor, so that later changes are not overwritten.
    void finishEditing();
    void refreshRows();
    void fitValueColumn();
    bool onColumnLine(int x) const;
    void focusChanged(QWidget* old, QWidget* now);
    QMetaObject::Connection focusWatch_;
    void valueEdited(QTableWidgetItem* item);

    TStrings strings_;
    TColor fontColor_ = clWindowText;
    int keyColumnWidth_ = 95; // in the description's pixels
    int col_ = 1;
    int row_ = 0;
    bool keysEditable_ = false;
    bool colSizing_ = true;
    bool deleting_ = false;
    bool refreshing_ = false;
    int sizingFrom_ = -1; // the mouse x where a column drag began, -1 when none
};

void RegisterValueListEditor();
