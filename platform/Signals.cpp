#include "platform/Signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <initializer_list>
#include <unistd.h>

namespace platform {

namespace {

// The handler may only do what is safe inside a signal: it writes the signal's number into a pipe, which the
// event loop reads at its own pace.
int s_pipe[2] = {-1, -1};

void Noted(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds more requests to end than anyone needs; this one may be dropped.
    [[maybe_unused]] ssize_t written = ::write(s_pipe[1], &number, 1);
    errno = saved;
}

} // namespace

bool TerminationSignals::Catch(int& error)
{
    if (s_pipe[0] < 0 && ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = errno;
        return false;
    }
    struct sigaction action {};
    action.sa_handler = Noted;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        if (::sigaction(signal, &action, nullptr) != 0) {
            error = errno;
            return false;
        }
    }
    return true;
}

void TerminationSignals::Release()
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::signal(signal, SIG_DFL);
}

void TerminationSignals::EndBy(int signal)
{
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
    // Only a signal whose default is to go on (none of the three) gets here.
    ::_exit(128 + signal);
}

int TerminationSignals::Handle()
{
    return s_pipe[0];
}

int TerminationSignals::Take()
{
    unsigned char number = 0;
    ssize_t got;
    do
        got = s_pipe[0] < 0 ? 0 : ::read(s_pipe[0], &number, 1);
    while (got < 0 && errno == EINTR);
    return got == 1 ? number : 0;
}

} // namespace platform
