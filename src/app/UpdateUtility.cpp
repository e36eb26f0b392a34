#include "app/UpdateUtility.h"

#include "app/TMainForm.h"
#include "framework/TApplication.h"
#include "framework/core/DateTime.h"
#include "version/OwnVersion.h"

#include <QIcon>
#include <QImageReader>
#include <QPixmap>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {
const char helpText[] =
    "Usage: tallyrune-update [-h | --help] [-V | --version]\n"
    "\n"
    "Brings the installed Tallyrune.exe in this program's folder up to date from its update folder.\n"
    "Without options it opens its window (Qt's own options such as -platform are accepted too).\n"
    "\n"
    "  -h, --help     show this help\n"
    "  -V, --version  show this program's version\n"
    "\n"
    "The settings are read from the registry below $WINCOMPAT_ROOT, or /var/lib/wincompat.\n"
    "tallyrune-updatectl does the same from a terminal or a script.\n";

// Answered before any window exists, so that they work without a display.
std::optional<int> answerWithoutWindow(int argc, char** argv)
{
    if (argc != 2)
        return std::nullopt;
    if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(helpText, stdout);
        return 0;
    }
    if (std::strcmp(argv[1], "--version") == 0 || std::strcmp(argv[1], "-V") == 0) {
        std::printf("%s\n", OwnVersionLine("tallyrune-update").c_str());
        return 0;
    }
    return std::nullopt;
}
} // namespace

int RunUpdateUtility(int argc, char** argv)
{
    if (const std::optional<int> status = answerWithoutWindow(argc, argv))
        return *status;
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
