#pragma once
// Push buttons with a glyph: TLMDButton takes the focus and may be the window's default
// button; TLMDSpeedButton answers the mouse only and never takes the focus.
#include "framework/TControl.h"

#include <QImage>
#include <QPushButton>
#include <functional>

class TLMDButton : public QPushButton, public TControl {
    Q_OBJECT
public:
    TLMDButton(TComponent* owner, QWidget* parent);

    std::string Caption() const { return text().toStdString(); }
    void SetCaptionText(const std::string& caption) { SetCaption(QString::fromStdString(caption)); }
    bool Default() const { return default_; }
    const QImage& Glyph() const { return glyph_; }
    int NumGlyphs() const { return numGlyphs_; }

    // Assigned by the owning window: the click handler, with the button as sender.
    std::function<void(TComponent* sender)> OnClick;

protected:
    bool ReadControlProperty(const std::string& name, const std::string& value) override;
    void SetCaption(const QString& caption) override;
    void keyPressEvent(QKeyEvent* event) override;

    void updateIcon();

private:
    bool default_ = false;
    QImage glyph_;
    int numGlyphs_ = 1;
};

class TLMDSpeedButton : public TLMDButton {
    Q_OBJECT
public:
    TLMDSpeedButton(TComponent* owner, QWidget* parent);
};

void RegisterStyledControls();
