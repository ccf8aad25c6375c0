// The program as its main() runs it, with work put in hand for the tests of how it ends: the program folder
// and the source files come from the command line; once the main window shows, the files are added in the
// catalogue's first format and Convert is pressed.
//   programdriver PROGRAM_FOLDER SOURCE...
#include "app/Program.h"
#include "app/mainForm.h"
#include "controls/imagebutton.h"
#include "list/itemManager.h"
#include "list/treeManager.h"
#include "toolkit/Application.h"

#include <QApplication>
#include <QTest>
#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    if (argc > 1)
        application.SetProgramFolder(QString::fromLocal8Bit(argv[1]));
    const std::vector<std::string> sources(argv + (argc > 1 ? 2 : argc), argv + argc);
    return RunProgram([&sources](TmainDlg& window) {
        for (const std::string& source : sources)
            ItemManager->StageItem(source, 0, "");
        TreeManager->AddFiles(sources);
        const QPoint middle = window.btnConvert->rect().center();
        QTest::mousePress(window.btnConvert, Qt::LeftButton, Qt::NoModifier, middle);
        QTest::mouseRelease(window.btnConvert, Qt::LeftButton, Qt::NoModifier, middle);
    });
}
