#include "app/SplitLongFiles.h"

#include <QSettings>

namespace
{
const char* const Key = "convert/splitLongFiles";
}

bool SplitLongFiles::Stored()
{
    return QSettings().value(Key, false).toBool();
}

void SplitLongFiles::Store(bool value)
{
    QSettings().setValue(Key, value);
}
