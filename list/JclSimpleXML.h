#pragma once

#include "toolkit/Exception.h"

#include <cstddef>
#include <memory>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// A small XML document model over 8-bit strings: it reads and writes bytes and converts no character sets.
// Writing encodes every byte of a name or value at or above 0x80 as a character reference, so the files it
// writes are 7-bit ASCII whatever encoding their declaration names; reading turns references back into bytes.

// Malformed input.
class EJclSimpleXMLError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be opened: "Cannot open file "%s". %s" with the system's reason.
class EFOpenError : public Exception {
public:
    using Exception::Exception;
};

// A file that cannot be created: "Cannot create file "%s". %s" with the system's reason.
class EFCreateError : public Exception {
public:
    using Exception::Exception;
};

// A file that fails while being written: "Cannot write file "%s". %s"; the file that was there is untouched
// unless its folder takes no new file, where it is written in place.
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

class TJclSimpleXML;
class TJclSimpleXMLElem;
class TJclSimpleXMLElemClassic;
class TJclSimpleXMLParser;
class TJclSimpleXMLWriter;

// Maps names to positions for lookups without regard to letter case where the last match wins. Short lists
// are searched directly; long ones get a hash table, extended lazily over entries appended since.
class TJclSimpleXMLNameIndex {
public:
    // The position of the last of the first `count` names equal to name ignoring case, or -1.
    template <class NameAt>
    std::ptrdiff_t Find(std::string_view name, size_t count, NameAt nameAt);
    // Forgets everything; needed when an indexed name changes or entries go away.
    void Reset();

private:
    struct Table {
        std::unordered_map<std::string, size_t> positions;
        size_t indexed = 0;
    };
    // Made only for long lists; most elements have a handful of children and never need it.
    std::unique_ptr<Table> m_table;
};

// Blocks for the many small objects of a document (nodes, short child lists) come from per-thread pools of
// equal-sized blocks: a list file makes hundreds of thousands of them, and the general allocator would spend
// more time on them than the reading does. Other sizes go to the general allocator.
void* JclPoolTake(size_t bytes);
void JclPoolGive(void* block, size_t bytes);

template <class T>
struct TJclPoolAllocator {
    using value_type = T;
    TJclPoolAllocator() = default;
    template <class U>
    TJclPoolAllocator(const TJclPoolAllocator<U>&) noexcept
    {
    }
    T* allocate(size_t count) { return static_cast<T*>(JclPoolTake(count * sizeof(T))); }
    void deallocate(T* block, size_t count) noexcept { JclPoolGive(block, count * sizeof(T)); }
    template <class U>
    bool operator==(const TJclPoolAllocator<U>&) const noexcept
    {
        return true;
    }
};

// Letter case folding of names: ASCII letters only, every other byte compares as it is.
std::string JclUpperName(std::string_view name);
bool JclSameName(std::string_view a, std::string_view b);

// One attribute: name, namespace prefix (empty when none) and decoded value.
struct TJclSimpleXMLProp {
    std::string Name;
    std::string NameSpace;
    std::string Value;
    // prefix:name, or the name alone.
    std::string FullName() const { return NameSpace.empty() ? Name : NameSpace + ":" + Name; }
};

// The attributes of a node, in document order.
class TJclSimpleXMLProps {
public:
    size_t Count() const { return m_props.size(); }
    // The attribute at index; EListError "List index out of bounds (%d)" outside 0..Count-1.
    TJclSimpleXMLProp& Item(size_t index);
    const TJclSimpleXMLProp& Item(size_t index) const;
    // The last attribute of that name (letter case ignored), or nullptr.
    TJclSimpleXMLProp* ItemNamed(std::string_view name);
    // Appends an attribute; duplicates are kept, lookups find the last one.
    TJclSimpleXMLProp& Add(std::string name, std::string value, std::string nameSpace = {});
    void Clear();

private:
    std::vector<TJclSimpleXMLProp> m_props;
    TJclSimpleXMLNameIndex m_index;
};

