#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>

// File names are bytes; Qt holds text. Names cross between the two only through these, without loss: well-formed
// UTF-8 becomes its characters, and every other byte becomes the lone surrogate U+DC80 + its value (a code unit
// no text holds), which turns back into that byte. VisibleText shows such a unit as "\xe9".

// The name as text.
QString NameText(std::string_view bytes);
// The bytes of a name made by NameText; other text as QString::toUtf8 gives it.
std::string NameBytes(const QString& name);
// The program's arguments as NameText gives them.
QStringList ArgumentTexts(int argc, char* argv[]);
