#pragma once

#include "list/FileItem.h"
#include "toolkit/Exception.h"

#include <functional>
#include <string>

class TJclSimpleXML;

// A list file item that cannot become a row: a value is missing, holds a 0 byte, or is a file name or folder
// longer than the system takes.
class EListFileError : public Exception
{
public:
    using Exception::Exception;
};

// Reads the items of the list file at path into document, one by one, as the window's Import does: each item
// goes to onItem as soon as it is read, so items before a faulty one have been handed over when the error passes
// on. No file at the path: nothing is read. The document keeps the file's declaration, prolog and root name, not
// its items.
void ReadListItems(TJclSimpleXML& document, const std::string& path, const std::function<void(TItemData&&)>& onItem);

// Reads the items of the list file at path as ReadListItems does, each handed over as soon as it is read and
// forgotten then, so a list of a million items takes the memory of one. A missing file is an error here.
void StreamListItems(const std::string& path, const std::function<void(TItemData&&)>& onItem);

// The rows' elements are needed only while a file is read or written; dropping them afterwards keeps what later
// exports carry over (declaration, prolog nodes, root name) and frees the rest.
class TContentRelease
{
public:
    explicit TContentRelease(TJclSimpleXML& document)
        : m_document(document)
    {
    }
    ~TContentRelease();
    TContentRelease(const TContentRelease&) = delete;
    TContentRelease& operator=(const TContentRelease&) = delete;

private:
    TJclSimpleXML& m_document;
};
