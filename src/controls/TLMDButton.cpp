#include "controls/TLMDButton.h"

#include "controls/TLMDLabel.h"
#include "framework/FormDescription.h"
#include "framework/StdControls.h"
#include "framework/TForm.h"

#include <QKeyEvent>
#include <QPixmap>

namespace {
// One image of a glyph strip, with the strip's bottom-left colour made transparent.
QPixmap glyphImage(const QImage& strip, int count, int index)
{
    if (strip.isNull() || count < 1 || index >= count)
        return {};
    const int w = strip.width() / count;
    QImage image = strip.copy(index * w, 0, w, strip.height()).convertToFormat(QImage::Format_ARGB32);
    const QRgb transparent = strip.pixel(0, strip.height() - 1);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0xFFFFFF) == (transparent & 0xFFFFFF))
                line[x] = 0;
    }
    return QPixmap::fromImage(image);
}
} // namespace

TLMDButton::TLMDButton(TComponent* owner, QWidget* parent) : QPushButton(parent), TControl(owner, this)
{
    SetTakesFocus(true);
    SetTabStop(true);
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick)
            OnClick(this);
    });
}

void TLMDButton::SetCaption(const QString& caption)
{
    if (caption != text())
        setText(caption);
}

bool TLMDButton::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "Default") {
        default_ = StoredBool(name, value);
        if (auto* form = dynamic_cast<TForm*>(Owner()); form != nullptr && default_)
            form->SetDefaultButton(this);
    } else if (name == "Glyph") {
        glyph_ = LoadPicture(QString::fromStdString(value));
        updateIcon();
    } else if (name == "NumGlyphs") {
        numGlyphs_ = StoredInt(name, value);
        updateIcon();
    } else if (name == "ParentColor") {
        if (StoredBool(name, value) && parentWidget() != nullptr) {
            QPalette p = palette();
            p.setColor(QPalette::Button, parentWidget()->palette().color(QPalette::Window));
            setPalette(p);
        }
    } else {
        return false;
    }
    return true;
}

void TLMDButton::updateIcon()
{
    if (glyph_.isNull())
        return;
    QIcon icon;
    icon.addPixmap(glyphImage(glyph_, numGlyphs_, 0), QIcon::Normal);
    if (numGlyphs_ > 1)
        icon.addPixmap(glyphImage(glyph_, numGlyphs_, 1), QIcon::Disabled);
    setIcon(icon);
    setIconSize(QSize(glyph_.width() / std::max(1, numGlyphs_), glyph_.height()));
}

void TLMDButton::keyPressEvent(QKeyEvent* event)
{
    // A focused button is the one Enter clicks, as in any dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        click();
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

TLMDSpeedButton::TLMDSpeedButton(TComponent* owner, QWidget* parent) : TLMDButton(owner, parent)
{
    SetTakesFocus(false);
    setFocusPolicy(Qt::NoFocus);
}

void RegisterStyledControls()
{
    RegisterControlClass("TLMDLabel", [](TComponent* o, QWidget* p) { return new TLMDLabel(o, p); });
    RegisterControlClass("TLMDButton", [](TComponent* o, QWidget* p) { return new TLMDButton(o, p); });
    RegisterControlClass("TLMDSpeedButton", [](TComponent* o, QWidget* p) { return new TLMDSpeedButton(o, p); });
}
