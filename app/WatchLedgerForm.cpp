#include "app/WatchLedgerForm.h"

#include "toolkit/FileNames.h"
#include "toolkit/VisibleText.h"
#include "watch/WatchLedger.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

TWatchLedgerDlg::TWatchLedgerDlg()
    : Files(new QTreeWidget(this))
{
    setWindowTitle("Watched folders");
    Files->setObjectName("Files");
    Files->setHeaderLabels({ "File", "Outcome", "Why" });
    Files->setRootIsDecorated(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Files);
    layout->addWidget(buttons);
    resize(720, 420);

    const QDir folder(QFileInfo(QString::fromStdString(TWatchLedger::PathFor("/"))).path());
    for (const QFileInfo& ledger : folder.entryInfoList({ "*.ledger" }, QDir::Files, QDir::Name)) {
        const std::vector<TWatchLedger::TEntry> entries = TWatchLedger::Read(ledger.filePath().toStdString());
        auto* watch = new QTreeWidgetItem(Files);
        int failed = 0;
        for (const TWatchLedger::TEntry& entry : entries) {
            const bool done = entry.Outcome == TWatchLedger::TOutcome::Done;
            failed += done ? 0 : 1;
            new QTreeWidgetItem(watch,
                { VisibleText(NameText(entry.Path)), done ? "converted" : "failed",
                    QString::fromStdString(VisibleText(entry.Reason)) });
        }
        watch->setText(0, ledger.completeBaseName());
        watch->setText(1, QString("%1 converted, %2 failed").arg(int(entries.size()) - failed).arg(failed));
        watch->setExpanded(true);
    }
    if (Files->topLevelItemCount() == 0)
        new QTreeWidgetItem(Files, { "No folder is watched yet: reelhand-convert --watch FOLDER --format N" });
    Files->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
}
