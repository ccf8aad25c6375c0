#include "engine/plan/ParamWords.h"

#include <algorithm>
#include <cmath>

bool Among(const std::string& word, std::initializer_list<const char*> names)
{
    return std::any_of(names.begin(), names.end(), [&](const char* name) { return word == name; });
}

std::vector<std::size_t> ValuesOf(const std::vector<std::string>& words, std::initializer_list<const char*> names)
{
    std::vector<std::size_t> at;
    for (std::size_t i = 0; i + 1 < words.size(); ++i)
        if (Among(words[i], names))
            at.push_back(++i);
    return at;
}

void SetOption(std::vector<std::string>& words, std::initializer_list<const char*> names, const std::string& value)
{
    const std::vector<std::size_t> at = ValuesOf(words, names);
    for (std::size_t i : at)
        words[i] = value;
    if (at.empty()) {
        words.push_back(*names.begin());
        words.push_back(value);
    }
}

std::string Number(double value)
{
    return std::to_string(std::lround(value));
}

EChoiceError CannotApply(const std::string& choice, const std::string& why)
{
    return EChoiceError("The choice \"" + choice + "\" cannot be applied to this format: " + why);
}
