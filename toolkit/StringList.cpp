#include "toolkit/StringList.h"

#include "toolkit/Exception.h"

void TStrings::SetText(const std::string& text)
{
    BeginUpdate();
    Clear();
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c != '\r' && c != '\n') {
            line += c;
            continue;
        }
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        Add(line);
        line.clear();
    }
    if (!line.empty())
        Add(line);
    EndUpdate();
}

std::string TStrings::Text() const
{
    std::string text;
    for (int i = 0; i < Count(); ++i)
        text += Strings(i) + "\n";
    return text;
}

void TStringList::Check(int index) const
{
    if (index < 0 || index >= Count())
        throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

std::string TStringList::Strings(int index) const
{
    Check(index);
    return m_items[static_cast<std::size_t>(index)];
}

void TStringList::Put(int index, const std::string& text)
{
    Check(index);
    m_items[static_cast<std::size_t>(index)] = text;
}

int TStringList::Add(const std::string& text)
{
    m_items.push_back(text);
    return Count() - 1;
}

void TStringList::Delete(int index)
{
    Check(index);
    m_items.erase(m_items.begin() + index);
}
