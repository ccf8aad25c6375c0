#include "list/ChoiceElements.h"

#include "list/JclSimpleXML.h"

namespace
{

void AppendWord(TJclSimpleXMLElem& item, const char* name, const std::string& word)
{
    if (!word.empty())
        item.AppendChild(name)->SetValue(word);
}

std::string WordOf(TJclSimpleXMLElem& item, const char* name)
{
    const TJclSimpleXMLElem* child = item.ChildNamed(name);
    return child ? child->Value() : std::string();
}

} // namespace

void AppendChoices(TJclSimpleXMLElem& item, const TEncoderChoices& choices)
{
    AppendWord(item, "size", SizeWord(choices.MaxLines));
    AppendWord(item, "quality", QualityWord(choices.Quality));
    AppendWord(item, "sound", SoundWord(choices.Sound));
}

TEncoderChoices ChoicesOf(TJclSimpleXMLElem& item)
{
    return { SizeOfWord(WordOf(item, "size")), QualityOfWord(WordOf(item, "quality")),
        SoundOfWord(WordOf(item, "sound")) };
}