// The child nodes of one node, in document order; every kind of node counts (text, comment, CDATA too).
class TJclSimpleXMLElems {
public:
    explicit TJclSimpleXMLElems(TJclSimpleXMLElem* parent) : m_parent(parent) {}
    TJclSimpleXMLElems(const TJclSimpleXMLElems&) = delete;
    TJclSimpleXMLElems& operator=(const TJclSimpleXMLElems&) = delete;
    ~TJclSimpleXMLElems();

    size_t Count() const { return m_items.size(); }
    // The child at index; EListError "List index out of bounds (%d)" outside 0..Count-1.
    TJclSimpleXMLElem* Item(size_t index) const;
    // The last child of that name (letter case ignored), or nullptr.
    TJclSimpleXMLElem* ItemNamed(std::string_view name);
    // Takes ownership of node, makes this list's element its parent and appends it.
    TJclSimpleXMLElem* Add(std::unique_ptr<TJclSimpleXMLElem> node);
    // Appends a new named element with an empty value.
    TJclSimpleXMLElemClassic* Add(std::string name);
    // Frees every child, however deep their subtrees are.
    void Clear();
    // Called when a child's name changed.
    void NameChanged() { m_index.Reset(); }

    using TNodeList
        = std::vector<std::unique_ptr<TJclSimpleXMLElem>, TJclPoolAllocator<std::unique_ptr<TJclSimpleXMLElem>>>;

private:
    void ReserveFirst();

    TJclSimpleXMLElem* m_parent;
    TNodeList m_items;
    TJclSimpleXMLNameIndex m_index;
};

// What a node is; the writer and the value rule for single text children ask it.
enum class TJclSimpleXMLNodeKind { Classic, Text, Comment, CData, Header, DocType, Sheet };

// Base of every node: name, namespace prefix, decoded value, parent, children and attributes.
class TJclSimpleXMLElem {
public:
    explicit TJclSimpleXMLElem(TJclSimpleXMLElem* parent = nullptr);
    TJclSimpleXMLElem(const TJclSimpleXMLElem&) = delete;
    TJclSimpleXMLElem& operator=(const TJclSimpleXMLElem&) = delete;
    virtual ~TJclSimpleXMLElem();

    // Nodes come from the per-thread pools (JclPoolTake).
    static void* operator new(size_t size) { return JclPoolTake(size); }
    static void operator delete(void* node, size_t size) { JclPoolGive(node, size); }

    virtual TJclSimpleXMLNodeKind Kind() const = 0;
    // Frees the children and attributes; name and value stay.
    virtual void Clear();
    // prefix:name, or the name alone.
    virtual std::string FullName() const;
    // Writes what comes before the children (or the whole node when it has none) at the given indent.
    virtual void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const = 0;
    // Writes what follows the children; called only when there are children.
    virtual void WriteEnd(TJclSimpleXMLWriter& writer, std::string_view indent) const;

    const std::string& Name() const { return m_name; }
    void SetName(std::string name);
    // Empty unless the name was read or set with a prefix.
    const std::string& NameSpace() const;
    void SetNameSpace(std::string nameSpace);
    // Read and assigned as is: encoding and decoding happen only when files are written and read.
    const std::string& Value() const { return m_value; }
    void SetValue(std::string value) { m_value = std::move(value); }
    TJclSimpleXMLElem* Parent() const { return m_parent; }

    TJclSimpleXMLElems& Items() { return m_items; }
    const TJclSimpleXMLElems& Items() const { return m_items; }
    bool HasProperties() const { return m_extras && m_extras->props.Count() > 0; }
    // The attributes, created on first use.
    TJclSimpleXMLProps& Properties();
    // The attributes, or nullptr when none were ever made.
    const TJclSimpleXMLProps* PropertiesIfAny() const { return m_extras ? &m_extras->props : nullptr; }

