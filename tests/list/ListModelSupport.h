#pragma once

#include "engine/commandManager.h"
#include "list/itemManager.h"
#include "list/treeManager.h"
#include "tests/list/ListFileSupport.h"
#include "tests/support/Eventually.h"
#include "toolkit/Application.h"

#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// The list as the main window has it: 828 × 249, a catalogue of three formats, an empty staging list and the
// model installed on the control; the program-wide references point at them while a test runs.
class ListModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteBytes(dir.filePath("command"),
                   "<formats><f><format>AVI (XviD)</format><params>-vcodec mpeg4</params><ext>avi</ext></f>"
                   "<f><format>MP4 (H.264)</format><params>-vcodec libx264</params><ext>mp4</ext></f>"
                   "<f><format>MP3 audio</format><params>-vn</params><ext>mp3</ext></f></formats>");
        Application->SetProgramFolder(dir.path());
        commands = std::make_unique<TCommandManager>();
        CommandManager = commands.get();
        items = std::make_unique<TItemManager>();
        ItemManager = items.get();
        tree.resize(828, 249);
        model = std::make_unique<TTreeManager>(&tree);
        TreeManager = model.get();
    }

    void TearDown() override
    {
        TreeManager = nullptr;
        ItemManager = nullptr;
        CommandManager = nullptr;
        Application->SetProgramFolder(QString());
    }

    void Show()
    {
        tree.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&tree));
    }

    TItemNodeData* Data(int row) { return tree.GetNodeData<TItemNodeData>(tree.GetNodeAtIndex(row)); }
    QPoint Centre(int row, int column) { return tree.CellRect(tree.GetNodeAtIndex(row), column).center(); }

    QTemporaryDir dir;
    TVirtualStringTree tree;
    std::unique_ptr<TCommandManager> commands;
    std::unique_ptr<TItemManager> items;
    std::unique_ptr<TTreeManager> model;
};
