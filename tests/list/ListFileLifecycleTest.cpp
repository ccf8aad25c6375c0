#include "list/JclSimpleXML.h"
#include "list/saveManager.h"
#include "tests/list/ListFileSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// What an import leaves in the one shared document shows in the next export.
class ListLifecycle : public ::testing::Test {
protected:
    std::string PathOf(const QString& name) const { return dir.filePath(name).toStdString(); }

    // Imports the given bytes, then exports one row and returns the export's bytes.
    std::string ExportAfterImporting(const std::string& imported)
    {
        WriteBytes(dir.filePath("in.qfl"), imported);
        manager.LoadList(PathOf("in.qfl"));
        tree.Clear();
        AddRow(tree, "/a.avi", 1, "");
        manager.SaveList(PathOf("out.qfl"));
        return ReadBytes(dir.filePath("out.qfl"));
    }

    static std::string Body(const std::string& root)
    {
        return "<" + root + ">\r\n  <item>\r\n    <filename>/a.avi</filename>\r\n    <format>1</format>\r\n"
                            "    <path/>\r\n  </item>\r\n</" + root + ">\r\n";
    }

    QTemporaryDir dir;
    TVirtualStringTree tree;
    TSaveManager manager{&tree};
};

} // namespace

TEST_F(ListLifecycle, TheImportedRootNameNamesLaterExports)
{
    EXPECT_EQ(ExportAfterImporting("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<files><x><filename>/q</filename>"
                                   "<format>0</format><path/></x></files>\r\n"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n" + Body("files"));
}

TEST_F(ListLifecycle, AFileWithoutDeclarationLeavesTheDefaultOne)
{
    EXPECT_EQ(ExportAfterImporting("<list></list>"), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n" + Body("list"));
}

TEST_F(ListLifecycle, ADeclarationWithoutEncodingIsWrittenWithoutOne)
{
    EXPECT_EQ(ExportAfterImporting("<?xml version=\"1.1\"?><list/>"), "<?xml version=\"1.1\"?>\r\n" + Body("list"));
}

TEST_F(ListLifecycle, CommentsAndDoctypeBeforeTheRootAreWrittenAgain)
{
    EXPECT_EQ(ExportAfterImporting("<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\r\n"
                                   "<!-- made by hand -->\r\n<!DOCTYPE list>\r\n<list/>\r\n"),
              "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"yes\"?>\r\n<!-- made by hand -->\r\n"
              "<!DOCTYPE list>\r\n" +
                  Body("list"));
}

TEST_F(ListLifecycle, AnEmptyFileKeepsTheRootName)
{
    ExportAfterImporting("<?xml version=\"1.0\"?><files/>");
    EXPECT_EQ(ExportAfterImporting(""), "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n" + Body("files"));
}

TEST_F(ListLifecycle, AMalformedImportStillLeavesItsHeadForLaterExports)
{
    WriteBytes(dir.filePath("bad.qfl"), "<?xml version=\"1.0\" encoding=\"latin1\"?><mine><item></wrong></mine>");
    EXPECT_THROW(manager.LoadList(PathOf("bad.qfl")), EJclSimpleXMLError);
    EXPECT_EQ(tree.RootNodeCount(), 0u);
    AddRow(tree, "/a.avi", 1, "");
    manager.SaveList(PathOf("out.qfl"));
    EXPECT_EQ(ReadBytes(dir.filePath("out.qfl")), "<?xml version=\"1.0\" encoding=\"latin1\"?>\r\n" + Body("mine"));
}
