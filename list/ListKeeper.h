#pragma once

#include "list/KeptListWriter.h"
#include "toolkit/Exception.h"
#include "toolkit/VirtualStringTree.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

// A kept list that could not be read back; the message says why and where the file was set aside.
class EKeptListError : public Exception
{
public:
    using Exception::Exception;
};

// Keeps the rows of a list control, with their states, in a file of their own, so that they outlive the
// program: Restore brings them back at the start, and from then on a change of what the file holds (rows
// added, removed or moved, a row's state, reason, format or folder) is written within about a second, the file
// replaced whole, so that a crash leaves the last list or the one before. Repaints, progress and selection write
// nothing; changes in a burst are written together, at most about once a second, by a thread of their own.
class TListKeeper : public QObject
{
public:
    TListKeeper(TVirtualStringTree* tree, const QString& path);
    // Writes a change still waiting for its turn, or rows whose last write failed, and waits until that is done.
    ~TListKeeper() override;

    // Appends the kept rows: a row that was converting comes back waiting; waiting, finished and failed rows
    // keep their state, and failed ones their reason. No file: nothing happens. A file that cannot be read
    // back (damaged, or written by a newer version) adds no row: it is renamed to <path>.unreadable and
    // EKeptListError says so.
    void Restore();

    // How many times the rows were taken to be written: each time one pass over them on this thread.
    int Saves() const { return m_saves; }
    // True while a change waits for its turn to be written.
    bool Pending() const { return m_pending; }

    // A write failed; told once, until a write succeeds again.
    std::function<void(const std::string& message)> OnSaveFailed;

private:
    void Changed();
    // A repaint writes only when the row no longer reads as it was last written.
    void Repainted(PVirtualNode node);
    void Save();
    void Written(const std::string& failure);
    std::shared_ptr<const TKeptRows> Rows() const;

    QPointer<TVirtualStringTree> m_tree;
    QString m_path;
    std::shared_ptr<const TKeptRows> m_saved; // the rows last handed to the writer
    bool m_pending = false;
    bool m_failing = false;
    int m_saves = 0;
    QTimer m_turn;
    QElapsedTimer m_sinceSave;
    TKeptListWriter m_writer; // last: its thread ends, with the last write, before anything else goes
};
