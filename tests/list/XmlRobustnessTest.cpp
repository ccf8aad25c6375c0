#include "XmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

std::string Nested(size_t levels, bool closed)
{
    std::string xml;
    xml.reserve(levels * 7);
    for (size_t i = 0; i < levels; ++i)
        xml += "<a>";
    if (closed)
        for (size_t i = 0; i < levels; ++i)
            xml += "</a>";
    return xml;
}

TEST(XmlRobustness, NestingUpToTheLimitLoads)
{
    TJclSimpleXML document;
    document.LoadFromString(Nested(TJclSimpleXML::MaxDepth, true));
    const TJclSimpleXMLElem* deepest = &document.Root();
    size_t levels = 1;
    while (deepest->NumChildren() > 0) {
        deepest = deepest->ChildAt(0);
        ++levels;
    }
    EXPECT_EQ(levels, TJclSimpleXML::MaxDepth);
}

TEST(XmlRobustness, DeeperNestingIsRefusedWithAClearMessage)
{
    const std::string expected = "Invalid XML Element: elements nested deeper than 256 levels";
    EXPECT_EQ(ParseError(Nested(TJclSimpleXML::MaxDepth + 1, true)), expected);
    EXPECT_EQ(ParseError(Nested(200000, true)), expected);
    EXPECT_EQ(ParseError(Nested(200000, false)), expected);
}

TEST(XmlRobustness, VeryDeepTreesBuiltInMemoryAreWrittenAndFreed)
{
    auto document = std::make_unique<TJclSimpleXML>();
    document->SetRootName("a");
    TJclSimpleXMLElem* node = &document->Root();
    for (int i = 0; i < 3000; ++i)
        node = node->AppendChild("a");
    node->SetValue("v");
    const std::string written = document->SaveToString();
    const std::string deepestLine = std::string(2 * 3000, ' ') + "<a>v</a>\r\n";
    EXPECT_NE(written.find("\r\n" + deepestLine), std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 6), "</a>\r\n");
    for (int i = 0; i < 1000000; ++i)
        node = node->AppendChild("a");
    document.reset(); // a million levels: freeing must not recurse
    SUCCEED();
}

TEST(XmlRobustness, TenMegabytesOfAttributesLoad)
{
    const std::string big(10 << 20, 'x');
    TJclSimpleXML document;
    document.LoadFromString("<a one=\"" + big + "\" two='&amp;'/>");
    EXPECT_EQ(document.Root().Properties().ItemNamed("one")->Value.size(), big.size());
    EXPECT_EQ(document.Root().Properties().ItemNamed("TWO")->Value, "&");

    std::string many = "<a";
    for (int i = 0; i < 800000; ++i)
        many += " n" + std::to_string(i % 1000) + "='" + std::to_string(i) + "'";
    many += "/>";
    ASSERT_GT(many.size(), 10u << 20);
    document.LoadFromString(many);
    TJclSimpleXMLProps& props = document.Root().Properties();
    EXPECT_EQ(props.Count(), 800000u);
    EXPECT_EQ(props.ItemNamed("n7")->Value, "799007");
}

TEST(XmlRobustness, ListFileCutAtEveryByteKeepsWhatWasRead)
{
    const std::string file
        = CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<list>", "  <item>",
                     "    <filename>C:\\Videos\\clip.avi</filename>", "    <format>2</format>", "    <path/>",
                     "  </item>", "  <item>", "    <filename>D:\\Movies\\Caf&#xe9; &amp; co.mpg</filename>",
                     "    <format>0</format>", "    <path>D:\\Out</path>", "  </item>", "</list>"});
    const size_t declarationEnd = file.find("?>") + 2;
    size_t itemsBefore = 0;
    for (size_t cut = 0; cut <= file.size(); ++cut) {
        TJclSimpleXML document;
        // "<?xml " is recognised once its blank is there; before that a cut only shortens the prolog.
        if (cut >= 6 && cut < declarationEnd) {
            EXPECT_EQ(ParseError(file.substr(0, cut)), "Invalid Comment: Unexpected end of data") << cut;
            continue;
        }
        ASSERT_NO_THROW(document.LoadFromString(file.substr(0, cut))) << cut;
        const size_t items = document.Root().NumChildren();
        EXPECT_GE(items, itemsBefore) << cut;
        itemsBefore = items;
    }
    EXPECT_EQ(itemsBefore, 2u);
}

TEST(XmlRobustness, RichDocumentCutAtEveryByteNeverCrashes)
{
    const std::string file = "\xEF\xBB\xBF<!-- c -->\n<?xml version=\"1.0\"?>\n<?xml-stylesheet href=\"a\"?>\n"
                             "<!DOCTYPE r [ <!ENTITY x \">\"> ]>\n<p:r a='1' b=\"&#xe9;\">\n t &lt; <i>&#65;</i>"
                             "<![CDATA[<raw>]]><!-- d --><I/>\n</p:R>\n";
    size_t loaded = 0;
    for (size_t cut = 0; cut <= file.size(); ++cut) {
        try {
            TJclSimpleXML document;
            document.LoadFromString(file.substr(0, cut));
            document.LoadFromString(document.SaveToString());
            ++loaded;
        } catch (const EJclSimpleXMLError&) {
        }
    }
    EXPECT_GT(loaded, file.size() / 2);
}

} // namespace
