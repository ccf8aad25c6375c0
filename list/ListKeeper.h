#pragma once

#include "toolkit/Exception.h"
#include "toolkit/VirtualStringTree.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <string>

// A kept list that could not be read back; the message says why and where the file was set aside.
class EKeptListError : public Exception
{
public:
    using Exception::Exception;
};

// Keeps the rows of a list control, with their states, in a file of their own, so that they outlive the
// program: Restore brings them back at the start, and from then on every change is written on the next turn
// of the event loop, the file replaced whole, so that a crash leaves the last list or the one before.
class TListKeeper : public QObject
{
public:
    TListKeeper(TVirtualStringTree* tree, const QString& path);
    // Writes a change still waiting for its turn.
    ~TListKeeper() override;

    // Appends the kept rows: a row that was converting comes back waiting; waiting, finished and failed rows
    // keep their state, and failed ones their reason. No file: nothing happens. A file that cannot be read
    // back (damaged, or written by a newer version) adds no row: it is renamed to <path>.unreadable and
    // EKeptListError says so.
    void Restore();
    // Writes the rows now, unless the file holds them already; a failure passes on.
    void Save();

    // A save after a change failed; told once, until a save succeeds again.
    std::function<void(const std::string& message)> OnSaveFailed;

private:
    void SaveLater();

    QPointer<TVirtualStringTree> m_tree;
    QString m_path;
    std::string m_written;
    bool m_pending = false;
    bool m_failing = false;
};
