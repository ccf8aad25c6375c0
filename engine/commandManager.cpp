#include "engine/commandManager.h"

#include "platform/FileSystem.h"
#include "toolkit/ErrorReport.h"
#include "toolkit/Locations.h"

TCommandManager* CommandManager = nullptr;

namespace
{

// A display name up to its first "(" or ",", without the blanks before it: "MP4 video (H.264 / AAC)" gives
// "MP4 video".
std::string NameHead(const std::string& name)
{
    std::string head = name.substr(0, name.find_first_of("(,"));
    while (!head.empty() && head.back() == ' ')
        head.pop_back();
    return head;
}

} // namespace

TCommandManager::TCommandManager()
{
    Load(CataloguePath());
}

void TCommandManager::Load(const std::string& path)
{
    m_formats.clear();
    m_shortNames.clear();
    m_document.Root().ClearContent();
    // A broken, missing or empty catalogue must not stop the program: the window still works, with no formats to
    // offer, and the user is told once why.
    auto report = [&](const std::string& fault) {
        m_document.Root().ClearContent();
        ReportError("The format catalogue \"" + path + "\" " + fault);
    };
    int error = 0;
    if (!platform::FileExists(path, error) && error == 0 && !platform::DirectoryExists(path))
        return report("is missing: there are no formats to convert to.");
    try {
        m_document.LoadDocument(path);
    } catch (const Exception& error) {
        return report("cannot be read: " + error.Message());
    }
    TJclSimpleXMLElem& root = m_document.Root();
    if (root.NumChildren() == 0)
        return report("is empty: there are no formats to convert to.");
    m_formats.reserve(root.NumChildren());
    for (size_t i = 0; i < root.NumChildren(); ++i) {
        const TJclSimpleXMLElem* name = root.ChildAt(i)->ChildNamed("format");
        m_formats.push_back(name ? name->Value() : std::string());
        const TJclSimpleXMLElem* shortName = root.ChildAt(i)->ChildNamed("short");
        m_shortNames.push_back(shortName ? shortName->Value() : NameHead(m_formats.back()));
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

std::string TCommandManager::GetPlan(int index)
{
    return EntryValue(index, "plan", true);
}

std::string TCommandManager::Keeps(int index)
{
    if (std::string keeps = EntryValue(index, "keeps", true); !keeps.empty())
        return keeps;
    // An entry that does not say is told by its plan: the words name what it keeps.
    const std::string plan = " " + GetPlan(index) + " ";
    if (plan.find(" tracks ") == std::string::npos)
        return "what its params map";
    return plan.find(" copy ") == std::string::npos ? "every track its container holds"
                                                    : "every track its container holds; copies what fits";
}

std::string TCommandManager::EntryValue(int index, const char* child, bool optional)
{
    TJclSimpleXMLElem& root = m_document.Root();
    if (index < 0 || static_cast<size_t>(index) >= root.NumChildren())
        throw ECommandError("Format " + std::to_string(index) + " is not in the format catalogue, which holds "
                            + std::to_string(root.NumChildren()) + " formats");
    const TJclSimpleXMLElem* found = root.ChildAt(index)->ChildNamed(child);
    if (!found && optional)
        return std::string();
    if (!found)
        throw ECommandError("Format " + std::to_string(index) + " of the format catalogue has no \"" + child
                            + "\" entry");
    return found->Value();
}
