#include "engine/row/WorkThread.h"

#include <QMetaObject>

TWorkThread::TWorkThread()
    : m_receiver(std::make_unique<QObject>())
{
}

TWorkThread::~TWorkThread()
{
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    m_receiver.reset();
}

void TWorkThread::Run(std::function<void(const std::atomic<bool>& stop)> work, std::function<void()> done)
{
    if (m_thread.joinable())
        m_thread.join();
    m_stop = false;
    QObject* receiver = m_receiver.get();
    m_thread = std::thread([this, receiver, work = std::move(work), done = std::move(done)] {
        work(m_stop);
        QMetaObject::invokeMethod(
            receiver,
            [this, done] {
                // The work has returned: its thread ends at once.
                m_thread.join();
                m_busy = false;
                done();
            },
            Qt::QueuedConnection);
    });
    m_busy = true;
}
