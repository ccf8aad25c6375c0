#pragma once

#include "list/ListFileReader.h"
#include "toolkit/VirtualStringTree.h"

#include <QPointer>
#include <functional>
#include <memory>
#include <string>

class TJclSimpleXML;

// Exports the list's rows to a list file and imports list files into the list. One document serves every
// export and import, so an import's declaration, prolog nodes and root name are what later exports write.
class TSaveManager {
public:
    // Keeps the control (nullptr: every call does nothing) and makes the document: encoding "UTF-8", root "list".
    explicit TSaveManager(TVirtualStringTree* tree);
    ~TSaveManager();
    TSaveManager(const TSaveManager&) = delete;
    TSaveManager& operator=(const TSaveManager&) = delete;

    // Writes one item per row (file name, format index, folder) to the UTF-8 path. The file appears whole or
    // not at all: on failure the error passes on and an earlier file at the path is left as it was (unless its
    // folder takes no new file: then it is written in place).
    void SaveList(const std::string& path);
    // Appends one Waiting row per item of the file; no file at the path: nothing happens. A malformed file, or
    // something that is not a regular file, adds no row; an item without its file name, format or folder, with
    // a 0 byte in one of them, a file name or folder longer than the system's path limit, or a format that is
    // not an integer, stops the import there with an error naming the item, keeping the rows made before it. A
    // file that ends early (cut short) gives the rows of its complete items and then an error naming the file and
    // where it ends; the item it ends in is never made a row.
    void LoadList(const std::string& path);
    // Reads the items of a list file one by one, as LoadList does, without a list control: each item goes to
    // onItem as soon as it is read, so items before a faulty one have been handed over when the error passes on.
    // No file at the path: nothing is read. Works also on a manager made without a control.
    void ReadList(const std::string& path, const std::function<void(TItemData&&)>& onItem);

    // The document both directions share.
    TJclSimpleXML& Document() { return *m_document; }

private:
    QPointer<TVirtualStringTree> m_tree;
    std::unique_ptr<TJclSimpleXML> m_document;
};

// The program's list file reader and writer; made and freed by the main window controller, nullptr until then.
extern TSaveManager* SaveManager;
