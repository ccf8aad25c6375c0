// The window's list outlives the program: killed in the middle of a batch, it comes back with each row's state;
// a kept list that cannot be read back is set aside, and the list starts empty. Keeping it costs a batch a write
// a second at most, and nothing for what only shows.
#include "app/mainForm.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "list/KeptListFile.h"
#include "list/ListKeeper.h"
#include "tests/app/AppTesting.h"
#include "tests/app/ProgramFolder.h"
#include "tests/support/WaitUntil.h"
#include "toolkit/FileNames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace
{

std::vector<int> States(TVirtualStringTree& list)
{
    std::vector<int> states;
    for (PVirtualNode node = list.GetFirst(); node; node = list.GetNextSibling(node))
        states.push_back(list.GetNodeData<TItemNodeData>(node)->ImageIndex);
    return states;
}

std::vector<int> KeptStates(const QString& path)
{
    std::vector<int> states;
    if (QFile::exists(path))
        for (const TKeptRow& row : ReadKeptList(path.toStdString()))
            states.push_back(row.State);
    return states;
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(KeptList, ComesBackWithItsStatesAfterTheProgramIsKilledMidBatch)
{
    TProgramFolder folder;
    const QString kept = folder.Path() + "/state/list.qfl";
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(REELHAND_PROGRAMDRIVER,
        { "--keep", kept, folder.Path(), folder.Clip("done.avi"), folder.Clip("failed.avi", "exit 1\n"),
            folder.Clip("converting.avi", "wait\n"), folder.Clip("c.avi") });
    // Done, Failed, then the third row Converting: the file is written within a second of every change.
    const auto thirdConverting = [&] {
        const QByteArray content = Read(kept);
        return content.contains("<state>2</state>") && content.contains("<state>3</state>")
            && content.contains("<state>1</state>");
    };
    ASSERT_TRUE(WaitUntil(thirdConverting, 30000)) << Read(kept).data();
    program.kill();
    program.waitForFinished();

    TVirtualStringTree list;
    TListKeeper(&list, kept).Restore();
    EXPECT_EQ(States(list), (std::vector<int> { Done, Failed, Waiting, Waiting }));
    const TItemData& failed = list.GetNodeData<TItemNodeData>(list.GetNodeAtIndex(1))->ItemData;
    EXPECT_EQ(failed.FileName, folder.Path() + "/sources/failed.avi");
    EXPECT_FALSE(failed.Reason.isEmpty());
}

TEST(KeptList, OneThatCannotBeReadBackIsSetAsideAndTheListStartsEmpty)
{
    const QByteArray unreadable[] = { "\x89PNG not a list at all",
        "<?xml version=\"1.0\"?><list version=\"1\"><item><filename>/v/a.avi</filename><format>0",
        "<?xml version=\"1.0\"?><list version=\"2\"></list>",
        "<?xml version=\"1.0\"?><list version=\"1\"><item><filename>/v/a.avi</filename><format>0</format>"
        "<path></path><state>0</state></item>\r\n" };
    for (const QByteArray& content : unreadable) {
        TProgramFolder folder;
        const QString kept = folder.Path() + "/list.qfl";
        QFile file(kept);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
        file.close();

        TVirtualStringTree list;
        TListKeeper keeper(&list, kept);
        EXPECT_THROW(keeper.Restore(), EKeptListError) << content.data();
        EXPECT_EQ(list.RootNodeCount(), 0u);
        EXPECT_FALSE(QFile::exists(kept));
        EXPECT_EQ(Read(kept + ".unreadable"), content);
    }
}

// A name that is not UTF-8 (é as the byte 0xE9) comes back as its bytes, so "Open output file" finds the file after
// a restart.
TEST(KeptList, KeepsNamesThatAreNotUtf8AsTheirBytes)
{
    TProgramFolder folder;
    const QString kept = folder.Path() + "/list.qfl";
    TKeptRow row;
    row.FileName = NameText("/v/caf\xe9.avi");
    row.State = Done;
    row.Output = NameText("/o/caf\xe9.mp4");
    WriteKeptList(kept.toStdString(), { row });
    const TKeptRows back = ReadKeptList(kept.toStdString());
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(NameBytes(back[0].Output), "/o/caf\xe9.mp4");
    EXPECT_EQ(back[0], row);
}

class KeptListBatch : public TMainWindowTest
{
};

TEST_F(KeptListBatch, WritesAtMostOnceASecondAndNothingForWhatOnlyShows)
{
    const QString kept = m_folder.Path() + "/state/list.qfl";
    TVirtualStringTree& list = *m_window->VirtualStringTree1;
    TListKeeper keeper(&list, kept);
    QElapsedTimer clock;
    clock.start();
    AddClips({ "sleep 300", "exit 1\n", "sleep 300", "" });
    Click(m_window->btnConvert);
    WaitUntilIdle();
    ASSERT_TRUE(WaitUntil([&] { return !keeper.Pending(); }, 3000));
    const int saves = keeper.Saves();
    // Rows added, then each row started and ended: nine changes, written together once a second at most.
    EXPECT_GE(saves, 1);
    EXPECT_LE(saves, std::min<qint64>(clock.elapsed() / 1000 + 2, 9));
    EXPECT_TRUE(WaitUntil([&] {
        return KeptStates(kept) == std::vector<int> { Done, Failed, Done, Done };
    })) << Read(kept).data();

    // What the job's progress tick does to a row, then the user's clicks and the window's repaints.
    for (int row = 0; row < 4; ++row) {
        const PVirtualNode node = list.GetNodeAtIndex(row);
        list.GetNodeData<TItemNodeData>(node)->ItemData.Progress = "42 %";
        list.RepaintNode(node);
        Click(list.viewport(), Qt::LeftButton, list.CellRect(node, 0).center());
        m_window->repaint();
    }
    EXPECT_EQ(list.SelectedNode(), list.GetNodeAtIndex(3));
    EXPECT_FALSE(keeper.Pending());
    EXPECT_EQ(keeper.Saves(), saves);
}
