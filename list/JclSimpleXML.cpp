#include "list/JclSimpleXML.h"

#include "list/JclSimpleXMLParser.h"
#include "platform/FileIO.h"
#include "platform/FileSystem.h"
#include "platform/Heap.h"

#include <functional>

namespace {

[[noreturn]] void OutOfBounds(size_t index)
{
    throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

char UpperAscii(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Frees a list of nodes without recursion, so a tree of any depth cannot exhaust the stack: grandchildren
// are moved out onto a work list before their parent goes.
void FreeNodes(TJclSimpleXMLElems::TNodeList& nodes, TJclSimpleXMLElems::TNodeList (*takeChildren)(TJclSimpleXMLElem&))
{
    std::vector<std::unique_ptr<TJclSimpleXMLElem>> pending;
    for (size_t i = 0; i < nodes.size(); ++i) {
        // Freeing is bound by fetching each node: the next one is asked for while this one goes.
        if (i + 1 < nodes.size())
            __builtin_prefetch(nodes[i + 1].get());
        auto& node = nodes[i];
        if (node->NumChildren() == 0)
            continue;
        pending.push_back(std::move(node));
        while (!pending.empty()) {
            std::unique_ptr<TJclSimpleXMLElem> current = std::move(pending.back());
            pending.pop_back();
            for (auto& child : takeChildren(*current))
                if (child->NumChildren() > 0)
                    pending.push_back(std::move(child));
        }
    }
    nodes.clear();
}

// Free blocks of one size, per thread. Blocks are carved from slabs that stay for the thread's life, so a pool
// holds as many blocks as that thread ever had in use at once.
class TBlockPool {
public:
    explicit TBlockPool(size_t blockSize) : m_blockSize(blockSize) {}
    void* Take()
    {
        if (!m_free) {
            constexpr size_t slabBlocks = 1024;
            auto* slab = static_cast<char*>(::operator new(m_blockSize * slabBlocks));
            for (size_t i = slabBlocks; i-- > 0;)
                m_free = new (slab + i * m_blockSize) Free{m_free};
        }
        Free* block = m_free;
        m_free = block->next;
        // The caller writes the whole block at once; the next one is fetched meanwhile.
        if (m_free)
            __builtin_prefetch(m_free, 1);
        return block;
    }
    void Give(void* block) { m_free = new (block) Free{m_free}; }

private:
    struct Free {
        Free* next;
    };
    size_t m_blockSize;
    Free* m_free = nullptr;
};

constexpr size_t NodeBlock = sizeof(TJclSimpleXMLElemClassic);
constexpr size_t ListBlock = 4 * sizeof(void*);

struct TPools {
    TBlockPool nodes{NodeBlock};
    TBlockPool lists{ListBlock};
};

TPools& Pools()
{
    // Never destroyed: blocks of documents that outlive the thread's other objects may still come back.
    thread_local TPools* pools = new TPools;
    return *pools;
}

} // namespace

// Under the address sanitizer every block goes to the general allocator, so it sees each node's life.
#if defined(__SANITIZE_ADDRESS__)
#define JCL_POOL_BLOCKS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define JCL_POOL_BLOCKS 0
#endif
#endif
#ifndef JCL_POOL_BLOCKS
#define JCL_POOL_BLOCKS 1
#endif

void* JclPoolTake(size_t bytes)
{
    if (!JCL_POOL_BLOCKS)
        return ::operator new(bytes);
    if (bytes == NodeBlock)
        return Pools().nodes.Take();
    if (bytes == ListBlock)
        return Pools().lists.Take();
    return ::operator new(bytes);
}

void JclPoolGive(void* block, size_t bytes)
{
    if (!JCL_POOL_BLOCKS)
        ::operator delete(block);
    else if (bytes == NodeBlock)
        Pools().nodes.Give(block);
    else if (bytes == ListBlock)
        Pools().lists.Give(block);
    else
        ::operator delete(block);
}

// Writes into a memory buffer, which a sink (the file being saved) takes whenever it has grown large.
class TJclSimpleXMLWriter {
public:
    explicit TJclSimpleXMLWriter(const TJclSimpleXML& document) : m_document(document) {}

    void SetSink(std::function<void(std::string_view)> sink) { m_sink = std::move(sink); }
    // Hands the buffer to the sink once it holds a large piece.
    void Spill()
    {
        if (m_sink && m_buffer.size() >= (1u << 20))
            Flush();
    }
    // Hands whatever is buffered to the sink.
    void Flush()
    {
        if (m_sink && !m_buffer.empty())
            m_sink(m_buffer);
        m_buffer.clear();
    }

    void Put(std::string_view bytes) { m_buffer.append(bytes); }
    void Put(char byte) { m_buffer.push_back(byte); }
    void PutEncoded(std::string_view value) { m_document.EncodeValue(value, m_buffer); }
    void PutLineEnd() { m_buffer.append("\r\n", 2); }
    void PutAttributes(const TJclSimpleXMLElem& node)
    {
        if (!node.HasProperties())
            return;
        const TJclSimpleXMLProps& props = *node.PropertiesIfAny();
        for (size_t i = 0; i < props.Count(); ++i) {
            const TJclSimpleXMLProp& prop = props.Item(i);
            Put(' ');
            Put(prop.FullName());
            Put("=\"");
            PutEncoded(prop.Value);
            Put('"');
        }
    }
    std::string& Buffer() { return m_buffer; }

private:
    const TJclSimpleXML& m_document;
    std::string m_buffer;
    std::function<void(std::string_view)> m_sink;
};

std::string JclUpperName(std::string_view name)
{
    std::string upper(name);
    for (char& c : upper)
        c = UpperAscii(c);
    return upper;
}

bool JclSameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    if (a == b)
        return true;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

void TJclSimpleXMLNameIndex::Reset()
{
    m_table.reset();
}

// --- attributes ---

TJclSimpleXMLProp& TJclSimpleXMLProps::Item(size_t index)
{
    if (index >= m_props.size())
        OutOfBounds(index);
    return m_props[index];
}

const TJclSimpleXMLProp& TJclSimpleXMLProps::Item(size_t index) const
{
    if (index >= m_props.size())
        OutOfBounds(index);
    return m_props[index];
}

TJclSimpleXMLProp* TJclSimpleXMLProps::ItemNamed(std::string_view name)
{
    const std::ptrdiff_t found
        = m_index.Find(name, m_props.size(), [this](size_t i) -> std::string_view { return m_props[i].Name; });
    return found < 0 ? nullptr : &m_props[found];
}

TJclSimpleXMLProp& TJclSimpleXMLProps::Add(std::string name, std::string value, std::string nameSpace)
{
    return m_props.emplace_back(TJclSimpleXMLProp{std::move(name), std::move(nameSpace), std::move(value)});
}

void TJclSimpleXMLProps::Clear()
{
    m_props.clear();
    m_index.Reset();
}

// --- children ---

TJclSimpleXMLElems::~TJclSimpleXMLElems()
{
    Clear();
}

TJclSimpleXMLElem* TJclSimpleXMLElems::Item(size_t index) const
{
    if (index >= m_items.size())
        OutOfBounds(index);
    return m_items[index].get();
}

TJclSimpleXMLElem* TJclSimpleXMLElems::ItemNamed(std::string_view name)
{
    const std::ptrdiff_t found
        = m_index.Find(name, m_items.size(), [this](size_t i) -> std::string_view { return m_items[i]->Name(); });
    return found < 0 ? nullptr : m_items[found].get();
}

TJclSimpleXMLElem* TJclSimpleXMLElems::Add(std::unique_ptr<TJclSimpleXMLElem> node)
{
    node->m_parent = m_parent;
    ReserveFirst();
    return m_items.emplace_back(std::move(node)).get();
}

TJclSimpleXMLElemClassic* TJclSimpleXMLElems::Add(std::string name)
{
    auto node = std::make_unique<TJclSimpleXMLElemClassic>(m_parent);
    node->m_name = std::move(name);
    TJclSimpleXMLElemClassic* added = node.get();
    ReserveFirst();
    m_items.emplace_back(std::move(node));
    return added;
}

void TJclSimpleXMLElems::ReserveFirst()
{
    // Elements mostly hold a few children: one allocation instead of three for the first four.
    if (m_items.capacity() == 0)
        m_items.reserve(4);
}

void TJclSimpleXMLElems::Clear()
{
    if (m_items.empty())
        return;
    FreeNodes(m_items, [](TJclSimpleXMLElem& node) {
        node.m_items.m_index.Reset();
        return std::move(node.m_items.m_items);
    });
    m_index.Reset();
}

// --- nodes ---

TJclSimpleXMLElem::TJclSimpleXMLElem(TJclSimpleXMLElem* parent) : m_parent(parent), m_items(this) {}

TJclSimpleXMLElem::~TJclSimpleXMLElem() = default;

void TJclSimpleXMLElem::Clear()
{
    m_items.Clear();
    if (m_extras)
        m_extras->props.Clear();
}

std::string TJclSimpleXMLElem::FullName() const
{
    const std::string& prefix = NameSpace();
    return prefix.empty() ? m_name : prefix + ":" + m_name;
}

void TJclSimpleXMLElem::WriteEnd(TJclSimpleXMLWriter&, std::string_view) const {}

void TJclSimpleXMLElem::SetName(std::string name)
{
    m_name = std::move(name);
    if (m_parent)
        m_parent->m_items.NameChanged();
}

TJclSimpleXMLElem::Extras& TJclSimpleXMLElem::MakeExtras()
{
    if (!m_extras)
        m_extras = std::make_unique<Extras>();
    return *m_extras;
}

TJclSimpleXMLProps& TJclSimpleXMLElem::Properties()
{
    return MakeExtras().props;
}

const std::string& TJclSimpleXMLElem::NameSpace() const
{
    static const std::string none;
    return m_extras ? m_extras->nameSpace : none;
}

void TJclSimpleXMLElem::SetNameSpace(std::string nameSpace)
{
    if (m_extras || !nameSpace.empty())
        MakeExtras().nameSpace = std::move(nameSpace);
}

void TJclSimpleXMLElemClassic::WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const
{
    if (Name().empty())
        return;
    writer.Put(indent);
    writer.Put('<');
    writer.PutEncoded(FullName());
    writer.PutAttributes(*this);
    if (NumChildren() > 0) {
        writer.Put('>');
        writer.PutLineEnd();
    } else if (Value().empty()) {
        writer.Put("/>");
        writer.PutLineEnd();
    } else {
        writer.Put('>');
        writer.PutEncoded(Value());
        writer.Put("</");
        writer.PutEncoded(FullName());
        writer.Put('>');
        writer.PutLineEnd();
    }
}

void TJclSimpleXMLElemClassic::WriteEnd(TJclSimpleXMLWriter& writer, std::string_view indent) const
{
    if (Name().empty())
        return;
    writer.Put(indent);
    writer.Put("</");
    writer.PutEncoded(FullName());
    writer.Put('>');
    writer.PutLineEnd();
}

void TJclSimpleXMLElemClassic::LoadFromString(std::string_view xml)
{
    Clear();
    SetValue({});
    TJclSimpleXML decoder;
    TJclSimpleXMLParser(decoder, xml).ReadElement(*this);
}

void TJclSimpleXMLElemText::WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const
{
    writer.Put(indent);
    writer.PutEncoded(Value());
    writer.PutLineEnd();
}

void TJclSimpleXMLElemComment::WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const
{
    writer.Put(indent);
    writer.Put("<!--");
    writer.Put(Value());
    writer.Put("-->");
    writer.PutLineEnd();
}

void TJclSimpleXMLElemCData::WriteStart(TJclSimpleXMLWriter& writer, std::string_view indent) const
{
    writer.Put(indent);
    writer.Put("<![CDATA[");
    writer.Put(Value());
    writer.Put("]]>");
    writer.PutLineEnd();
}

void TJclSimpleXMLElemHeader::WriteStart(TJclSimpleXMLWriter& writer, std::string_view) const
{
    writer.Put("<?xml version=\"");
    writer.Put(m_version);
    writer.Put('"');
    if (!m_encoding.empty()) {
        writer.Put(" encoding=\"");
        writer.Put(m_encoding);
        writer.Put('"');
    }
    if (m_standalone)
        writer.Put(" standalone=\"yes\"");
    writer.Put("?>");
    writer.PutLineEnd();
}

void TJclSimpleXMLElemDocType::WriteStart(TJclSimpleXMLWriter& writer, std::string_view) const
{
    writer.Put("<!DOCTYPE ");
    writer.Put(Value());
    writer.Put('>');
    writer.PutLineEnd();
}

void TJclSimpleXMLElemSheet::WriteStart(TJclSimpleXMLWriter& writer, std::string_view) const
{
    writer.Put("<?xml-stylesheet");
    writer.PutAttributes(*this);
    writer.Put("?>");
    writer.PutLineEnd();
}

// --- prolog ---

TJclSimpleXMLElem* TJclSimpleXMLElemsProlog::Item(size_t index) const
{
    if (index >= m_items.size())
        OutOfBounds(index);
    return m_items[index].get();
}

TJclSimpleXMLElem* TJclSimpleXMLElemsProlog::Add(std::unique_ptr<TJclSimpleXMLElem> node)
{
    return m_items.emplace_back(std::move(node)).get();
}

TJclSimpleXMLElemHeader* TJclSimpleXMLElemsProlog::Header() const
{
    for (const auto& node : m_items)
        if (node->Kind() == TJclSimpleXMLNodeKind::Header)
            return static_cast<TJclSimpleXMLElemHeader*>(node.get());
    return nullptr;
}

TJclSimpleXMLElemHeader& TJclSimpleXMLElemsProlog::EnsureHeader()
{
    if (TJclSimpleXMLElemHeader* header = Header())
        return *header;
    auto header = std::make_unique<TJclSimpleXMLElemHeader>();
    header->SetName("xml");
    TJclSimpleXMLElemHeader& made = *header;
    m_items.insert(m_items.begin(), std::move(header));
    return made;
}

void TJclSimpleXMLElemsProlog::Clear()
{
    m_items.clear();
}

// --- document ---

TJclSimpleXML::TJclSimpleXML() : m_root(std::make_unique<TJclSimpleXMLElemClassic>()) {}

TJclSimpleXML::~TJclSimpleXML() = default;

void TJclSimpleXML::SetPrologEncoding(const std::string& encoding)
{
    m_prolog.EnsureHeader().SetEncoding(encoding);
}

void TJclSimpleXML::SetRootName(const std::string& name)
{
    if (!name.empty())
        m_root->SetName(name);
}

void TJclSimpleXML::LoadDocument(const std::string& path)
{
    LoadDocument(path, {});
}

void TJclSimpleXML::LoadDocument(const std::string& path, const std::function<void(TJclSimpleXMLElem& item)>& onItem)
{
    platform::TFileBytes content;
    std::string reason;
    if (!platform::ReadWholeFile(path, content, reason))
        throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
    LoadFromString(content.View(), onItem);
}

void TJclSimpleXML::LoadFromString(std::string_view data, const std::function<void(TJclSimpleXMLElem& item)>& onItem)
{
    // Once per process, before the first document's many values are made (see MergeFreedSmallBlocks).
    [[maybe_unused]] static const bool merged = (platform::MergeFreedSmallBlocks(), true);
    m_root->Clear();
    m_root->SetValue({});
    m_prolog.Clear();
    m_earlyEnd = {};
    m_earlyEnd = TJclSimpleXMLParser(*this, data, onItem).ReadDocument(m_prolog, *m_root);
}

std::string TJclSimpleXML::SaveToString()
{
    TJclSimpleXMLWriter writer(*this);
    Write(writer);
    return std::move(writer.Buffer());
}

void TJclSimpleXML::SaveDocument(const std::string& path)
{
    const bool existed = platform::FileExists(path);
    platform::TReplaceFile file;
    std::string reason;
    if (!file.Open(path, reason)) {
        if (existed)
            throw EFOpenError("Cannot open file \"" + path + "\". " + reason);
        throw EFCreateError("Cannot create file \"" + path + "\". " + reason);
    }
    TJclSimpleXMLWriter writer(*this);
    writer.SetSink([&](std::string_view bytes) {
        if (!file.Write(bytes, reason))
            throw EWriteError("Cannot write file \"" + path + "\". " + reason);
    });
    Write(writer);
    writer.Flush();
    if (!file.Commit(reason))
        throw EWriteError("Cannot write file \"" + path + "\". " + reason);
}

void TJclSimpleXML::Write(TJclSimpleXMLWriter& writer)
{
    m_prolog.EnsureHeader();
    for (size_t i = 0; i < m_prolog.Count(); ++i)
        m_prolog.Item(i)->WriteStart(writer, {});
    // The tree is walked with an explicit stack: a document built in memory may be nested deeper than the
    // call stack allows.
    struct Frame {
        const TJclSimpleXMLElem* node;
        size_t next;
    };
    std::vector<Frame> stack;
    std::string indents;
    auto indentOf = [&](size_t depth) {
        const size_t length = depth * m_indentString.size();
        while (indents.size() < length)
            indents += m_indentString;
        return std::string_view(indents).substr(0, length);
    };
    m_root->WriteStart(writer, {});
    if (m_root->NumChildren() > 0)
        stack.push_back({m_root.get(), 0});
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.node->NumChildren()) {
            const TJclSimpleXMLElem* done = top.node;
            stack.pop_back();
            done->WriteEnd(writer, indentOf(stack.size()));
            continue;
        }
        const TJclSimpleXMLElem* child = top.node->ChildAt(top.next++);
        child->WriteStart(writer, indentOf(stack.size()));
        if (child->NumChildren() > 0)
            stack.push_back({child, 0});
        writer.Spill();
    }
}

void TJclSimpleXML::EncodeValue(std::string_view value, std::string& out) const
{
    static constexpr char hex[] = "0123456789abcdef";
    size_t plain = 0;
    for (size_t i = 0; i < value.size(); ++i) {
        const auto byte = static_cast<unsigned char>(value[i]);
        const char* entity = nullptr;
        switch (byte) {
        case '"':
            entity = "&quot;";
            break;
        case '&':
            entity = "&amp;";
            break;
        case '\'':
            entity = "&apos;";
            break;
        case '<':
            entity = "&lt;";
            break;
        case '>':
            entity = "&gt;";
            break;
        default:
            if (byte < 0x80)
                continue;
        }
        out.append(value.data() + plain, i - plain);
        plain = i + 1;
        if (entity) {
            out.append(entity);
        } else {
            const char reference[] = {'&', '#', 'x', hex[byte >> 4], hex[byte & 15], ';'};
            out.append(reference, sizeof reference);
        }
    }
    out.append(value.data() + plain, value.size() - plain);
}
