#pragma once

#include <QString>
#include <functional>
#include <string_view>

// Walks bytes that are mostly UTF-8, in order: each stretch of well-formed UTF-8 goes to text, decoded; each byte
// that begins no well-formed sequence goes to stray on its own.
void SplitUtf8(std::string_view bytes, const std::function<void(const QString&)>& text,
    const std::function<void(unsigned char)>& stray);
