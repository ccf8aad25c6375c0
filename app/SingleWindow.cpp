#include "app/SingleWindow.h"

#include "platform/FileSystem.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <QTimer>

namespace
{

const QString Greeting = "reelhand hand-over 1";
// A window that holds the lock but does not listen yet is still starting; it is waited for this long.
constexpr int StartingWaitMs = 15000;
// The window answers from its event loop, which a long step may hold up for a while.
constexpr int AnswerWaitMs = 30000;
// A hand-over is a command line, which the system holds to 2 MiB: anything bigger is not one.
constexpr qint64 LargestHandOver = 4 * 1024 * 1024;
constexpr int MostHandOvers = 16;
constexpr char Taken = 'k';

QByteArray Encode(const TWindowOptions& options)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << Greeting << qint32(options.Jobs.value_or(0)) << options.Paths;
    return bytes;
}

// True once a whole hand-over has come; false while more is to come or when it is none (then options is unset).
bool Decode(QLocalSocket* socket, std::optional<TWindowOptions>& options)
{
    QDataStream in(socket);
    in.startTransaction();
    QString greeting;
    qint32 jobs = 0;
    QStringList paths;
    in >> greeting >> jobs >> paths;
    if (!in.commitTransaction())
        return in.status() != QDataStream::ReadPastEnd;
    if (greeting != Greeting)
        return true;
    options = TWindowOptions { jobs > 0 ? std::optional<int>(jobs) : std::nullopt, paths };
    return true;
}

} // namespace

TSingleWindow::TSingleWindow(QString folder, QString display)
    : m_socketPath(folder + "/reelhand-" + display + ".socket")
{
}

TSingleWindow::~TSingleWindow() = default;

QString TSingleWindow::RuntimeFolder()
{
    // Where the socket is decides who can pose as the window: the user's own folder, or one of this program's own.
    const QString given = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!given.isEmpty() && platform::PrivateFolder(given.toStdString()))
        return given;
    const QString own = QDir::tempPath() + "/reelhand-" + QString::number(platform::CurrentUser());
    if (platform::PrivateFolder(own.toStdString()))
        return own;
    // Another user took that name first: a folder in the user's home, which nobody else can.
    const QString home = QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + "/runtime";
    QDir().mkpath(QFileInfo(home).path());
    if (platform::PrivateFolder(home.toStdString()))
        return home;
    throw ESingleWindow("No folder of the user's own is there for the window's socket: " + given.toStdString()
        + ", " + own.toStdString() + " and " + home.toStdString() + " are others' or open to them.");
}

QString TSingleWindow::DisplayName()
{
    const QString platform = QGuiApplication::platformName();
    QString display = platform;
    if (platform.startsWith("wayland"))
        display = qEnvironmentVariable("WAYLAND_DISPLAY", "wayland-0");
    else if (platform == "xcb")
        display = qEnvironmentVariable("DISPLAY").remove(QRegularExpression("\\.\\d+$"));
    return display.replace(QRegularExpression("[^A-Za-z0-9._-]"), "_");
}

TSingleWindow::TClaim TSingleWindow::Claim(const TWindowOptions& options)
{
    const std::string lockPath = (m_socketPath + ".lock").toStdString();
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        std::string reason;
        // Where no lock can be made at all, a window is better than none.
        if (m_lock.TryLock(lockPath, reason) || !reason.empty()) {
            Listen();
            return TClaim::Window;
        }
        QLocalSocket socket;
        socket.connectToServer(m_socketPath);
        if (socket.waitForConnected(1000)) {
            socket.write(Encode(options));
            while (socket.bytesAvailable() < 1 && socket.waitForReadyRead(AnswerWaitMs)) { }
            if (socket.read(1) == QByteArray(1, Taken))
                return TClaim::HandedOver;
            throw ESingleWindow("The Quor Reelhand window open on this display does not answer. Close it, or "
                                "end it, and start the program again.");
        }
        if (clock.elapsed() > StartingWaitMs)
            throw ESingleWindow("The Quor Reelhand window starting on this display does not answer. End it, and "
                                "start the program again.");
        QThread::msleep(100);
    }
}

bool TSingleWindow::TakeKeptList(const QString& path)
{
    QDir().mkpath(QFileInfo(path).path());
    std::string reason;
    // A lock that cannot be made says nothing of other windows; the list's own writes then report what is wrong.
    return m_keptListLock.TryLock((path + ".lock").toStdString(), reason) || !reason.empty();
}

void TSingleWindow::Listen()
{
    // What is left at the name is a crashed window's: the lock says nobody else owns it.
    QLocalServer::removeServer(m_socketPath);
    m_server = std::make_unique<QLocalServer>();
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_socketPath))
        return;
    connect(m_server.get(), &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            // Starts hand over one at a time, in moments: more at once are no starts, and each holds memory.
            if (m_server->findChildren<QLocalSocket*>(QString(), Qt::FindDirectChildrenOnly).size() > MostHandOvers) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Received(socket); });
        }
    });
}

void TSingleWindow::Received(QLocalSocket* socket)
{
    std::optional<TWindowOptions> options;
    if (!Decode(socket, options)) {
        if (socket->bytesAvailable() > LargestHandOver)
            socket->abort();
        return;
    }
    if (options) {
        socket->write(QByteArray(1, Taken));
        socket->flush();
        Deliver(*options);
    }
    socket->disconnectFromServer();
}

void TSingleWindow::Serve(std::function<void(const TWindowOptions&)> handOver)
{
    m_handOver = std::move(handOver);
    std::vector<TWindowOptions> waiting;
    waiting.swap(m_waiting);
    for (const TWindowOptions& options : waiting)
        Deliver(options);
}

// The hand-over may open dialogs with loops of their own; the start that sent it has its answer first.
void TSingleWindow::Deliver(const TWindowOptions& options)
{
    if (!m_handOver) {
        m_waiting.push_back(options);
        return;
    }
    QTimer::singleShot(0, this, [this, options] {
        if (m_handOver)
            m_handOver(options);
    });
}
