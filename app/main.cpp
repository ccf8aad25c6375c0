#include "toolkit/Application.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char* argv[])
{
    QApplication qtApp(argc, argv);
    TApplication application;
    application.SetTitle("Quor Reelhand");
    QWidget window;
    window.setWindowTitle(application.Title());
    window.setFixedSize(861, 529);
    window.show();
    return qtApp.exec();
}
