#include "tests/support/TestDialogs.h"

#include "tests/support/WaitUntil.h"
#include "toolkit/Application.h"

#include <QMessageBox>
#include <algorithm>

TTestDialogs::TTestDialogs()
{
    Application->SetSeam(this);
}

TTestDialogs::~TTestDialogs()
{
    Application->SetSeam(nullptr);
}

int TTestDialogs::MessageBox(QWidget*, const QString& text, const QString& caption, TMsgIcon icon, int buttons)
{
    Messages.append({ text, caption, icon, buttons });
    if (CloseBoxWhen) {
        MostOpenBoxes = std::max(MostOpenBoxes, OpenBoxes + 1);
        if (OpenBoxes < 2) {
            ++OpenBoxes;
            WaitUntil(CloseBoxWhen, 60000);
            --OpenBoxes;
        }
    }
    return ButtonAnswers.isEmpty() ? int(QMessageBox::Ok) : ButtonAnswers.takeFirst();
}

int TTestDialogs::Choose(QWidget*, const QString& text, const QString& caption, TMsgIcon icon,
    const QStringList& buttons, int defaultButton, int)
{
    Messages.append({ text, caption, icon, 0, buttons });
    return ChoiceAnswers.isEmpty() ? defaultButton : ChoiceAnswers.takeFirst();
}

QStringList TTestDialogs::OpenFiles(QWidget*, const QString&, const QString& filter)
{
    LastFilters.append(filter);
    return FileAnswers.isEmpty() ? QStringList() : FileAnswers.takeFirst();
}

QString TTestDialogs::OpenFile(QWidget* parent, const QString& title, const QString& filter)
{
    const QStringList files = OpenFiles(parent, title, filter);
    return files.isEmpty() ? QString() : files.first();
}

QString TTestDialogs::SaveFile(QWidget*, const QString&, const QString& filter)
{
    LastFilters.append(filter);
    return SaveAnswers.isEmpty() ? QString() : SaveAnswers.takeFirst();
}

QString TTestDialogs::BrowseFolder(QWidget*, const QString&)
{
    return FolderAnswers.isEmpty() ? QString() : FolderAnswers.takeFirst();
}

bool TTestDialogs::OpenUrl(const QString& url)
{
    OpenedUrls.append(url);
    return UrlsOpen;
}
