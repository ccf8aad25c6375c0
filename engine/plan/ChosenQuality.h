#pragma once

#include "engine/plan/EncoderChoices.h"

#include <string>
#include <vector>

// The encoder a kind of track gets from the params: its own codec option, else the one for every track, else the
// one -target implies, else the usual one of the container outputName names. An encoder given by its codec's name
// is the codec's usual encoder; "copy" stays "copy".
std::string EncoderOf(const std::vector<std::string>& words, bool picture, const std::string& outputName);
// Sets the picture's quality for the encoder by the quality table, rewriting the entry's own setting; false when
// the encoder keeps everything exactly and has none. Throws EChoiceError where the entry cannot be reworked.
bool ChoosePictureQuality(std::vector<std::string>& words, TQualityChoice quality, const std::string& encoder);
// Sets the sound's quality: the entry's -q:a by the table, else its -b:a scaled; false when there is nothing to set.
bool ChooseSoundQuality(std::vector<std::string>& words, TQualityChoice quality, const std::string& encoder);
