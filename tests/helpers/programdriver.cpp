// The program as its main() runs it, with work put in hand for the tests of how it ends: the program folder
// and the source files come from the command line; once the main window shows, the files are added in the
// catalogue's first format and Convert is pressed. With --keep, the window keeps its list in that file first.
//   programdriver [--keep LIST] PROGRAM_FOLDER SOURCE...
#include "app/Program.h"
#include "app/mainForm.h"
#include "app/uihook.h"
#include "controls/imagebutton.h"
#include "list/itemManager.h"
#include "list/treeManager.h"
#include "toolkit/Application.h"
#include "toolkit/Locations.h"

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    SetProgramNames();
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    std::vector<std::string> arguments(argv + 1, argv + argc);
    QString keptList;
    if (arguments.size() >= 2 && arguments[0] == "--keep") {
        keptList = QString::fromStdString(arguments[1]);
        arguments.erase(arguments.begin(), arguments.begin() + 2);
    }
    if (!arguments.empty()) {
        application.SetProgramFolder(QString::fromStdString(arguments.front()));
        arguments.erase(arguments.begin());
    }
    return RunProgram([&arguments, &keptList](TmainDlg& window) {
        if (!keptList.isEmpty())
            window.Controller().KeepList(keptList);
        for (const std::string& source : arguments)
            ItemManager->StageItem(source, 0, "");
        TreeManager->AddFiles(arguments);
        const QPoint middle = window.btnConvert->rect().center();
        QTest::mousePress(window.btnConvert, Qt::LeftButton, Qt::NoModifier, middle);
        QTest::mouseRelease(window.btnConvert, Qt::LeftButton, Qt::NoModifier, middle);
    });
}