    // Same as Clear: frees all children and attributes, keeps name and value.
    void ClearContent() { Clear(); }
    // Appends a new named element with an empty value at the end of the children.
    TJclSimpleXMLElemClassic* AppendChild(const std::string& name) { return m_items.Add(name); }
    // The last child of that name, letter case ignored; nullptr when there is none.
    TJclSimpleXMLElem* ChildNamed(std::string_view name) { return m_items.ItemNamed(name); }
    size_t NumChildren() const { return m_items.Count(); }
    // The child at index; EListError "List index out of bounds (%d)" outside 0..NumChildren-1.
    TJclSimpleXMLElem* ChildAt(size_t index) const { return m_items.Item(index); }

private:
    friend class TJclSimpleXMLElems;

    std::string m_name;
    std::string m_value;
    TJclSimpleXMLElem* m_parent;
    TJclSimpleXMLElems m_items;
    // What few nodes have, kept out of line so that the many plain nodes stay small.
    struct Extras {
        std::string nameSpace;
        TJclSimpleXMLProps props;
    };
    Extras& MakeExtras();
    std::unique_ptr<Extras> m_extras;
};

// A named element: <name attributes>children</name>, <name>value</name> or <name/>.
class TJclSimpleXMLElemClassic : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::Classic; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
    void WriteEnd(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
    // Replaces name, attributes and content with the element that starts at the first byte of xml (a
    // fragment: what follows its end tag is ignored). Raises EJclSimpleXMLError for malformed input.
    void LoadFromString(std::string_view xml);
};

// A run of text between tags; its value is the decoded text.
class TJclSimpleXMLElemText : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::Text; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
};

// <!--value-->, the value kept as it is.
class TJclSimpleXMLElemComment : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::Comment; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
};

// <![CDATA[value]]>, the value kept as it is.
class TJclSimpleXMLElemCData : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::CData; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
};

// The XML declaration: version, encoding and standalone flag.
class TJclSimpleXMLElemHeader : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::Header; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;

    const std::string& Version() const { return m_version; }
    void SetVersion(std::string version) { m_version = std::move(version); }
    // Empty means the declaration is written without an encoding attribute.
    const std::string& Encoding() const { return m_encoding; }
    void SetEncoding(std::string encoding) { m_encoding = std::move(encoding); }
    bool Standalone() const { return m_standalone; }
    void SetStandalone(bool standalone) { m_standalone = standalone; }

private:
    std::string m_version = "1.0";
    std::string m_encoding = "iso-8859-1";
    bool m_standalone = false;
};

// <!DOCTYPE value>, the value kept as it is.
class TJclSimpleXMLElemDocType : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::DocType; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
};

// <?xml-stylesheet attributes?>.
class TJclSimpleXMLElemSheet : public TJclSimpleXMLElem {
public:
    using TJclSimpleXMLElem::TJclSimpleXMLElem;
    TJclSimpleXMLNodeKind Kind() const override { return TJclSimpleXMLNodeKind::Sheet; }
    void WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const override;
};

// The nodes before the root element, in document order.
class TJclSimpleXMLElemsProlog {
public:
    size_t Count() const { return m_items.size(); }
    // The node at index; EListError "List index out of bounds (%d)" outside 0..Count-1.
    TJclSimpleXMLElem* Item(size_t index) const;
    TJclSimpleXMLElem* Add(std::unique_ptr<TJclSimpleXMLElem> node);
    // The first declaration, or nullptr.
    TJclSimpleXMLElemHeader* Header() const;
    // The first declaration; when there is none, a new one (version "1.0", encoding "iso-8859-1", not
    // standalone) is put first, where XML requires it.
    TJclSimpleXMLElemHeader& EnsureHeader();
    void Clear();

private:
    std::vector<std::unique_ptr<TJclSimpleXMLElem>> m_items;
};

// How a document's data ended when it ended before its root element was closed.
struct TJclSimpleXMLEarlyEnd {
    bool Complete = true; // the root element was read to its end tag
    std::vector<std::string> Open; // the elements still open where the data ended, outermost first
    size_t Line = 0; // the line the data ends on, counted from 1
};

