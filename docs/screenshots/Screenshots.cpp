// Takes the pictures in docs/screenshots: runs the program's real windows under an X server, walks them as a
// user does (the file and folder dialogs answered through the dialog seam) and grabs the screen at each step.
// Usage: screenshots OUTPUT_FOLDER SAVE_FOLDER CLIP...   (run by take.sh under xvfb-run)

#include "app/ItemForm.h"
#include "app/SplashForm.h"
#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/FSProgressBar.h"
#include "controls/FlatEditUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/PngSpeedButton.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/support/TestDialogs.h"
#include "toolkit/Application.h"
#include "toolkit/VirtualStringTree.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <functional>

namespace
{

QDir Output;
int Failures = 0;

// Runs the event loop until the condition holds; false when it did not within the time.
bool WaitFor(const std::function<bool()>& condition, int milliseconds)
{
    QDeadlineTimer deadline(milliseconds);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QTest::qWait(20);
    }
    return true;
}

void Settle()
{
    QTest::qWait(300);
}

void Missing(const char* what)
{
    std::fprintf(stderr, "screenshots: %s\n", what);
    ++Failures;
}

// The screen inside the rectangle, so windows of their own (menus, hints) lying over it are in the picture.
void Save(const QString& name, const QRect& area)
{
    const QPixmap shot
        = QGuiApplication::primaryScreen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    if (!shot.save(Output.filePath(name)))
        Missing(qPrintable("cannot write " + name));
    else
        std::printf("%s\n", qPrintable(Output.filePath(name)));
}

void Save(const QString& name, QWidget* window)
{
    Save(name, window->frameGeometry());
}

// Runs the action on the next modal dialog once it is on screen.
void WhenModal(std::function<void(QDialog*)> action)
{
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [timer, action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        if (!QTest::qWaitForWindowExposed(dialog))
            Missing("a window did not come on screen");
        Settle();
        action(dialog);
    });
    timer->start(20);
}

void Click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint(-1, -1))
{
    if (at == QPoint(-1, -1))
        at = widget->rect().center();
    QTest::mousePress(widget, button, Qt::NoModifier, at);
    QTest::mouseRelease(widget, button, Qt::NoModifier, at);
}

// A point on the file name of a list row (rows are 25 high below the list's 5-pixel border).
QPoint RowPoint(int row)
{
    return QPoint(160, 5 + 25 * row + 12);
}

void ShootSplash()
{
    TSplashDlg splash;
    splash.show();
    if (!QTest::qWaitForWindowExposed(&splash))
        Missing("a window did not come on screen");
    Settle();
    Save("splash.png", &splash);
}

void ShootAddDialog(TmainDlg& window, TTestDialogs& dialogs, const QStringList& clips, const QString& saveFolder)
{
    dialogs.FileAnswers.append(clips);
    dialogs.FolderAnswers.append(saveFolder);
    WhenModal([](QDialog* dialog) {
        auto* add = static_cast<TaddDlg*>(dialog);
        add->ComboBox1->setFocus();
        Click(add->btDirectory);
        Settle();
        Save("add-dialog.png", add);
        Click(add->ComboBox1, Qt::LeftButton, QPoint(add->ComboBox1->width() - 6, add->ComboBox1->height() / 2));
        QWidget* list = add->ComboBox1->view()->window();
        if (!WaitFor([list] { return list->isVisible(); }, 3000))
            Missing("the format list did not open");
        Settle();
        Save("add-formats.png", add->frameGeometry().united(list->frameGeometry()));
        add->ComboBox1->hidePopup();
        add->btnOk->Click();
    });
    Click(window.btnAdd);
}

// The first row in the state, or -1.
int RowIn(TmainDlg& window, TItemState state)
{
    TVirtualStringTree* tree = window.VirtualStringTree1;
    for (PVirtualNode node = tree->GetFirst(); node; node = tree->GetNextSibling(node))
        if (tree->GetNodeData<TItemNodeData>(node)->ImageIndex == state)
            return tree->IndexOf(node);
    return -1;
}

