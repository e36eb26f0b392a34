#include "app/UpdateUtility.h"

#include <QApplication>
#include <QWidget>

int RunUpdateUtility(int argc, char** argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.show();
    return app.exec();
}
