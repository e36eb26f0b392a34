// The system's modal message box: Windows' button sets, icons, default and escape buttons, and the
// ID of the button that closed it.
#include "platform/user.h"

#include "platform/gui/top_windows.h"
#include "platform/system.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>
#include <vector>

using wincompat::gui::ownWidget;

namespace {

struct BoxButton {
    QMessageBox::StandardButton button;
    const char* name;
    int id;
};

std::vector<BoxButton> buttonsFor(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{QMessageBox::Ok, "OK", IDOK}, {QMessageBox::Cancel, "Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE:
        return {{QMessageBox::Abort, "Abort", IDABORT},
                {QMessageBox::Retry, "Retry", IDRETRY},
                {QMessageBox::Ignore, "Ignore", IDIGNORE}};
    case MB_YESNOCANCEL:
        return {
            {QMessageBox::Yes, "Yes", IDYES}, {QMessageBox::No, "No", IDNO}, {QMessageBox::Cancel, "Cancel", IDCANCEL}};
    case MB_YESNO: return {{QMessageBox::Yes, "Yes", IDYES}, {QMessageBox::No, "No", IDNO}};
    case MB_RETRYCANCEL: return {{QMessageBox::Retry, "Retry", IDRETRY}, {QMessageBox::Cancel, "Cancel", IDCANCEL}};
    default: return {{QMessageBox::Ok, "OK", IDOK}};
    }
}

// The system's captions, each with its access letter, whatever the toolkit's own would be.
QString captionOf(int id)
{
    switch (id) {
    case IDYES: return QStringLiteral("&Yes");
    case IDNO: return QStringLiteral("&No");
    case IDABORT: return QStringLiteral("&Abort");
    case IDRETRY: return QStringLiteral("&Retry");
    case IDIGNORE: return QStringLiteral("&Ignore");
    case IDCANCEL: return QStringLiteral("Cancel");
    default: return QStringLiteral("OK");
    }
}

QMessageBox::Icon iconFor(UINT type)
{
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

} // namespace

int MessageBoxExA(HWND owner, LPCSTR text, LPCSTR caption, UINT type, WORD)
{
    if (qApp == nullptr) {
        SetLastError(ERROR_INVALID_FUNCTION);
        return 0;
    }
    const std::vector<BoxButton> choices = buttonsFor(type);
    QMessageBox box(ownWidget(owner));
    box.setObjectName(QStringLiteral("MessageBox"));
    box.setWindowTitle(QString::fromUtf8(caption != nullptr ? caption : "Error"));
    box.setText(QString::fromUtf8(text != nullptr ? text : ""));
    box.setIcon(iconFor(type));
    std::vector<std::pair<QAbstractButton*, int>> ids;
    for (const BoxButton& choice : choices) {
        QPushButton* button = box.addButton(choice.button);
        button->setObjectName(QString::fromLatin1(choice.name));
        button->setText(captionOf(choice.id));
        ids.emplace_back(button, choice.id);
    }
    const std::size_t defaultIndex = ((type & MB_DEFMASK) >> 8) < choices.size() ? (type & MB_DEFMASK) >> 8 : 0;
    box.setDefaultButton(static_cast<QPushButton*>(ids[defaultIndex].first));
    // Escape answers Cancel where there is one; a lone OK answers it too.
    for (const auto& [button, id] : ids)
        if (id == IDCANCEL || choices.size() == 1)
            box.setEscapeButton(button);
    box.exec();
    for (const auto& [button, id] : ids)
        if (box.clickedButton() == button)
            return id;
    return choices.size() == 1 ? IDOK : IDCANCEL;
}
