#pragma once

#include "list/JclSimpleXML.h"

#include <initializer_list>
#include <string>
#include <string_view>

// Joins lines the way the document writer ends them: each followed by CR LF.
inline std::string CrLfLines(std::initializer_list<std::string_view> lines)
{
    std::string joined;
    for (std::string_view line : lines) {
        joined += line;
        joined += "\r\n";
    }
    return joined;
}

// The bytes a document holding xml writes back.
inline std::string Rewritten(std::string_view xml)
{
    TJclSimpleXML document;
    document.LoadFromString(xml);
    return document.SaveToString();
}

// The message of the parse error xml raises, or "" when it loads.
inline std::string ParseError(std::string_view xml)
{
    try {
        TJclSimpleXML document;
        document.LoadFromString(xml);
    } catch (const EJclSimpleXMLError& error) {
        return error.Message();
    }
    return {};
}
