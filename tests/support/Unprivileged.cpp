#include "tests/support/Unprivileged.h"

#include <cerrno>
#include <cstring>
#include <exception>
#include <grp.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr uid_t Nobody = 65534;

bool Root()
{
    return ::geteuid() == 0;
}

void WriteAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return;
        done += static_cast<size_t>(wrote);
    }
}

[[noreturn]] void RunChild(int fd, const std::function<std::string()>& work)
{
    std::string result;
    if (Root()
        && (::setgroups(0, nullptr) != 0 || ::setresgid(Nobody, Nobody, Nobody) != 0
            || ::setresuid(Nobody, Nobody, Nobody) != 0)) {
        result = std::string("cannot become an ordinary user: ") + std::strerror(errno);
    } else {
        try {
            result = work();
        } catch (const std::exception& error) {
            result = std::string("unexpected exception: ") + error.what();
        }
    }
    WriteAll(fd, result);
    // No exit handlers: they belong to the test process, whose copy this is.
    ::_exit(0);
}

} // namespace

std::string AsUnprivilegedUser(const std::function<std::string()>& work)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return std::string("no pipe: ") + std::strerror(errno);
    const pid_t child = ::fork();
    if (child < 0)
        return std::string("no child: ") + std::strerror(errno);
    if (child == 0) {
        ::close(fds[0]);
        RunChild(fds[1], work);
    }
    ::close(fds[1]);
    std::string result;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(fds[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        result.append(buffer, static_cast<size_t>(got));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        result += " (the child ended abnormally)";
    return result;
}

void GiveToUnprivilegedUser(const QString& path)
{
    if (Root() && ::chown(path.toLocal8Bit().constData(), Nobody, Nobody) != 0)
        throw std::runtime_error("cannot give " + path.toStdString() + " away: " + std::strerror(errno));
}
