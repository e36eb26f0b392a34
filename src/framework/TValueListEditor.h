#pragma once
// The key/value grid: one row per "key=value" entry, no title row, one blank row when empty.
#include "framework/TControl.h"
#include "framework/TStrings.h"

#include <QTableWidget>

class TValueListEditor : public QTableWidget, public TControl {
    Q_OBJECT
public:
    TValueListEditor(TComponent* owner, QWidget* parent);

    const TStrings& Strings() const { return strings_; }
    int RowCount() const { return rowCount(); }
    // Position 0 is the first entry.
    void DeleteRow(int row);
    std::string Values(const std::string& key) const { return strings_.Values(key); }
    // Replaces the value of an existing key where it stands, or appends the entry.
    void SetValues(const std::string& key, const std::string& value);
    void SetFontColor(TColor color) override;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void refreshRows();
    void fitValueColumn();

    TStrings strings_;
    int keyColumnWidth_ = 95;
};

void RegisterValueListEditor();
