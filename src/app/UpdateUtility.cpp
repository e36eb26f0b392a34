#include "app/UpdateUtility.h"

#include "app/TMainForm.h"
#include "framework/core/DateTime.h"
#include "framework/TApplication.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>

int RunUpdateUtility(int argc, char** argv)
{
    TApplication& application = TApplication::Instance();
    application.Initialize(argc, argv);
    application.SetTitle("Update Utility");
    TFormatSettings::Current(); // the regional formats as they are at start
    application.CreateForm<TMainForm>();
    SetApplicationIcon();
    return application.Run();
}

void SetApplicationIcon()
{
    // Read as the PNG it is: guessing the format from the content would load every image
    // format plug-in first, which costs the start-up more than the icon itself.
    QImageReader reader(QStringLiteral(":/app-icon.png"), "png");
    reader.setAutoDetectImageFormat(false);
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(reader.read())));
}
