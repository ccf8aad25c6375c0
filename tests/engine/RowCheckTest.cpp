// The window's job does not take an encoder's exit code 0 for done: each kind of broken result fails its row.
#include "tests/engine/CommandFixture.h"
#include "tests/support/FailureKinds.h"

#include <QFileInfo>

namespace {

class RowCheckTest : public CommandFixture
{
};

TEST_F(RowCheckTest, EveryKindOfBrokenResultFailsItsRowWithItsCauseAndLeavesNothing)
{
    const std::vector<TFailureKind> kinds = FailureKinds(ClipsDir());
    MakeJob();
    for (const TFailureKind& kind : kinds)
        AddRow(Clip(QString(kind.Name).replace(' ', '-') + ".avi", kind.Script));
    const QString good = Clip("good.avi");
    const QDateTime filmed(QDate(2001, 2, 3), QTime(4, 5, 6), Qt::UTC);
    QFile file(good);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite) && file.setFileTime(filmed, QFileDevice::FileModificationTime));
    file.close();
    AddRow(good);
    // A chosen folder that is not there yet is made when its row needs it.
    const QString chosen = m_root.path() + "/new/deeper/";
    AddRow(Clip("chosen.avi"), 0, chosen);

    RunBatch();

    for (std::size_t row = 0; row < kinds.size(); ++row) {
        EXPECT_EQ(State(int(row)), Failed) << kinds[row].Name;
        EXPECT_TRUE(Row(int(row))->ItemData.Reason.startsWith(kinds[row].Reason))
            << kinds[row].Name << ": " << Row(int(row))->ItemData.Reason.toStdString();
    }
    EXPECT_EQ(State(int(kinds.size())), Done);
    EXPECT_EQ(QDir(ConvertDir()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({ "good.mp4" }));
    EXPECT_EQ(QFileInfo(Made(int(kinds.size()))).lastModified(), filmed) << "the source's date";
    EXPECT_EQ(Made(int(kinds.size()) + 1), chosen + "chosen.mp4");
}

} // namespace
