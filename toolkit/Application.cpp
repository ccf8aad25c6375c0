#include "toolkit/Application.h"

#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>
#include <QThread>

TApplication* Application = nullptr;

TApplication::TApplication() : m_qtDialogs(std::make_unique<TQtDialogs>()), m_seam(m_qtDialogs.get())
{
    Application = this;
    // The windows are drawn in Trebuchet MS and MS Sans Serif; where they are missing a humanist sans stands in.
    QFont::insertSubstitutions("Trebuchet MS", {"Open Sans", "DejaVu Sans"});
    QFont::insertSubstitutions("MS Sans Serif", {"DejaVu Sans"});
}

TApplication::~TApplication()
{
    if (Application == this)
        Application = nullptr;
}

QString TApplication::ProgramFolder() const
{
    return m_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_programFolder;
}

int TApplication::MessageBox(const QString& text, TMsgIcon icon, int buttons)
{
    return m_seam->MessageBox(m_mainWindow, text, m_title, icon, buttons);
}

void TApplication::ShowException(const std::exception& error)
{
    MessageBox(QString::fromUtf8(error.what()), TMsgIcon::Stop, QMessageBox::Ok);
}

void TApplication::Guard(const std::function<void()>& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        ShowException(error);
    }
}

void TApplication::Synchronize(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread()) {
        work();
        return;
    }
    QMetaObject::invokeMethod(app, work, Qt::BlockingQueuedConnection);
}

void TApplication::SetSeam(TDialogSeam* seam)
{
    m_seam = seam ? seam : m_qtDialogs.get();
}
