#include "about/LinkLabel.h"

#include "framework/TApplication.h"
#include "framework/TForm.h"
#include "platform/shell.h"
#include "platform/window.h"

#include <QEvent>
#include <QMouseEvent>
#include <cctype>
#include <cstdint>

namespace {
constexpr char activeColor[] = "$00800080";   // purple, once the link has been pressed
constexpr char inactiveColor[] = "$00FF0000"; // blue, not yet visited

bool blank(const std::string& s)
{
    return s.find_first_not_of(' ') == std::string::npos;
}

bool hasScheme(const std::string& s)
{
    const std::size_t colon = s.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(s[0])))
        return false;
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

class LinkBehaviour : public QObject {
public:
    explicit LinkBehaviour(AboutLabel* label) : QObject(label), label_(label) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::MouseButtonPress) {
            if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                label_->ReadProperty("Font.Color", activeColor);
                pressed_ = true;
            }
        } else if (event->type() == QEvent::MouseButtonRelease) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            const bool click =
                pressed_ && mouse->button() == Qt::LeftButton && label_->rect().contains(mouse->position().toPoint());
            pressed_ = false;
            if (click && !OpenLink(LinkTarget(label_->Jump(), label_->Caption().toStdString()))) {
                label_->ReadProperty("JumpMode", "jmNone");
                label_->setEnabled(false);
                label_->unsetCursor();
            }
        }
        return false;
    }

private:
    AboutLabel* label_;
    bool pressed_ = false;
};
} // namespace

std::string LinkTarget(const std::string& jump, const std::string& caption)
{
    std::string target = blank(jump) ? caption : jump;
    if (target.find('@') != std::string::npos && !hasScheme(target))
        target = "mailto:" + target;
    return target;
}

bool OpenLink(const std::string& target)
{
    TForm* main = TApplication::Instance().MainForm();
    const HINSTANCE result = ShellExecuteA(main != nullptr ? main->WindowHandle() : nullptr, nullptr, target.c_str(),
                                           nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<std::intptr_t>(result) > 32;
}

void MakeLink(AboutLabel* label)
{
    label->ReadProperty("Font.Color", inactiveColor);
    label->ReadProperty("Font.Style", "[fsUnderline]");
    label->ReadProperty("JumpMode", "jmInternet");
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(new LinkBehaviour(label));
}
