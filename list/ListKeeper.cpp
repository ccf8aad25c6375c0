#include "list/ListKeeper.h"

#include "list/ItemData.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace
{

// The longest a change waits to be written, and the shortest time between two writes.
constexpr qint64 SaveIntervalMs = 1000;

TKeptRow KeptRow(const TItemNodeData& data)
{
    return { data.ItemData.FileName, data.ItemData.FormatIndex, data.ItemData.Path, data.ItemData.Choices,
        data.ImageIndex, data.ItemData.Reason, data.ItemData.Output, data.ItemData.OutputSize,
        data.ItemData.OutputLength };
}

} // namespace

TListKeeper::TListKeeper(TVirtualStringTree* tree, const QString& path)
    : m_tree(tree)
    , m_path(path)
    , m_writer(path.toStdString(), [this](const std::string& failure) {
        QMetaObject::invokeMethod(
            this, [this, failure] { Written(failure); }, Qt::QueuedConnection);
    })
{
    m_turn.setSingleShot(true);
    connect(&m_turn, &QTimer::timeout, this, [this] { Save(); });
    connect(tree, &TVirtualStringTree::RowsChanged, this, [this] { Changed(); });
    connect(tree, &TVirtualStringTree::RowRepainted, this, [this](PVirtualNode node) { Repainted(node); });
}

TListKeeper::~TListKeeper()
{
    if (!m_pending && !m_failing)
        return;
    try {
        Save();
    } catch (const std::exception&) {
        // Nobody is left to tell: the window is closing.
    }
}

void TListKeeper::Restore()
{
    if (!m_tree || !QFileInfo::exists(m_path))
        return;
    TKeptRows rows;
    try {
        rows = ReadKeptList(m_path.toStdString());
    } catch (const std::exception& error) {
        const QString aside = m_path + ".unreadable";
        QFile::remove(aside);
        const bool setAside = QFile::rename(m_path, aside);
        throw EKeptListError("The list kept from the last run, " + m_path.toStdString()
            + ", cannot be read back: " + error.what() + ".\n"
            + (setAside ? "It was set aside as " + aside.toStdString() + "; the list starts empty."
                        : "The list starts empty, and the next change replaces that file."));
    }
    const bool wasEmpty = m_tree->RootNodeCount() == 0;
    {
        TTreeUpdate update(m_tree);
        for (TKeptRow& row : rows) {
            TItemNodeData* data = m_tree->GetNodeData<TItemNodeData>(m_tree->AddChild(nullptr));
            data->NodeType = 1;
            data->ImageIndex = row.State;
            data->ItemData.FileName = std::move(row.FileName);
            data->ItemData.FormatIndex = row.FormatIndex;
            data->ItemData.Path = std::move(row.Path);
            data->ItemData.Choices = row.Choices;
            data->ItemData.Reason = std::move(row.Reason);
            data->ItemData.Output = std::move(row.Output);
            data->ItemData.OutputSize = row.OutputSize;
            data->ItemData.OutputLength = row.OutputLength;
        }
    }
    // The file holds these rows already (a row it says was converting reads back as waiting either way).
    if (wasEmpty) {
        m_saved = Rows();
        m_pending = false;
        m_turn.stop();
    }
}

void TListKeeper::Changed()
{
    m_pending = true;
    if (m_turn.isActive())
        return;
    const qint64 since = m_sinceSave.isValid() ? m_sinceSave.elapsed() : SaveIntervalMs;
    m_turn.start(int(std::clamp<qint64>(SaveIntervalMs - since, 0, SaveIntervalMs)));
}

void TListKeeper::Repainted(PVirtualNode node)
{
    if (m_pending || !m_tree)
        return;
    const int index = m_tree->IndexOf(node);
    if (!m_saved || index < 0 || size_t(index) >= m_saved->size()
        || (*m_saved)[size_t(index)] != KeptRow(*m_tree->GetNodeData<TItemNodeData>(node)))
        Changed();
}

void TListKeeper::Save()
{
    m_pending = false;
    m_turn.stop();
    if (!m_tree)
        return;
    m_saved = Rows();
    ++m_saves;
    m_sinceSave.start();
    m_writer.Write(m_saved);
}

void TListKeeper::Written(const std::string& failure)
{
    if (failure.empty()) {
        m_failing = false;
        return;
    }
    // The file does not hold these rows: the next repaint or change tries again, and so does the close.
    m_saved.reset();
    if (!m_failing && OnSaveFailed)
        OnSaveFailed(failure);
    m_failing = true;
}

std::shared_ptr<const TKeptRows> TListKeeper::Rows() const
{
    auto rows = std::make_shared<TKeptRows>();
    rows->reserve(m_tree->RootNodeCount());
    for (PVirtualNode node = m_tree->GetFirst(); node; node = m_tree->GetNextSibling(node))
        rows->push_back(KeptRow(*m_tree->GetNodeData<TItemNodeData>(node)));
    return rows;
}
