#include "engine/commandManager.h"

#include "platform/FileSystem.h"
#include "toolkit/Application.h"

TCommandManager* CommandManager = nullptr;

TCommandManager::TCommandManager()
{
    Load((Application->ProgramFolder() + "/command").toStdString());
}

void TCommandManager::Load(const std::string& path)
{
    m_formats.clear();
    m_document.Root().ClearContent();
    if (!platform::FileExists(path))
        return;
    try {
        m_document.LoadDocument(path);
    } catch (const Exception& error) {
        // A broken catalogue must not stop the program: the window still works, with no formats to offer.
        m_document.Root().ClearContent();
        const Exception report("The format catalogue \"" + path + "\" cannot be read: " + error.Message());
        if (Application)
            Application->ShowException(report);
        return;
    }
    TJclSimpleXMLElem& root = m_document.Root();
    m_formats.reserve(root.NumChildren());
    for (size_t i = 0; i < root.NumChildren(); ++i) {
        const TJclSimpleXMLElem* name = root.ChildAt(i)->ChildNamed("format");
        m_formats.push_back(name ? name->Value() : std::string());
    }
}

std::string TCommandManager::GetParams(int index)
{
    return EntryValue(index, "params");
}

std::string TCommandManager::GetExt(int index)
{
    return EntryValue(index, "ext");
}

std::string TCommandManager::EntryValue(int index, const char* child)
{
    TJclSimpleXMLElem& root = m_document.Root();
    if (index < 0 || static_cast<size_t>(index) >= root.NumChildren())
        throw ECommandError("Format " + std::to_string(index) + " is not in the format catalogue, which holds "
                            + std::to_string(root.NumChildren()) + " formats");
    const TJclSimpleXMLElem* found = root.ChildAt(index)->ChildNamed(child);
    if (!found)
        throw ECommandError("Format " + std::to_string(index) + " of the format catalogue has no \"" + child
                            + "\" entry");
    return found->Value();
}
