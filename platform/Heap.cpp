#include "platform/Heap.h"

#include <malloc.h>

namespace platform {

void MergeFreedSmallBlocks()
{
    // A size limit of 0 for the fast lists keeps every freed block out of them.
    ::mallopt(M_MXFAST, 0);
}

} // namespace platform
