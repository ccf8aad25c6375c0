#include "list/saveManager.h"

#include "list/ChoiceElements.h"
#include "list/ItemData.h"
#include "list/JclSimpleXML.h"
#include "list/ListFileReader.h"
#include "toolkit/FileNames.h"
#include "toolkit/SysUtils.h"

TSaveManager* SaveManager = nullptr;

TSaveManager::TSaveManager(TVirtualStringTree* tree)
    : m_tree(tree)
    , m_document(std::make_unique<TJclSimpleXML>())
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
        item->AppendChild("filename")->SetValue(NameBytes(data.FileName));
        item->AppendChild("format")->SetValue(IntToStr(data.FormatIndex));
        item->AppendChild("path")->SetValue(NameBytes(data.Path));
        AppendChoices(*item, data.Choices);
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
    ReadListItems(*m_document, path, onItem);
}
