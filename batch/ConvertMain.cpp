#include "batch/BatchMain.h"
#include "platform/Signals.h"
#include "toolkit/Locations.h"

// The command-line mode on its own: it needs neither a display nor the window's libraries, so it runs on a
// compute node where those are missing. `reelhand-convert ARGS` does what `reelhand --convert ARGS` does.
int main(int argc, char* argv[])
{
    platform::CollectChildren();
    SetProgramNames();
    return RunBatch(argc, argv, TBatchProgram::ConvertOnly);
}
