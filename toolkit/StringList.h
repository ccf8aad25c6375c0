#pragma once

#include <string>
#include <vector>

// A list of 8-bit (UTF-8) strings as the classic toolkit knows it. TStrings is what a consumer needs of a
// list (a memo's lines may implement it); TStringList keeps the strings itself.
class TStrings {
public:
    virtual ~TStrings() = default;

    virtual int Count() const = 0;
    // The entry at index; EListError outside 0..Count()-1.
    virtual std::string Strings(int index) const = 0;
    // Replaces the entry at index; EListError outside 0..Count()-1.
    virtual void Put(int index, const std::string& text) = 0;
    // Appends an entry and returns its index.
    virtual int Add(const std::string& text) = 0;
    // Removes the entry at index; EListError outside 0..Count()-1.
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;
    // Replaces every entry by the lines of text (split at CR LF, CR or LF; a final line break adds no entry).
    virtual void SetText(const std::string& text);
    // The entries, each followed by a line break ("\n").
    virtual std::string Text() const;
    // Brackets a batch of changes; a visible list repaints once at the outermost EndUpdate.
    virtual void BeginUpdate() { ++m_updateCount; }
    virtual void EndUpdate()
    {
        if (m_updateCount > 0)
            --m_updateCount;
    }
    int UpdateCount() const { return m_updateCount; }

private:
    int m_updateCount = 0;
};

class TStringList : public TStrings {
public:
    int Count() const override { return static_cast<int>(m_items.size()); }
    std::string Strings(int index) const override;
    void Put(int index, const std::string& text) override;
    int Add(const std::string& text) override;
    void Delete(int index) override;
    void Clear() override { m_items.clear(); }
    const std::vector<std::string>& Items() const { return m_items; }

private:
    void Check(int index) const;
    std::vector<std::string> m_items;
};
