#include "toolkit/FileNames.h"

#include "toolkit/Utf8Pieces.h"

namespace
{

constexpr char16_t ByteBase = 0xDC00;

bool IsByteUnit(char16_t unit)
{
    return unit >= ByteBase + 0x80 && unit <= ByteBase + 0xFF;
}

} // namespace

QString NameText(std::string_view bytes)
{
    QString text;
    SplitUtf8(
        bytes, [&](const QString& piece) { text += piece; },
        [&](unsigned char byte) { text += QChar(char16_t(ByteBase + byte)); });
    return text;
}

std::string NameBytes(const QString& name)
{
    std::string bytes;
    qsizetype plain = 0;
    const auto flush
        = [&](qsizetype end) { bytes += QStringView(name).mid(plain, end - plain).toUtf8().toStdString(); };
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t unit = name[i].unicode();
        const bool paired = i > 0 && name[i - 1].isHighSurrogate();
        if (IsByteUnit(unit) && !paired) {
            flush(i);
            bytes += static_cast<char>(unit - ByteBase);
            plain = i + 1;
        }
    }
    flush(name.size());
    return bytes;
}

QStringList ArgumentTexts(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << NameText(argv[i]);
    return arguments;
}
