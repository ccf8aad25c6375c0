#pragma once

#include <QDialog>

class QTreeWidget;

// The "Watched folders" window: what each watch of this user did with the files of its folder, read from its
// ledger as it stands (a watch may be writing it meanwhile): a line per folder with how many files were converted
// and how many failed, and below it each file with its outcome and, for a failed one, why. It changes nothing.
class TWatchLedgerDlg : public QDialog
{
public:
    TWatchLedgerDlg();

    QTreeWidget* Files;
};
