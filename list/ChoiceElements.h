#pragma once

#include "engine/plan/EncoderChoices.h"

class TJclSimpleXMLElem;

// A list item's choices are elements of their own ("size", "quality", "sound"), written only when chosen, so that
// a list without choices reads as it always did and older versions pass over the new elements.
void AppendChoices(TJclSimpleXMLElem& item, const TEncoderChoices& choices);
// The choices of an item; an element it lacks is "as the format says". Throws EChoiceError for a value that is
// none of the choice's words.
TEncoderChoices ChoicesOf(TJclSimpleXMLElem& item);
