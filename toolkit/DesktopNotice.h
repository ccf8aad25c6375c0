#pragma once

#include <QString>

// Shows a notice through the desktop's notification service (org.freedesktop.Notifications on the session
// bus), under the program's icon. Nothing waits for the service: where there is no session bus or no service,
// nothing is shown and nothing fails.
void ShowDesktopNotice(const QString& summary, const QString& body);
