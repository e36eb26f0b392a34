#include "app/UpdateUtility.h"

#include "app/TMainForm.h"
#include "framework/core/DateTime.h"
#include "framework/TApplication.h"

#include <QIcon>

int RunUpdateUtility(int argc, char** argv)
{
    TApplication& application = TApplication::Instance();
    application.Initialize(argc, argv);
    application.SetTitle("Update Utility");
    TFormatSettings::Current(); // the regional formats as they are at start
    application.CreateForm<TMainForm>();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/app-icon.png")));
    return application.Run();
}
