#pragma once

#include "engine/plan/EncoderChoices.h"

#include <initializer_list>
#include <string>
#include <vector>

// A catalogue entry's params as words, as the choices find and rewrite its options in them.

bool Among(const std::string& word, std::initializer_list<const char*> names);
// Where the value of each option among names stands, in order.
std::vector<std::size_t> ValuesOf(const std::vector<std::string>& words, std::initializer_list<const char*> names);
// Rewrites every option among names to value; an entry without one gets the first spelling.
void SetOption(std::vector<std::string>& words, std::initializer_list<const char*> names, const std::string& value);
// A whole number's text.
std::string Number(double value);
// The error of a choice the entry cannot be reworked for, with why.
EChoiceError CannotApply(const std::string& choice, const std::string& why);
