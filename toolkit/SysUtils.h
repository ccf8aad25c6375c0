#pragma once

#include <cstdint>
#include <string>

// Decimal text to integer: optional leading blanks, an optional sign, digits ("$" or "0x" for hex).
// Anything else, or a value outside 32 bits, raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);

// The decimal text of a value, with a minus sign when negative.
std::string IntToStr(int64_t value);
