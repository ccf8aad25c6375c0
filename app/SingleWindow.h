#pragma once

#include "app/WindowOptions.h"
#include "platform/FileLock.h"
#include "toolkit/Exception.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QLocalServer;
class QLocalSocket;

// A start that could neither become the window nor reach the one there is; the message says what to do.
class ESingleWindow : public Exception
{
public:
    using Exception::Exception;
};

// Keeps to one window per user and display. The first start becomes the window: it holds a lock and listens on a
// socket named after the display in the user's runtime folder. A later start on that display hands its command
// line to the window and ends. A window that crashed leaves its socket behind, but the system let go of its lock,
// so the next start takes its place.
class TSingleWindow : public QObject
{
public:
    enum class TClaim { Window, HandedOver };

    // folder: where the lock and the socket are; display: the display the window is on.
    explicit TSingleWindow(QString folder = RuntimeFolder(), QString display = DisplayName());
    ~TSingleWindow() override;

    // Becomes the window, or hands the options to the window there is and returns HandedOver once it has them.
    // A start made while the window is still starting waits for it. ESingleWindow when that window does not answer.
    TClaim Claim(const TWindowOptions& options);
    // Takes the kept list at path for this window: false when a window of another display keeps it.
    bool TakeKeptList(const QString& path);

    // The options of every later start, delivered from the event loop; those that came before it was set follow
    // as soon as it is set.
    void Serve(std::function<void(const TWindowOptions&)> handOver);

    // The user's runtime folder ($XDG_RUNTIME_DIR, else one Qt makes for the user alone).
    static QString RuntimeFolder();
    // The display the program shows on, as a file name part: ":0.0" and ":0" are one display, "_0".
    static QString DisplayName();

private:
    void Listen();
    void Received(QLocalSocket* socket);
    void Deliver(const TWindowOptions& options);

    QString m_socketPath;
    platform::TFileLock m_lock;
    platform::TFileLock m_keptListLock;
    std::unique_ptr<QLocalServer> m_server;
    std::function<void(const TWindowOptions&)> m_handOver;
    std::vector<TWindowOptions> m_waiting;
};
