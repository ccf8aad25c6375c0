#include "app/WindowMain.h"
#include "batch/BatchMain.h"
#include "batch/BatchOptions.h"
#include "platform/Signals.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"

int main(int argc, char* argv[])
{
    platform::CollectChildren();
    SetProgramNames();
    // The command-line mode must run where there is no display, so it is chosen before anything of the windows
    // is made.
    if (WantsBatchMode(ArgumentTexts(argc, argv)))
        return RunBatch(argc, argv);
    return RunWindow(argc, argv);
}
