#include "list/JclSimpleXMLParser.h"

#include <algorithm>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsPropertyNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
}

// Bytes skipped before and between the prolog's nodes; among them the bytes of UTF-8 and UTF-16 byte order
// marks, which are skipped rather than interpreted.
bool IsPrologFiller(unsigned char c)
{
    return c == 0x00 || c == 0x09 || c == 0x0A || c == 0x0D || c == 0x20 || c == 0xBB || c == 0xBF || c == 0xEF
        || c == 0xFE || c == 0xFF;
}

[[noreturn]] void Fail(const std::string& message)
{
    throw EJclSimpleXMLError(message);
}

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (base == 16 && c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (base == 16 && c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value;
}

// The length of the named entity ("&amp;" ...) at the start of text and the byte it stands for; 0 when none.
size_t NamedEntity(std::string_view text, char& byte)
{
    static constexpr struct {
        std::string_view name;
        char byte;
    } entities[] = {{"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&apos;", '\''}, {"&quot;", '"'}};
    for (const auto& entity : entities) {
        if (text.size() >= entity.name.size() && JclSameName(text.substr(0, entity.name.size()), entity.name)) {
            byte = entity.byte;
            return entity.name.size();
        }
    }
    return 0;
}

// Appends a character above 255 as UTF-8.
void AppendUtf8(char32_t c, std::string& out)
{
    if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
}

// The length of the numeric reference (&#233; or &#xE9;) at the start of text, whose character is appended to
// out: up to 255 as that one byte, as the writer wrote every byte of a value; above it as the character in UTF-8,
// as other programs write non-ASCII characters. 0 when it is not one, and also when it stands for no character
// (0, a surrogate, past U+10FFFF), which no text can hold.
size_t NumericReference(std::string_view text, std::string& out)
{
    if (text.size() < 3 || text[1] != '#')
        return 0;
    size_t i = 2;
    int base = 10;
    if (text[i] == 'x' || text[i] == 'X') {
        base = 16;
        ++i;
    }
    const size_t digits = i;
    char32_t value = 0;
    for (int digit; i < text.size() && (digit = DigitValue(text[i], base)) >= 0; ++i)
        value = std::min<char32_t>(value * base + digit, 0x110000);
    if (i == digits || i == text.size() || text[i] != ';' || value == 0 || value >= 0x110000
        || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    if (value <= 0xFF)
        out.push_back(static_cast<char>(value));
    else
        AppendUtf8(value, out);
    return i + 1;
}

} // namespace

void TJclSimpleXML::DecodeValue(std::string_view value, std::string& out) const
{
    size_t done = 0;
    for (;;) {
        const size_t amp = value.find('&', done);
        if (amp == std::string_view::npos)
            break;
        out.append(value.data() + done, amp - done);
        const std::string_view rest = value.substr(amp);
        char byte;
        size_t length = NamedEntity(rest, byte);
        if (length > 0)
            out.push_back(byte);
        else
            length = NumericReference(rest, out);
        if (length == 0) {
            out.push_back('&');
            done = amp + 1;
        } else {
            done = amp + length;
        }
    }
    out.append(value.data() + done, value.size() - done);
}

TJclSimpleXMLParser::TJclSimpleXMLParser(
    const TJclSimpleXML& decoder, std::string_view data, TRootChildHandler onRootChild)
    : m_decoder(decoder), m_begin(data.data()), m_p(data.data()), m_end(data.data() + data.size()),
      m_onRootChild(std::move(onRootChild))
{
}

void TJclSimpleXMLParser::ChildRead(TJclSimpleXMLElem& element, TJclSimpleXMLElem& child, bool atRoot)
{
    if (!atRoot || !m_onRootChild)
        return;
    m_onRootChild(child);
    element.Items().Clear();
}

bool TJclSimpleXMLParser::StartsWith(std::string_view text) const
{
    return static_cast<size_t>(m_end - m_p) >= text.size() && std::memcmp(m_p, text.data(), text.size()) == 0;
}

bool TJclSimpleXMLParser::IsPrefixOfRest(std::string_view text) const
{
    const auto rest = static_cast<size_t>(m_end - m_p);
    return rest < text.size() && std::memcmp(m_p, text.data(), rest) == 0;
}

std::string_view TJclSimpleXMLParser::Ahead(size_t count) const
{
    return {m_p, std::min(count, static_cast<size_t>(m_end - m_p))};
}

std::string TJclSimpleXMLParser::Decoded(std::string_view raw) const
{
    std::string out;
    m_decoder.DecodeValue(raw, out);
    return out;
}

bool TJclSimpleXMLParser::IsEndTagOf(std::string_view endName, bool entity, const TJclSimpleXMLElem& element) const
{
    if (entity)
        return JclSameName(Decoded(endName), element.FullName());
    const std::string& prefix = element.NameSpace();
    if (prefix.empty())
        return JclSameName(endName, element.Name());
    return endName.size() == prefix.size() + 1 + element.Name().size() && endName[prefix.size()] == ':'
        && JclSameName(endName.substr(0, prefix.size()), prefix)
        && JclSameName(endName.substr(prefix.size() + 1), element.Name());
}

void TJclSimpleXMLParser::EndEarly(std::vector<std::string> open)
{
    m_earlyEnd.Complete = false;
    m_earlyEnd.Open = std::move(open);
    m_earlyEnd.Line = 1 + static_cast<size_t>(std::count(m_begin, m_end, '\n'));
}

TJclSimpleXMLEarlyEnd TJclSimpleXMLParser::ReadDocument(TJclSimpleXMLElemsProlog& prolog, TJclSimpleXMLElemClassic& root)
{
    ReadProlog(prolog, root);
    return std::move(m_earlyEnd);
}

void TJclSimpleXMLParser::ReadProlog(TJclSimpleXMLElemsProlog& prolog, TJclSimpleXMLElemClassic& root)
{
    while (!AtEnd()) {
        if (IsPrologFiller(static_cast<unsigned char>(*m_p))) {
            ++m_p;
            continue;
        }
        if (*m_p != '<')
            Fail("Invalid Document: Unexpected text in file prolog");
        if (StartsDeclaration()) {
            ReadHeader(prolog);
        } else if (StartsWith("<?xml-stylesheet")) {
            ReadSheet(prolog);
        } else if (StartsWith("<!--")) {
            prolog.Add(ReadComment());
        } else if (StartsWith("<!DOCTYPE")) {
            ReadDocType(prolog);
        } else if (StartsWith("<![CDATA[") || (m_end - m_p >= 2 && m_p[1] != '!' && m_p[1] != '?')) {
            ReadElement(root);
            return;
        } else if (IsPrefixOfRest("<?xml ") || IsPrefixOfRest("<?xml-stylesheet") || IsPrefixOfRest("<!--")
                   || IsPrefixOfRest("<!DOCTYPE") || IsPrefixOfRest("<![CDATA[")) {
            break; // the data ends inside the first bytes of a tag
        } else {
            Fail("Invalid Document: Unexpected text in file prolog");
        }
    }
    // Data with nothing in it is an empty document, not a cut one.
    if (!AtEnd() || prolog.Count() > 0)
        EndEarly({});
}

// "<?xml" and any blank after it (a line break or a tab as well as a space) open the declaration; "<?xml-"
// opens a stylesheet and anything else glued to the name is no declaration.
bool TJclSimpleXMLParser::StartsDeclaration() const
{
    return StartsWith("<?xml") && m_end - m_p > 5 && IsBlank(m_p[5]);
}

void TJclSimpleXMLParser::ReadHeader(TJclSimpleXMLElemsProlog& prolog)
{
    m_p += 5; // "<?xml"; the blank after it is read with the attributes
    auto header = std::make_unique<TJclSimpleXMLElemHeader>();
    header->SetName("xml");
    if (!ReadProperties(*header) || m_end - m_p < 2)
        Fail("Invalid Comment: Unexpected end of data");
    if (!StartsWith("?>"))
        Fail("Invalid Header: expected \"?>\" but found " + Quoted(Ahead(2)));
    m_p += 2;
    TJclSimpleXMLProps& props = header->Properties();
    const TJclSimpleXMLProp* version = props.ItemNamed("version");
    const TJclSimpleXMLProp* encoding = props.ItemNamed("encoding");
    const TJclSimpleXMLProp* standalone = props.ItemNamed("standalone");
    header->SetVersion(version ? version->Value : std::string());
    header->SetEncoding(encoding ? encoding->Value : std::string());
    header->SetStandalone(standalone && standalone->Value == "yes");
    props.Clear();
    prolog.Add(std::move(header));
}

void TJclSimpleXMLParser::ReadSheet(TJclSimpleXMLElemsProlog& prolog)
{
    m_p += 16; // "<?xml-stylesheet"
    auto sheet = std::make_unique<TJclSimpleXMLElemSheet>();
    sheet->SetName("xml-stylesheet");
    if (!ReadProperties(*sheet) || m_end - m_p < 2)
        Fail("Invalid Stylesheet: Unexpected end of data");
    if (!StartsWith("?>"))
        Fail("Invalid Stylesheet: expected \"?>\" but found " + Quoted(Ahead(2)));
    m_p += 2;
    prolog.Add(std::move(sheet));
}

void TJclSimpleXMLParser::ReadDocType(TJclSimpleXMLElemsProlog& prolog)
{
    m_p += 9; // "<!DOCTYPE"
    if (AtEnd())
        Fail("Invalid Comment: Unexpected end of data");
    if (!IsBlank(*m_p))
        Fail("Invalid Header: expected \" \" but found " + Quoted(Ahead(1)));
    SkipBlanks();
    // The text runs to the ">" that is neither quoted nor inside the internal subset's brackets.
    const char* start = m_p;
    char quote = 0;
    size_t brackets = 0;
    for (; !AtEnd(); ++m_p) {
        const char c = *m_p;
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++brackets;
        } else if (c == ']' && brackets > 0) {
            --brackets;
        } else if (c == '>' && brackets == 0) {
            break;
        }
    }
    if (AtEnd())
        Fail("Invalid Comment: Unexpected end of data");
    auto docType = std::make_unique<TJclSimpleXMLElemDocType>();
    docType->SetValue(std::string(start, m_p));
    ++m_p;
    prolog.Add(std::move(docType));
}

