#include "app/SplashForm.h"

#include "app/FormStyle.h"
#include "toolkit/PixelRatio.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>

TSplashDlg* SplashDlg = nullptr;

TSplashDlg::TSplashDlg(QWidget* parent)
    // No drop-shadow class style exists here: the splash window type is what replaces it, since a compositing
    // window manager draws its own shadow under splash windows; without a compositor there is none.
    // Qt's backing store already paints every widget off-screen and copies it in one step, so double
    // buffering needs no switch.
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , Image1(new QLabel(this))
{
    const QImage picture = AppImage("splash.jpg");
    Image1->setPixmap(QPixmap::fromImage(picture));
    Image1->setGeometry(QRect(QPoint(0, 0), LogicalSize(picture)));
    setFixedSize(LogicalSize(picture));
    setWindowOpacity(200.0 / 255.0);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
    SplashDlg = this;
}

TSplashDlg::~TSplashDlg()
{
    if (SplashDlg == this)
        SplashDlg = nullptr;
}
