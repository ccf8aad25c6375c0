#pragma once

#include "toolkit/Exception.h"

#include <QStringList>
#include <optional>

// A --jobs value the window cannot take.
class EFilesAtOnceArgument : public Exception
{
public:
    using Exception::Exception;
};

// How many files the window converts at once: from 1 to the number of processors, 1 until the user chooses
// otherwise, kept across starts in the user's settings.
namespace FilesAtOnce
{

int Limit();
// The value kept, brought within 1 to Limit().
int Stored();
void Store(int value);
// Takes "--jobs N" ("-j N", "--jobs=N") out of the window's arguments (the program's name not among them) and
// gives its value, when given; EFilesAtOnceArgument for one that is not a whole number from 1 to Limit().
std::optional<int> TakeFromArguments(QStringList& arguments);

} // namespace FilesAtOnce
