#include "batch/BatchRow.h"

#include "list/JclSimpleXML.h"
#include "list/ListFileReader.h"
#include "platform/FileSystem.h"
#include "toolkit/FileNames.h"

#include <QDir>

std::vector<TBatchRow> ReadBatchRows(const std::string& path)
{
    // Import passes over a missing file in silence; a batch must say so, in the words Import uses for a list
    // that cannot be opened, which the document's own reader gives.
    if (!platform::FileExists(path))
        TJclSimpleXML().LoadDocument(path);
    std::vector<TBatchRow> rows;
    TJclSimpleXML document;
    ReadListItems(document, path, [&](TItemData&& item) {
        TBatchRow row;
        row.Index = static_cast<int>(rows.size());
        row.FileName = std::move(item.FileName);
        row.FormatIndex = item.FormatIndex;
        row.Path = std::move(item.Path);
        row.Choices = item.Choices;
        rows.push_back(std::move(row));
    });
    return rows;
}

namespace
{

QString Absolute(const std::string& path)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(NameText(path)));
}

} // namespace

std::vector<TBatchRow> FileRows(
    const std::vector<std::string>& files, int format, const std::string& folder, const TEncoderChoices& choices)
{
    std::vector<TBatchRow> rows;
    const QString path = folder.empty() ? QString() : Absolute(folder);
    for (const std::string& file : files) {
        TBatchRow row;
        row.Index = static_cast<int>(rows.size());
        row.FileName = Absolute(file);
        row.FormatIndex = format;
        row.Path = path;
        row.Choices = choices;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<TBatchRow> ShardOf(std::vector<TBatchRow> rows, int shardIndex, int shardCount)
{
    std::vector<TBatchRow> shard;
    for (TBatchRow& row : rows)
        if (row.Index % shardCount == shardIndex - 1)
            shard.push_back(std::move(row));
    return shard;
}
