#include "list/ListKeeper.h"

#include "list/ChoiceElements.h"
#include "list/ItemData.h"
#include "list/JclSimpleXML.h"
#include "platform/FileIO.h"
#include "toolkit/SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <vector>

namespace
{

// Raised whenever the kept file changes in a way an older version could not read.
constexpr int KeptVersion = 1;

struct TKeptRow {
    TItemData Item;
    int32_t State = Waiting;
};

std::string ChildValue(TJclSimpleXMLElem& item, size_t position, const char* name)
{
    const TJclSimpleXMLElem* child = item.ChildNamed(name);
    if (!child)
        throw Exception("row " + std::to_string(position + 1) + " has no \"" + name + "\"");
    return child->Value();
}

std::vector<TKeptRow> ReadRows(const std::string& path)
{
    TJclSimpleXML document;
    document.LoadDocument(path);
    TJclSimpleXMLElemClassic& root = document.Root();
    const TJclSimpleXMLProp* version = root.Properties().ItemNamed("version");
    if (root.Name() != "list" || !version)
        throw Exception("it is not a list kept by this program");
    if (StrToInt(version->Value) > KeptVersion)
        throw Exception("it was written by a newer version of the program");
    std::vector<TKeptRow> rows;
    for (size_t i = 0; i < root.NumChildren(); ++i) {
        TJclSimpleXMLElem& element = *root.ChildAt(i);
        TKeptRow row;
        row.Item.FileName = QString::fromStdString(ChildValue(element, i, "filename"));
        row.Item.FormatIndex = StrToInt(ChildValue(element, i, "format"));
        row.Item.Path = QString::fromStdString(ChildValue(element, i, "path"));
        row.Item.Choices = ChoicesOf(element);
        row.State = StrToInt(ChildValue(element, i, "state"));
        if (row.State < Waiting || row.State > Failed)
            throw Exception("row " + std::to_string(i + 1) + " has an unknown state");
        // The conversion ended with the program that ran it.
        if (row.State == Converting)
            row.State = Waiting;
        if (row.State == Failed)
            row.Item.Reason = QString::fromStdString(ChildValue(element, i, "reason"));
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace

TListKeeper::TListKeeper(TVirtualStringTree* tree, const QString& path)
    : m_tree(tree)
    , m_path(path)
{
    connect(tree, &TVirtualStringTree::RowsChanged, this, [this] { SaveLater(); });
}

TListKeeper::~TListKeeper()
{
    if (!m_pending)
        return;
    try {
        Save();
    } catch (const std::exception&) {
        // Told already, or nobody is left to tell: the window is closing.
    }
}

void TListKeeper::Restore()
{
    if (!m_tree || !QFileInfo::exists(m_path))
        return;
    std::vector<TKeptRow> rows;
    try {
        rows = ReadRows(m_path.toStdString());
    } catch (const std::exception& error) {
        const QString aside = m_path + ".unreadable";
        QFile::remove(aside);
        const bool setAside = QFile::rename(m_path, aside);
        throw EKeptListError("The list kept from the last run, " + m_path.toStdString()
            + ", cannot be read back: " + error.what() + ".\n"
            + (setAside ? "It was set aside as " + aside.toStdString() + "; the list starts empty."
                        : "The list starts empty, and the next change replaces that file."));
    }
    TTreeUpdate update(m_tree);
    for (TKeptRow& row : rows) {
        TItemNodeData* data = m_tree->GetNodeData<TItemNodeData>(m_tree->AddChild(nullptr));
        data->NodeType = 1;
        data->ImageIndex = row.State;
        data->ItemData = std::move(row.Item);
    }
}

void TListKeeper::Save()
{
    m_pending = false;
    if (!m_tree)
        return;
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetRootName("list");
    document.Root().Properties().Add("version", IntToStr(KeptVersion));
    for (PVirtualNode node = m_tree->GetFirst(); node; node = m_tree->GetNextSibling(node)) {
        const TItemNodeData& data = *m_tree->GetNodeData<TItemNodeData>(node);
        TJclSimpleXMLElem* item = document.Root().AppendChild("item");
        item->AppendChild("filename")->SetValue(data.ItemData.FileName.toStdString());
        item->AppendChild("format")->SetValue(IntToStr(data.ItemData.FormatIndex));
        item->AppendChild("path")->SetValue(data.ItemData.Path.toStdString());
        AppendChoices(*item, data.ItemData.Choices);
        item->AppendChild("state")->SetValue(IntToStr(data.ImageIndex));
        item->AppendChild("reason")->SetValue(data.ItemData.Reason.toStdString());
    }
    const std::string content = document.SaveToString();
    if (content == m_written)
        return;
    QDir().mkpath(QFileInfo(m_path).path());
    platform::TReplaceFile file;
    std::string reason;
    if (!file.Open(m_path.toStdString(), reason) || !file.Write(content, reason) || !file.Commit(reason))
        throw Exception("The list cannot be kept in " + m_path.toStdString() + ": " + reason);
    m_written = content;
}

// Changes come in bursts (a row ends and the next starts; a thousand rows are added), so they are written
// together once the burst is over.
void TListKeeper::SaveLater()
{
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        if (!m_pending)
            return;
        try {
            Save();
            m_failing = false;
        } catch (const std::exception& error) {
            if (!m_failing && OnSaveFailed)
                OnSaveFailed(error.what());
            m_failing = true;
        }
    });
}
