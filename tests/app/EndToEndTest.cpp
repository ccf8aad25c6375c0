#include "app/addForm.h"
#include "app/mainForm.h"
#include "controls/MyButtonEx.h"
#include "controls/imagebutton.h"
#include "list/ItemData.h"
#include "tests/app/AppTesting.h"
#include "tests/support/Clips.h"
#include "toolkit/Application.h"
#include "toolkit/VirtualStringTree.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

// The real program folder: the encoder it links, the catalogue it ships and its convert folder.
TEST(EndToEnd, ConvertsTwoClipsWithTheRealEncoderIntoTheConvertFolder)
{
    Application->SetProgramFolder(REELHAND_PROGRAM_DIR);
    QTemporaryDir sources;
    const QString stamp = QString::number(QCoreApplication::applicationPid());
    const QStringList clips
        = { sources.filePath("e2e " + stamp + " first.avi"), sources.filePath("e2e " + stamp + " second.mpg") };
    ASSERT_TRUE(MakeClip(clips[0], "160x120"));
    ASSERT_TRUE(MakeClip(clips[1], "176x144"));
    const QDir convert(QString(REELHAND_PROGRAM_DIR) + "/convert");
    // Named after the sources, with the first format's extension, whatever the shipped catalogue makes it.
    auto outputsOf = [&](const QString& source) {
        return convert.entryList({ "e2e " + stamp + " " + source + ".*" }, QDir::Files);
    };

    TTestDialogs dialogs;
    {
        TmainDlg window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        AddFilesThroughDialog(window, dialogs, clips);
        ASSERT_EQ(window.VirtualStringTree1->RootNodeCount(), 2u);
        Click(window.btnConvert);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window.btnStop->Enabled(); }, 120000));
        EXPECT_EQ(RowState(window, 0), int(Done));
        EXPECT_EQ(RowState(window, 1), int(Done));
        EXPECT_EQ(window.lbCount->text(), "2 files, finished 2 of 2");
        ASSERT_EQ(dialogs.Messages.size(), 1);
        EXPECT_EQ(dialogs.Messages[0].Text, "Congratulations, works done!");
    }
    for (const QString& source : QStringList { "first", "second" }) {
        const QStringList made = outputsOf(source);
        ASSERT_EQ(made.size(), 1) << source.toStdString();
        EXPECT_TRUE(Streams(convert.filePath(made[0])).contains("video")) << made[0].toStdString();
        QFile::remove(convert.filePath(made[0]));
    }
    Application->SetProgramFolder(QString());
}
