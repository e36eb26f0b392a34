#include "framework/widgets/StdControls.h"
#include "framework/SystemColors.h"

#include "framework/pictures/Bitmap16.h"
#include "framework/core/FormDescription.h"
#include "framework/pictures/JpegImage.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>

namespace {
TBevelCut storedBevel(const std::string& name, const std::string& value)
{
    if (value == "bvNone")
        return bvNone;
    if (value == "bvLowered")
        return bvLowered;
    if (value == "bvRaised")
        return bvRaised;
    if (value == "bvSpace")
        return bvSpace;
    return static_cast<TBevelCut>(StoredInt(name, value));
}

void drawBevel(QPainter& p, QRect& r, TBevelCut cut, int width)
{
    if (cut == bvNone)
        return;
    QColor topLeft = ToQColor(cut == bvRaised ? clBtnHighlight : clBtnShadow);
    QColor bottomRight = ToQColor(cut == bvRaised ? clBtnShadow : clBtnHighlight);
    if (cut == bvSpace)
        topLeft = bottomRight = p.background().color();
    for (int i = 0; i < width; ++i) {
        p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
        p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
        p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
        p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
        r.adjust(1, 1, -1, -1);
    }
}
} // namespace

TPanel::TPanel(TComponent* owner, QWidget* parent) : QFrame(parent), TControl(owner, this)
{
    SetColor(clBtnFace);
}

bool TPanel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "BevelOuter")
        bevelOuter_ = storedBevel(name, value);
    else if (name == "BevelInner")
        bevelInner_ = storedBevel(name, value);
    else if (name == "BevelWidth")
        bevelWidth_ = StoredInt(name, value);
    else
        return false;
    update();
    return true;
}

void TPanel::SetCaption(const QString& caption)
{
    caption_ = caption;
    update();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QRect r = rect();
    drawBevel(p, r, bevelOuter_, bevelWidth_);
    drawBevel(p, r, bevelInner_, bevelWidth_);
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r, Qt::AlignCenter, caption_);
}

TLabel::TLabel(TComponent* owner, QWidget* parent) : QLabel(parent), TControl(owner, this)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TLabel::SetCaption(const QString& caption)
{
    setText(caption);
    fitToText();
}

void TLabel::Loaded()
{
    TControl::Loaded();
    fitToText();
}

void TLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitToText();
}

void TLabel::fitToText()
{
    if (!autoSize_ || Loading() || wordWrap())
        return;
    const QFontMetrics metrics(font());
    resize(metrics.horizontalAdvance(text()), metrics.height());
}

bool TLabel::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "Transparent") {
        setAutoFillBackground(!StoredBool(name, value));
        return true;
    }
    if (name == "AutoSize") {
        autoSize_ = StoredBool(name, value);
        fitToText();
        return true;
    }
    if (name == "WordWrap") {
        setWordWrap(StoredBool(name, value));
        return true;
    }
    return false;
}

TEdit::TEdit(TComponent* owner, QWidget* parent) : QLineEdit(parent), TControl(owner, this)
{
    SetTakesFocus(true);
    SetTabStop(true);
}

bool TEdit::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "ParentColor") {
        if (StoredBool(name, value))
            TakeParentColor();
        return true;
    }
    return false;
}

TMemo::TMemo(TComponent* owner, QWidget* parent) : QPlainTextEdit(parent), TControl(owner, this)
{
    SetTakesFocus(true);
    SetTabStop(true);
    setFrameShape(QFrame::StyledPanel);
    // A memo without scroll bars, as it was designed: one line shows in 21 pixels.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);
}

void TMemo::SetText(const std::string& text)
{
    QString t = QString::fromStdString(text);
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    setPlainText(t);
}

std::string TMemo::Text() const
{
    std::string text;
    for (QTextBlock b = document()->firstBlock(); b.isValid(); b = b.next()) {
        // The last block is the empty line after the final break, as a memo shows it.
        if (!b.next().isValid() && b.text().isEmpty())
            break;
        text += b.text().toStdString() + "\r\n";
    }
    return text;
}

bool TMemo::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "ParentColor") {
        if (StoredBool(name, value))
            TakeParentColor();
        return true;
    }
    if (name == "Lines.Strings") {
        SetText(value);
        return true;
    }
    return false;
}

TImage::TImage(TComponent* owner, QWidget* parent) : QWidget(parent), TControl(owner, this) {}

void TImage::SetPicture(const QImage& picture)
{
    picture_ = picture;
    if (autoSize_ && !picture_.isNull())
        resize(picture_.size());
    update();
}

bool TImage::ReadControlProperty(const std::string& name, const std::string& value)
{
    if (name == "AutoSize") {
        autoSize_ = StoredBool(name, value);
        SetPicture(picture_);
    } else if (name == "Picture") {
        SetPicture(LoadPicture(QString::fromStdString(value)));
    } else {
        return false;
    }
    return true;
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter p(this);
    p.drawImage(0, 0, picture_);
}

QImage LoadPicture(const QString& path)
{
    if (path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
        return Bitmap16::load(path);
    return JpegImage::load(path);
}

void RegisterStandardControls()
{
    RegisterControlClass("TPanel", [](TComponent* o, QWidget* p) { return new TPanel(o, p); });
    RegisterControlClass("TLabel", [](TComponent* o, QWidget* p) { return new TLabel(o, p); });
    RegisterControlClass("TEdit", [](TComponent* o, QWidget* p) { return new TEdit(o, p); });
    RegisterControlClass("TMemo", [](TComponent* o, QWidget* p) { return new TMemo(o, p); });
    RegisterControlClass("TImage", [](TComponent* o, QWidget* p) { return new TImage(o, p); });
}
