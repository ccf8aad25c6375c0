#pragma once

#include <QObject>
#include <functional>
#include <memory>

class QSocketNotifier;

// Brings the requests to end the program (SIGTERM, SIGINT, SIGHUP) into the event loop: from its creation on
// they no longer end the process, and OnSignal runs on the user-interface thread with each one's number. A
// signal ignored when the program started stays ignored. The terminal's stop (Ctrl+Z) and continue stop and
// continue the children's process groups with the program.
class TSignalWatcher : public QObject {
public:
    // Throws Exception when the signals cannot be caught.
    explicit TSignalWatcher(std::function<void(int signal)> onSignal, QObject* parent = nullptr);
    // The signals end the process again.
    ~TSignalWatcher() override;

private:
    std::function<void(int)> m_onSignal;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