std::unique_ptr<TJclSimpleXMLElemComment> TJclSimpleXMLParser::ReadComment()
{
    if (IsPrefixOfRest("<!--"))
        Fail("Invalid Comment: Unexpected end of data");
    if (!StartsWith("<!--"))
        Fail("Invalid Comment: expected \"<!--\" but found " + Quoted(Ahead(4)));
    m_p += 4;
    const char* start = m_p;
    for (;;) {
        const auto* dash = static_cast<const char*>(std::memchr(m_p, '-', m_end - m_p));
        if (!dash || m_end - dash < 3)
            Fail("Invalid Comment: Unexpected end of data");
        if (dash[1] != '-') {
            m_p = dash + 1;
            continue;
        }
        if (dash[2] != '>')
            Fail("Invalid Comment: \"--\" not allowed inside comments");
        auto comment = std::make_unique<TJclSimpleXMLElemComment>();
        comment->SetValue(std::string(start, dash));
        m_p = dash + 3;
        return comment;
    }
}

std::unique_ptr<TJclSimpleXMLElemCData> TJclSimpleXMLParser::ReadCData()
{
    if (IsPrefixOfRest("<![CDATA["))
        Fail("Invalid CDATA: Unexpected end of data");
    if (!StartsWith("<![CDATA["))
        Fail("Invalid CDATA: expected \"<![CDATA[\" but found " + Quoted(Ahead(9)));
    m_p += 9;
    const std::string_view rest(m_p, m_end - m_p);
    const size_t close = rest.find("]]>");
    if (close == std::string_view::npos)
        Fail("Invalid CDATA: Unexpected end of data");
    auto cdata = std::make_unique<TJclSimpleXMLElemCData>();
    cdata->SetValue(std::string(rest.substr(0, close)));
    m_p += close + 3;
    return cdata;
}

