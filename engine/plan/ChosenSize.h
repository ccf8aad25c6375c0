#pragma once

#include "engine/media/MediaProbe.h"

#include <string>
#include <vector>

// Limits the shorter side of the pictures the params make of picture to lines, rewriting the entry's own scale
// (its -s, else the scale filter of its -vf, else a scale filter of its own at the chain's start): never enlarged,
// the aspect kept, even sides. Throws EChoiceError where the entry cannot be reworked: a fixed frame larger than
// lines, filters that change the size in their own way, a copied picture.
void ChooseSize(std::vector<std::string>& words, int lines, const TStreamInfo& picture, const std::string& encoder);
