#include "list/ListFileReader.h"

#include "list/ChoiceElements.h"
#include "list/JclSimpleXML.h"
#include "platform/FileSystem.h"
#include "toolkit/FileNames.h"
#include "toolkit/SysUtils.h"
#include "toolkit/Utf8Pieces.h"

namespace
{

// The Western European code page (Windows-1252) where it differs from Latin-1: 0x80 to 0x9F hold the euro
// sign, quotes, dashes and a few letters. Its five unused bytes stay the control characters of the same number.
constexpr char16_t Western80To9F[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 0x80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 0x88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 0x90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 0x98
};

QChar WesternCharacter(unsigned char byte)
{
    return QChar(byte >= 0x80 && byte <= 0x9F ? Western80To9F[byte - 0x80] : char16_t(byte));
}

// List files hold UTF-8; one written where the code page was Western European holds single bytes such as 0xE9
// for é, which are not UTF-8 and would come back as replacement characters, so those bytes are read in that code
// page. Other programs write é as &#233; (that byte) and an en dash as &#8211; (UTF-8), so one value may hold both.
QString ToWide(const std::string& bytes)
{
    QString text;
    SplitUtf8(
        bytes, [&](const QString& piece) { text += piece; },
        [&](unsigned char byte) { text += WesternCharacter(byte); });
    return text;
}

std::string ItemText(size_t position)
{
    return "Item " + std::to_string(position + 1) + " of the list file";
}

const std::string& ValueOf(TJclSimpleXMLElem* item, size_t position, const char* name)
{
    TJclSimpleXMLElem* child = item->ChildNamed(name);
    if (!child)
        throw EListFileError(ItemText(position) + " has no \"" + name + "\" element");
    // The system reads a name only up to a 0 byte: the row would convert, name and test another file than it
    // shows.
    if (platform::HoldsZeroByte(child->Value()))
        throw EListFileError(ItemText(position) + " has a 0 byte in its \"" + name + "\" element");
    return child->Value();
}

// A file name or folder no longer than the system takes. The raw bytes are measured first, so a huge value is
// refused before any work on it; the text may grow in conversion, so it is measured again as the system gets it.
QString PathValueOf(TJclSimpleXMLElem* item, size_t position, const char* name)
{
    const std::string& value = ValueOf(item, position, name);
    const size_t limit = platform::PathLengthLimit();
    if (value.size() <= limit) {
        // A byte that is not UTF-8 is read in the Western code page, as old lists hold it, unless a file or folder
        // of this system stands under the value's own bytes: names here are bytes, whatever they hold.
        const QString text = ToWide(value);
        if (NameText(value) != text && (platform::FileExists(value) || platform::DirectoryExists(value)))
            return NameText(value);
        // A UTF-16 unit takes at most three bytes as UTF-8, so most names need no conversion to be measured.
        const size_t units = static_cast<size_t>(text.size());
        if (units * 3 <= limit || static_cast<size_t>(text.toUtf8().size()) <= limit)
            return text;
    }
    throw EListFileError(ItemText(position) + " has a \"" + name + "\" element longer than the system's path limit of "
        + std::to_string(limit) + " bytes");
}

// A cut file (a full disk, a copy broken off) must not pass for the whole list: says where it ends and what was
// kept.
std::string EarlyEndText(const std::string& path, const TJclSimpleXMLEarlyEnd& end, size_t rows)
{
    std::string inside;
    for (const std::string& name : end.Open)
        inside += "<" + name + ">";
    return "The list file \"" + path + "\" ends early, on line " + std::to_string(end.Line)
        + (inside.empty() ? std::string(" before its first element") : " inside " + inside) + ": only the "
        + std::to_string(rows) + (rows == 1 ? " complete item" : " complete items") + " before that point were read";
}

} // namespace

TContentRelease::~TContentRelease()
{
    m_document.Root().ClearContent();
}

namespace
{

TItemData ItemOf(TJclSimpleXMLElem* element, size_t i)
{
    TItemData item;
    item.FileName = PathValueOf(element, i, "filename");
    item.FormatIndex = StrToInt(ValueOf(element, i, "format"));
    item.Path = PathValueOf(element, i, "path");
    try {
        item.Choices = ChoicesOf(*element);
    } catch (const EChoiceError& error) {
        throw EListFileError(ItemText(i) + ": " + error.Message());
    }
    return item;
}

} // namespace

void ReadListItems(TJclSimpleXML& document, const std::string& path, const std::function<void(TItemData&&)>& onItem)
{
    if (!platform::FileExists(path))
        return;
    TContentRelease release(document);
    document.LoadDocument(path);
    TJclSimpleXMLElem& root = document.Root();
    const TJclSimpleXMLEarlyEnd& end = document.EarlyEnd();
    // An item still open where the file ends may lack the end of its name or folder: it never becomes a row.
    const size_t complete = root.NumChildren() - (!end.Complete && end.Open.size() >= 2 ? 1 : 0);
    for (size_t i = 0; i < complete; ++i)
        onItem(ItemOf(root.ChildAt(i), i));
    if (!end.Complete)
        throw EListFileError(EarlyEndText(path, end, complete));
}

void StreamListItems(const std::string& path, const std::function<void(TItemData&&)>& onItem)
{
    TJclSimpleXML document;
    size_t read = 0;
    document.LoadDocument(path, [&](TJclSimpleXMLElem& element) {
        onItem(ItemOf(&element, read));
        ++read;
    });
    if (!document.EarlyEnd().Complete)
        throw EListFileError(EarlyEndText(path, document.EarlyEnd(), read));
}
