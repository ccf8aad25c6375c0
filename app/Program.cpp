#include "app/Program.h"

#include "app/Startup.h"
#include "app/mainForm.h"
#include "engine/command.h"
#include "platform/Signals.h"
#include "toolkit/SignalWatcher.h"

#include <QCoreApplication>
#include <cstdlib>
#include <memory>

namespace {

// exit() unwinds no stack, so the main window and its controller are never freed on that path. The job is
// the one thing that must not be left: freeing it kills the encoder's group before the process ends.
void FreeJobAtExit()
{
    delete Command;
}

} // namespace

int RunProgram(const std::function<void(TmainDlg&)>& shown)
{
    [[maybe_unused]] static const bool atExit = std::atexit(FreeJobAtExit) == 0;
    int requested = 0;
    std::unique_ptr<TmainDlg> mainDlg;
    TSignalWatcher watcher([&](int signal) {
        if (requested)
            return;
        requested = signal;
        platform::TerminationSignals::Release();
        if (mainDlg)
            mainDlg->CloseUnasked();
        // Leaves the loops of open dialogs and message boxes as well; a loop begun later returns at once.
        QCoreApplication::exit(128 + signal);
    });
    mainDlg = StartUp();
    if (shown && !requested)
        shown(*mainDlg);
    // A request during the start-up came before there was a loop to leave.
    const int code = requested ? 128 + requested : QCoreApplication::exec();
    mainDlg.reset();
    if (requested)
        platform::TerminationSignals::EndBy(requested);
    return code;
}
