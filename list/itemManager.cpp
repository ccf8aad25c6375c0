#include "list/itemManager.h"

#include "list/ChoiceElements.h"
#include "toolkit/SysUtils.h"

TItemManager* ItemManager = nullptr;

TItemManager::TItemManager()
{
    m_document.SetPrologEncoding("UTF-8");
    m_document.SetRootName("list");
}

void TItemManager::StageItem(
    const std::string& fileName, int formatIndex, const std::string& folder, const TEncoderChoices& choices)
{
    TJclSimpleXMLElemClassic* item = m_document.Root().AppendChild("item");
    item->AppendChild("filename")->SetValue(fileName);
    item->AppendChild("format")->SetValue(IntToStr(formatIndex));
    item->AppendChild("path")->SetValue(folder);
    AppendChoices(*item, choices);
}

int TItemManager::StagedFormat(int index)
{
    return StrToInt(StagedValue(index, "format"));
}

std::string TItemManager::StagedPath(int index)
{
    return StagedValue(index, "path");
}

void TItemManager::ClearStage()
{
    m_document.Root().ClearContent();
}

TEncoderChoices TItemManager::StagedChoices(int index)
{
    return ChoicesOf(StagedItem(index));
}

TJclSimpleXMLElem& TItemManager::StagedItem(int index)
{
    if (index < 0)
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
    return *m_document.Root().ChildAt(static_cast<size_t>(index));
}

std::string TItemManager::StagedValue(int index, const char* child)
{
    // Every staged item has its three children: StageItem is the only writer of this document.
    return StagedItem(index).ChildNamed(child)->Value();
}