bool TJclSimpleXMLParser::ReadProperties(TJclSimpleXMLElem& owner)
{
    for (;;) {
        SkipBlanks();
        if (AtEnd())
            return false;
        if (*m_p == '/' || *m_p == '>' || *m_p == '?')
            return true;
        const char* start = m_p;
        const char* colon = nullptr;
        for (; !AtEnd() && (IsPropertyNameChar(*m_p) || (*m_p == ':' && !colon)); ++m_p)
            if (*m_p == ':')
                colon = m_p;
        if (AtEnd())
            return false;
        if (m_p == start)
            Fail("Invalid XML Element: Unexpected character in property declaration (" + Quoted(Ahead(1))
                 + " found)");
        const char* nameEnd = m_p;
        SkipBlanks();
        if (AtEnd())
            return false;
        if (*m_p != '=')
            Fail("Invalid XML Element: Unexpected character in property declaration (" + Quoted(Ahead(1))
                 + " found)");
        ++m_p;
        SkipBlanks();
        if (AtEnd())
            return false;
        const char quote = *m_p;
        if (quote != '"' && quote != '\'')
            Fail("Invalid XML Element: Unexpected character in property declaration. Expecting \" or ' but "
                 + Quoted(Ahead(1)) + "  found");
        ++m_p;
        const auto* close = static_cast<const char*>(std::memchr(m_p, quote, m_end - m_p));
        if (!close) {
            m_p = m_end;
            return false;
        }
        std::string name = colon ? std::string(colon + 1, nameEnd) : std::string(start, nameEnd);
        std::string nameSpace = colon ? std::string(start, colon) : std::string();
        owner.Properties().Add(std::move(name), Decoded({m_p, close}), std::move(nameSpace));
        m_p = close + 1;
    }
}

