#include "platform/gui/copy/error_dialog.h"

#include "platform/desktop.h"
#include "platform/system.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wincompat::gui {

QString ErrorDialog::message(const fileop::JobFailure& failure)
{
    char text[1024] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, failure.code,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), text, sizeof text, nullptr);
    QString reason = QString::fromUtf8(text).trimmed();
    if (reason.isEmpty())
        reason = QStringLiteral("Error %1.").arg(failure.code);
    QString head = QStringLiteral("Cannot %1 %2").arg(QString::fromStdString(failure.action),
                                                       QString::fromStdString(failure.path));
    if (!failure.reason.empty())
        head += QStringLiteral(": ") + QString::fromStdString(failure.reason);
    return head + QStringLiteral("\n\n") + reason;
}

ErrorDialog::ErrorDialog(QWidget* parent, const fileop::JobFailure& failure) : QDialog(parent)
{
    setObjectName(kObjectName);
    setWindowTitle(tr("Error Copying File or Folder"));
    setModal(true);
    setMinimumWidth(captionWidth(windowTitle()));

    auto* layout = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    auto* icon = new QLabel(this);
    icon->setPixmap(stockIcon(IDI_HAND));
    row->addWidget(icon, 0, Qt::AlignTop);
    auto* text = new QLabel(message(failure), this);
    text->setObjectName("message");
    text->setTextFormat(Qt::PlainText);
    text->setWordWrap(true);
    row->addWidget(text, 1);
    layout->addLayout(row);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    struct Choice {
        const char* label;
        const char* name;
        fileop::ErrorDecision decision;
    };
    for (const Choice& c : {Choice{"Skip", "skipButton", fileop::ErrorDecision::Skip},
                            Choice{"Skip All", "skipAllButton", fileop::ErrorDecision::SkipAll},
                            Choice{"Cancel", "cancelButton", fileop::ErrorDecision::Cancel}}) {
        auto* button = new QPushButton(tr(c.label), this);
        button->setObjectName(c.name);
        connect(button, &QPushButton::clicked, this, [this, d = c.decision] {
            decision_ = d;
            accept();
        });
        buttons->addWidget(button);
        if (c.decision == fileop::ErrorDecision::Skip)
            button->setDefault(true);
    }
    layout->addLayout(buttons);
}

fileop::ErrorDecision ErrorDialog::ask(QWidget* parent, const fileop::JobFailure& failure)
{
    ErrorDialog dialog(parent, failure);
    if (dialog.exec() != QDialog::Accepted)
        return fileop::ErrorDecision::Cancel;
    return dialog.decision_;
}

} // namespace wincompat::gui
