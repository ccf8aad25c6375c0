#pragma once

#include <QByteArray>
#include <QtGlobal>

// Takes every folder off PATH while it lives, so that no encoder is found there either; programs started
// meanwhile inherit the empty PATH.
class TEmptyPath
{
public:
    TEmptyPath()
        : m_saved(qgetenv("PATH"))
    {
        qputenv("PATH", "/nonexistent");
    }
    ~TEmptyPath() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};
