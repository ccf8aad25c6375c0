#include "list/JclSimpleXML.h"
#include "list/saveManager.h"
#include "tests/list/ListFileSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ListImport : public ::testing::Test {
protected:
    std::string PathOf(const QString& name) const { return dir.filePath(name).toStdString(); }

    // Writes a list file with the given items between <list> and </list>.
    std::string File(const std::string& items, const QString& name = "in.qfl")
    {
        WriteBytes(dir.filePath(name), "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<list>\r\n" + items + "</list>\r\n");
        return PathOf(name);
    }

    static std::string Item(const std::string& name, const std::string& format, const std::string& path)
    {
        return "<item><filename>" + name + "</filename><format>" + format + "</format><path>" + path +
               "</path></item>\r\n";
    }

    static TRowView Waiting(const QString& name, int32_t format, const QString& path)
    {
        return {name, format, path, ::Waiting, 0, 0};
    }

    QTemporaryDir dir;
    TVirtualStringTree tree;
    TSaveManager manager{&tree};
};

} // namespace

TEST_F(ListImport, AnExportedListComesBackAsTheSameWaitingRows)
{
    const QStringList names = {
        "/videos/with blanks/my clip.avi",
        "/videos/\"quoted\" and 'single'.mkv",
        "/videos/Tom & Jerry <1> > 0.mpg",
        QString::fromUtf8("/vid\xC3\xA9os/Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xAC.mp4"),
        "  leading and trailing blanks  ",
        "C:\\Windows\\style\\path.avi",
        "&amp; already escaped &#x41; text",
    };
    std::vector<TRowView> expected;
    for (int i = 0; i < 200; ++i) {
        const QString name = names[i % names.size()] + QString::number(i);
        const QString path = i % 3 == 0 ? QString() : "/out/" + names[(i + 1) % names.size()];
        AddRow(tree, name, i % 5 - 1, path, i % 4);
        expected.push_back(Waiting(name, i % 5 - 1, path));
    }
    manager.SaveList(PathOf("many.qfl"));
    tree.Clear();
    manager.LoadList(PathOf("many.qfl"));
    EXPECT_EQ(Rows(tree), expected);
}

TEST_F(ListImport, AHundredThousandRowsRoundTrip)
{
    for (int i = 0; i < 100000; ++i)
        AddRow(tree, QString("/videos/clip %1.avi").arg(i), i % 7, i % 2 ? "/out" : "");
    const std::vector<TRowView> before = Rows(tree);
    manager.SaveList(PathOf("big.qfl"));
    tree.Clear();
    manager.LoadList(PathOf("big.qfl"));
    ASSERT_EQ(tree.RootNodeCount(), 100000u);
    EXPECT_EQ(Rows(tree), before);
}

TEST_F(ListImport, ImportAddsToTheRowsAlreadyThereEvenTwice)
{
    AddRow(tree, "/kept.avi", 0, "");
    const std::string path = File(Item("/a.avi", "1", "") + Item("/b.avi", "2", "/o"));
    manager.LoadList(path);
    manager.LoadList(path);
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting("/kept.avi", 0, ""), Waiting("/a.avi", 1, ""),
                                                  Waiting("/b.avi", 2, "/o"), Waiting("/a.avi", 1, ""),
                                                  Waiting("/b.avi", 2, "/o")}));
}

TEST_F(ListImport, ShapesOfItemsThatReadTheSame)
{
    manager.LoadList(File(""));
    EXPECT_EQ(tree.RootNodeCount(), 0u);
    manager.LoadList(File("<item>\r\n<filename>/a.avi</filename>\r\n<format>3</format>\r\n<path/>\r\n</item>\r\n"
                          "<item><PATH>/o</PATH><Format>4</Format><FILENAME>/b.avi</FILENAME></item>\r\n"
                          "<item><filename>Caf&#xc3;&#xA9;&#xC3;&#169;</filename><format> 7</format><path></path></item>"));
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting("/a.avi", 3, ""), Waiting("/b.avi", 4, "/o"),
                                                  Waiting(QString::fromUtf8("Caf\xC3\xA9\xC3\xA9"), 7, "")}));
}

TEST_F(ListImport, ListsWrittenInAWesternCodePageKeepTheirAccents)
{
    // A list exported where é was the single byte 0xE9: not UTF-8, so read as Latin-1 rather than garbled.
    manager.LoadList(File(Item("D:\\Movies\\Caf&#xe9; &amp; co.mpg", "0", "D:\\Sorti&#xe9;")));
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting(QString::fromUtf8("D:\\Movies\\Caf\xC3\xA9 & co.mpg"), 0,
                                                         QString::fromUtf8("D:\\Sorti\xC3\xA9"))}));
}

TEST_F(ListImport, NoFileAtThePathDoesNothing)
{
    AddRow(tree, "/kept.avi", 0, "");
    manager.LoadList(PathOf("absent.qfl"));
    manager.LoadList(dir.path().toStdString()); // a folder is not a list file
    EXPECT_EQ(tree.RootNodeCount(), 1u);
}

TEST_F(ListImport, AMalformedFileAddsNoRow)
{
    const std::string path = File(Item("/a.avi", "1", "") + "<item><filename>/b.avi</filenme></item>\r\n");
    EXPECT_THROW(manager.LoadList(path), EJclSimpleXMLError);
    EXPECT_EQ(tree.RootNodeCount(), 0u);
}

TEST_F(ListImport, AnItemWithoutAValueStopsTheImportThereAndSaysWhich)
{
    const std::string path =
        File(Item("/a.avi", "1", "") + "<item><filename>/b.avi</filename><path/></item>\r\n" + Item("/c.avi", "2", ""));
    try {
        manager.LoadList(path);
        FAIL() << "the import claimed success";
    } catch (const EListFileError& error) {
        EXPECT_EQ(error.Message(), "Item 2 of the list file has no \"format\" element");
    }
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting("/a.avi", 1, "")}));
}

TEST_F(ListImport, ACommentAmongTheItemsCountsAsAnItemWithoutValues)
{
    const std::string path = File(Item("/a.avi", "1", "") + "<!-- hand edited -->\r\n" + Item("/b.avi", "2", ""));
    EXPECT_THROW(manager.LoadList(path), EListFileError);
    EXPECT_EQ(tree.RootNodeCount(), 1u);
}

TEST_F(ListImport, AFormatThatIsNotANumberStopsTheImportThere)
{
    const std::string path = File(Item("/a.avi", "1", "") + Item("/b.avi", "two", "") + Item("/c.avi", "3", ""));
    try {
        manager.LoadList(path);
        FAIL() << "the import claimed success";
    } catch (const EConvertError& error) {
        EXPECT_EQ(error.Message(), "'two' is not a valid integer value");
    }
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting("/a.avi", 1, "")}));
    // The list stays usable: the next import and repaint work as before.
    manager.LoadList(File(Item("/d.avi", "4", ""), "next.qfl"));
    EXPECT_EQ(tree.RootNodeCount(), 2u);
    EXPECT_FALSE(tree.Updating());
}
