#include "about/AboutLabel.h"

#include "framework/TColor.h"

#include <QFontMetrics>
#include <QPainter>

namespace {
constexpr int margins = 2;
} // namespace

AboutLabel::AboutLabel(TComponent* owner, QWidget* parent) : QWidget(parent), TControl(owner, this)
{
    resize(30, 30);
}

QString AboutLabel::shownText() const
{
    QString text = caption_;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

void AboutLabel::SetCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    AdjustLabelSize();
    update();
}

bool AboutLabel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "MultiLine") {
        multiLine_ = StoredBool(name, value);
    } else if (name == "AutoSize") {
        autoSize_ = StoredBool(name, value);
    } else if (name == "Font3D.Style") {
        sunken_ = value == "tdSunken";
    } else if (name == "Jump") {
        jump_ = value;
    } else if (name == "ShowAccelChar" || name == "JumpMode" || name == "ActiveColor" || name == "InActiveColor" ||
               name == "JumpUnderline" || name == "Transparent") {
    } else {
        return false;
    }
    return true;
}

void AboutLabel::AdjustLabelSize()
{
    if (!autoSize_)
        return;
    const int room = (sunken_ ? 1 : 0) + margins;
    const QFontMetrics fm(font());
    const QString text = shownText().isEmpty() ? QStringLiteral(" ") : shownText();
    const int flags = multiLine_ ? Qt::TextWordWrap : Qt::TextSingleLine;
    const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, width() - room), 100000), flags, text);
    resize(r.width() + room, r.height() + room);
}

void AboutLabel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setFont(font());
    const int flags = (multiLine_ ? Qt::TextWordWrap : Qt::TextSingleLine) | Qt::AlignLeft | Qt::AlignTop;
    QRect r = rect().adjusted(0, 0, sunken_ ? -1 : 0, 0);
    if (sunken_) {
        p.setPen(ToQColor(clBtnHighlight));
        p.drawText(r.translated(1, 1), flags, shownText());
    }
    p.setPen(isEnabled() ? palette().color(QPalette::WindowText) : ToQColor(clGrayText));
    p.drawText(r, flags, shownText());
}
