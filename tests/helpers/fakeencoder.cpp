// A stand-in for the encoder in the job tests: called as `-i IN PARAMS... OUT`, it does what the lines of
// IN.script say (of IN itself when there is no such file), and its output is a copy of IN.
//
// Lines of the script (each optional, in any order):
//   say TEXT     write TEXT and a line break to standard error, as the encoder writes its progress
//   begin        create OUT now, as the encoder opens its output before it encodes
//   sleep MS     wait MS milliseconds before finishing
//   wait         wait until killed
//   helper       start a helper process that runs until killed, as encoders start helpers of their own
//   nooutput     do not create OUT
//   copy FILE    make OUT a copy of FILE rather than of IN
//   vanish       remove OUT again once it is written, as someone else might
//   cut P        cut OUT to P percent of its bytes once it is written, as a full disk or a lost write leaves it
//   zero P Q     overwrite OUT with zero bytes from P to Q percent of its bytes, as a damaged write leaves it
//   exit N       end with exit code N (default 0)
// A missing IN ends with exit code 1, as the encoder does for a file it cannot open. With `-n` among the
// parameters an existing OUT is left alone and the run ends with exit code 1, as the encoder does.
//
// Every run appends two records to the log (REELHAND_FAKE_LOG, else encoder.log beside argv[0]):
//   start NS PID<TAB>ARG1<TAB>ARG2...     at entry, arguments with \\, \t, \n escaped
//   end NS PID CODE                       just before exiting on its own
// and one for each helper it starts:
//   helper NS PID
// NS is CLOCK_MONOTONIC in nanoseconds, so a reader can measure the gap between one run's end and the next start.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace
{

std::string logPath;

long long nowNs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
}

void appendLog(const std::string& record)
{
    int fd = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // One write per record keeps records whole even if two runs overlap.
    ssize_t written = write(fd, record.data(), record.size());
    (void)written;
    close(fd);
}

std::string escaped(const char* arg)
{
    std::string out;
    for (const char* p = arg; *p; ++p) {
        switch (*p) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += *p;
        }
    }
    return out;
}

[[noreturn]] void finish(int code)
{
    appendLog("end " + std::to_string(nowNs()) + " " + std::to_string(getpid()) + " " + std::to_string(code) + "\n");
    _exit(code);
}

void sleepMs(long ms)
{
    timespec ts { ms / 1000, (ms % 1000) * 1000000L };
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) { }
}

} // namespace

int main(int argc, char* argv[])
{
    long long started = nowNs();
    if (const char* env = std::getenv("REELHAND_FAKE_LOG"); env && *env) {
        logPath = env;
    } else {
        std::string self = argv[0];
        size_t slash = self.rfind('/');
        logPath = (slash == std::string::npos ? std::string(".") : self.substr(0, slash)) + "/encoder.log";
    }
    std::string record = "start " + std::to_string(started) + " " + std::to_string(getpid());
    for (int i = 1; i < argc; ++i)
        record += "\t" + escaped(argv[i]);
    appendLog(record + "\n");

    // The demuxer and other input options may come before -i, in pairs.
    int input = 1;
    while (input + 1 < argc && std::strcmp(argv[input], "-i") != 0 && argv[input][0] == '-')
        input += 2;
    if (argc < input + 3 || std::strcmp(argv[input], "-i") != 0) {
        std::fprintf(stderr, "usage: %s [-OPTION VALUE...] -i IN [PARAMS...] OUT\n", argv[0]);
        finish(2);
    }
    std::string in = argv[input + 1];
    std::string out = argv[argc - 1];
    bool noOverwrite = false;
    for (int i = input + 2; i < argc - 1; ++i)
        noOverwrite = noOverwrite || std::strcmp(argv[i], "-n") == 0;

    std::ifstream script(in + ".script");
    if (!script)
        script.open(in);
    if (!script) {
        std::fprintf(stderr, "%s: No such file or directory\n", in.c_str());
        finish(1);
    }
    int code = 0;
    bool makeOutput = true;
    bool begun = false;
    bool vanish = false;
    double cutAt = 100, zeroFrom = 0, zeroTo = 0;
    std::string copied = in;
    std::string line;
    while (std::getline(script, line)) {
        std::istringstream words(line);
        std::string verb;
        words >> verb;
        if (verb == "say") {
            std::string text = line.size() > 4 ? line.substr(4) : std::string();
            std::fprintf(stderr, "%s\n", text.c_str());
            std::fflush(stderr);
        } else if (verb == "sleep") {
            long ms = 0;
            words >> ms;
            sleepMs(ms);
        } else if (verb == "wait") {
            for (;;)
                pause();
        } else if (verb == "begin") {
            int fd = open(out.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (noOverwrite ? O_EXCL : O_TRUNC), 0644);
            if (fd >= 0)
                close(fd);
            begun = fd >= 0;
        } else if (verb == "helper") {
            pid_t helper = fork();
            if (helper == 0) {
                for (;;)
                    pause();
            }
            appendLog("helper " + std::to_string(nowNs()) + " " + std::to_string(helper) + "\n");
        } else if (verb == "nooutput") {
            makeOutput = false;
        } else if (verb == "copy") {
            copied = line.size() > 5 ? line.substr(5) : std::string();
        } else if (verb == "vanish") {
            vanish = true;
        } else if (verb == "cut") {
            words >> cutAt;
        } else if (verb == "zero") {
            words >> zeroFrom >> zeroTo;
        } else if (verb == "exit") {
            words >> code;
        }
    }

    if (makeOutput) {
        int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (noOverwrite && !begun ? O_EXCL : O_TRUNC);
        int fd = open(out.c_str(), flags, 0644);
        if (fd < 0) {
            std::fprintf(stderr, "%s: %s\n", out.c_str(), std::strerror(errno));
            finish(1);
        }
        std::ifstream source(copied, std::ios::binary);
        std::string body((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
        const auto at = [&](double percent) { return static_cast<std::size_t>(body.size() * percent / 100); };
        std::fill(body.begin() + at(zeroFrom), body.begin() + std::max(at(zeroFrom), at(zeroTo)), '\0');
        body.resize(at(cutAt));
        ssize_t written = write(fd, body.data(), body.size());
        (void)written;
        close(fd);
        if (vanish)
            unlink(out.c_str());
    }
    finish(code);
}
