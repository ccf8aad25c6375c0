#include "app/WindowMain.h"
#include "batch/BatchMain.h"
#include "batch/BatchOptions.h"
#include "platform/Signals.h"
#include "toolkit/Locations.h"

#include <QString>
#include <QStringList>

int main(int argc, char* argv[])
{
    platform::CollectChildren();
    SetProgramNames();
    // The command-line mode must run where there is no display, so it is chosen before anything of the windows
    // is made.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (WantsBatchMode(arguments))
        return RunBatch(argc, argv);
    return RunWindow(argc, argv);
}
