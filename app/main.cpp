#include "app/FilesAtOnce.h"
#include "app/Program.h"
#include "batch/BatchMain.h"
#include "batch/BatchOptions.h"
#include "platform/Signals.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <cstdio>

int main(int argc, char* argv[])
{
    platform::CollectChildren();
    // The command-line mode must run where there is no display, so it is chosen before anything of the windows
    // is made.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (WantsBatchMode(arguments))
        return RunBatch(argc, argv);

    QApplication qtApp(argc, argv);
    QCoreApplication::setOrganizationName("Quor");
    QCoreApplication::setApplicationName("Reelhand");
    TApplication application;
    application.SetTitle("Quor Reelhand");
    try {
        if (const std::optional<int> jobs = FilesAtOnce::FromArguments(arguments))
            FilesAtOnce::Store(*jobs);
    } catch (const EFilesAtOnceArgument& error) {
        std::fprintf(stderr, "reelhand: %s\n", error.what());
        return 2;
    }
    return RunProgram();
}
