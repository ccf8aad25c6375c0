#include "list/JclSimpleXML.h"
#include "list/saveManager.h"
#include "platform/FileSystem.h"
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

// A list exported where the code page was Western European holds single bytes such as 0xE9 for é: not UTF-8,
// so its values are read in that code page, whose 0x80 to 0x9F are printable characters.
TEST_F(ListImport, ListsWrittenInAWesternCodePageKeepTheirCharacters)
{
    const std::pair<std::string, std::u16string> values[] = {
        {"Caf&#xe9; &amp; co", u"Café & co"},
        {"&#x80; 5", u"€ 5"},
        {"&#x84;quoted&#x93; &#x91;single&#x92;", u"„quoted“ ‘single’"},
        {"dash &#x96; and &#x97;&#x85;", u"dash – and —…"},
        {"&#x89; &#x95; &#x99; &#xa0;", u"‰ • ™ \u00a0"},
        {"&#x8a;&#x8c;&#x8e;&#x9a;&#x9c;&#x9e;&#x9f;&#x83;", u"ŠŒŽšœžŸƒ"},
        {"&#x82;&#x86;&#x87;&#x88;&#x8b;&#x98;&#x9b;&#xff;", u"‚†‡ˆ‹˜›ÿ"},
        // Unused in that code page: the control characters of the same number.
        {"&#x81;&#x8d;&#x8f;&#x90;&#x9d;", u"\u0081\u008d\u008f\u0090\u009d"},
    };
    std::string items;
    std::vector<TRowView> expected;
    for (const auto& [bytes, text] : values) {
        items += Item("D:\\" + bytes + ".mpg", "0", "D:\\" + bytes);
        const QString wide = QString::fromStdU16String(text);
        expected.push_back(Waiting("D:\\" + wide + ".mpg", 0, "D:\\" + wide));
    }
    manager.LoadList(File(items));
    EXPECT_EQ(Rows(tree), expected);
}

// A 0 byte would end the name where it reaches the system, so the row would test, name and convert another
// file than it shows; a name longer than the system takes cannot reach it at all.
TEST_F(ListImport, AValueTheSystemCannotTakeStopsTheImportThereAndSaysWhich)
{
    const size_t limit = platform::PathLengthLimit();
    const std::string tooLong = " element longer than the system's path limit of " + std::to_string(limit) + " bytes";
    const std::pair<std::string, std::string> cases[] = {
        {Item(std::string("/b\0.avi", 7), "1", ""), "has a 0 byte in its \"filename\" element"},
        {Item("/b.avi", std::string("1\0", 2), ""), "has a 0 byte in its \"format\" element"},
        {Item("/b.avi", "1", std::string("/out\0/x", 7)), "has a 0 byte in its \"path\" element"},
        {Item("/" + std::string(limit, 'b'), "1", ""), "has a \"filename\"" + tooLong},
        {Item("/b.avi", "1", std::string(1 << 20, 'o')), "has a \"path\"" + tooLong},
        // Within the limit as bytes of the file, beyond it as the system gets the name: é is two bytes there.
        {Item("/b.avi", "1", "/" + std::string(limit - 2, 'o') + "&#xe9;"), "has a \"path\"" + tooLong},
    };
    for (const auto& [item, message] : cases) {
        SCOPED_TRACE(item.substr(0, 60));
        tree.Clear();
        const std::string path = File(Item("/a.avi", "1", "") + item + Item("/c.avi", "2", ""));
        try {
            manager.LoadList(path);
            FAIL() << "the import claimed success";
        } catch (const EListFileError& error) {
            EXPECT_EQ(error.Message(), "Item 2 of the list file " + message);
        }
        EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting("/a.avi", 1, "")}));
    }
    // The longest name the system takes is imported.
    tree.Clear();
    const std::string longest = "/" + std::string(limit - 1, 'a');
    manager.LoadList(File(Item(longest, "1", longest)));
    const QString accepted = QString::fromStdString(longest);
    EXPECT_EQ(Rows(tree), (std::vector<TRowView>{Waiting(accepted, 1, accepted)}));
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

