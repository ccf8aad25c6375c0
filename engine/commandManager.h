#pragma once

#include "list/JclSimpleXML.h"

#include <string>
#include <vector>

// A catalogue lookup that has no answer: an index outside the catalogue or an entry lacking the child asked for.
class ECommandError : public Exception {
public:
    using Exception::Exception;
};

// The catalogue of conversion formats, read once from the file "command" that CataloguePath finds: per entry
// a display name (`format`), encoder parameters (`params`) and an output extension without the dot (`ext`).
// A format index is the position of its entry among the root's children.
class TCommandManager {
public:
    // Loads the catalogue CataloguePath names. A catalogue that is missing, cannot be read or parsed, or holds no
    // entry is reported in the error box (path and reason) and leaves the catalogue empty.
    TCommandManager();
    TCommandManager(const TCommandManager&) = delete;
    TCommandManager& operator=(const TCommandManager&) = delete;

    // Replaces the catalogue with the file at path. No file there, a read or parse failure (a folder or anything
    // else that is not a regular file cannot be read), or a file without entries: reported once in the error
    // box with the path, and the catalogue is empty.
    void Load(const std::string& path);
    // The display names in catalogue order; an entry without a `format` child has an empty name.
    const std::vector<std::string>& Formats() const { return m_formats; }
    // The short names in catalogue order, for a list's column: the optional `short` value of each entry, else
    // its display name up to the first "(" or ",".
    const std::vector<std::string>& ShortNames() const { return m_shortNames; }
    // The `params` value of the entry at index; ECommandError naming the index when there is none.
    std::string GetParams(int index);
    // The `ext` value (no dot) of the entry at index; ECommandError naming the index when there is none.
    std::string GetExt(int index);
    // The optional `plan` value of the entry at index (see engine/EncoderPlan.h); empty for an entry in the old
    // form, which has none. ECommandError naming the index when there is no such entry.
    std::string GetPlan(int index);

    // What the entry at index keeps of a source, in words after "keeps ": its optional `keeps` value, else what its
    // plan words say. ECommandError naming the index when there is no such entry.
    std::string Keeps(int index);

private:
    std::string EntryValue(int index, const char* child, bool optional = false);

    TJclSimpleXML m_document;
    std::vector<std::string> m_formats;
    std::vector<std::string> m_shortNames;
};

// The program's catalogue; made and freed by the main window's controller, nullptr before and after.
extern TCommandManager* CommandManager;
