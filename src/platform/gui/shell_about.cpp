// The standard About box: the application's name, the system it runs on and the caller's text.
#include "platform/shell.h"
#include "platform/window.h"

#include <QApplication>
#include <QMessageBox>
#include <sys/utsname.h>

namespace {
constexpr int iconSize = 32; // the platform's large icons

QString systemLine()
{
    struct utsname u {};
    if (uname(&u) != 0)
        return {};
    return QStringLiteral("%1 %2 (%3)")
        .arg(QString::fromUtf8(u.sysname), QString::fromUtf8(u.release), QString::fromUtf8(u.machine));
}

// Lines may be broken by CR LF or by a CR alone, as Windows' texts are.
QString lines(const char* text)
{
    QString s = QString::fromUtf8(text != nullptr ? text : "");
    s.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}
} // namespace

INT ShellAboutA(HWND owner, LPCSTR app, LPCSTR otherStuff, HICON icon)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return FALSE;
    const QString text = lines(app);
    const int hash = text.indexOf(QLatin1Char('#'));
    const QString title = hash >= 0 ? text.left(hash) : QStringLiteral("About ") + text;
    const QString first = hash >= 0 ? text.mid(hash + 1) : text;

    QMessageBox box(wincompat::widgetOf(owner));
    box.setObjectName(QStringLiteral("ShellAbout"));
    box.setWindowTitle(title);
    box.setTextFormat(Qt::PlainText);
    box.setText(first + QLatin1Char('\n') + systemLine() + QLatin1String("\n\n") + lines(otherStuff));
    QIcon shown = wincompat::iconOf(icon);
    if (shown.isNull())
        shown = QApplication::windowIcon();
    box.setIconPixmap(shown.pixmap(iconSize, iconSize));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return TRUE;
}
