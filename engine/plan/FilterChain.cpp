#include "engine/plan/FilterChain.h"

namespace
{

// The text split at each separator that is outside quotes and not escaped; quotes and escapes are kept.
std::vector<std::string> SplitOutside(const std::string& text, const std::string& separators)
{
    std::vector<std::string> parts(1);
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            parts.back() += text.substr(i++, 2);
            continue;
        }
        if (c == '\'')
            quoted = !quoted;
        if (!quoted && separators.find(c) != std::string::npos)
            parts.emplace_back();
        else
            parts.back() += c;
    }
    return parts;
}

// The labels "[x][y]" at the start of text, taken off it.
std::string TakeLabels(std::string& text)
{
    std::size_t end = 0;
    while (end < text.size() && text[end] == '[') {
        const std::size_t close = text.find(']', end);
        if (close == std::string::npos)
            break;
        end = close + 1;
    }
    std::string labels = text.substr(0, end);
    text.erase(0, end);
    return labels;
}

// Where the output labels of a filter's text begin: the first '[' outside quotes and escapes.
std::size_t OutputLabelsAt(const std::string& text)
{
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == '\'')
            quoted = !quoted;
        else if (!quoted && text[i] == '[')
            return i;
    }
    return text.size();
}

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

std::optional<std::vector<TFilterText>> SplitFilterChain(const std::string& chain)
{
    if (SplitOutside(chain, ";").size() > 1)
        return std::nullopt;
    std::vector<TFilterText> filters;
    for (std::string text : SplitOutside(chain, ",")) {
        text = Trimmed(text);
        TFilterText filter;
        filter.Inputs = TakeLabels(text);
        const std::size_t outputs = OutputLabelsAt(text);
        filter.Outputs = text.substr(outputs);
        text.erase(outputs);
        const std::size_t equals = text.find('=');
        filter.Name = text.substr(0, equals);
        if (equals != std::string::npos)
            filter.Options = SplitOutside(text.substr(equals + 1), ":");
        filters.push_back(std::move(filter));
    }
    return filters;
}

std::string JoinFilterChain(const std::vector<TFilterText>& filters)
{
    std::string chain;
    for (const TFilterText& filter : filters) {
        chain += (chain.empty() ? "" : ",") + filter.Inputs + filter.Name;
        for (std::size_t i = 0; i < filter.Options.size(); ++i)
            chain += (i == 0 ? "=" : ":") + filter.Options[i];
        chain += filter.Outputs;
    }
    return chain;
}

std::string OptionName(const std::string& option)
{
    const std::size_t equals = option.find('=');
    const std::size_t quote = option.find('\'');
    return equals == std::string::npos || quote < equals ? std::string() : option.substr(0, equals);
}

std::string OptionValue(const std::string& option)
{
    const std::string name = OptionName(option);
    const std::string text = name.empty() ? option : option.substr(name.size() + 1);
    std::string value;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size())
            value += text[++i];
        else if (text[i] != '\'')
            value += text[i];
    }
    return value;
}
