// The peer: the smallest Qt window that shows, stopped at its first paint.
#include "../startup/FirstPaint.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(596, 442);
    FirstPaint probe;
    window.installEventFilter(&probe);
    window.show();
    return app.exec();
}