// A list cut short keeps its complete items and says where it ends; the item it ends in never becomes a row.
// A character reference above 255 is that character, as other programs write them.
TEST_F(ListImport, CutListsAndForeignReferences)
{
    struct Case {
        std::string tail; // after two complete items
        std::vector<TRowView> extra; // rows beyond the first two
        std::string error; // what follows "ends early, " or empty
    };
    const std::string header = "<?xml version=\"1.0\"?>\r\n<list>\r\n" + Item("/a.avi", "1", "") + Item("/b.avi", "2", "");
    const std::vector<Case> cases = {
        {"<item><filename>/c.avi</filename><format>1</format><path>/o</path></ite", {}, "on line 5 inside <list><item>"},
        {"<item><filename>/c.avi</filename><format>1</format><path>/o", {}, "on line 5 inside <list><item><path>"},
        {"<item><filename>/c.avi</filename", {}, "on line 5 inside <list><item><filename>"},
        {"<item", {}, "on line 5 inside <list>"},
        {"", {}, "on line 5 inside <list>"},
        {Item("/c &#8211; d&#233;.avi", "1", "/&#x65E5;") + "</list>", {Waiting(QString::fromUtf8("/c – dé.avi"), 1, QString::fromUtf8("/日"))}, ""},
    };
    for (const Case& c : cases) {
        tree.Clear();
        WriteBytes(dir.filePath("cut.qfl"), header + c.tail);
        std::string error;
        try {
            manager.LoadList(PathOf("cut.qfl"));
        } catch (const EListFileError& e) {
            error = e.Message();
        }
        std::vector<TRowView> rows = {Waiting("/a.avi", 1, ""), Waiting("/b.avi", 2, "")};
        rows.insert(rows.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(Rows(tree), rows) << c.tail;
        EXPECT_EQ(error, c.error.empty() ? "" : "The list file \"" + PathOf("cut.qfl") + "\" ends early, " + c.error
                             + ": only the 2 complete items before that point were read") << c.tail;
    }
}

// The choices beside the format are elements of their own, written only when chosen: a list of an older version
// reads as "as the format says", and a value that is not a choice stops the import at its item.
TEST_F(ListImport, ChoicesComeBackAndListsWithoutThemReadAsTheFormatSays)
{
    const TEncoderChoices chosen[] = { { 720, TQualityChoice::Smaller, TSoundChoice::Stereo },
        { 0, TQualityChoice::AsFormat, TSoundChoice::Mono }, {} };
    for (const TEncoderChoices& choices : chosen)
        tree.GetNodeData<TItemNodeData>(AddRow(tree, "/a.avi", 0, ""))->ItemData.Choices = choices;
    manager.SaveList(PathOf("chosen.qfl"));
    const std::string bytes = ReadBytes(dir.filePath("chosen.qfl"));
    EXPECT_NE(
        bytes.find("<path/>\r\n    <size>720</size>\r\n    <quality>smaller</quality>\r\n    <sound>stereo</sound>"),
        std::string::npos);
    EXPECT_EQ(bytes.find("<size>", bytes.find("<sound>mono</sound>")), std::string::npos);
    tree.Clear();
    manager.LoadList(PathOf("chosen.qfl"));
    manager.LoadList(File(Item("/old.avi", "1", "")));
    std::vector<TEncoderChoices> read;
    for (PVirtualNode node = tree.GetFirst(); node; node = tree.GetNextSibling(node))
        read.push_back(tree.GetNodeData<TItemNodeData>(node)->ItemData.Choices);
    EXPECT_EQ(read, std::vector<TEncoderChoices>({ chosen[0], chosen[1], {}, {} }));
    try {
        manager.LoadList(File("<item><filename>/b.avi</filename><format>1</format><path/><size>huge</size></item>"));
        FAIL() << "an unknown size was read";
    } catch (const EListFileError& error) {
        EXPECT_EQ(error.Message(),
            "Item 1 of the list file: 'huge' is no size; there are 2160, 1440, 1080, 720, 480 "
            "(lines at most).");
    }
}
