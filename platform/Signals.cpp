#include "platform/Signals.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace platform {

namespace {

// The handler may only do what is safe inside a signal: it writes the signal's number into a pipe, which the
// event loop reads at its own pace.
int s_pipe[2] = {-1, -1};

constexpr int Caught[] = {SIGTERM, SIGINT, SIGHUP, SIGTSTP, SIGCONT};
// Which of them Catch took over; only those are given back by Release.
bool s_taken[NSIG] = {};

void Noted(int signal)
{
    const int saved = errno;
    const unsigned char number = static_cast<unsigned char>(signal);
    // A full pipe already holds more requests to end than anyone needs; this one may be dropped.
    [[maybe_unused]] ssize_t written = ::write(s_pipe[1], &number, 1);
    errno = saved;
}

bool NoteFrom(int signal)
{
    struct sigaction action {};
    action.sa_handler = Noted;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(signal, &action, nullptr) == 0;
}

// The signal does to this process what it does uncaught.
void RaiseByDefault(int signal)
{
    ::signal(signal, SIG_DFL);
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal);
    pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::raise(signal);
}

} // namespace

bool TerminationSignals::Catch(int& error)
{
    if (s_pipe[0] < 0 && ::pipe2(s_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = errno;
        return false;
    }
    for (int signal : Caught) {
        struct sigaction before {};
        if (::sigaction(signal, nullptr, &before) != 0) {
            error = errno;
            return false;
        }
        if (before.sa_handler == SIG_IGN)
            continue;
        if (!NoteFrom(signal)) {
            error = errno;
            return false;
        }
        s_taken[signal] = true;
    }
    return true;
}

void TerminationSignals::Release()
{
    for (int signal : Caught) {
        if (s_taken[signal])
            ::signal(signal, SIG_DFL);
        s_taken[signal] = false;
    }
}

void TerminationSignals::StopAsTerminalWould()
{
    const bool taken = s_taken[SIGTSTP];
    RaiseByDefault(SIGTSTP);
    if (taken)
        NoteFrom(SIGTSTP);
}

void CollectChildren()
{
    ::signal(SIGCHLD, SIG_DFL);
}

void TerminationSignals::EndBy(int signal)
{
    RaiseByDefault(signal);
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
