#include "engine/row/SourceMark.h"

#include "platform/FileSystem.h"

std::string SourceMark(const std::string& source)
{
    platform::TFileStamp stamp;
    if (!platform::StampOf(source, stamp))
        return "\nno source";
    return "\nsource " + std::to_string(stamp.Size) + " " + std::to_string(stamp.ModifiedNs);
}
