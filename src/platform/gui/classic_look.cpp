// The desktop of the classic Windows scheme: its 3-D style, its system colours, its message-box icons
// and title bars wide enough for their caption, for every window this process shows.
#include "platform/desktop.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {

constexpr int kIconSize = 32;

// The balloon of the question and information icons: white, outlined, its tail at the lower left.
void drawBalloon(QPainter& p)
{
    QPainterPath balloon;
    balloon.addEllipse(QRectF(1, 1, 28, 22));
    QPainterPath tail;
    tail.addPolygon(QPolygonF({QPointF(7, 18), QPointF(5, 29), QPointF(15, 21)}));
    balloon = balloon.united(tail);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(128, 128, 128));
    p.drawPath(balloon.translated(2, 2));
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::white);
    p.drawPath(balloon);
}

QPixmap drawStockIcon(int id)
{
    QPixmap pixmap(kIconSize, kIconSize);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    const QColor blue(0, 0, 255);
    switch (id) {
    case IDI_HAND: {
        // A red disc with a white cross.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(128, 128, 128));
        p.drawEllipse(QRect(3, 3, 28, 28));
        p.setPen(QPen(QColor(128, 0, 0), 1));
        p.setBrush(QColor(255, 0, 0));
        p.drawEllipse(QRect(1, 1, 27, 27));
        p.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::SquareCap));
        p.drawLine(10, 10, 19, 19);
        p.drawLine(19, 10, 10, 19);
        break;
    }
    case IDI_EXCLAMATION: {
        // A yellow triangle with a black exclamation mark.
        const QPolygon triangle({QPoint(15, 1), QPoint(29, 28), QPoint(1, 28)});
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(128, 128, 128));
        p.drawPolygon(triangle.translated(2, 2));
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(QColor(255, 255, 0));
        p.drawPolygon(triangle);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawRect(QRect(14, 9, 3, 11));
        p.drawRect(QRect(14, 22, 3, 3));
        break;
    }
    case IDI_QUESTION: {
        // A speech balloon with a blue question mark.
        drawBalloon(p);
        QFont font(QStringLiteral("Liberation Sans"));
        font.setPixelSize(20);
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        p.setFont(font);
        p.setPen(blue);
        p.drawText(QRect(1, 1, 28, 22), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case IDI_ASTERISK: {
        // A speech balloon with a blue "i".
        drawBalloon(p);
        p.setPen(Qt::NoPen);
        p.setBrush(blue);
        p.drawRect(QRect(14, 4, 3, 3));
        p.drawRect(QRect(14, 9, 3, 10));
        p.drawRect(QRect(12, 9, 2, 2));
        p.drawRect(QRect(12, 17, 7, 2));
        break;
    }
    default: return {};
    }
    return pixmap;
}

int stockIconFor(QStyle::StandardPixmap which)
{
    switch (which) {
    case QStyle::SP_MessageBoxCritical: return IDI_HAND;
    case QStyle::SP_MessageBoxQuestion: return IDI_QUESTION;
    case QStyle::SP_MessageBoxWarning: return IDI_EXCLAMATION;
    case QStyle::SP_MessageBoxInformation: return IDI_ASTERISK;
    default: return 0;
    }
}

// The toolkit's own Windows style, with the classic icons and plain push buttons in dialogs.
class ClassicStyle : public QProxyStyle {
public:
    ClassicStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (const int id = stockIconFor(which); id != 0)
            return QIcon(drawStockIcon(id));
        return QProxyStyle::standardIcon(which, option, widget);
    }

    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* data) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, data);
    }
};

QPalette classicPalette()
{
    const QColor face(212, 208, 200);
    const QColor shadow(128, 128, 128);
    QPalette palette(face);
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Window, face);
        palette.setColor(group, QPalette::Button, face);
        palette.setColor(group, QPalette::Light, Qt::white); // button highlight
        palette.setColor(group, QPalette::Midlight, face);   // 3-D light
        palette.setColor(group, QPalette::Mid, shadow);
        palette.setColor(group, QPalette::Dark, shadow);               // button shadow
        palette.setColor(group, QPalette::Shadow, QColor(64, 64, 64)); // 3-D dark shadow
        palette.setColor(group, QPalette::Base, Qt::white);
        palette.setColor(group, QPalette::AlternateBase, face);
        palette.setColor(group, QPalette::Highlight, QColor(10, 36, 106));
        palette.setColor(group, QPalette::HighlightedText, Qt::white);
        palette.setColor(group, QPalette::ToolTipBase, QColor(255, 255, 225));
        palette.setColor(group, QPalette::ToolTipText, Qt::black);
        const QColor text = group == QPalette::Disabled ? shadow : QColor(Qt::black);
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            palette.setColor(group, role, text);
    }
    palette.setColor(QPalette::Disabled, QPalette::Base, face);
    return palette;
}

} // namespace

namespace wincompat {

void useClassicLook()
{
    QApplication::setStyle(new ClassicStyle);
    QApplication::setPalette(classicPalette());
}

QPixmap stockIcon(int id)
{
    return drawStockIcon(id);
}

int captionWidth(const QString& caption)
{
    // The title bar's caption, in the desktop's font made bold as window managers draw it, with
    // room for the window's icon and its title-bar buttons.
    QFont font = QApplication::font();
    font.setBold(true);
    constexpr int iconAndButtons = 96;
    return QFontMetrics(font).horizontalAdvance(caption) + iconAndButtons;
}

} // namespace wincompat
