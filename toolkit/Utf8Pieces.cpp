#include "toolkit/Utf8Pieces.h"

namespace {

bool Between(unsigned char c, unsigned char low, unsigned char high)
{
    return c >= low && c <= high;
}

// The length of the well-formed sequence at the start of bytes (no overlong form, no surrogate, nothing past
// U+10FFFF); 0 when there is none.
std::size_t SequenceLength(std::string_view bytes)
{
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = at(0);
    if (lead < 0x80)
        return 1;
    std::size_t length = Between(lead, 0xC2, 0xDF) ? 2 : Between(lead, 0xE0, 0xEF) ? 3 : Between(lead, 0xF0, 0xF4) ? 4 : 0;
    if (length == 0 || bytes.size() < length)
        return 0;
    const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
    if (!Between(at(1), low, high))
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!Between(at(i), 0x80, 0xBF))
            return 0;
    return length;
}

} // namespace

void SplitUtf8(std::string_view bytes, const std::function<void(const QString&)>& text,
    const std::function<void(unsigned char)>& stray)
{
    std::size_t begin = 0;
    std::size_t i = 0;
    const auto flush = [&] {
        if (i > begin)
            text(QString::fromUtf8(bytes.data() + begin, qsizetype(i - begin)));
    };
    while (i < bytes.size()) {
        const std::size_t length = SequenceLength(bytes.substr(i));
        if (length > 0) {
            i += length;
            continue;
        }
        flush();
        stray(static_cast<unsigned char>(bytes[i]));
        begin = ++i;
    }
    flush();
}
