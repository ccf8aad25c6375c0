#pragma once

#include "list/KeptListFile.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

// Writes a kept list file on a thread of its own, so that building and flushing the file of a long list never
// holds up the window. Only the newest rows are written: rows still waiting are replaced by newer ones.
class TKeptListWriter
{
public:
    // written runs on the writer's thread after every write: with the failure's message, or empty after a success.
    TKeptListWriter(std::string path, std::function<void(const std::string& failure)> written);
    // Writes the rows still waiting, then ends the thread.
    ~TKeptListWriter();
    TKeptListWriter(const TKeptListWriter&) = delete;
    TKeptListWriter& operator=(const TKeptListWriter&) = delete;

    // Hands the rows over to be written as soon as the writer is free.
    void Write(std::shared_ptr<const TKeptRows> rows);

private:
    void Run();

    const std::string m_path;
    const std::function<void(const std::string&)> m_written;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::shared_ptr<const TKeptRows> m_waiting;
    bool m_ending = false;
    std::thread m_thread; // last, so that it starts after everything it uses is made
};
