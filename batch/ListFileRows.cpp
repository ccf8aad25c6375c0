#include "batch/ListFileRows.h"

#include "list/ListFileReader.h"

namespace
{

// Unwinds the reading when its owner goes.
struct TReadingStopped {
};

} // namespace

TListFileRows::TListFileRows(std::string path)
{
    try {
        m_reader = std::thread([this, path] { Read(path); });
    } catch (const std::system_error&) {
        // No thread to be had (the user's process limit): the list is read here, whole, before its first row.
        Read(path);
    }
}

TListFileRows::~TListFileRows()
{
    m_stop = true;
    if (m_reader.joinable())
        m_reader.join();
}

void TListFileRows::Read(const std::string& path)
{
    std::string error;
    try {
        int index = 0;
        StreamListItems(path, [&](TItemData&& item) {
            if (m_stop)
                throw TReadingStopped();
            TBatchRow row;
            row.Index = index++;
            row.FileName = std::move(item.FileName);
            row.FormatIndex = item.FormatIndex;
            row.Path = std::move(item.Path);
            row.Choices = item.Choices;
            const std::lock_guard<std::mutex> guard(m_lock);
            m_rows.Push(row);
            m_changed.notify_one();
        });
    } catch (const TReadingStopped&) {
    } catch (const std::exception& fault) {
        error = fault.what();
    }
    const std::lock_guard<std::mutex> guard(m_lock);
    m_read = true;
    m_error = std::move(error);
    m_changed.notify_one();
}

std::optional<TBatchRow> TListFileRows::Next()
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_changed.wait(guard, [this] { return m_read || !m_rows.Empty(); });
    return m_rows.Pop();
}

bool TListFileRows::Ended() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_read && m_rows.Empty();
}

std::string TListFileRows::Error() const
{
    const std::lock_guard<std::mutex> guard(m_lock);
    return m_error;
}
