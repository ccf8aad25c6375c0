#pragma once

#include "toolkit/DialogSeam.h"

#include <QList>
#include <QStringList>
#include <functional>

// Answers every dialog from queued answers and records what was asked; installs itself while it lives.
class TTestDialogs : public TDialogSeam
{
public:
    struct Message {
        QString Text;
        QString Caption;
        TMsgIcon Icon;
        int Buttons;
        QStringList Choices; // the buttons of a question asked through Choose
    };

    TTestDialogs();
    ~TTestDialogs() override;

    QList<Message> Messages;
    QStringList OpenedUrls;
    bool UrlsOpen = true; // what OpenUrl answers
    QList<int> ButtonAnswers; // answered in order; QMessageBox::Ok when none is left
    QList<int> ChoiceAnswers; // positions of the buttons Choose answers; the default one when none is left
    QList<QStringList> FileAnswers; // for OpenFiles and OpenFile; empty (cancelled) when none is left
    QStringList SaveAnswers; // for SaveFile
    QStringList FolderAnswers; // for BrowseFolder

    // When set, a message box behaves as a real modal one: it stays open, running a nested event loop, until
    // CloseBoxWhen() holds (or 60 seconds have passed). Unset, every box is answered at once, which would hide
    // boxes that open inside each other. A box asked for while two are open already is counted but not
    // nested further, so that a fault shows as a count instead of a stack overflow.
    std::function<bool()> CloseBoxWhen;
    int OpenBoxes = 0; // boxes open now
    int MostOpenBoxes = 0; // the most that were open at once, one inside the other

    int MessageBox(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, int buttons) override;
    int Choose(QWidget* parent, const QString& text, const QString& caption, TMsgIcon icon, const QStringList& buttons,
        int defaultButton, int escapeButton) override;
    QStringList OpenFiles(QWidget* parent, const QString& title, const QString& filter) override;
    QString OpenFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString SaveFile(QWidget* parent, const QString& title, const QString& filter) override;
    QString BrowseFolder(QWidget* parent, const QString& title) override;
    bool OpenUrl(const QString& url) override;

    QStringList LastFilters; // the filter of every file dialog asked, in order
};
