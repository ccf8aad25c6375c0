#include "list/KeptListWriter.h"

TKeptListWriter::TKeptListWriter(std::string path, std::function<void(const std::string& failure)> written)
    : m_path(std::move(path))
    , m_written(std::move(written))
    , m_thread([this] { Run(); })
{
}

TKeptListWriter::~TKeptListWriter()
{
    {
        const std::lock_guard lock(m_mutex);
        m_ending = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void TKeptListWriter::Write(std::shared_ptr<const TKeptRows> rows)
{
    {
        const std::lock_guard lock(m_mutex);
        m_waiting = std::move(rows);
    }
    m_wake.notify_one();
}

void TKeptListWriter::Run()
{
    for (;;) {
        std::shared_ptr<const TKeptRows> rows;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_waiting || m_ending; });
            if (!m_waiting)
                return;
            rows = std::move(m_waiting);
        }
        try {
            WriteKeptList(m_path, *rows);
            m_written({});
        } catch (const std::exception& error) {
            m_written(error.what());
        }
    }
}
