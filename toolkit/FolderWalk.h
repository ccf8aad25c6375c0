#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <functional>
#include <thread>

class QProgressDialog;
class QWidget;

// Finds the files a drop of paths adds (see DroppedFiles) on a thread of its own, so that a folder of any size
// never holds up the window. A box with the count found so far and a Cancel button comes up over the window when
// the walk takes longer than a moment, and is gone for good once the walk has ended, before done runs.
class TFolderWalk : public QObject
{
public:
    // The walk itself: the files found, stopping with none once cancelled is set, counting them into found.
    using TWalk = std::function<QStringList(const std::atomic<bool>* cancelled, std::atomic<int>* found)>;

    // Starts walking at once; done runs on the user-interface thread with the files, unless the walk is cancelled.
    // The object deletes itself once done has returned or the walk was cancelled.
    TFolderWalk(QWidget* window, TWalk walk, std::function<void(QStringList)> done);
    // Cancels a walk still running and waits for its thread, which stops at its next entry.
    ~TFolderWalk() override;
    TFolderWalk(const TFolderWalk&) = delete;
    TFolderWalk& operator=(const TFolderWalk&) = delete;

    // Stops the walk; done never runs. Nothing once it has ended.
    void Cancel();
    // True until done has run or the walk was cancelled.
    bool Running() const { return m_running; }

private:
    void Ended(const QStringList& files);
    void ShowProgress();
    // The box's own timer would show it later even once hidden, so it is cancelled and goes.
    void CloseBox();

    std::function<void(QStringList)> m_done;
    std::atomic<bool> m_cancelled { false };
    std::atomic<int> m_found { 0 };
    bool m_running = true;
    QTimer m_progress;
    QPointer<QProgressDialog> m_box; // the window's child; gone with it if the window goes first
    std::thread m_thread;
};
