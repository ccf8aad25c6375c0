#include "engine/row/SourceMark.h"

#include "platform/FileSystem.h"

std::string SourceMark(const std::string& source)
{
    platform::TFileIdentity identity;
    if (platform::IdentityOf(source, identity) != 0)
        return "\nno source";
    return "\nsource " + std::to_string(identity.Size) + " " + std::to_string(identity.ModifiedNs);
}
