#include "toolkit/SignalWatcher.h"

#include "platform/FileSystem.h"
#include "platform/Process.h"
#include "platform/Signals.h"
#include "toolkit/Exception.h"

#include <QSocketNotifier>
#include <csignal>

TSignalWatcher::TSignalWatcher(std::function<void(int signal)> onSignal, QObject* parent)
    : QObject(parent), m_onSignal(std::move(onSignal))
{
    int error = 0;
    if (!platform::TerminationSignals::Catch(error))
        throw Exception("The signals to end the program cannot be caught: " + platform::SystemErrorMessage(error));
    m_notifier = std::make_unique<QSocketNotifier>(platform::TerminationSignals::Handle(), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, [this] {
        while (int signal = platform::TerminationSignals::Take()) {
            if (signal == SIGTSTP) {
                platform::SignalChildGroups(SIGSTOP);
                platform::TerminationSignals::StopAsTerminalWould();
            } else if (signal == SIGCONT) {
                platform::SignalChildGroups(SIGCONT);
            } else {
                m_onSignal(signal);
            }
        }
    });
}

// Nobody is left to end the program in order: the signals end it at once again.
TSignalWatcher::~TSignalWatcher()
{
    platform::TerminationSignals::Release();
}