// One XML document: prolog and root element. Indents two blanks per level, ends lines in CR LF, writes no
// byte order mark. Reading refuses elements nested deeper than MaxDepth.
class TJclSimpleXML {
public:
    static constexpr size_t MaxDepth = 256;

    TJclSimpleXML();
    TJclSimpleXML(const TJclSimpleXML&) = delete;
    TJclSimpleXML& operator=(const TJclSimpleXML&) = delete;
    virtual ~TJclSimpleXML();

    TJclSimpleXMLElemsProlog& Prolog() { return m_prolog; }
    const TJclSimpleXMLElemsProlog& Prolog() const { return m_prolog; }
    // Created with the document, without a name.
    TJclSimpleXMLElemClassic& Root() { return *m_root; }
    const TJclSimpleXMLElemClassic& Root() const { return *m_root; }
    const std::string& IndentString() const { return m_indentString; }

    // Sets the encoding of the first declaration, making one when the prolog has none.
    void SetPrologEncoding(const std::string& encoding);
    // Renames the root; an empty name leaves the name unchanged.
    void SetRootName(const std::string& name);

    // Replaces prolog and root content with the file's. EFOpenError when it cannot be read, EJclSimpleXMLError
    // for malformed content (what was read before the error stays). Truncated content is no error; EarlyEnd
    // tells of it.
    void LoadDocument(const std::string& path);
    // Same as LoadDocument, but each element inside the root goes to onItem as soon as its end tag is read, and is
    // dropped then: a list of any length is read in the memory of its file and one item. An error passes on
    // after the items before it were handed over.
    void LoadDocument(const std::string& path, const std::function<void(TJclSimpleXMLElem& item)>& onItem);
    // Same as LoadDocument on bytes in memory.
    void LoadFromString(std::string_view data,
        const std::function<void(TJclSimpleXMLElem& item)>& onItem = {});
    // Writes the whole document; a declaration is added first when the prolog has none. The file appears
    // complete or not at all: EFCreateError/EFOpenError/EWriteError leave an existing file untouched (except in a
    // folder that takes no new file, where the file is written in place). A link is written through; a file a
    // plain write may not change is refused with EFOpenError.
    void SaveDocument(const std::string& path);
    // Whether the last load's data ended before the root element was closed, and where.
    const TJclSimpleXMLEarlyEnd& EarlyEnd() const { return m_earlyEnd; }
    // The bytes SaveDocument writes (and the same declaration rule).
    std::string SaveToString();

    // Appends value to out encoded for writing: " & ' < > as entities, bytes 0x80..0xFF as &#xhh;.
    virtual void EncodeValue(std::string_view value, std::string& out) const;
    // Appends value to out decoded: the five entities (any letter case), numeric references up to 255 as that
    // byte and above it as the character in UTF-8; anything else, and a reference to 0, a surrogate or past
    // U+10FFFF, stays.
    virtual void DecodeValue(std::string_view value, std::string& out) const;

private:
    void Write(TJclSimpleXMLWriter& writer);

    TJclSimpleXMLElemsProlog m_prolog;
    std::unique_ptr<TJclSimpleXMLElemClassic> m_root;
    std::string m_indentString = "  ";
    TJclSimpleXMLEarlyEnd m_earlyEnd;
};

template <class NameAt>
std::ptrdiff_t TJclSimpleXMLNameIndex::Find(std::string_view name, size_t count, NameAt nameAt)
{
    constexpr size_t directLimit = 8;
    if (count <= directLimit) {
        for (size_t i = count; i-- > 0;)
            if (JclSameName(nameAt(i), name))
                return static_cast<std::ptrdiff_t>(i);
        return -1;
    }
    if (!m_table || m_table->indexed > count)
        m_table = std::make_unique<Table>();
    for (; m_table->indexed < count; ++m_table->indexed)
        m_table->positions[JclUpperName(nameAt(m_table->indexed))] = m_table->indexed;
    const auto found = m_table->positions.find(JclUpperName(name));
    return found == m_table->positions.end() ? -1 : static_cast<std::ptrdiff_t>(found->second);
}
