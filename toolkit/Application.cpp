#include "toolkit/Application.h"

#include "toolkit/ErrorReport.h"
#include "toolkit/Exception.h"

#include <QCoreApplication>
#include <QFont>
#include <QMessageBox>
#include <QThread>
#include <condition_variable>
#include <mutex>

TApplication* Application = nullptr;

TApplication::TApplication()
    : m_qtDialogs(std::make_unique<TQtDialogs>())
    , m_seam(m_qtDialogs.get())
{
    Application = this;
    SetErrorReporter([this](const std::string& message) { ShowException(Exception(message)); });
    // The windows are drawn in Trebuchet MS and MS Sans Serif; where they are missing a humanist sans stands in.
    // Lato comes first because its widths match Trebuchet's, so captions fit the fixed label boxes of the forms;
    // Open Sans is some 6% wider and clips them.
    QFont::insertSubstitutions("Trebuchet MS", { "Lato", "Open Sans", "DejaVu Sans" });
    QFont::insertSubstitutions("MS Sans Serif", { "DejaVu Sans" });
}

TApplication::~TApplication()
{
    if (Application == this) {
        Application = nullptr;
        SetErrorReporter(nullptr);
    }
}

int TApplication::MessageBox(const QString& text, TMsgIcon icon, int buttons)
{
    return ShowBox([&] { return m_seam->MessageBox(m_mainWindow, text, m_title, icon, buttons); });
}

int TApplication::Choose(
    const QString& text, TMsgIcon icon, const QStringList& buttons, int defaultButton, int escapeButton)
{
    return ShowBox(
        [&] { return m_seam->Choose(m_mainWindow, text, m_title, icon, buttons, defaultButton, escapeButton); });
}

int TApplication::ShowBox(const std::function<int()>& box)
{
    int answer;
    ++m_boxesOpen;
    try {
        answer = box();
    } catch (...) {
        --m_boxesOpen;
        throw;
    }
    // Errors that came while this box was open were held back for it.
    if (--m_boxesOpen == 0)
        ScheduleLaterErrors();
    return answer;
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

void TApplication::ShowExceptionLater(const QString& message, std::function<bool()> wanted)
{
    {
        std::lock_guard lock(m_laterMutex);
        m_laterErrors.push_back({ message, std::move(wanted) });
    }
    ScheduleLaterErrors();
}

void TApplication::ScheduleLaterErrors()
{
    QCoreApplication* app = QCoreApplication::instance();
    {
        std::lock_guard lock(m_laterMutex);
        if (!app || m_laterErrors.empty())
            return;
    }
    // Through the global object rather than this one: the application object may be gone by the time the event
    // loop comes to it.
    QMetaObject::invokeMethod(
        app,
        [] {
            if (Application)
                Application->ShowLaterErrors();
        },
        Qt::QueuedConnection);
}

// Shows the held-back errors one after the other; scheduled again when the box that held them back closes.
void TApplication::ShowLaterErrors()
{
    while (m_boxesOpen == 0) {
        TLaterError next;
        {
            std::lock_guard lock(m_laterMutex);
            if (m_laterErrors.empty())
                return;
            next = std::move(m_laterErrors.front());
            m_laterErrors.pop_front();
        }
        if (!next.Wanted || next.Wanted())
            MessageBox(next.Message, TMsgIcon::Stop, QMessageBox::Ok);
    }
}

void TApplication::Synchronize(const std::function<void()>& work)
{
    TSyncChannel channel;
    channel.Call(work);
}

void TApplication::SetSeam(TDialogSeam* seam)
{
    m_seam = seam ? seam : m_qtDialogs.get();
}
