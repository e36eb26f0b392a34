#pragma once
// The window's title label: a caption drawn in its own font, aligned within the label.
#include "framework/TControl.h"

#include <QWidget>

class TLMDLabel : public QWidget, public TControl {
    Q_OBJECT
public:
    TLMDLabel(TComponent* owner, QWidget* parent);
    QString Caption() const { return caption_; }
    Qt::Alignment Alignment() const { return alignment_; }

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    Qt::Alignment alignment_ = Qt::AlignLeft | Qt::AlignTop;
};
