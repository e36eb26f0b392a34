// The utility's own start-up path (application object, title, main window from its stored
// description, message loop), stopped at the main window's first paint.
#include "../startup/FirstPaint.h"
#include "app/TMainForm.h"
#include "app/UpdateUtility.h"
#include "framework/TApplication.h"

int main(int argc, char** argv)
{
    TApplication& application = TApplication::Instance();
    application.Initialize(argc, argv);
    application.SetTitle("Update Utility");
    TMainForm* form = application.CreateForm<TMainForm>();
    SetApplicationIcon();
    FirstPaint probe;
    form->installEventFilter(&probe);
    return application.Run();
}
