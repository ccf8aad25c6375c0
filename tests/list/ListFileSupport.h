#pragma once

#include "list/ItemData.h"
#include "toolkit/VirtualStringTree.h"

#include <QFile>
#include <QString>
#include <string>
#include <vector>

// Rows of a list as the list file sees them, plus their state, for comparing whole lists at once.
struct TRowView {
    QString FileName;
    int32_t FormatIndex;
    QString Path;
    int32_t ImageIndex;
    uint8_t Busy;
    int32_t BusyPos;
    bool operator==(const TRowView&) const = default;
};

inline void PrintTo(const TRowView& row, std::ostream* os)
{
    *os << "{" << row.FileName.toStdString() << ", " << row.FormatIndex << ", " << row.Path.toStdString() << ", "
        << row.ImageIndex << ", " << int(row.Busy) << ", " << row.BusyPos << "}";
}

inline PVirtualNode AddRow(TVirtualStringTree& tree, const QString& fileName, int32_t format, const QString& path,
                           int32_t state = Waiting)
{
    PVirtualNode node = tree.AddChild(nullptr);
    TItemNodeData* data = tree.GetNodeData<TItemNodeData>(node);
    data->NodeType = 1;
    data->ImageIndex = state;
    data->ItemData.FileName = fileName;
    data->ItemData.FormatIndex = format;
    data->ItemData.Path = path;
    return node;
}

inline std::vector<TRowView> Rows(TVirtualStringTree& tree)
{
    std::vector<TRowView> rows;
    for (PVirtualNode node = tree.GetFirst(); node; node = tree.GetNextSibling(node)) {
        const TItemNodeData* data = tree.GetNodeData<TItemNodeData>(node);
        const TItemData& item = data->ItemData;
        rows.push_back({item.FileName, item.FormatIndex, item.Path, data->ImageIndex, item.Busy, item.BusyPos});
    }
    return rows;
}

inline std::string ReadBytes(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll().toStdString();
}

inline void WriteBytes(const QString& path, const std::string& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(bytes.data(), qint64(bytes.size()));
}