bool TJclSimpleXMLParser::ReadTagName(std::string& prefix, std::string& name)
{
    if (AtEnd())
        return false;
    if (*m_p != '<')
        Fail("Invalid XML Element: Expected beginning of tag but " + Quoted(Ahead(1)) + " found");
    ++m_p;
    if (AtEnd())
        return false;
    if (IsBlank(*m_p))
        Fail("Invalid XML Element: malformed tag found (no valid name)");
    const char* start = m_p;
    const char* colon = nullptr;
    bool entity = false;
    for (; !AtEnd() && !IsBlank(*m_p) && *m_p != '/' && *m_p != '>'; ++m_p) {
        if (*m_p == ':' && !colon)
            colon = m_p;
        entity = entity || *m_p == '&';
    }
    if (AtEnd())
        return false;
    // Names are read once per element; one without '&' decodes to itself, which the scan above already tells.
    const std::string_view rawPrefix = colon ? std::string_view(start, colon) : std::string_view();
    const std::string_view rawName = colon ? std::string_view(colon + 1, m_p) : std::string_view(start, m_p);
    prefix = entity ? Decoded(rawPrefix) : std::string(rawPrefix);
    name = entity ? Decoded(rawName) : std::string(rawName);
    return true;
}

bool TJclSimpleXMLParser::ReadTagRest(TJclSimpleXMLElem& element, bool& open)
{
    if (IsBlank(*m_p) && !ReadProperties(element))
        return false;
    if (*m_p == '/') {
        if (m_end - m_p < 2)
            return false;
        if (m_p[1] != '>')
            Fail("Invalid XML Element: Expected end of tag but " + Quoted({m_p + 1, 1}) + " found");
        m_p += 2;
        open = false;
        return true;
    }
    if (*m_p != '>')
        Fail("Invalid XML Element: Expected end of tag but " + Quoted(Ahead(1)) + " found");
    ++m_p;
    open = true;
    return true;
}

void TJclSimpleXMLParser::ReadElement(TJclSimpleXMLElemClassic& element)
{
    std::string prefix;
    std::string name;
    if (!ReadTagName(prefix, name))
        return EndEarly({});
    // A nameless tag keeps the element's name (a document's root keeps the name it was given).
    if (!name.empty()) {
        element.SetName(std::move(name));
        element.SetNameSpace(std::move(prefix));
    }
    bool open = false;
    if (!ReadTagRest(element, open))
        return EndEarly({element.FullName()});
    if (open)
        ReadContent(element);
}

