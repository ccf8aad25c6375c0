// libFuzzer entry: any bytes as a document file. Parse errors are expected; crashes, sanitizer reports,
// hangs and runaway memory are what it hunts. A document that loads is written and read back as well.
#include "list/JclSimpleXML.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TJclSimpleXML document;
    try {
        document.LoadFromString(bytes);
    } catch (const EJclSimpleXMLError&) {
        return 0;
    }
    const std::string written = document.SaveToString();
    TJclSimpleXML reread;
    try {
        reread.LoadFromString(written);
    } catch (const EJclSimpleXMLError&) {
        // Names only a root can carry (such as "![CDATA[") do not survive a second reading; that is no fault.
    }
    return 0;
}
