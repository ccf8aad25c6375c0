#include "list/JclSimpleXML.h"
#include "list/saveManager.h"
#include "tests/list/ListFileSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ListExport : public ::testing::Test {
protected:
    std::string PathOf(const QString& name) const { return dir.filePath(name).toStdString(); }

    QTemporaryDir dir;
    TVirtualStringTree tree;
    TSaveManager manager{&tree};
};

} // namespace

TEST_F(ListExport, TwoRowsGiveTheThirteenLinesOfAListFile)
{
    AddRow(tree, "C:\\Videos\\clip.avi", 2, "");
    AddRow(tree, QString::fromUtf8("D:\\Movies\\Caf\xC3\xA9 & co.mpg"), 0, "D:\\Out", Done);
    manager.SaveList(PathOf("two.qfl"));
    const std::string expected = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                 "<list>\r\n"
                                 "  <item>\r\n"
                                 "    <filename>C:\\Videos\\clip.avi</filename>\r\n"
                                 "    <format>2</format>\r\n"
                                 "    <path/>\r\n"
                                 "  </item>\r\n"
                                 "  <item>\r\n"
                                 "    <filename>D:\\Movies\\Caf&#xc3;&#xa9; &amp; co.mpg</filename>\r\n"
                                 "    <format>0</format>\r\n"
                                 "    <path>D:\\Out</path>\r\n"
                                 "  </item>\r\n"
                                 "</list>\r\n";
    EXPECT_EQ(ReadBytes(dir.filePath("two.qfl")), expected);
}

TEST_F(ListExport, StateAndAnimationAreNotWritten)
{
    PVirtualNode node = AddRow(tree, "/v/a.avi", -1, "/out/", Converting);
    tree.GetNodeData<TItemNodeData>(node)->ItemData.Busy = 1;
    tree.GetNodeData<TItemNodeData>(node)->ItemData.BusyPos = 40;
    manager.SaveList(PathOf("busy.qfl"));
    EXPECT_EQ(ReadBytes(dir.filePath("busy.qfl")), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
                                                   "<list>\r\n"
                                                   "  <item>\r\n"
                                                   "    <filename>/v/a.avi</filename>\r\n"
                                                   "    <format>-1</format>\r\n"
                                                   "    <path>/out/</path>\r\n"
                                                   "  </item>\r\n"
                                                   "</list>\r\n");
}

TEST_F(ListExport, AnOlderFileIsReplacedWhole)
{
    WriteBytes(dir.filePath("old.qfl"), std::string(5000, '~'));
    AddRow(tree, "/v/a.avi", 1, "");
    manager.SaveList(PathOf("old.qfl"));
    const std::string written = ReadBytes(dir.filePath("old.qfl"));
    EXPECT_EQ(written.find('~'), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 9), "</list>\r\n");
}

TEST_F(ListExport, AFolderThatIsNotThereFailsWithTheFileSystemsError)
{
    AddRow(tree, "/v/a.avi", 1, "");
    const std::string path = PathOf("missing/list.qfl");
    try {
        manager.SaveList(path);
        FAIL() << "the export claimed success";
    } catch (const Exception& error) {
        EXPECT_EQ(error.Message().rfind("Cannot create file \"" + path + "\". ", 0), 0u) << error.Message();
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    EXPECT_EQ(tree.RootNodeCount(), 1u);
}

TEST_F(ListExport, EveryExportOfAFreshManagerWritesTheSameHead)
{
    AddRow(tree, "/v/a.avi", 3, "");
    manager.SaveList(PathOf("one.qfl"));
    tree.Clear();
    AddRow(tree, "/v/b.avi", 4, "");
    manager.SaveList(PathOf("two.qfl"));
    const std::string second = ReadBytes(dir.filePath("two.qfl"));
    EXPECT_EQ(second.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<list>\r\n  <item>\r\n", 0), 0u);
    // The earlier export's rows are not carried into the later one.
    EXPECT_EQ(second.find("a.avi"), std::string::npos);
}
