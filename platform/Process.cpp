#include "platform/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

void CloseDescriptor(int& fd)
{
    if (fd < 0)
        return;
    // Linux releases the descriptor even when close is interrupted; retrying could close someone else's.
    ::close(fd);
    fd = -1;
}

// Moves a descriptor above the standard three, so that wiring it to 0, 1 or 2 in the child is always a real
// dup2 (which clears close-on-exec) and never a no-op on the same number.
bool LiftAboveStandard(int& fd, int& error)
{
    if (fd > 2)
        return true;
    int lifted = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    if (lifted < 0) {
        error = errno;
        return false;
    }
    ::close(fd);
    fd = lifted;
    return true;
}

uint32_t DecodeStatus(int status, int& signal)
{
    signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    if (WIFEXITED(status))
        return static_cast<uint32_t>(WEXITSTATUS(status));
    if (WIFSIGNALED(status))
        return 128u + static_cast<uint32_t>(signal);
    return Process::LostStatus;
}

} // namespace

Pipe::~Pipe()
{
    Close();
}

bool Pipe::Open(int& error)
{
    Close();
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    m_read = ends[0];
    m_write = ends[1];
    if (!LiftAboveStandard(m_read, error) || !LiftAboveStandard(m_write, error)) {
        Close();
        return false;
    }
    return true;
}

void Pipe::Close()
{
    CloseDescriptor(m_read);
    CloseDescriptor(m_write);
}

std::size_t Pipe::BytesWaiting() const
{
    int count = 0;
    if (m_read < 0)
        return 0;
    while (::ioctl(m_read, FIONREAD, &count) != 0) {
        if (errno != EINTR)
            return 0;
    }
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::size_t Pipe::Read(char* buffer, std::size_t size)
{
    if (m_read < 0 || size == 0)
        return 0;
    for (;;) {
        ssize_t got = ::read(m_read, buffer, size);
        if (got >= 0)
            return static_cast<std::size_t>(got);
        if (errno != EINTR)
            return 0;
    }
}

long Pipe::WriteSome(const char* data, std::size_t size)
{
    if (m_write < 0)
        return -1;
    if (size == 0)
        return 0;
    // A write to a pipe whose reader has gone raises SIGPIPE, which would end the whole program. Block it in
    // this thread for the write and take back a signal that the write itself left pending.
    sigset_t pipeOnly, previous, pendingBefore;
    sigemptyset(&pipeOnly);
    sigaddset(&pipeOnly, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeOnly, &previous);
    sigpending(&pendingBefore);
    long result;
    for (;;) {
        ssize_t put = ::write(m_write, data, size);
        if (put >= 0) {
            result = static_cast<long>(put);
            break;
        }
        if (errno == EINTR)
            continue;
        result = (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
        if (errno == EPIPE && !sigismember(&pendingBefore, SIGPIPE)) {
            const timespec noWait{0, 0};
            while (::sigtimedwait(&pipeOnly, nullptr, &noWait) < 0 && errno == EINTR) {
            }
        }
        break;
    }
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    return result;
}

bool WaitPipes(const Pipe& readable, const Pipe* writable, int timeoutMs)
{
    pollfd watched[2]{};
    nfds_t count = 0;
    if (readable.m_read >= 0)
        watched[count++] = {readable.m_read, POLLIN, 0};
    if (writable && writable->m_write >= 0)
        watched[count++] = {writable->m_write, POLLOUT, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    int left = timeoutMs;
    for (;;) {
        int ready = ::poll(watched, count, left);
        if (ready >= 0)
            return ready > 0;
        if (errno != EINTR)
            return false;
        auto remaining = std::chrono::duration_cast<std::chrono::milliseconds>(deadline -
                                                                               std::chrono::steady_clock::now());
        left = remaining.count() > 0 ? static_cast<int>(remaining.count()) : 0;
    }
}

Process::~Process()
{
    if (Started() && !m_status)
        Terminate();
}

bool Process::Start(const std::vector<std::string>& args, Pipe& input, Pipe& output, int& error)
{
    if (args.empty() || args.front().empty()) {
        error = ENOENT;
        return false;
    }
    if (!input.IsOpen() || !output.IsOpen()) {
        error = EBADF;
        return false;
    }
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_adddup2(&actions, input.m_read, 0);
    posix_spawn_file_actions_adddup2(&actions, output.m_write, 1);
    posix_spawn_file_actions_adddup2(&actions, output.m_write, 2);
    // Descriptors of other libraries may lack close-on-exec; the child gets its three and nothing else.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // Own process group, so that a stop reaches the encoder's helpers too. The caller's thread may block or
    // ignore signals (SIGPIPE in particular); the child starts with the defaults.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    // glibc's posix_spawn reports a failed exec (missing program, no permission) as its result.
    int result = args.front().find('/') == std::string::npos
                     ? ::posix_spawnp(&pid, argv[0], &actions, &attributes, argv.data(), environ)
                     : ::posix_spawn(&pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (result != 0) {
        error = result;
        return false;
    }
    m_pid = pid;
    m_status.reset();
    m_signal = 0;
    int flags = ::fcntl(input.m_write, F_GETFL);
    if (flags >= 0)
        ::fcntl(input.m_write, F_SETFL, flags | O_NONBLOCK);
    return true;
}

std::optional<uint32_t> Process::ExitStatus()
{
    if (m_status || !Started())
        return m_status;
    int status = 0;
    for (;;) {
        pid_t reaped = ::waitpid(m_pid, &status, WNOHANG);
        if (reaped == m_pid) {
            m_status = DecodeStatus(status, m_signal);
            return m_status;
        }
        if (reaped == 0)
            return std::nullopt;
        if (errno == EINTR)
            continue;
        // ECHILD: someone else reaped it (SIGCHLD ignored); it is gone and its code with it.
        m_status = LostStatus;
        return m_status;
    }
}

void Process::Terminate()
{
    if (!Started() || m_status)
        return;
    if (::killpg(m_pid, SIGKILL) != 0)
        ::kill(m_pid, SIGKILL);
    int status = 0;
    for (;;) {
        pid_t reaped = ::waitpid(m_pid, &status, 0);
        if (reaped == m_pid) {
            m_status = DecodeStatus(status, m_signal);
            return;
        }
        if (reaped < 0 && errno == EINTR)
            continue;
        m_status = LostStatus;
        return;
    }
}

} // namespace platform
