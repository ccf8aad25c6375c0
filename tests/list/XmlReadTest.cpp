#include "XmlTestSupport.h"

#include <gtest/gtest.h>

namespace {

const std::string DefaultDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>";

struct RewriteCase {
    const char* name;
    std::string input;
    std::string written;
};

class XmlRewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(XmlRewrite, WritesBackExpectedBytes)
{
    EXPECT_EQ(Rewritten(GetParam().input), GetParam().written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlRewrite,
    ::testing::Values(
        RewriteCase{"Empty", "", CrLfLines({DefaultDeclaration})},
        RewriteCase{"Utf8MarkSkippedBytesKept", "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<a>caf\xC3\xA9</a>",
                    CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<a>caf&#xc3;&#xa9;</a>"})},
        RewriteCase{"Utf16MarkSkipped", "\xFF\xFE<a/>", CrLfLines({DefaultDeclaration, "<a/>"})},
        RewriteCase{"DeclarationWithoutEncodingStaysWithout", "<?xml version='1.1'?><a/>",
                    CrLfLines({"<?xml version=\"1.1\"?>", "<a/>"})},
        RewriteCase{"DeclarationNameThenLineBreak", "<?xml\nversion=\"1.0\"\nencoding=\"UTF-8\"?>\n<a/>",
                    CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<a/>"})},
        RewriteCase{"DeclarationNameThenCrLf", "<?xml\r\n  version=\"1.0\"?><a/>",
                    CrLfLines({"<?xml version=\"1.0\"?>", "<a/>"})},
        RewriteCase{"DeclarationNameThenTab", "<?xml\tversion='1.0'\tencoding='UTF-8'?><a/>",
                    CrLfLines({"<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<a/>"})},
        RewriteCase{"DeclarationNameThenCr", "<?xml\rversion='1.0' standalone='yes'?><a/>",
                    CrLfLines({"<?xml version=\"1.0\" standalone=\"yes\"?>", "<a/>"})},
        RewriteCase{"StandaloneOnlyWhenYes", "<?xml version=\"1.0\" standalone=\"no\"?><a/><?xml version=\"1.0\"?>",
                    CrLfLines({"<?xml version=\"1.0\"?>", "<a/>"})},
        RewriteCase{"PrologNodesWrittenBackInOrder",
                    "<!-- made by hand -->\n<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
                    "<?xml-stylesheet type=\"text/xsl\" href=\"a&amp;b.xsl\"?>\n<!DOCTYPE list [ <!ENTITY x \">\"> ]>\n"
                    "<list/>",
                    CrLfLines({"<!-- made by hand -->",
                               "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>",
                               "<?xml-stylesheet type=\"text/xsl\" href=\"a&amp;b.xsl\"?>",
                               "<!DOCTYPE list [ <!ENTITY x \">\"> ]>", "<list/>"})},
        RewriteCase{"MissingDeclarationGoesFirst", "<!--c--><a/>",
                    CrLfLines({DefaultDeclaration, "<!--c-->", "<a/>"})},
        RewriteCase{"EmptyElementsReadBackEmpty", "<a><b></b><c/><d x='1'/></a>",
                    CrLfLines({DefaultDeclaration, "<a>", "  <b/>", "  <c/>", "  <d x=\"1\"/>", "</a>"})},
        RewriteCase{"BlanksOnlyContentIsTheValue", "<a><b>  \t</b></a>",
                    CrLfLines({DefaultDeclaration, "<a>", "  <b>  \t</b>", "</a>"})},
        RewriteCase{"TextKeepsItsBlanks", "<a>  x y \r\n</a>", CrLfLines({DefaultDeclaration, "<a>  x y \r\n</a>"})},
        RewriteCase{"ValuesDecodedExactlyOnce", "<a>&amp;lt;&#38;</a>", CrLfLines({DefaultDeclaration, "<a>&amp;lt;&amp;</a>"})},
        RewriteCase{"MixedContentKeepsTextNodes", "<a>t<b/> u </a>",
                    CrLfLines({DefaultDeclaration, "<a>", "  t", "  <b/>", "   u ", "</a>"})},
        RewriteCase{"CommentAndCDataAreChildren", "<a> <!-- c --> <![CDATA[<x>&amp;]]> </a>",
                    CrLfLines({DefaultDeclaration, "<a>", "  <!-- c -->", "  <![CDATA[<x>&amp;]]>", "</a>"})},
        RewriteCase{"PrefixesKept", "<p:a q:x=\"1\"><p:b>v</P:B></p:A>",
                    CrLfLines({DefaultDeclaration, "<p:a q:x=\"1\">", "  <p:b>v</p:b>", "</p:a>"})},
        RewriteCase{"AttributeSyntax", "<a  x = '\"' y=\"'\"\tz=\"&#xE9;&lt;\"w='1'/>",
                    CrLfLines({DefaultDeclaration, "<a x=\"&quot;\" y=\"&apos;\" z=\"&#xe9;&lt;\" w=\"1\"/>"})},
        RewriteCase{"EndTagNameIgnoresCaseAndBlanks", "<Item>1</ITEM  >", CrLfLines({DefaultDeclaration, "<Item>1</Item>"})},
        RewriteCase{"NothingAfterRootIsRead", "<a/>trailing < garbage &", CrLfLines({DefaultDeclaration, "<a/>"})},
        RewriteCase{"TruncatedKeepsWhatWasRead", "<a><b>1</b><c>par",
                    CrLfLines({DefaultDeclaration, "<a>", "  <b>1</b>", "  <c>", "    par", "  </c>", "</a>"})},
        RewriteCase{"TruncatedInsideTag", "<a><b y=\"2\" x=\"1", CrLfLines({DefaultDeclaration, "<a>", "  <b y=\"2\"/>", "</a>"})},
        RewriteCase{"TruncatedPrologTag", "<?xm", CrLfLines({DefaultDeclaration})}),
    [](const auto& info) { return std::string(info.param.name); });

struct DecodeCase {
    const char* name;
    std::string text;
    std::string value;
};

class XmlDecode : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(XmlDecode, ValueReadFromFile)
{
    TJclSimpleXML document;
    document.LoadFromString("<a>" + GetParam().text + "</a>");
    EXPECT_EQ(document.Root().Value(), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlDecode,
    ::testing::Values(DecodeCase{"NamedAnyCase", "&AMP;&Lt;&gT;&apos;&QUOT;", "&<>'\""},
                      DecodeCase{"Decimal", "&#233;x", "\xE9x"}, DecodeCase{"HexLower", "&#xe9;", "\xE9"},
                      DecodeCase{"HexUpperX", "&#XE9;", "\xE9"},
                      DecodeCase{"AboveByteIsTheCharacterInUtf8", "&#321;&#x141;&#8211;&#x1F3AC;",
                                 "\xC5\x81\xC5\x81\xE2\x80\x93\xF0\x9F\x8E\xAC"},
                      DecodeCase{"ZeroStays", "&#0;&#x00;", "&#0;&#x00;"},
                      DecodeCase{"FirstAboveByte", "&#256;&#x100;", "\xC4\x80\xC4\x80"},
                      DecodeCase{"NoCharacterStays", "&#99999999999999999999999;&#xD800;&#x110000;",
                                 "&#99999999999999999999999;&#xD800;&#x110000;"},
                      DecodeCase{"NoSemicolonStays", "&#65 &#65", "&#65 &#65"},
                      DecodeCase{"NotANumberStays", "&#;&#x;&#1a;&#xg;", "&#;&#x;&#1a;&#xg;"},
                      DecodeCase{"OtherAmpersandsStay", "a & b &foo; &", "a & b &foo; &"},
                      DecodeCase{"EntityWithoutSemicolonStays", "&amp &lt", "&amp &lt"}),
    [](const auto& info) { return std::string(info.param.name); });

struct ErrorCase {
    const char* name;
    std::string input;
    std::string message;
};

class XmlParseError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(XmlParseError, RaisesMessage)
{
    EXPECT_EQ(ParseError(GetParam().input), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, XmlParseError,
    ::testing::Values(
        ErrorCase{"TextInProlog", "x<a/>", "Invalid Document: Unexpected text in file prolog"},
        ErrorCase{"UnknownInstructionInProlog", "<?php echo 1 ?><a/>", "Invalid Document: Unexpected text in file prolog"},
        ErrorCase{"DeclarationNameRunsOn", "<?xmlversion=\"1.0\"?><a/>", "Invalid Document: Unexpected text in file prolog"},
        ErrorCase{"DeclarationNotClosed", "<?xml version=\"1.0\"><a/>", "Invalid Header: expected \"?>\" but found \"><\""},
        ErrorCase{"DeclarationCutShort", "<?xml version=\"1.0\"", "Invalid Comment: Unexpected end of data"},
        ErrorCase{"DocTypeWithoutBlank", "<!DOCTYPEa><a/>", "Invalid Header: expected \" \" but found \"a\""},
        ErrorCase{"DocTypeCutShort", "<!DOCTYPE a [ <!ENTITY x \">\"> ", "Invalid Comment: Unexpected end of data"},
        ErrorCase{"CommentCutShort", "<!-- a -", "Invalid Comment: Unexpected end of data"},
        ErrorCase{"DoubleDashInComment", "<!-- a -- b --><a/>", "Invalid Comment: \"--\" not allowed inside comments"},
        ErrorCase{"MalformedCommentStart", "<a><!-x></a>", "Invalid Comment: expected \"<!--\" but found \"<!-x\""},
        ErrorCase{"CommentInContentCutShort", "<a><!--x", "Invalid Comment: Unexpected end of data"},
        ErrorCase{"MalformedCDataStart", "<a><![CDATX[x]]></a>",
                  "Invalid CDATA: expected \"<![CDATA[\" but found \"<![CDATX[\""},
        ErrorCase{"MalformedCDataStartNearTheEnd", "<a><![CA[", "Invalid CDATA: expected \"<![CDATA[\" but found \"<![CA[\""},
        ErrorCase{"CDataCutShort", "<a><![CDATA[x</a>", "Invalid CDATA: Unexpected end of data"},
        ErrorCase{"StylesheetNotClosed", "<?xml-stylesheet href=\"a\"><a/>",
                  "Invalid Stylesheet: expected \"?>\" but found \"><\""},
        ErrorCase{"StylesheetCutShort", "<?xml-stylesheet href=\"a\"", "Invalid Stylesheet: Unexpected end of data"},
        ErrorCase{"SlashWithoutGreater", "<a/x>", "Invalid XML Element: Expected end of tag but \"x\" found"},
        ErrorCase{"QuestionMarkClosingElement", "<a x='1'?>", "Invalid XML Element: Expected end of tag but \"?\" found"},
        ErrorCase{"BlankAfterLess", "< a/>", "Invalid XML Element: malformed tag found (no valid name)"},
        ErrorCase{"ChildBlankAfterLess", "<a>< b/></a>", "Invalid XML Element: malformed tag found (no valid name)"},
        ErrorCase{"WrongEndTag", "<a><b></a></b>",
                  "Invalid XML Element: Erroneous end of tag, expecting </b> but </a> found"},
        ErrorCase{"WrongPrefixInEndTag", "<p:a></q:a>",
                  "Invalid XML Element: Erroneous end of tag, expecting </p:a> but </q:a> found"},
        ErrorCase{"BadAttributeNameChar", "<a x.y=\"1\"/>",
                  "Invalid XML Element: Unexpected character in property declaration (\".\" found)"},
        ErrorCase{"AttributeWithoutEquals", "<a x \"1\"/>",
                  "Invalid XML Element: Unexpected character in property declaration (\"\"\" found)"},
        ErrorCase{"AttributeWithoutValue", "<a x/>",
                  "Invalid XML Element: Unexpected character in property declaration (\"/\" found)"},
        ErrorCase{"UnquotedAttribute", "<a x=1/>",
                  "Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but \"1\"  found"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(XmlRead, ElementMustStartWithLess)
{
    TJclSimpleXMLElemClassic element;
    try {
        element.LoadFromString("a/>");
        FAIL() << "no error";
    } catch (const EJclSimpleXMLError& error) {
        EXPECT_EQ(error.Message(), "Invalid XML Element: Expected beginning of tag but \"a\" found");
    }
    element.LoadFromString("<b x='1'>v</b><c/>");
    EXPECT_EQ(element.Name(), "b");
    EXPECT_EQ(element.Value(), "v");
    EXPECT_EQ(element.Properties().ItemNamed("X")->Value, "1");
}

TEST(XmlRead, ChildNamedFindsTheLastOfAnyCase)
{
    TJclSimpleXML document;
    document.LoadFromString("<r><ext>a</ext><EXT>b</EXT><other/><Ext>c</Ext><tail/></r>");
    TJclSimpleXMLElem& root = document.Root();
    ASSERT_EQ(root.NumChildren(), 5u);
    EXPECT_EQ(root.ChildNamed("ext")->Value(), "c");
    EXPECT_EQ(root.ChildNamed("eXt"), root.ChildAt(3));
    EXPECT_EQ(root.ChildNamed("missing"), nullptr);
    EXPECT_THROW(root.ChildAt(5), EListError);
}

TEST(XmlRead, ChildNamedStaysRightAsAManyChildListGrowsAndChanges)
{
    TJclSimpleXML document;
    TJclSimpleXMLElem& root = document.Root();
    for (int i = 0; i < 100; ++i)
        root.AppendChild("n" + std::to_string(i % 10))->SetValue(std::to_string(i));
    EXPECT_EQ(root.ChildNamed("N3")->Value(), "93");
    root.AppendChild("n3")->SetValue("late");
    EXPECT_EQ(root.ChildNamed("n3")->Value(), "late");
    root.ChildAt(100)->SetName("renamed");
    EXPECT_EQ(root.ChildNamed("n3")->Value(), "93");
    EXPECT_EQ(root.ChildNamed("RENAMED")->Value(), "late");
    root.ClearContent();
    EXPECT_EQ(root.ChildNamed("n3"), nullptr);
    root.AppendChild("n3")->SetValue("again");
    EXPECT_EQ(root.ChildNamed("n3")->Value(), "again");
}

TEST(XmlRead, LoadReplacesPrologAndContentButKeepsRootNameWhenEmpty)
{
    TJclSimpleXML document;
    document.SetPrologEncoding("UTF-8");
    document.SetRootName("list");
    document.Root().AppendChild("item");
    document.LoadFromString("");
    EXPECT_EQ(document.Root().Name(), "list");
    EXPECT_EQ(document.Root().NumChildren(), 0u);
    EXPECT_EQ(document.Prolog().Count(), 0u);

    document.LoadFromString("<?xml version=\"1.0\"?><catalogue><x/></catalogue>");
    EXPECT_EQ(document.Root().Name(), "catalogue");
    EXPECT_EQ(document.Prolog().Header()->Encoding(), "");
    EXPECT_EQ(document.Root().NumChildren(), 1u);
    EXPECT_EQ(document.Root().ChildAt(0)->Parent(), &document.Root());
}

} // namespace
