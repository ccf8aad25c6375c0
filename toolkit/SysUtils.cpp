#include "toolkit/SysUtils.h"

#include "platform/FileSystem.h"
#include "toolkit/Exception.h"

namespace {

[[noreturn]] void NotAnInteger(const std::string& text)
{
    throw EConvertError("'" + text + "' is not a valid integer value");
}

int DigitValue(char c, int base)
{
    int value = -1;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

} // namespace

int32_t StrToInt(const std::string& text)
{
    size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size())
        NotAnInteger(text);
    int64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = DigitValue(text[i], base);
        if (digit < 0)
            NotAnInteger(text);
        value = value * base + digit;
        // Hex may spell the full 32-bit pattern (as $FFFFFFFF = -1); decimal must fit the signed range.
        if (value > (base == 16 ? int64_t(0xFFFFFFFF) : int64_t(0x80000000)))
            NotAnInteger(text);
    }
    if (base == 10 && !negative && value > 0x7FFFFFFF)
        NotAnInteger(text);
    if (base == 16 && value > 0x7FFFFFFF)
        value -= int64_t(1) << 32;
    return static_cast<int32_t>(negative ? -value : value);
}

std::string IntToStr(int64_t value)
{
    return std::to_string(value);
}

void RaiseOSError(int code)
{
    throw EOSError(code, "System Error.  Code: " + std::to_string(code) + ".\n" + platform::SystemErrorMessage(code));
}
