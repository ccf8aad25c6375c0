#include "batch/BatchOptions.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace {

const QCommandLineOption ConvertOption("convert",
    "Convert every row of the list file <list> (.qfl) with its format "
    "and into its output folder, as the window would.",
    "list");
const QCommandLineOption JobsOption(
    { "j", "jobs" }, "Run up to <n> encoders at once (default 1; 0: one per processor).", "n");
const QCommandLineOption ShardOption("shard",
    "Convert only the rows whose position in the list, counted from 0, leaves <i> "
    "when divided by <n>: n runs with i = 0 .. n-1 convert every row exactly once.",
    "i/n");
const QCommandLineOption SkipDoneOption("skip-done", "Skip a row whose output file is already there and finished.");
const QCommandLineOption QuietOption({ "q", "quiet" }, "Print only the rows that fail and the summary.");

// The parser's options are kept by value; help and version are the parser's own, so that their texts and
// spellings are the ones users know from other programs.
void Describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription("Opens the window; files and folders named on the command line open its "
                                     "add-files dialog.\nWith --convert, converts the rows of a list file exported "
                                     "by the window, without a display.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({ ConvertOption, JobsOption, ShardOption, SkipDoneOption, QuietOption });
}

} // namespace

bool WantsBatchMode(const QStringList& arguments)
{
    static const QStringList names = { "--convert", "-j", "--jobs", "--shard", "--skip-done", "-q", "--quiet", "-h",
        "--help", "-?", "--help-all", "-v", "--version" };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString name = arguments[i].section('=', 0, 0);
        if (names.contains(name))
            return true;
    }
    return false;
}

TBatchOptions ParseBatchOptions(const QStringList& arguments)
{
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(arguments))
        throw EBatchUsage(parser.errorText().toStdString());
    TBatchOptions options;
    options.Help = parser.isSet("help") || parser.isSet("help-all");
    options.Version = parser.isSet("version");
    if (options.Help || options.Version)
        return options;
    if (!parser.positionalArguments().isEmpty())
        throw EBatchUsage("Unexpected argument '" + parser.positionalArguments().first().toStdString() + "'.");
    if (!parser.isSet(ConvertOption))
        throw EBatchUsage("Nothing to convert: name the list file with --convert LIST.qfl.");
    options.ListPath = parser.value(ConvertOption).toStdString();
    if (parser.isSet(JobsOption)) {
        bool ok = false;
        options.Jobs = parser.value(JobsOption).toInt(&ok);
        if (!ok || options.Jobs < 0)
            throw EBatchUsage("--jobs takes a number of encoders (0: one per processor), not '" +
                parser.value(JobsOption).toStdString() + "'.");
    }
    if (parser.isSet(ShardOption)) {
        static const QRegularExpression form("^(\\d{1,9})/(\\d{1,9})$");
        const QRegularExpressionMatch match = form.match(parser.value(ShardOption));
        options.ShardIndex = match.hasMatch() ? match.captured(1).toInt() : -1;
        options.ShardCount = match.hasMatch() ? match.captured(2).toInt() : 0;
        if (options.ShardIndex < 0 || options.ShardIndex >= options.ShardCount)
            throw EBatchUsage(
                "--shard takes i/n with 0 <= i < n, not '" + parser.value(ShardOption).toStdString() + "'.");
    }
    options.SkipDone = parser.isSet(SkipDoneOption);
    options.Quiet = parser.isSet(QuietOption);
    return options;
}

std::string BatchHelpText()
{
    QCommandLineParser parser;
    Describe(parser);
    return parser.helpText().toStdString();
}
