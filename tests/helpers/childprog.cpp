// A child program for the runner tests: does one scripted thing per flag, in the order given.
//   --out TEXT        writes TEXT to standard output in one write (escapes: \r \n \t \0 \\ \xHH)
//   --err TEXT        the same to standard error
//   --sleep MS        pauses
//   --echo N          reads N lines from standard input and writes each back as "got:<line>\n"
//   --exit N          exits with code N
//   --forever         sleeps until killed
//   --ignore-term     ignores SIGTERM from here on
//   --pid             writes "pid <n>\n"
//   --grandchild      starts a grandchild that sleeps until killed and writes "grandchild <n>\n"
//   --burst BYTES LEN writes BYTES bytes as numbered lines of LEN bytes (line break included), in big writes
//   --lines N         writes N short lines "line <i>\n", one write each
//   --stamps N MS     writes N lines holding the monotonic clock in nanoseconds, MS apart
//   --fds             writes "fds <n>\n": how many descriptors above 2 are open
//   --args ...        writes every following argument in hexadecimal, one per line, and exits 0
//   --raise SIG       sends itself the signal SIG
//   --close-stdin     closes its standard input and writes "closed\n"
//   --flood TEXT      writes TEXT again and again, in 64 KiB writes, until killed
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

void WriteAll(int fd, const std::string& data)
{
    std::size_t done = 0;
    while (done < data.size()) {
        ssize_t put = ::write(fd, data.data() + done, data.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            std::exit(120);
        }
        done += static_cast<std::size_t>(put);
    }
}

std::string Unescape(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (*p != '\\' || !p[1]) {
            out += *p;
            continue;
        }
        ++p;
        switch (*p) {
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        case 't': out += '\t'; break;
        case '0': out += '\0'; break;
        case 'x': {
            char hex[3] = {p[1], p[1] ? p[2] : '\0', '\0'};
            out += static_cast<char>(std::strtol(hex, nullptr, 16));
            p += 2;
            break;
        }
        default: out += *p;
        }
    }
    return out;
}

void SleepMs(long ms)
{
    timespec left{ms / 1000, (ms % 1000) * 1000000};
    while (::nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

bool ReadLine(std::string& line)
{
    line.clear();
    char c;
    for (;;) {
        ssize_t got = ::read(0, &c, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return !line.empty();
        if (c == '\n')
            return true;
        line += c;
    }
}

void Burst(long bytes, long lineLength)
{
    std::string chunk;
    long number = 0;
    while (bytes > 0) {
        long length = lineLength < bytes ? lineLength : bytes;
        std::string line = std::to_string(number++);
        line.resize(static_cast<std::size_t>(length - 1), 'x');
        line += '\n';
        chunk += line;
        bytes -= length;
        if (chunk.size() >= 1 << 20) {
            WriteAll(1, chunk);
            chunk.clear();
        }
    }
    WriteAll(1, chunk);
}

int OpenDescriptors()
{
    int count = 0;
    DIR* dir = ::opendir("/proc/self/fd");
    if (!dir)
        return -1;
    int own = ::dirfd(dir);
    while (dirent* entry = ::readdir(dir)) {
        int fd = std::atoi(entry->d_name);
        if (entry->d_name[0] != '.' && fd > 2 && fd != own)
            ++count;
    }
    ::closedir(dir);
    return count;
}

} // namespace

int main(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        std::string flag = argv[i];
        auto next = [&] { return i + 1 < argc ? argv[++i] : ""; };
        if (flag == "--out") {
            WriteAll(1, Unescape(next()));
        } else if (flag == "--err") {
            WriteAll(2, Unescape(next()));
        } else if (flag == "--sleep") {
            SleepMs(std::atol(next()));
        } else if (flag == "--echo") {
            long count = std::atol(next());
            std::string line;
            for (long n = 0; n < count && ReadLine(line); ++n)
                WriteAll(1, "got:" + line + "\n");
        } else if (flag == "--exit") {
            return std::atoi(next());
        } else if (flag == "--forever") {
            for (;;)
                ::pause();
        } else if (flag == "--ignore-term") {
            std::signal(SIGTERM, SIG_IGN);
        } else if (flag == "--pid") {
            WriteAll(1, "pid " + std::to_string(::getpid()) + "\n");
        } else if (flag == "--grandchild") {
            pid_t pid = ::fork();
            if (pid == 0) {
                for (;;)
                    ::pause();
            }
            WriteAll(1, "grandchild " + std::to_string(pid) + "\n");
        } else if (flag == "--burst") {
            long bytes = std::atol(next());
            Burst(bytes, std::atol(next()));
        } else if (flag == "--lines") {
            long count = std::atol(next());
            for (long n = 0; n < count; ++n)
                WriteAll(1, "line " + std::to_string(n) + "\n");
        } else if (flag == "--stamps") {
            long count = std::atol(next());
            long pause = std::atol(next());
            for (long n = 0; n < count; ++n) {
                timespec now{};
                ::clock_gettime(CLOCK_MONOTONIC, &now);
                WriteAll(1, std::to_string(now.tv_sec * 1000000000LL + now.tv_nsec) + "\n");
                SleepMs(pause);
            }
        } else if (flag == "--fds") {
            WriteAll(1, "fds " + std::to_string(OpenDescriptors()) + "\n");
        } else if (flag == "--args") {
            for (++i; i < argc; ++i) {
                std::string hex;
                char digits[3];
                for (const char* p = argv[i]; *p; ++p) {
                    std::snprintf(digits, sizeof digits, "%02x", static_cast<unsigned char>(*p));
                    hex += digits;
                }
                WriteAll(1, "[" + hex + "]\n");
            }
            return 0;
        } else if (flag == "--close-stdin") {
            ::close(0);
            WriteAll(1, "closed\n");
        } else if (flag == "--flood") {
            const std::string text = Unescape(next());
            std::string chunk;
            while (!text.empty() && chunk.size() < 64 * 1024)
                chunk += text;
            for (;;)
                WriteAll(1, chunk);
        } else if (flag == "--raise") {
            ::raise(std::atoi(next()));
        } else {
            WriteAll(2, "childprog: unknown flag " + flag + "\n");
            return 121;
        }
    }
    return 0;
}
