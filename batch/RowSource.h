#pragma once

#include "batch/BatchRow.h"

#include <optional>
#include <string>

// Rows for a batch, one at a time in the order they are to be converted: a list file read as it goes, the files
// named on the command line, or a watched folder's files as they become ready.
class TRowSource
{
public:
    virtual ~TRowSource() = default;
    // The next row to convert, in order; none when no row is ready now. A source that is reading its rows may
    // wait the moments the next one takes.
    virtual std::optional<TBatchRow> Next() = 0;
    // True once no further row will come. A source that may still get rows (a watched folder) keeps the batch
    // running, with idle encoders, until it ends or the batch is stopped.
    virtual bool Ended() const = 0;
    // Why the source ended before its last row (a list file that ends early or holds a faulty item); empty
    // while it has not, or when it read to its end.
    virtual std::string Error() const { return {}; }
};
