#pragma once

#include "list/JclSimpleXML.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reads a document from bytes in memory. Elements are read with an explicit stack, never by recursion, so
// no input can exhaust the call stack; nesting deeper than TJclSimpleXML::MaxDepth is refused.
class TJclSimpleXMLParser {
public:
    // A child of the root, handed over as soon as it is read whole and dropped from the root afterwards.
    using TRootChildHandler = std::function<void(TJclSimpleXMLElem& child)>;

    // decoder supplies DecodeValue for names and values. With onRootChild, the root's children are handed over
    // one by one instead of kept, so a document of any length is read in the memory of one child.
    TJclSimpleXMLParser(const TJclSimpleXML& decoder, std::string_view data, TRootChildHandler onRootChild = {});

    // Reads the prolog nodes into prolog and the root element into root (whose name is only replaced by a
    // non-empty one). Stops without error where the data ends, and says so in what it returns; what follows the
    // root's end tag is not read.
    TJclSimpleXMLEarlyEnd ReadDocument(TJclSimpleXMLElemsProlog& prolog, TJclSimpleXMLElemClassic& root);
    // Reads one element whose "<" must be the first byte.
    void ReadElement(TJclSimpleXMLElemClassic& element);

private:
    bool AtEnd() const { return m_p >= m_end; }
    // Notes that the data ended with these elements open (outermost first).
    void EndEarly(std::vector<std::string> open);
    bool StartsWith(std::string_view text) const;
    bool IsPrefixOfRest(std::string_view text) const;
    bool StartsDeclaration() const;
    // Up to count bytes from the current position, for error messages.
    std::string_view Ahead(size_t count) const;
    // Called between every two tokens; kept here so that it is inlined into the loops that call it.
    void SkipBlanks()
    {
        while (m_p < m_end && (*m_p == ' ' || *m_p == '\t' || *m_p == '\r' || *m_p == '\n'))
            ++m_p;
    }
    std::string Decoded(std::string_view raw) const;
    // Whether an end tag's (raw) name closes element: same prefix and name, letter case ignored; entity says
    // whether the raw name holds a '&' and so has to be decoded first.
    bool IsEndTagOf(std::string_view endName, bool entity, const TJclSimpleXMLElem& element) const;

    // Reads the prolog's nodes and then the root element.
    void ReadProlog(TJclSimpleXMLElemsProlog& prolog, TJclSimpleXMLElemClassic& root);
    void ReadHeader(TJclSimpleXMLElemsProlog& prolog);
    void ReadSheet(TJclSimpleXMLElemsProlog& prolog);
    void ReadDocType(TJclSimpleXMLElemsProlog& prolog);
    std::unique_ptr<TJclSimpleXMLElemComment> ReadComment();
    std::unique_ptr<TJclSimpleXMLElemCData> ReadCData();
    // Reads attributes into owner up to a "/", ">" or "?" outside a value; false when the data ended first.
    bool ReadProperties(TJclSimpleXMLElem& owner);
    // Reads "<" and the element name (decoded); false when the data ended first.
    bool ReadTagName(std::string& prefix, std::string& name);
    // Reads the attributes and the end of the start tag; false when the data ended first. Sets open when
    // the element has content to read (the tag ended in ">").
    bool ReadTagRest(TJclSimpleXMLElem& element, bool& open);
    // Reads the content of element and of every element opened inside it, up to element's end tag.
    void ReadContent(TJclSimpleXMLElem& element);
    // A child of element was read whole: handed over and dropped when element is the root read with a handler.
    void ChildRead(TJclSimpleXMLElem& element, TJclSimpleXMLElem& child, bool atRoot);

    const TJclSimpleXML& m_decoder;
    const char* m_begin;
    const char* m_p;
    const char* m_end;
    TJclSimpleXMLEarlyEnd m_earlyEnd;
    TRootChildHandler m_onRootChild;
};
