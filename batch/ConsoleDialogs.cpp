#include "batch/ConsoleDialogs.h"

#include <cstdio>

namespace {
// QMessageBox::Ok, whose header belongs to the widgets this mode does without.
constexpr int OkButton = 0x00000400;
} // namespace

int TConsoleDialogs::MessageBox(QWidget*, const QString& text, const QString& caption, TMsgIcon, int)
{
    std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    std::fflush(stderr);
    return OkButton;
}

QStringList TConsoleDialogs::OpenFiles(QWidget*, const QString&, const QString&)
{
    return {};
}

QString TConsoleDialogs::OpenFile(QWidget*, const QString&, const QString&)
{
    return {};
}

QString TConsoleDialogs::SaveFile(QWidget*, const QString&, const QString&)
{
    return {};
}

QString TConsoleDialogs::BrowseFolder(QWidget*, const QString&)
{
    return {};
}

bool TConsoleDialogs::OpenUrl(const QString&)
{
    return false;
}
