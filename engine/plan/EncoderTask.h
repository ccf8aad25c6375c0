#pragma once

#include "engine/plan/EncoderChoices.h"
#include "engine/row/RunOutcome.h"
#include "toolkit/Exception.h"

#include <QString>
#include <string>
#include <vector>

class TCommandManager;

// The encoder is missing or may not be run; the message names its path and what to do.
class EEncoderMissing : public Exception
{
public:
    using Exception::Exception;
};

// Raises EEncoderMissing unless an executable file is at path.
void CheckEncoder(const std::string& path);

// What the encoder is asked to do for one row of a list: read Source and write OutputFolder + OutputName (the
// wanted name, before a clash is avoided) with the format's Params.
struct TEncoderTask {
    std::string Source;
    std::string OutputFolder; // ends with '/'
    std::string OutputName;
    std::string Params;
    std::string Plan; // the entry's plan words, empty for an entry in the old form
    TEncoderChoices Choices; // the row's size, quality and sound

    std::string WantedOutput() const { return OutputFolder + OutputName; }
};

// A row that cannot be handed to the encoder at all; the outcome says why, in the words every row failed so gets.
class ETaskRefused : public Exception
{
public:
    explicit ETaskRefused(const TRunOutcome& outcome)
        : Exception(outcome.Reason())
        , m_outcome(outcome)
    {
    }
    const TRunOutcome& Outcome() const { return m_outcome; }

private:
    TRunOutcome m_outcome;
};

// The task of a row with the given source file, format index and output folder. A relative source or folder is
// taken from the program folder; an empty folder is the default output folder (DefaultOutputFolder), made when
// missing. The output is named after the source with the format's extension in place of its own. Throws
// ETaskRefused when there is no catalogue, the format is not in it or the source file is missing or a folder,
// ECommandError when the format's entry lacks a value, and Exception when the default output folder cannot be made.
TEncoderTask EncoderTaskFor(const QString& fileName, int formatIndex, const QString& path, TCommandManager* catalogue,
    const std::string& programFolder);

// The encoder's words `encoder inputOptions... -i source params... output`, each one argument whatever it holds.
std::vector<std::string> EncoderArguments(const std::string& encoder, const std::string& source,
    const std::vector<std::string>& params, const std::string& output,
    const std::vector<std::string>& inputOptions = {});
