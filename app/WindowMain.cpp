#include "app/WindowMain.h"

#include "app/FilesAtOnce.h"
#include "app/Program.h"
#include "app/SingleWindow.h"
#include "app/WindowOptions.h"
#include "app/mainForm.h"
#include "app/uihook.h"
#include "toolkit/Application.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"

#include <QApplication>
#include <QMessageBox>
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
    TWindowOptions options;
    try {
        options = ReadWindowOptions(ArgumentTexts(argc, argv).mid(1));
    } catch (const EWindowUsage& error) {
        std::fprintf(stderr, "reelhand: %s\nTry 'reelhand --help' for more.\n", error.what());
        return 2;
    }
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
    TSingleWindow single;
    try {
        if (single.Claim(options) == TSingleWindow::TClaim::HandedOver)
            return 0;
    } catch (const ESingleWindow& error) {
        // Started from a file manager, nobody reads the terminal.
        std::fprintf(stderr, "reelhand: %s\n", error.what());
        application.MessageBox(QString::fromStdString(error.Message()), TMsgIcon::Stop, QMessageBox::Ok);
        return 1;
    }
    if (options.Jobs)
        FilesAtOnce::Store(*options.Jobs);
    return RunProgram([&options, &single](TmainDlg& window) {
        const QString kept = KeptListFile();
        if (single.TakeKeptList(kept))
            window.Controller().KeepList(kept);
        else
            Application->ShowExceptionLater("The list is kept by the Quor Reelhand window on another display, so "
                                            "the list of this window is not kept for the next start.");
        single.Serve([&window](const TWindowOptions& handed) {
            Application->Guard([&] { window.Controller().TakeHandOver(handed); });
        });
        // The add-files dialog runs a loop of its own, so it opens once the program's loop runs.
        if (!options.Paths.isEmpty())
            QTimer::singleShot(0, &window,
                [&window, paths = options.Paths] { Application->Guard([&] { window.Controller().AddPaths(paths); }); });
    });
}
