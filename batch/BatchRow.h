#pragma once

#include <QString>
#include <cstddef>
#include <string>
#include <vector>

enum class TRowState { Waiting, Converting, Done, Failed, Skipped };
constexpr std::size_t RowStateCount = 5;

// One row of a list file as the command-line mode converts it.
struct TBatchRow {
    int Index = 0; // position in the list file, from 0
    QString FileName;
    int FormatIndex = 0;
    QString Path;
    TRowState State = TRowState::Waiting;
    std::string Output; // the output written or being written; for a skipped row the one found
    std::string Reason; // why the row failed
};

// The rows of the list file at path whose index modulo shardCount is shardIndex, read as the window's Import
// reads them. Throws the reader's errors, with Import's messages; a file that is not there is an error here.
std::vector<TBatchRow> ReadBatchRows(const std::string& path, int shardIndex, int shardCount);
