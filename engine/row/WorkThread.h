#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

// Runs one piece of work at a time beside the thread that owns it, so that reading a file never holds that thread
// up, and hands the work's end back to the owner's thread through its event loop. The work gets a flag that Stop
// sets, which its reads watch.
class TWorkThread
{
public:
    TWorkThread();
    // Sets the stop flag and waits for the work to end; its end is not handed back.
    ~TWorkThread();
    TWorkThread(const TWorkThread&) = delete;
    TWorkThread& operator=(const TWorkThread&) = delete;

    // Runs work on a thread of its own, then done on the owner's thread from the event loop. The stop flag is
    // cleared first. Only while no other work runs. Throws std::system_error when no thread can be started.
    void Run(std::function<void(const std::atomic<bool>& stop)> work, std::function<void()> done);
    // Asks the running work to stop; done still follows.
    void Stop() { m_stop = true; }
    bool Busy() const { return m_busy; }

private:
    std::atomic<bool> m_stop { false };
    bool m_busy = false;
    std::thread m_thread;
    // Lives on the owner's thread: an end handed back to it is dropped once it is gone.
    std::unique_ptr<QObject> m_receiver;
};
