#include "app/SplashForm.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <chrono>

TSplashDlg* SplashDlg = nullptr;

namespace
{

const std::uint32_t kSplashMilliseconds = 1000;
const qreal kOpacity = 200.0 / 255.0;

} // namespace

TSplashDlg::TSplashDlg(QWidget* parent)
    // No drop-shadow class style exists here: the splash window type is what replaces it, since a compositing
    // window manager draws its own shadow under splash windows; without a compositor there is none.
    // Qt's backing store already paints every widget off-screen and copies it in one step, so double
    // buffering needs no switch.
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
    , Image1(new QLabel(this))
{
    const QPixmap picture(":/images/app/splash.jpg");
    Image1->setPixmap(picture);
    Image1->setGeometry(0, 0, picture.width(), picture.height());
    setFixedSize(picture.size());
    setWindowOpacity(kOpacity);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = rect();
        frame.moveCenter(screen->geometry().center());
        move(frame.topLeft());
    }
}

std::uint32_t GetTickCount()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

void ProcessMessagesFor(std::uint32_t minimum, const TTickSource& tick)
{
    const std::uint32_t start = tick();
    while (static_cast<std::uint32_t>(tick() - start) < minimum)
        QCoreApplication::processEvents();
}

void ShowSplash(const TTickSource& tick)
{
    if (SplashDlg)
        return;
    SplashDlg = new TSplashDlg;
    SplashDlg->show();
    ProcessMessagesFor(kSplashMilliseconds, tick);
}

void FreeSplash()
{
    if (!SplashDlg)
        return;
    SplashDlg->hide();
    delete SplashDlg;
    SplashDlg = nullptr;
}
