// A watched file that failed is told to the desktop's notification service, with its name and why. Run on a
// private session bus by the "sleeplock" test (dbus-run-session), with a stand-in service.
#include "tests/support/WaitUntil.h"
#include "watch/FailureNotice.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <gtest/gtest.h>

namespace
{

class TFakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList Shown;

public slots:
    uint Notify(const QString& program, uint, const QString& icon, const QString& summary, const QString& body,
        const QStringList&, const QVariantMap& hints, int)
    {
        Shown << program + " | " + icon + " | " + summary + " | " + body + " | " + hints["desktop-entry"].toString();
        return uint(Shown.size());
    }
};

} // namespace

TEST(FailureNotice, NamesTheFileAndWhyOnTheDesktop)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        GTEST_SKIP() << "no private bus: the sleeplock test runs this under dbus-run-session";
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notices");
    TFakeNotifications service;
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
    ASSERT_TRUE(bus.registerService("org.freedesktop.Notifications"));

    TFailureNotice notice;
    // A name that starts with a dash and holds a line break stays one value, shown escaped.
    notice.Show("/drop/-x\nclip.mp4", "The file is not a video or sound file the encoder knows.");
    ASSERT_TRUE(WaitUntil([&] { return !service.Shown.isEmpty(); }, 10000));
    EXPECT_EQ(service.Shown,
        QStringList { "Quor Reelhand | app.quor.Reelhand | A watched file could not be converted | /drop/-x\\nclip.mp4\n"
                      "The file is not a video or sound file the encoder knows. | app.quor.Reelhand" });
    QDBusConnection::disconnectFromBus("notices");
}

#include "FailureNoticeTest.moc"
