#pragma once

#include "toolkit/DialogSeam.h"
#include "toolkit/ProgramFolder.h"
#include "toolkit/SyncChannel.h"

#include <QString>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>

class QWidget;

// The application object: title, program folder, message boxes, the standard error box and the hand-over
// of work from a reader thread to the user-interface thread. One instance, reachable as Application.
class TApplication
{
public:
    TApplication();
    ~TApplication();

    QString Title() const { return m_title; }
    void SetTitle(const QString& title) { m_title = title; }

    // The folder of the executable, where bin/ffmpeg, the catalogue and convert/ are; ends without '/'.
    QString ProgramFolder() const { return ::ProgramFolder(); }
    // Tests point the program folder elsewhere; an empty value goes back to the executable's folder.
    void SetProgramFolder(const QString& folder) { ::SetProgramFolder(folder); }

    // The window that owns message boxes (the main window once it exists).
    void SetMainWindow(QWidget* window) { m_mainWindow = window; }
    QWidget* MainWindow() const { return m_mainWindow; }

    // A message box with the application title as caption; returns the button that closed it.
    int MessageBox(const QString& text, TMsgIcon icon, int buttons);
    // A question with buttons of its own words, as TDialogSeam::Choose asks it, with the application title as caption.
    int Choose(const QString& text, TMsgIcon icon, const QStringList& buttons, int defaultButton, int escapeButton);
    // The standard error box: title as caption, the message, OK and a stop icon.
    void ShowException(const std::exception& error);
    // Runs a handler and reports whatever it throws in the standard error box.
    void Guard(const std::function<void()>& handler);
    // The standard error box, shown later from the event loop, so that nobody waits for it, and only while no
    // other message box is open: boxes asked for meanwhile wait their turn and come one after the other, never
    // one inside another. wanted, when given, is asked on the user-interface thread just before the box would
    // open; false drops it. Any thread may ask.
    void ShowExceptionLater(const QString& message, std::function<bool()> wanted = {});

    // Runs work on the user-interface thread and returns when it has run, passing on what it threw; called
    // there, it just runs it. The user-interface thread must not wait for the caller meanwhile: a worker that
    // the user-interface thread may wait for uses its own TSyncChannel.
    void Synchronize(const std::function<void()>& work);

    TDialogSeam& Dialogs() { return *m_seam; }
    // Replaces the real dialogs (tests); nullptr restores them. The seam is not owned.
    void SetSeam(TDialogSeam* seam);

private:
    struct TLaterError {
        QString Message;
        std::function<bool()> Wanted;
    };
    // Runs a box; errors that come while it is open wait for it.
    int ShowBox(const std::function<int()>& box);
    void ScheduleLaterErrors();
    void ShowLaterErrors();

    QString m_title;
    QWidget* m_mainWindow = nullptr;
    std::unique_ptr<TQtDialogs> m_qtDialogs;
    TDialogSeam* m_seam = nullptr;
    int m_boxesOpen = 0;
    std::mutex m_laterMutex;
    std::deque<TLaterError> m_laterErrors;
};

// The one application object; lives as long as the QApplication it is made after.
extern TApplication* Application;
