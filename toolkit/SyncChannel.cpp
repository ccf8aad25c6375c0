#include "toolkit/SyncChannel.h"

#include <QCoreApplication>
#include <QThread>
#include <condition_variable>
#include <exception>
#include <mutex>

struct TSyncChannel::State {
    std::mutex Mutex;
    std::condition_variable Changed;
    bool Closed = false;
};

namespace
{
// One call in flight; shared with the queued event so that either side may go first.
struct Handover {
    std::function<void()> Work;
    bool Done = false;
    std::exception_ptr Error;
};
} // namespace

TSyncChannel::TSyncChannel()
    : m_state(std::make_shared<State>())
{
}

bool TSyncChannel::Call(const std::function<void()>& work)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (Closed() || !app)
        return false;
    if (QThread::currentThread() == app->thread()) {
        work();
        return true;
    }
    auto call = std::make_shared<Handover>();
    call->Work = work;
    std::shared_ptr<State> state = m_state;
    QMetaObject::invokeMethod(
        app,
        [state, call] {
            {
                std::lock_guard lock(state->Mutex);
                if (state->Closed)
                    return;
            }
            // Run unlocked: the work may close this very channel.
            try {
                call->Work();
            } catch (...) {
                call->Error = std::current_exception();
            }
            std::lock_guard lock(state->Mutex);
            call->Done = true;
            state->Changed.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(state->Mutex);
    state->Changed.wait(lock, [&] { return call->Done || state->Closed; });
    if (!call->Done)
        return false;
    if (call->Error)
        std::rethrow_exception(call->Error);
    return true;
}

void TSyncChannel::Close()
{
    std::lock_guard lock(m_state->Mutex);
    m_state->Closed = true;
    m_state->Changed.notify_all();
}

bool TSyncChannel::Closed() const
{
    std::lock_guard lock(m_state->Mutex);
    return m_state->Closed;
}
