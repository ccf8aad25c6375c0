#include "platform/Process.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
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

// The groups of the children not yet reaped. A group leaves the set before its leader is reaped and under the
// same lock as every signal to the set, so a signal never reaches a group id that was handed on.
std::mutex s_groupsLock;
std::set<int> s_groups;

void ForgetGroup(int pid)
{
    std::lock_guard lock(s_groupsLock);
    s_groups.erase(pid);
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
    if (Started() && !m_reaped)
        Terminate();
}

namespace {

// The program that execvp would run for name, found before the fork so that the child only has to exec:
// a name with a '/' stands as it is; otherwise the first executable regular file named so in a PATH folder
// (an empty entry is the current folder; no PATH means /bin:/usr/bin). False with ENOENT when there is none,
// EACCES when only files that may not run were found.
bool FindProgram(const std::string& name, std::string& path, int& error)
{
    if (name.find('/') != std::string::npos) {
        path = name;
        return true;
    }
    const char* searched = std::getenv("PATH");
    std::string folders = searched ? searched : "/bin:/usr/bin";
    bool refused = false;
    std::size_t begin = 0;
    for (;;) {
        std::size_t end = folders.find(':', begin);
        std::string folder = folders.substr(begin, end == std::string::npos ? std::string::npos : end - begin);
        std::string candidate = (folder.empty() ? std::string(".") : folder) + "/" + name;
        struct stat info {};
        if (::stat(candidate.c_str(), &info) == 0) {
            if (S_ISREG(info.st_mode) && ::access(candidate.c_str(), X_OK) == 0) {
                path = candidate;
                return true;
            }
            refused = true;
        }
        if (end == std::string::npos)
            break;
        begin = end + 1;
    }
    error = refused ? EACCES : ENOENT;
    return false;
}

// Everything the child needs, made before the fork: between fork and exec a child of a threaded process may
// only make async-signal-safe calls, so it allocates nothing and takes no lock.
struct ChildSetup {
    const char* Program;
    char* const* Arguments;
    int Input;
    int Output;
    int ErrorReport; // write end of the close-on-exec pipe that carries a failed exec's errno
    pid_t Parent;
    int DescriptorLimit;
};

[[noreturn]] void ReportAndExit(int errorReport, int error)
{
    while (::write(errorReport, &error, sizeof error) < 0 && errno == EINTR) {
    }
    ::_exit(127);
}

[[noreturn]] void RunChild(const ChildSetup& setup)
{
    // A group of its own, so that stopping the run reaches the encoder's helpers too.
    ::setpgid(0, 0);
    // Die with the starting thread, whatever way it ends. If the parent is already gone, the signal was
    // never armed for it: check after arming and give up, since nobody is left to read our output.
    if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0)
        ReportAndExit(setup.ErrorReport, errno);
    if (::getppid() != setup.Parent)
        ::_exit(127);
    if (::dup2(setup.Input, 0) < 0 || ::dup2(setup.Output, 1) < 0 || ::dup2(setup.Output, 2) < 0)
        ReportAndExit(setup.ErrorReport, errno);
    // Descriptors of other libraries may lack close-on-exec; the child gets its three and nothing else. The
    // error report stays open up to the exec, which closes it and so tells the parent that the exec worked.
    if (::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC) != 0) {
        for (int fd = 3; fd < setup.DescriptorLimit; ++fd)
            ::fcntl(fd, F_SETFD, FD_CLOEXEC);
    }
    // The caller's thread may block or ignore signals (all are blocked around the fork); the child starts
    // with the defaults.
    struct sigaction defaults {};
    defaults.sa_handler = SIG_DFL;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (signal != SIGKILL && signal != SIGSTOP)
            ::sigaction(signal, &defaults, nullptr);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(setup.Program, setup.Arguments, environ);
    ReportAndExit(setup.ErrorReport, errno);
}

int DescriptorLimit()
{
    rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > 1 << 20)
        return 1 << 20;
    return static_cast<int>(limit.rlim_cur);
}

} // namespace

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
    std::string program;
    if (!FindProgram(args.front(), program, error))
        return false;
    std::vector<char*> argv;
    argv.reserve(args.size() + 1);
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    Pipe report;
    if (!report.Open(error))
        return false;
    const ChildSetup setup{program.c_str(), argv.data(), input.m_read, output.m_write, report.m_write, ::getpid(),
                           DescriptorLimit()};
    // No handler of ours may run in the child before its exec: block every signal across the fork; the
    // child resets the handlers and then unblocks.
    sigset_t all, previous;
    sigfillset(&all);
    pthread_sigmask(SIG_SETMASK, &all, &previous);
    pid_t pid = ::fork();
    if (pid == 0)
        RunChild(setup);
    const int forkError = errno;
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    if (pid < 0) {
        error = forkError;
        return false;
    }
    // The child's group is made here too, and known at once: a Ctrl+Z taken while the child is still on its way
    // to its exec must stop it with the program, not leave it running.
    ::setpgid(pid, pid);
    {
        std::lock_guard lock(s_groupsLock);
        s_groups.insert(pid);
    }
    // Our copy of the write end must go, or the read below would wait for ever. The read ends with nothing
    // when the exec closed the child's copy, or brings the errno of whatever failed before.
    CloseDescriptor(report.m_write);
    int childError = 0;
    ssize_t got;
    do
        got = ::read(report.m_read, &childError, sizeof childError);
    while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof childError)) {
        ForgetGroup(pid);
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        error = childError != 0 ? childError : ECHILD;
        return false;
    }
    m_pid = pid;
    m_reaped = false;
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
    for (;;) {
        siginfo_t info {};
        // WNOWAIT: the child stays a zombie, so its id and its group's id stay ours until Terminate.
        if (::waitid(P_PID, static_cast<id_t>(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0) {
            if (info.si_pid == 0)
                return std::nullopt;
            m_signal = info.si_code == CLD_EXITED ? 0 : info.si_status;
            m_status = m_signal == 0 ? static_cast<uint32_t>(info.si_status) : 128u + static_cast<uint32_t>(m_signal);
            return m_status;
        }
        if (errno == EINTR)
            continue;
        // ECHILD: someone else reaped it (SIGCHLD ignored); it is gone and its code with it.
        ForgetGroup(m_pid);
        m_status = LostStatus;
        m_reaped = true;
        return m_status;
    }
}

void Process::Terminate()
{
    if (!Started() || m_reaped)
        return;
    {
        std::lock_guard lock(s_groupsLock);
        s_groups.erase(m_pid);
        ::killpg(m_pid, SIGKILL);
    }
    int status = 0;
    for (;;) {
        pid_t reaped = ::waitpid(m_pid, &status, 0);
        if (reaped == m_pid) {
            if (!m_status)
                m_status = DecodeStatus(status, m_signal);
            break;
        }
        if (reaped < 0 && errno == EINTR)
            continue;
        if (!m_status)
            m_status = LostStatus;
        break;
    }
    m_reaped = true;
}

void SignalChildGroups(int signal)
{
    std::lock_guard lock(s_groupsLock);
    for (int group : s_groups)
        ::killpg(group, signal);
}

} // namespace platform
