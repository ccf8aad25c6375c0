// A watched folder on a real file system, heard of through the kernel or looked at now and then: a file still
// being written is never handed out, each finished file is handed out once, nothing of the program's own is
// taken, a restart takes nothing the ledger knows, and a folder that goes away ends the watch.
#include "watch/FolderWatch.h"

#include "tests/support/WaitUntil.h"
#include "watch/WatchLedger.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace
{

constexpr int SettleMs = 400;

class FolderWatch : public testing::TestWithParam<bool>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(m_dir.path()).mkpath("drop/out") && QDir(m_dir.path()).mkpath("drop/.reelhand-Ab12Cd")
            && QDir(m_dir.path()).mkpath("elsewhere"));
    }

    QString Drop() const { return m_dir.path() + "/drop"; }

    void Write(const QString& path, const QByteArray& bytes, QIODevice::OpenMode mode = QIODevice::WriteOnly)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(mode));
        file.write(bytes);
    }

    // Starts a watch of drop/ that writes into drop/out/, as a restart would, with the ledger of the folder.
    void StartWatch()
    {
        m_watch.reset();
        m_ledger = std::make_unique<TWatchLedger>();
        std::string message;
        ASSERT_TRUE(m_ledger->Open(LedgerPath(), message)) << message;
        m_watch = std::make_unique<TFolderWatch>(
            TFolderWatch::TSettings { Drop().toStdString(), (Drop() + "/out").toStdString(), SettleMs, GetParam() },
            *m_ledger);
        ASSERT_TRUE(m_watch->Start(message)) << message;
        ASSERT_EQ(m_watch->Polling(), GetParam());
    }

    std::string LedgerPath() const { return (m_dir.path() + "/ledger").toStdString(); }

    // What the watch handed out so far, by name under drop/; each file handed out is recorded as done.
    QStringList Taken()
    {
        while (std::optional<TFolderWatch::TFile> file = m_watch->Next()) {
            std::string message;
            EXPECT_TRUE(m_ledger->Record({ file->Identity, TWatchLedger::TOutcome::Done, file->Path, {} }, message));
            m_taken << QString::fromStdString(file->Path).mid(Drop().size() + 1);
        }
        return m_taken;
    }

    QTemporaryDir m_dir;
    std::unique_ptr<TWatchLedger> m_ledger;
    std::unique_ptr<TFolderWatch> m_watch;
    QStringList m_taken;
};

} // namespace

TEST_P(FolderWatch, TakesEachFinishedFileOnceAndNothingOfItsOwn)
{
    Write(Drop() + "/before.mkv", "there before the watch");
    Write(Drop() + "/notes.txt", "not a video");
    Write(Drop() + "/out/clip.mp4", "an output");
    Write(Drop() + "/.reelhand-Ab12Cd/output.mp4", "a conversion under way");
    StartWatch();

    // Bytes every 100 ms for three settle times: never handed out while the writer holds it open.
    QFile slow(Drop() + "/slow.mp4");
    ASSERT_TRUE(slow.open(QIODevice::WriteOnly));
    for (int i = 0; i < 12; ++i) {
        slow.write(QByteArray(1000, 'x'));
        slow.flush();
        WaitUntil([] { return false; }, 100);
        EXPECT_FALSE(Taken().contains("slow.mp4")) << "taken while written, after " << (i + 1) * 100 << " ms";
    }
    slow.close();
    // Made elsewhere and moved in whole, into a folder made after the start; its name needs escaping in the ledger.
    Write(m_dir.path() + "/elsewhere/moved\tin.avi", "moved in");
    ASSERT_TRUE(QDir(Drop()).mkpath("sub"));
    ASSERT_TRUE(QFile::rename(m_dir.path() + "/elsewhere/moved\tin.avi", Drop() + "/sub/moved\tin.avi"));
    Write(Drop() + "/out/clip_2.mp4", "another output, made meanwhile");

    ASSERT_TRUE(WaitUntil([&] { return Taken().size() >= 3; }, 3 * SettleMs + 2000))
        << Taken().join(", ").toStdString();
    WaitUntil([] { return false; }, SettleMs);
    QStringList taken = Taken();
    taken.sort();
    EXPECT_EQ(taken, QStringList({ "before.mkv", "slow.mp4", "sub/moved\tin.avi" }));
    std::vector<TWatchLedger::TEntry> entries = TWatchLedger::Read(LedgerPath());
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(QString::fromStdString(entries.back().Path), Drop() + "/sub/moved\tin.avi");

    // A restart takes nothing the ledger knows; a file changed since is a new one.
    m_taken.clear();
    StartWatch();
    Write(Drop() + "/before.mkv", " and changed", QIODevice::Append);
    ASSERT_TRUE(WaitUntil([&] { return !Taken().isEmpty(); }, 3 * SettleMs + 2000));
    WaitUntil([] { return false; }, SettleMs);
    EXPECT_EQ(Taken(), QStringList { "before.mkv" });

    // A folder that goes away ends the watch; it never reads as files deleted.
    ASSERT_TRUE(QDir().rename(Drop(), m_dir.path() + "/away"));
    ASSERT_TRUE(WaitUntil([&] { return m_watch->Ended(); }, 2000));
    EXPECT_NE(m_watch->EndMessage().find("went away"), std::string::npos) << m_watch->EndMessage();
    EXPECT_EQ(TWatchLedger::Read(LedgerPath()).size(), 4u);
}

INSTANTIATE_TEST_SUITE_P(HeardOrLooked, FolderWatch, testing::Values(false, true),
    [](const testing::TestParamInfo<bool>& info) { return info.param ? "Polling" : "Inotify"; });
