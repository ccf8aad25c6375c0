// A batch that ends while the user works in another window is told through the desktop's notification
// service; without a service nothing fails. Run on a private session bus by the "notice" test (dbus-run-session).
#include "app/mainForm.h"
#include "controls/imagebutton.h"
#include "tests/app/AppTesting.h"
#include "tests/support/WaitUntil.h"

#include <QDBusConnection>
#include <QVariantMap>
#include <QWidget>

namespace
{

// Stands in for the desktop's notification service and keeps what it was asked to show.
class TFakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    QStringList Shown;

public slots:
    uint Notify(const QString& program, uint, const QString&, const QString& summary, const QString& body,
        const QStringList&, const QVariantMap&, int)
    {
        Shown << program + " | " + summary + " | " + body;
        return uint(Shown.size());
    }
};

class DesktopNotice : public TMainWindowTest
{
};

} // namespace

TEST_F(DesktopNotice, BatchEndIsShownWhileTheWindowIsInactiveAndNothingFailsWithoutAService)
{
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        GTEST_SKIP() << "no session bus: the notice test runs this under dbus-run-session";
    AddClips({ "" });
    QWidget elsewhere;
    elsewhere.show();
    Activate(&elsewhere);

    Click(m_window->btnConvert);
    WaitUntilIdle();
    ASSERT_EQ(m_dialogs.Messages.size(), 1);

    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "notices");
    TFakeNotifications service;
    ASSERT_TRUE(bus.registerObject("/org/freedesktop/Notifications", &service, QDBusConnection::ExportAllSlots));
    if (!bus.registerService("org.freedesktop.Notifications"))
        GTEST_SKIP() << "a notification service runs on this bus already";
    m_dialogs.ChoiceAnswers = { 0 }; // the row is converted already: all again
    Click(m_window->btnConvert);
    WaitUntilIdle();
    EXPECT_TRUE(WaitUntil([&] { return !service.Shown.isEmpty(); }));
    EXPECT_EQ(service.Shown, QStringList { "Quor Reelhand | Quor Reelhand | Congratulations, works done!" });
    QDBusConnection::disconnectFromBus("notices");
}

#include "DesktopNoticeTest.moc"
