#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Child processes wired to anonymous pipes. Callers never see a descriptor or a process id.
namespace platform {

// An anonymous pipe. Both ends are close-on-exec from the moment they exist, so a child started by another
// thread never inherits them; only Process::Start hands one end to its own child.
class Pipe {
public:
    Pipe() = default;
    ~Pipe();
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    // Makes the pipe; false with the system error in error (the pipe then stays closed).
    bool Open(int& error);
    bool IsOpen() const { return m_read >= 0; }
    // Closes both ends; safe to call twice.
    void Close();

    // The number of bytes waiting at the read end (0 when none or on error).
    std::size_t BytesWaiting() const;
    // Reads up to size bytes; returns the count read, 0 at end of data or on error. Blocks only when nothing
    // is waiting, so callers ask BytesWaiting first.
    std::size_t Read(char* buffer, std::size_t size);
    // Writes what fits without blocking; returns the count written (0 when the pipe is full), or -1 when the
    // reader has gone or the write failed. A reader that has gone never raises SIGPIPE in this process.
    long WriteSome(const char* data, std::size_t size);

private:
    friend class Process;
    friend bool WaitPipes(const Pipe& readable, const Pipe* writable, int timeoutMs);
    int m_read = -1;
    int m_write = -1;
};

// Waits up to timeoutMs until readable has bytes at its read end or, when given, writable can take bytes at
// its write end; true when one of them is ready. Interrupted waits are resumed with the time left.
bool WaitPipes(const Pipe& readable, const Pipe* writable, int timeoutMs);

// One child process in a process group of its own, which dies with this process.
class Process {
public:
    Process() = default;
    // A child not yet reaped is killed with its group and reaped, so no zombie outlives this object.
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Starts args[0] (searched in PATH when it holds no '/') with args as its argument vector, its standard
    // input from input's read end, standard output and error both into output's write end, no other
    // descriptor of ours, default signal handling, the caller's environment and folder. Our write end of
    // input becomes non-blocking (see Pipe::WriteSome). False with the system error in error (ENOENT for a missing
    // program, EACCES for one that may not run); nothing is left running then.
    // The child is killed (SIGKILL) when the thread that started it ends, also when this process is killed or
    // crashes: the kernel ties the parent-death signal to the starting thread, not to the process. So start it
    // from a thread that lives until Terminate has run, as a runner's reader does (it reaps its child before
    // it ends).
    bool Start(const std::vector<std::string>& args, Pipe& input, Pipe& output, int& error);
    bool Started() const { return m_pid > 0; }

    // The child's status without waiting: the code of a normal exit, 128 + the signal number after death by
    // a signal, nothing while it runs. An ended child is not reaped here: it keeps its process id, and with it
    // the id of its group, until Terminate.
    std::optional<uint32_t> ExitStatus();
    // The signal that ended the child, once its status is known; 0 when it exited by itself (a code of 128 + n
    // alone cannot tell the two apart).
    int TermSignal() const { return m_signal; }
    // Kills whatever is left of the child's process group (the child while it runs, and helpers it left
    // running after it ended) and then reaps the child; a group whose leader is not yet reaped cannot have
    // been handed to anyone else, so only our own processes are hit. Does nothing once the child is reaped.
    void Terminate();

    // A child that runs but whose status we lost (reaped by someone else) reports this code.
    static constexpr uint32_t LostStatus = 255;

private:
    int m_pid = -1;
    bool m_reaped = false;
    std::optional<uint32_t> m_status;
    int m_signal = 0;
};

// Sends SIGSTOP, or SIGCONT, to the process group of every child of Process not yet reaped: the children run in
// groups of their own, so a terminal's stop and continue reach them only this way.
void SignalChildGroups(int signal);

} // namespace platform