void TJclSimpleXMLParser::ReadContent(TJclSimpleXMLElem& element)
{
    // One frame per open element. Text read while an element has no other child waits in `text`: when the
    // end tag follows, it becomes the element's value and no text node is made.
    struct Frame {
        TJclSimpleXMLElem* element;
        std::string text;
        bool hasText = false;
    };
    auto flushText = [](Frame& frame) {
        if (!frame.hasText)
            return;
        auto node = std::make_unique<TJclSimpleXMLElemText>();
        node->SetValue(std::move(frame.text));
        frame.element->Items().Add(std::move(node));
        frame.hasText = false;
    };
    std::vector<Frame> stack;
    stack.push_back(Frame{&element, {}, false});
    // Whatever was read stays; the elements still open are noted, with the one whose start tag was cut.
    auto stop = [&](const TJclSimpleXMLElem* cut = nullptr) {
        std::vector<std::string> open;
        for (Frame& frame : stack) {
            flushText(frame);
            open.push_back(frame.element->FullName());
        }
        if (cut)
            open.push_back(cut->FullName());
        EndEarly(std::move(open));
    };
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const char* previousEnd = m_p;
        SkipBlanks();
        if (AtEnd())
            return stop();
        if (*m_p != '<') {
            const auto* next = static_cast<const char*>(std::memchr(m_p, '<', m_end - m_p));
            m_p = next ? next : m_end;
            flushText(frame);
            frame.text = Decoded({previousEnd, m_p});
            frame.hasText = true;
            if (frame.element->NumChildren() > 0)
                flushText(frame);
            continue;
        }
        if (m_end - m_p < 2)
            return stop();
        if (m_p[1] == '/') {
            if (frame.element->NumChildren() == 0 && !frame.hasText && previousEnd < m_p) {
                frame.text.assign(previousEnd, m_p);
                frame.hasText = true;
            }
            m_p += 2;
            const char* nameStart = m_p;
            bool entity = false;
            for (; !AtEnd() && !IsBlank(*m_p) && *m_p != '>'; ++m_p)
                entity = entity || *m_p == '&';
            const std::string_view endName(nameStart, m_p - nameStart);
            SkipBlanks();
            if (AtEnd())
                return stop();
            if (*m_p != '>')
                Fail("Invalid XML Element: Expected end of tag but " + Quoted(Ahead(1)) + " found");
            ++m_p;
            if (!IsEndTagOf(endName, entity, *frame.element))
                Fail("Invalid XML Element: Erroneous end of tag, expecting </" + frame.element->FullName()
                     + "> but </" + std::string(endName) + "> found");
            if (frame.hasText)
                frame.element->SetValue(std::move(frame.text));
            TJclSimpleXMLElem* closed = frame.element;
            stack.pop_back();
            if (!stack.empty())
                ChildRead(*stack.front().element, *closed, stack.size() == 1);
            continue;
        }
        if (m_p[1] == '!' && (m_end - m_p < 3 || m_p[2] == '-' || m_p[2] == '[')) {
            if (m_end - m_p < 3)
                return stop();
            flushText(frame);
            if (m_p[2] == '-')
                frame.element->Items().Add(ReadComment());
            else
                frame.element->Items().Add(ReadCData());
            continue;
        }
        if (stack.size() >= TJclSimpleXML::MaxDepth)
            Fail("Invalid XML Element: elements nested deeper than " + std::to_string(TJclSimpleXML::MaxDepth)
                 + " levels");
        std::string prefix;
        std::string name;
        if (!ReadTagName(prefix, name))
            return stop();
        flushText(frame);
        TJclSimpleXMLElemClassic* child = frame.element->Items().Add(std::move(name));
        child->SetNameSpace(std::move(prefix));
        bool open = false;
        if (!ReadTagRest(*child, open))
            return stop(child);
        if (open)
            stack.push_back(Frame{child, {}, false});
        else
            ChildRead(*stack.front().element, *child, stack.size() == 1);
    }
}
