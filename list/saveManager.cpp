#include "list/saveManager.h"

#include "list/ItemData.h"
#include "list/JclSimpleXML.h"
#include "platform/FileSystem.h"
#include "toolkit/SysUtils.h"

#include <QStringDecoder>

TSaveManager* SaveManager = nullptr;

namespace {

// The rows' elements are needed only while a file is read or written; dropping them afterwards keeps what
// later exports carry over (declaration, prolog nodes, root name) and frees the rest.
class TContentRelease {
public:
    explicit TContentRelease(TJclSimpleXML& document) : m_document(document) {}
    ~TContentRelease() { m_document.Root().ClearContent(); }
    TContentRelease(const TContentRelease&) = delete;
    TContentRelease& operator=(const TContentRelease&) = delete;

private:
    TJclSimpleXML& m_document;
};

// List files hold UTF-8; one written where the code page was Western European holds single bytes such as
// 0xE9 for é, which are not UTF-8 and would come back as replacement characters, so those are read as Latin-1.
QString ToWide(const std::string& bytes)
{
    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
    return utf8.hasError() ? QString::fromLatin1(bytes.data(), qsizetype(bytes.size())) : text;
}

std::string ValueOf(TJclSimpleXMLElem* item, size_t position, const char* name)
{
    TJclSimpleXMLElem* child = item->ChildNamed(name);
    if (!child)
        throw EListFileError("Item " + std::to_string(position + 1) + " of the list file has no \"" + name +
                             "\" element");
    return child->Value();
}

} // namespace

TSaveManager::TSaveManager(TVirtualStringTree* tree) : m_tree(tree), m_document(std::make_unique<TJclSimpleXML>())
{
    m_document->SetPrologEncoding("UTF-8");
    m_document->SetRootName("list");
}

TSaveManager::~TSaveManager() = default;

void TSaveManager::SaveList(const std::string& path)
{
    if (!m_tree)
        return;
    TContentRelease release(*m_document);
    TJclSimpleXMLElem& root = m_document->Root();
    root.ClearContent();
    for (PVirtualNode node = m_tree->GetFirst(); node; node = m_tree->GetNextSibling(node)) {
        const TItemData& data = m_tree->GetNodeData<TItemNodeData>(node)->ItemData;
        TJclSimpleXMLElem* item = root.AppendChild("item");
        item->AppendChild("filename")->SetValue(data.FileName.toStdString());
        item->AppendChild("format")->SetValue(IntToStr(data.FormatIndex));
        item->AppendChild("path")->SetValue(data.Path.toStdString());
    }
    m_document->SaveDocument(path);
}

void TSaveManager::LoadList(const std::string& path)
{
    if (!m_tree)
        return;
    TTreeUpdate update(m_tree);
    ReadList(path, [&](TItemData&& item) {
        PVirtualNode node = m_tree->AddChild(nullptr);
        TItemNodeData* data = m_tree->GetNodeData<TItemNodeData>(node);
        data->NodeType = 1;
        data->ItemData = std::move(item);
        data->ImageIndex = Waiting;
        m_tree->RepaintNode(node);
    });
}

void TSaveManager::ReadList(const std::string& path, const std::function<void(TItemData&&)>& onItem)
{
    if (!platform::FileExists(path))
        return;
    TContentRelease release(*m_document);
    m_document->LoadDocument(path);
    TJclSimpleXMLElem& root = m_document->Root();
    for (size_t i = 0; i < root.NumChildren(); ++i) {
        TJclSimpleXMLElem* element = root.ChildAt(i);
        TItemData item;
        item.FileName = ToWide(ValueOf(element, i, "filename"));
        item.FormatIndex = StrToInt(ValueOf(element, i, "format"));
        item.Path = ToWide(ValueOf(element, i, "path"));
        onItem(std::move(item));
    }
}
