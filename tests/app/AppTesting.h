#pragma once

#include "tests/app/ProgramFolder.h"
#include "tests/support/PixelCount.h"
#include "tests/support/TestDialogs.h"
#include "toolkit/Graphics.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

class QDialog;
class QTimer;
class QWidget;
class TmainDlg;

// Runs the action on the next modal dialog that opens (the dialogs of the add and properties flows run
// their own event loop, so the test answers them from inside it). Deleting the returned timer withdraws it.
QTimer* WhenModal(std::function<void(QDialog*)> action);

// Clicks a widget's button the way the user does: press and release at a point (the middle by default).
void Click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(-1, -1));

// Makes the widget's window the active one, as the user's click on it does; keys and shortcuts go there.
void Activate(QWidget* widget);
// Presses Tab in the focused widget until the target has the focus (a few rounds of the window at most).
void TabTo(QWidget* target);

// How many pixels of the image have exactly the colour.
int CountPixels(const QImage& image, TColor color);
// The widget as it is drawn on screen now.
QImage Rendered(QWidget* widget);

// The add flow as the user walks it: the open dialog answers the files, the add dialog is closed with OK.
void AddFilesThroughDialog(TmainDlg& window, TTestDialogs& dialogs, const QStringList& files);

// The state of the row at a 0-based index (Waiting, Converting, Done, Failed).
int RowState(TmainDlg& window, int row);

// A main window on a throw-away program folder with the fake encoder, its dialogs answered by the test.
class TMainWindowTest : public ::testing::Test
{
protected:
    explicit TMainWindowTest(
        const QByteArray& catalogue = TProgramFolder::DefaultCatalogue(), bool realEncoder = false);
    ~TMainWindowTest() override;

    // Adds source files scripted for the fake encoder, one per script, named clip0.avi, clip1.avi, ...
    QStringList AddClips(const QList<QByteArray>& scripts);
    // Presses Convert and waits until the row is being converted.
    void ConvertUntilRow(int row);
    // Waits until the batch has ended and the window is idle again.
    void WaitUntilIdle();
    bool Busy() const;

    TProgramFolder m_folder;
    TTestDialogs m_dialogs;
    std::unique_ptr<TmainDlg> m_window;
};
