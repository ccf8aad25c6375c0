#include "toolkit/Contrast.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QString>
#include <algorithm>
#include <cmath>
#include <optional>

namespace
{

double Linear(double channel)
{
    return channel <= 0.03928 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& color)
{
    return 0.2126 * Linear(color.redF()) + 0.7152 * Linear(color.greenF()) + 0.0722 * Linear(color.blueF());
}

// The portal's answer to a Read, unwrapped from the variants it comes in; nothing when it gives none soon.
std::optional<QVariant> PortalSetting(const QString& space, const QString& key)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return std::nullopt;
    QDBusMessage read = QDBusMessage::createMethodCall("org.freedesktop.portal.Desktop",
        "/org/freedesktop/portal/desktop", "org.freedesktop.portal.Settings", "Read");
    read << space << key;
    // Asked once at start; a portal that hangs must not hold the window's first paint for long.
    constexpr int WaitMs = 300;
    const QDBusMessage reply = bus.call(read, QDBus::Block, WaitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return std::nullopt;
    QVariant value = reply.arguments().first();
    while (value.canConvert<QDBusVariant>() && value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

bool PortalAsksForHighContrast()
{
    // 1 is "higher contrast"; GNOME's own switch is read where the portal does not have the common key.
    if (const std::optional<QVariant> contrast = PortalSetting("org.freedesktop.appearance", "contrast"))
        return contrast->toUInt() == 1;
    const std::optional<QVariant> gnome = PortalSetting("org.gnome.desktop.a11y.interface", "high-contrast");
    return gnome && gnome->toBool();
}

} // namespace

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double first = Luminance(a);
    const double second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor ReadableOn(const QColor& background, const QColor& preferred)
{
    constexpr double Readable = 4.5;
    if (ContrastRatio(preferred, background) >= Readable)
        return preferred;
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return ContrastRatio(black, background) >= ContrastRatio(white, background) ? black : white;
}

bool HighContrastDesktop()
{
    if (qEnvironmentVariable("GTK_THEME").contains("HighContrast", Qt::CaseInsensitive))
        return true;
    static const bool portal = PortalAsksForHighContrast();
    return portal;
}
