#include "batch/BatchRow.h"

#include "list/JclSimpleXML.h"
#include "list/ListFileReader.h"
#include "platform/FileSystem.h"

std::vector<TBatchRow> ReadBatchRows(const std::string& path, int shardIndex, int shardCount)
{
    // Import passes over a missing file in silence; a batch must say so, in the words Import uses for a list
    // that cannot be opened, which the document's own reader gives.
    if (!platform::FileExists(path))
        TJclSimpleXML().LoadDocument(path);
    std::vector<TBatchRow> rows;
    int index = 0;
    TJclSimpleXML document;
    ReadListItems(document, path, [&](TItemData&& item) {
        if (index % shardCount == shardIndex) {
            TBatchRow row;
            row.Index = index;
            row.FileName = std::move(item.FileName);
            row.FormatIndex = item.FormatIndex;
            row.Path = std::move(item.Path);
            rows.push_back(std::move(row));
        }
        ++index;
    });
    return rows;
}
