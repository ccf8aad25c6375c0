#include "batch/BatchRow.h"

#include "toolkit/FileNames.h"

#include <QDir>

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
