#include "framework/widgets/TMessageForm.h"

#include "framework/core/Exceptions.h"
#include "framework/TApplication.h"
#include "platform/desktop.h"
#include "platform/keys.h"
#include "platform/window.h"

#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <array>
#include <vector>

namespace {

struct ButtonKind {
    const char* name;
    const char* caption;
    int result;
};

constexpr std::array<ButtonKind, 11> buttonKinds{{
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
}};

struct DialogKind {
    const char* caption; // null: the application title
    int icon;            // 0: none
};

constexpr std::array<DialogKind, 5> dialogKinds{{
    {"Warning", IDI_EXCLAMATION},
    {"Error", IDI_HAND},
    {"Information", IDI_ASTERISK},
    {"Confirm", IDI_QUESTION},
    {nullptr, 0},
}};

constexpr int textFlags = Qt::TextWordWrap | Qt::TextExpandTabs;

// Caption widths outlive the dialogs: each kind of button is measured once.
std::array<int, buttonKinds.size()> captionWidths{};

// Rounds as a multiplication followed by a division, to the nearest pixel.
int mulDiv(int number, int numerator, int denominator)
{
    return (number * numerator + denominator / 2) / denominator;
}

bool inSet(TMsgDlgButtons set, int ordinal)
{
    return (set >> ordinal) & 1u;
}

// Draws exactly as the text was measured, so that the wrap falls where the size was computed.
class MessageLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(rect(), textFlags | Qt::AlignLeft | Qt::AlignTop, text());
    }
};

class MessageButton : public QPushButton {
public:
    MessageButton(const ButtonKind& kind, QDialog* dialog) : QPushButton(QString::fromUtf8(kind.caption), dialog)
    {
        setObjectName(QString::fromUtf8(kind.name));
        const int result = kind.result;
        // The Help button stays open: this program has no help file to show.
        if (result != mrNone)
            connect(this, &QPushButton::clicked, dialog, [dialog, result] { dialog->done(result); });
    }
};

} // namespace

TMessageForm::TMessageForm(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      message_(msg)
{
    setObjectName(QStringLiteral("TMessageForm"));
    setFont(wincompat::messageFont());
    const DialogKind& kind = dialogKinds[static_cast<std::size_t>(type)];
    setWindowTitle(kind.caption != nullptr ? QString::fromUtf8(kind.caption)
                                           : QString::fromStdString(TApplication::Instance().Title()));
    layOut(type, buttons);
}

void TMessageForm::layOut(TMsgDlgType type, TMsgDlgButtons buttons)
{
    const QFontMetrics metrics(font());
    static const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    charWidth_ = metrics.horizontalAdvance(alphabet) / 52;
    charHeight_ = metrics.height();
    const int W = charWidth_, H = charHeight_;

    const int hMargin = mulDiv(8, W, 4), vMargin = mulDiv(8, H, 8);
    const int hSpacing = mulDiv(10, W, 4), vSpacing = mulDiv(10, H, 8);
    const int buttonHeight = mulDiv(14, H, 8), buttonSpacing = mulDiv(4, W, 4);

    int buttonWidth = mulDiv(50, W, 4);
    int buttonCount = 0;
    for (std::size_t b = 0; b < buttonKinds.size(); ++b) {
        if (!inSet(buttons, static_cast<int>(b)))
            continue;
        ++buttonCount;
        if (captionWidths[b] == 0)
            captionWidths[b] = metrics
                                   .boundingRect(QRect(), Qt::TextSingleLine | Qt::TextShowMnemonic,
                                                 QString::fromUtf8(buttonKinds[b].caption))
                                   .width() +
                               8;
        buttonWidth = std::max(buttonWidth, captionWidths[b]);
    }

    const QScreen* screen = QGuiApplication::primaryScreen();
    const int halfScreen = screen != nullptr ? screen->geometry().width() / 2 : 512;
    const QString text = QString::fromStdString(message_);
    const QRect textRect = metrics.boundingRect(QRect(0, 0, halfScreen, 0), textFlags, text);

    const int icon = dialogKinds[static_cast<std::size_t>(type)].icon;
    int blockWidth = textRect.width();
    int blockHeight = textRect.height();
    if (icon != 0) {
        blockWidth += hSpacing + 32;
        blockHeight = std::max(blockHeight, 32);
    }
    const int rowWidth = buttonCount > 0 ? buttonCount * buttonWidth + (buttonCount - 1) * buttonSpacing : 0;
    // Never narrower than its title bar needs to show the caption whole.
    const int clientWidth =
        std::max(std::max(blockWidth, rowWidth) + 2 * hMargin, wincompat::captionWidth(windowTitle()));
    const int clientHeight = blockHeight + buttonHeight + vSpacing + 2 * vMargin;
    setFixedSize(clientWidth, clientHeight);

    if (icon != 0) {
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image"));
        image->setPixmap(wincompat::stockIcon(icon));
        image->setGeometry(hMargin, vMargin, 32, 32);
    }
    auto* label = new MessageLabel(text, this);
    label->setObjectName(QStringLiteral("Message"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    int labelLeft = blockWidth - textRect.width() + hMargin;
    if (QGuiApplication::isRightToLeft())
        labelLeft = clientWidth - labelLeft - textRect.width();
    label->setGeometry(labelLeft, vMargin, textRect.width(), textRect.height());

    const bool hasOk = inSet(buttons, mbOK), hasYes = inSet(buttons, mbYes);
    const int defaultOrdinal = hasOk ? mbOK : hasYes ? mbYes : mbRetry;
    const int cancelOrdinal = inSet(buttons, mbCancel) ? mbCancel : inSet(buttons, mbNo) ? mbNo : mbOK;
    int left = (clientWidth - rowWidth) / 2;
    const int top = blockHeight + vMargin + vSpacing;
    QPushButton* first = nullptr;
    for (std::size_t b = 0; b < buttonKinds.size(); ++b) {
        if (!inSet(buttons, static_cast<int>(b)))
            continue;
        auto* button = new MessageButton(buttonKinds[b], this);
        button->setGeometry(left, top, buttonWidth, buttonHeight);
        left += buttonWidth + buttonSpacing;
        if (first == nullptr)
            first = button;
        if (static_cast<int>(b) == defaultOrdinal) {
            defaultButton_ = button;
            button->setDefault(true);
        }
        if (static_cast<int>(b) == cancelOrdinal)
            cancelButton_ = button;
    }
    if (first != nullptr)
        first->setFocus(Qt::OtherFocusReason);
}

void TMessageForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

void TMessageForm::reject()
{
    done(mrCancel);
}

void TMessageForm::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_C && (event->modifiers() & Qt::ControlModifier)) {
        TApplication::Instance().RunHandler([this] { copyToClipboard(); });
        event->accept();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        if (cancelButton_ != nullptr)
            cancelButton_->click();
        event->accept();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // A focused button has answered Enter itself; this is Enter elsewhere in the box.
        if (defaultButton_ != nullptr)
            defaultButton_->click();
        event->accept();
        return;
    default: QDialog::keyPressEvent(event);
    }
}

std::string TMessageForm::ContentText() const
{
    std::vector<std::string> captions;
    for (const QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly))
        captions.push_back(button->text().toStdString());
    return wincompat::messageBoxText(windowTitle().toStdString(), message_, captions);
}

void TMessageForm::copyToClipboard()
{
    MessageBeep(0);
    if (!wincompat::setClipboardText(wincompat::handleOf(this), ContentText()))
        throw Exception("Cannot open clipboard");
}
