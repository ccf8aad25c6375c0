#pragma once

// How the process's heap treats small blocks.
namespace platform {

// From now on a small block freed goes back into the heap at once, merged with its free neighbours, instead of
// waiting in a fast list. A document of a hundred thousand values frees that many small blocks together, and the
// heap would sweep all of them the next time a large block is taken or given back, which cost a fifth of a list
// file's load. Safe to call more than once and from any thread.
void MergeFreedSmallBlocks();

} // namespace platform
