#include "app/WatchLedgerForm.h"
#include "watch/WatchLedger.h"

#include <QTreeWidget>
#include <gtest/gtest.h>

// The window shows what a watch wrote into its ledger: the folder's counts, each file with its outcome and why.
TEST(WatchLedgerView, ShowsWhatEachWatchedFoldersFilesCameTo)
{
    TWatchLedger ledger;
    std::string message;
    ASSERT_TRUE(ledger.Open(TWatchLedger::PathFor("/videos/holiday"), message)) << message;
    ASSERT_TRUE(ledger.Record({ { 1, 2, 3, 4 }, TWatchLedger::TOutcome::Done, "/videos/holiday/a.mov", "" }, message));
    ASSERT_TRUE(ledger.Record(
        { { 1, 5, 3, 4 }, TWatchLedger::TOutcome::Failed, "/videos/holiday/caf\xe9.mov", "The file is damaged." },
        message));

    TWatchLedgerDlg dialog;
    ASSERT_EQ(dialog.Files->topLevelItemCount(), 1);
    const QTreeWidgetItem* watch = dialog.Files->topLevelItem(0);
    EXPECT_TRUE(watch->text(0).startsWith("holiday-")) << watch->text(0).toStdString();
    EXPECT_EQ(watch->text(1), "1 converted, 1 failed");
    ASSERT_EQ(watch->childCount(), 2);
    EXPECT_EQ(watch->child(0)->text(1), "converted");
    EXPECT_EQ(watch->child(1)->text(0), "/videos/holiday/caf\\xe9.mov") << "a name's bytes shown escaped";
    EXPECT_EQ(watch->child(1)->text(2), "The file is damaged.");
}
