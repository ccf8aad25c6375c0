#include "toolkit/DesktopNotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

void ShowDesktopNotice(const QString& summary, const QString& body)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage notify = QDBusMessage::createMethodCall(
        "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "Notify");
    // The desktop entry lets the desktop group the notice with the program and raise its window.
    const QVariantMap hints { { "desktop-entry", QString("app.quor.Reelhand") } };
    notify << QString("Quor Reelhand") << 0u << QString("app.quor.Reelhand") << summary << body << QStringList()
           << hints << -1;
    // Sent without waiting for the reply, so a missing or hanging service never holds up the window.
    bus.send(notify);
}
