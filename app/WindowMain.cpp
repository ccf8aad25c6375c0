#include "app/WindowMain.h"

#include "app/FilesAtOnce.h"
#include "app/Program.h"
#include "app/mainForm.h"
#include "app/uihook.h"
#include "toolkit/Application.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"

#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <cstdio>

namespace
{

// Qt's platforms for a desktop need its display; the others (offscreen, vnc, ...) are chosen on purpose.
bool DisplayMissing()
{
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const bool needsDisplay = platform.isEmpty() || platform.startsWith("xcb") || platform.startsWith("wayland");
    return needsDisplay && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

int RunWindow(int argc, char* argv[])
{
    // The toolkit would abort with a core dump and a message about plugins.
    if (DisplayMissing()) {
        std::fputs("reelhand: the window needs a display (DISPLAY or WAYLAND_DISPLAY is not set); to convert "
                   "without one, export the list and run: reelhand --convert LIST.qfl\n",
            stderr);
        return 2;
    }
    QApplication qtApp(argc, argv);
    QGuiApplication::setDesktopFileName("app.quor.Reelhand");
    TApplication application;
    application.SetTitle("Quor Reelhand");
    // What the toolkit took for its own is gone from argv by now.
    QStringList arguments = ArgumentTexts(argc, argv).mid(1);
    try {
        if (const std::optional<int> jobs = FilesAtOnce::TakeFromArguments(arguments))
            FilesAtOnce::Store(*jobs);
    } catch (const EFilesAtOnceArgument& error) {
        std::fprintf(stderr, "reelhand: %s\n", error.what());
        return 2;
    }
    QStringList paths;
    for (const QString& argument : arguments)
        paths << QFileInfo(argument).absoluteFilePath();
    return RunProgram([&paths](TmainDlg& window) {
        window.Controller().KeepList(KeptListFile());
        // The add-files dialog runs a loop of its own, so it opens once the program's loop runs.
        if (!paths.isEmpty())
            QTimer::singleShot(
                0, &window, [&window, paths] { Application->Guard([&] { window.Controller().AddPaths(paths); }); });
    });
}
