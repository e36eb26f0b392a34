#pragma once
// The labels of the About window: multi-line captions that size themselves to their wrapped text.
#include "framework/TControl.h"

#include <QWidget>

class AboutLabel : public QWidget, public TControl {
    Q_OBJECT
public:
    AboutLabel(TComponent* owner, QWidget* parent);
    QString Caption() const { return caption_; }
    std::string Jump() const { return jump_; }
    // Fits the label to its caption wrapped at the current width.
    void AdjustLabelSize();

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString shownText() const;
    QString caption_;
    std::string jump_;
    bool multiLine_ = false;
    bool sunken_ = false;
    bool autoSize_ = true;
};
