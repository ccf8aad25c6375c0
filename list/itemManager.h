#pragma once

#include "engine/plan/EncoderChoices.h"
#include "list/JclSimpleXML.h"

#include <string>

// The staging list through which the add-files flow hands each chosen file's format and output folder to
// the file list: one "item" (filename, format, path, and the choices made) per file, in the order they were chosen.
class TItemManager {
public:
    // An empty staging list: root "list", declaration encoding "UTF-8".
    TItemManager();

    // Appends one item; the format index is staged as decimal text.
    void StageItem(
        const std::string& fileName, int formatIndex, const std::string& folder, const TEncoderChoices& choices = {});
    // The format index of the i-th item; EListError outside the staged items, EConvertError for non-numbers.
    int StagedFormat(int index);
    // The output folder of the i-th item (empty: the global output folder); EListError outside the items.
    std::string StagedPath(int index);
    // The size, quality and sound of the i-th item; EListError outside the items.
    TEncoderChoices StagedChoices(int index);
    // The number of staged items.
    int StagedCount() const { return static_cast<int>(m_document.Root().NumChildren()); }
    // Removes every staged item.
    void ClearStage();

    // The staging document as it stands.
    TJclSimpleXML& Document() { return m_document; }

private:
    TJclSimpleXMLElem& StagedItem(int index);
    std::string StagedValue(int index, const char* child);

    TJclSimpleXML m_document;
};

// The program's staging list; made and freed by the main window's controller, nullptr before and after.
extern TItemManager* ItemManager;
