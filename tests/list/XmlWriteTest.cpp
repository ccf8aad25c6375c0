#include "XmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string DefaultDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>";

TEST(XmlWrite, StagingShapedDocumentIsTheSevenLineExample)
{
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetRootName("list");
    TJclSimpleXMLElemClassic* item = document.Root().AppendChild("item");
    item->AppendChild("format")->SetValue("0");
    item->AppendChild("path");
    EXPECT_EQ(document.SaveToString(),
              CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<list>", "  <item>", "    <format>0</format>",
                         "    <path/>", "  </item>", "</list>"}));
}

TEST(XmlWrite, TwoRowListIsTheThirteenLineExample)
{
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetRootName("list");
    struct Row {
        std::string fileName, format, path;
    };
    for (const Row& row : {Row{"C:\\Videos\\clip.avi", "2", ""}, Row{"D:\\Movies\\Caf\xE9 & co.mpg", "0", "D:\\Out"}}) {
        TJclSimpleXMLElemClassic* item = document.Root().AppendChild("item");
        item->AppendChild("filename")->SetValue(row.fileName);
        item->AppendChild("format")->SetValue(row.format);
        item->AppendChild("path")->SetValue(row.path);
    }
    EXPECT_EQ(document.SaveToString(),
              CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<list>", "  <item>",
                         "    <filename>C:\\Videos\\clip.avi</filename>", "    <format>2</format>", "    <path/>",
                         "  </item>", "  <item>", "    <filename>D:\\Movies\\Caf&#xe9; &amp; co.mpg</filename>",
                         "    <format>0</format>", "    <path>D:\\Out</path>", "  </item>", "</list>"}));
}

TEST(XmlWrite, EncodingTableCoversEveryByte)
{
    std::string value;
    for (int byte = 1; byte < 256; ++byte)
        value.push_back(static_cast<char>(byte));
    TJclSimpleXML document;
    document.SetRootName("v");
    document.Root().SetValue(value);
    const std::string written = document.SaveToString();
    std::string expected;
    for (int byte = 1; byte < 256; ++byte) {
        static const char* hex = "0123456789abcdef";
        switch (byte) {
        case '"': expected += "&quot;"; break;
        case '&': expected += "&amp;"; break;
        case '\'': expected += "&apos;"; break;
        case '<': expected += "&lt;"; break;
        case '>': expected += "&gt;"; break;
        default:
            if (byte >= 0x80)
                expected += std::string("&#x") + hex[byte >> 4] + hex[byte & 15] + ";";
            else
                expected.push_back(static_cast<char>(byte));
        }
    }
    EXPECT_EQ(written, CrLfLines({DefaultDeclaration, "<v>" + expected + "</v>"}));
    // And every byte comes back as itself.
    TJclSimpleXML reread;
    reread.LoadFromString(written);
    EXPECT_EQ(reread.Root().Value(), value);
}

TEST(XmlWrite, NamesAndAttributeValuesAreEncodedAttributeNamesAreNot)
{
    TJclSimpleXML document;
    document.SetRootName("r\xE9");
    document.Root().Properties().Add("a-b", "x\"y<\xFF", "ns");
    TJclSimpleXMLElemClassic* child = document.Root().AppendChild("c");
    child->SetNameSpace("p");
    child->SetValue("Tom & Jerry.avi");
    EXPECT_EQ(document.SaveToString(), CrLfLines({DefaultDeclaration, "<r&#xe9; ns:a-b=\"x&quot;y&lt;&#xff;\">",
                                                  "  <p:c>Tom &amp; Jerry.avi</p:c>", "</r&#xe9;>"}));
}

TEST(XmlWrite, DeclarationPiecesFollowItsFields)
{
    TJclSimpleXML document;
    document.SetRootName("r");
    TJclSimpleXMLElemHeader& header = document.Prolog().EnsureHeader();
    header.SetEncoding("");
    header.SetStandalone(true);
    EXPECT_EQ(document.SaveToString(), CrLfLines({"<?xml version=\"1.0\" standalone=\"yes\"?>", "<r/>"}));
}

TEST(XmlWrite, NamelessRootWritesOnlyItsChildren)
{
    TJclSimpleXML document;
    EXPECT_EQ(document.SaveToString(), CrLfLines({DefaultDeclaration}));
    document.Root().AppendChild("a");
    EXPECT_EQ(document.SaveToString(), CrLfLines({DefaultDeclaration, "  <a/>"}));
}

TEST(XmlWrite, SetPrologEncodingReusesTheFirstDeclaration)
{
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetPrologEncoding("windows-1252");
    document.SetRootName("r");
    document.SetRootName("");
    EXPECT_EQ(document.Prolog().Count(), 1u);
    EXPECT_EQ(document.SaveToString(), CrLfLines({"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "<r/>"}));
}

} // namespace
