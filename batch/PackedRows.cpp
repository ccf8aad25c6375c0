#include "batch/PackedRows.h"

#include "toolkit/FileNames.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace
{

constexpr std::size_t BlockBytes = 64 * 1024;
// A folder length that stands for "the previous row's folder".
constexpr uint32_t SamePath = UINT32_MAX;

struct THeader {
    int32_t Index;
    int32_t FormatIndex;
    int32_t MaxLines;
    uint8_t Quality;
    uint8_t Sound;
    uint32_t NameBytes;
    uint32_t PathBytes; // SamePath: the previous row's
};

} // namespace

void TPackedRows::Push(const TBatchRow& row)
{
    const std::string name = NameBytes(row.FileName);
    const bool samePath = !m_blocks.empty() && row.Path == m_lastPath;
    const std::string path = samePath ? std::string() : NameBytes(row.Path);
    const THeader header { row.Index, row.FormatIndex, row.Choices.MaxLines, static_cast<uint8_t>(row.Choices.Quality),
        static_cast<uint8_t>(row.Choices.Sound), static_cast<uint32_t>(name.size()),
        samePath ? SamePath : static_cast<uint32_t>(path.size()) };
    const std::size_t bytes = sizeof header + name.size() + path.size();
    if (m_blocks.empty() || m_blocks.back().size() + bytes > m_blocks.back().capacity()) {
        m_blocks.emplace_back();
        m_blocks.back().reserve(std::max(BlockBytes, bytes));
    }
    std::string& block = m_blocks.back();
    block.append(reinterpret_cast<const char*>(&header), sizeof header);
    block.append(name);
    block.append(path);
    if (!samePath)
        m_lastPath = row.Path;
}

std::optional<TBatchRow> TPackedRows::Pop()
{
    if (Empty())
        return std::nullopt;
    if (m_read == m_blocks.front().size()) {
        m_blocks.pop_front();
        m_read = 0;
    }
    const std::string& block = m_blocks.front();
    THeader header;
    std::memcpy(&header, block.data() + m_read, sizeof header);
    const char* text = block.data() + m_read + sizeof header;
    TBatchRow row;
    row.Index = header.Index;
    row.FormatIndex = header.FormatIndex;
    row.Choices.MaxLines = header.MaxLines;
    row.Choices.Quality = static_cast<TQualityChoice>(header.Quality);
    row.Choices.Sound = static_cast<TSoundChoice>(header.Sound);
    row.FileName = NameText({ text, header.NameBytes });
    const uint32_t pathBytes = header.PathBytes == SamePath ? 0 : header.PathBytes;
    row.Path = header.PathBytes == SamePath ? m_poppedPath : NameText({ text + header.NameBytes, pathBytes });
    m_poppedPath = row.Path;
    m_read += sizeof header + header.NameBytes + pathBytes;
    return row;
}
