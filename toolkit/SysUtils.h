#pragma once

#include "toolkit/Exception.h"

#include <cstdint>
#include <string>

// Decimal text to integer: optional leading blanks, an optional sign, digits ("$" or "0x" for hex).
// Anything else, or a value outside 32 bits, raises EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& text);

// The decimal text of a value, with a minus sign when negative.
std::string IntToStr(int64_t value);

// A failure the operating system reported, with its error code.
class EOSError : public Exception {
public:
    EOSError(int code, const std::string& message) : Exception(message), m_code(code) {}
    int ErrorCode() const { return m_code; }

private:
    int m_code;
};

// Raises EOSError "System Error.  Code: <code>.\n<the system's text for it>".
[[noreturn]] void RaiseOSError(int code);
