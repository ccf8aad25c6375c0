#pragma once

#include "toolkit/Exception.h"

#include <QString>

// A typed save folder the rows cannot use, with what is wrong in words the user can act on.
class ESaveFolderError : public Exception
{
public:
    using Exception::Exception;
};

// The save folder as typed or pasted, as the rows take it: blank stays blank (the global path); a leading "~" is
// the home folder; it ends in exactly one "/". A folder that is not there yet is fine when it can be made, which
// the conversion does when it needs it. ESaveFolderError for a relative path, a file in the way, or a folder that
// may not be written into or made.
QString CheckedSaveFolder(const QString& typed);
