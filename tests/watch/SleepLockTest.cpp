// The machine is kept awake through logind while work goes on, and let go the moment the work ends. Run on a
// private bus that stands in for the system's by the "sleeplock" test (dbus-run-session), with a stand-in login1.
#include "watch/SleepLock.h"

#include "tests/support/WaitUntil.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

namespace
{

// Stands in for logind: each lock is a pipe whose far end it hands out, so it sees when the holder lets go.
class TFakeLogin : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

public:
    struct TLock {
        QString What, Who, Why, Mode;
        int Ours = -1; // the near end: it hangs up once every copy of the far end is closed
    };
    std::vector<TLock> Locks;

    ~TFakeLogin() override
    {
        for (const TLock& lock : Locks)
            ::close(lock.Ours);
    }

    bool Released(std::size_t lock) const
    {
        pollfd hangup { Locks[lock].Ours, POLLIN, 0 };
        return ::poll(&hangup, 1, 0) == 1 && (hangup.revents & POLLHUP);
    }

public slots:
    QDBusUnixFileDescriptor Inhibit(const QString& what, const QString& who, const QString& why, const QString& mode)
    {
        int ends[2];
        EXPECT_EQ(::pipe2(ends, O_CLOEXEC), 0);
        Locks.push_back({ what, who, why, mode, ends[0] });
        QDBusUnixFileDescriptor far(ends[1]);
        ::close(ends[1]);
        return far;
    }
};

} // namespace

TEST(SleepLock, IsTakenForTheWorkAndLetGoWhenItEnds)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        GTEST_SKIP() << "no private bus: the sleeplock test runs this under dbus-run-session";
    {
        // Without logind the work goes on, and nothing is said.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus");
        TSleepLock lock;
        lock.Hold("Converting 1 file");
        EXPECT_EQ(lock.Reason(), "Converting 1 file");
    }
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", qgetenv("DBUS_SESSION_BUS_ADDRESS"));
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "login1");
    TFakeLogin login;
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/login1", &login, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.login1"));

    TSleepLock lock;
    lock.Hold("Converting 3 files");
    ASSERT_TRUE(WaitUntil([&] { return login.Locks.size() == 1; }, 10000));
    EXPECT_EQ(login.Locks[0].What, "sleep:idle");
    EXPECT_EQ(login.Locks[0].Who, "Quor Reelhand");
    EXPECT_EQ(login.Locks[0].Why, "Converting 3 files");
    EXPECT_EQ(login.Locks[0].Mode, "block");
    EXPECT_FALSE(login.Released(0));

    // A new reason: a new lock, and the old one goes.
    lock.Hold("Converting 2 files");
    ASSERT_TRUE(WaitUntil([&] { return login.Locks.size() == 2; }, 10000));
    EXPECT_EQ(login.Locks[1].Why, "Converting 2 files");
    EXPECT_TRUE(WaitUntil([&] { return login.Released(0); }, 5000));
    EXPECT_FALSE(login.Released(1));

    lock.Release();
    EXPECT_TRUE(WaitUntil([&] { return login.Released(1); }, 5000));
    QDBusConnection::disconnectFromBus("login1");
}

#include "SleepLockTest.moc"
