#include "framework/TValueListEditor.h"

#include "framework/FormDescription.h"

#include <QHeaderView>

TValueListEditor::TValueListEditor(TComponent* owner, QWidget* parent) : QTableWidget(parent), TControl(owner, this)
{
    SetTakesFocus(true);
    SetTabStop(true);
    setColumnCount(2);
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(Scaled(18));
    setShowGrid(true);
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    refreshRows();
}

void TValueListEditor::DeleteRow(int row)
{
    if (row < 0 || row >= strings_.Count())
        return;
    strings_.Delete(row);
    refreshRows();
}

void TValueListEditor::SetValues(const std::string& key, const std::string& value)
{
    int i = strings_.IndexOfName(key);
    if (i >= 0)
        strings_.SetStrings(i, key + "=" + value);
    else
        strings_.Add(key + "=" + value);
    refreshRows();
}

void TValueListEditor::SetFontColor(TColor color)
{
    TControl::SetFontColor(color);
    refreshRows();
}

void TValueListEditor::refreshRows()
{
    const int rows = strings_.Count() == 0 ? 1 : strings_.Count();
    setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        QString key, value;
        if (r < strings_.Count()) {
            const std::string& s = strings_.Strings(r);
            auto eq = s.find('=');
            key = QString::fromStdString(eq == std::string::npos ? s : s.substr(0, eq));
            value = QString::fromStdString(eq == std::string::npos ? std::string() : s.substr(eq + 1));
        }
        auto* keyItem = new QTableWidgetItem(key);
        keyItem->setFlags(Qt::ItemIsEnabled); // keys cannot be edited or selected
        auto* valueItem = new QTableWidgetItem(value);
        const QColor text = palette().color(QPalette::Text);
        keyItem->setForeground(text);
        valueItem->setForeground(text);
        setItem(r, 0, keyItem);
        setItem(r, 1, valueItem);
    }
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

bool TValueListEditor::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "DefaultRowHeight") {
        verticalHeader()->setDefaultSectionSize(Scaled(StoredInt(name, value)));
    } else if (name == "ColWidths[0]") {
        keyColumnWidth_ = StoredInt(name, value);
        fitValueColumn();
    } else if (name == "ColWidths[1]" || name == "DisplayOptions" || name == "Options" || name == "KeyOptions") {
        // The value column always fills the rest; the options are the grid's fixed behaviour here.
    } else if (name == "BorderStyle" || name == "Ctl3D") {
    } else {
        return false;
    }
    return true;
}

void RegisterValueListEditor()
{
    RegisterControlClass("TValueListEditor", [](TComponent* o, QWidget* p) { return new TValueListEditor(o, p); });
}
