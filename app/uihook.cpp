#include "app/uihook.h"

QString CountText(int rows, int finished)
{
    return QString::asprintf("%d files, finished %d of %d", rows, finished, rows);
}

QString TimestampText(int64_t seconds)
{
    return QString::asprintf("timestamp: %0.2lld:%0.2lld:%0.2lld", static_cast<long long>(seconds / 3600),
                             static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
}
