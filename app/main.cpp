#include "app/Startup.h"
#include "app/mainForm.h"
#include "toolkit/Application.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    // Closing the main window ends the loop; the window then goes, and with it its controller.
    std::unique_ptr<TmainDlg> mainDlg = StartUp();
    return qtApp.exec();
}