void ShootHint(TmainDlg& window, int row, const QString& name)
{
    QWidget* viewport = window.VirtualStringTree1->viewport();
    const QList<QWidget*> before = QApplication::topLevelWidgets();
    QTest::mouseMove(viewport, RowPoint(row));
    QWidget* hint = nullptr;
    WaitFor(
        [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible() && w != &window && !before.contains(w))
                    hint = w;
            for (QWidget* w : before)
                if (w->isVisible() && w != &window && (w->windowFlags() & Qt::ToolTip) == Qt::ToolTip)
                    hint = w;
            return hint != nullptr;
        },
        4000);
    if (!hint) {
        Missing("no row hint appeared");
        return;
    }
    Settle();
    Save(name, window.frameGeometry().united(hint->frameGeometry()));
    QTest::mouseMove(&window, QPoint(700, 60));
    WaitFor([&] { return !hint->isVisible(); }, 3000);
}

void ShootPopupMenu(TmainDlg& window)
{
    QWidget* viewport = window.VirtualStringTree1->viewport();
    QMenu* shown = nullptr;
    auto* timer = new QTimer(qApp);
    QObject::connect(timer, &QTimer::timeout, [&, timer] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        shown = menu;
        if (!QTest::qWaitForWindowExposed(menu))
            Missing("a window did not come on screen");
        QTest::mouseMove(menu, menu->actionGeometry(menu->actions().value(3)).center());
        Settle();
        Save("popup-menu.png", window.frameGeometry().united(menu->frameGeometry()));
        menu->close();
    });
    timer->start(20);
    const QPoint at = RowPoint(1);
    QTest::mouseClick(viewport, Qt::RightButton, Qt::NoModifier, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, viewport->mapToGlobal(at));
    if (!WaitFor([&] { return shown != nullptr; }, 500))
        QApplication::sendEvent(viewport, &event);
    if (!WaitFor([&] { return shown != nullptr; }, 3000)) {
        timer->stop();
        timer->deleteLater();
        Missing("no popup menu appeared");
    }
}

void ShootItemDialog(TmainDlg& window)
{
    bool shot = false;
    WhenModal([&shot](QDialog* dialog) {
        Save("item-dialog.png", dialog);
        shot = true;
        static_cast<TItemDlg*>(dialog)->btnCancel->Click();
    });
    QTest::mouseDClick(window.VirtualStringTree1->viewport(), Qt::LeftButton, Qt::NoModifier, RowPoint(0));
    if (!WaitFor([&] { return shot; }, 5000))
        Missing("the item dialog did not open");
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    const QStringList args = qtApp.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: screenshots OUTPUT_FOLDER SAVE_FOLDER CLIP...\n");
        return 2;
    }
    Output = QDir(args[1]);
    const QString saveFolder = args[2];
    const QStringList clips = args.mid(3);

    ShootSplash();

    TTestDialogs dialogs;
    TmainDlg window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        Missing("a window did not come on screen");
    QTest::mouseMove(&window, QPoint(700, 60));
    Settle();

    ShootAddDialog(window, dialogs, clips, saveFolder);
    if (!WaitFor([&] { return window.VirtualStringTree1->RootNodeCount() >= unsigned(clips.size()); }, 5000))
        Missing("the rows were not added");
    Settle();
    Save("main-idle.png", &window);

    ShootHint(window, 1, "row-hint.png");
    ShootPopupMenu(window);
    ShootItemDialog(window);

    // Convert, and take the picture once a row is done and a later one is well under way, its bar partly filled.
    Click(window.btnConvert);
    QTest::mouseMove(&window, QPoint(700, 60));
    const auto underWay = [&window] {
        TVirtualStringTree* tree = window.VirtualStringTree1;
        const int row = RowIn(window, Converting);
        if (row < 0 || RowIn(window, Done) < 0)
            return false;
        const std::optional<int> percent
            = tree->GetNodeData<TItemNodeData>(tree->GetNodeAtIndex(row))->ItemData.Percent;
        return percent && *percent >= 40;
    };
    if (!WaitFor(underWay, 60000))
        Missing("no row of the batch got far enough in time");
    Save("main-converting.png", &window);
    // The converting row's hint once its encoder has said how far it is.
    QTest::qWait(1500);
    ShootHint(window, RowIn(window, Converting), "row-hint-progress.png");
    if (!WaitFor([&] { return !dialogs.Messages.isEmpty(); }, 120000))
        Missing("the batch did not finish");
    // The finished batch with the hint of the row that could not be converted.
    Settle();
    if (RowIn(window, Failed) < 0)
        Missing("no row failed");
    else
        ShootHint(window, RowIn(window, Failed), "row-hint-failed.png");
    return Failures ? 1 : 0;
}
