#include "batch/BatchOptions.h"

#include "engine/row/RowConversion.h"
#include "toolkit/FileNames.h"
#include "watch/WatchSettingsFile.h"

#include <QCommandLineParser>
#include <QRegularExpression>

namespace
{

const QCommandLineOption ConvertOption("convert",
    "Convert every row of the list file <list> (.qfl) with its format and into its output folder, as the window "
    "would; with --format, convert the files named after the options instead.");
const QCommandLineOption FormatOption("format",
    "Convert the files named on the command line with the catalogue's format <n> (the position --formats shows, "
    "from 0, as list files store it).",
    "n");
const QCommandLineOption OutputOption(
    "output", "With --format: write the outputs into <folder> (default: convert/ beside the program).", "folder");
const QCommandLineOption SizeOption("size",
    "Make pictures at most <lines> high (2160, 1440, 1080, 720 or 480; the shorter side of a portrait clip); never "
    "larger than the source. With a list, for rows without a size of their own.",
    "lines");
const QCommandLineOption QualityOption("quality",
    "Convert at <quality> higher, standard or smaller (files); see the README for what each encoder gets. With a "
    "list, for rows without a quality of their own.",
    "quality");
const QCommandLineOption SoundOption("sound",
    "Make the sound <layout> stereo (downmixed) or mono. With a list, for rows without a sound choice of their own.",
    "layout");
const QCommandLineOption FormatsOption("formats", "List the catalogue's formats: position, name, extension.");
const QCommandLineOption JobsOption(
    { "j", "jobs" }, "Run up to <n> encoders at once (default 1; 0: one per processor).", "n");
const QCommandLineOption ShardOption("shard",
    "Convert only rows i, i+n, i+2n, ... of the list, counted from 1 as the output counts them: n runs with "
    "i = 1 .. n convert every row exactly once.",
    "i/n");
const QCommandLineOption SkipDoneOption("skip-done", "Skip a row whose output file is already there and finished.");
const QCommandLineOption QuietOption({ "q", "quiet" }, "Print only the rows that fail and the summary.");
const QCommandLineOption SplitOption("split",
    "Cut each long file into <n> pieces at its keyframes, encode the pieces side by side (up to --jobs at once) "
    "and join them; 'auto': one piece per free encoder, for files longer than a minute.",
    "n|auto");
const QCommandLineOption PieceOption("piece",
    "With --split N and one file: encode only piece <i> (1 .. N) of its picture, or with N + 1 its sound and the "
    "rest, into a folder beside the output, as one task of a cluster job does.",
    "i");
const QCommandLineOption JoinOption(
    "join", "With --split N and one file: join the pieces the --piece steps made into the output.");

const QCommandLineOption WatchOption("watch",
    "With --format: convert every video or sound file that arrives under <folder> (sub-folders too) once it is "
    "finished, until the program is stopped; each file once (a ledger in the user's state folder keeps them).",
    "folder");
const QCommandLineOption SettleOption("settle",
    "With --watch: take a file once its size and time stayed the same for <seconds> after it was written "
    "(default 5).",
    "seconds");
const QCommandLineOption PollOption("poll",
    "With --watch: look at the folder every half settle time instead of hearing of its files from the system (taken "
    "by itself on network and FUSE file systems).");
const QCommandLineOption WatchSettingsOption("watch-settings",
    "Read the options from the settings file <name> (~/.config/Quor/Reelhand/watch/<name>.conf, or a path), as "
    "the user service reelhand-watch@<name> does.",
    "name");

const QList<QCommandLineOption> Options
    = { ConvertOption, FormatOption, OutputOption, SizeOption, QualityOption, SoundOption, FormatsOption, JobsOption,
          ShardOption, SkipDoneOption, QuietOption, SplitOption, PieceOption, JoinOption, WatchOption, SettleOption,
          PollOption, WatchSettingsOption };

// The parser's options are kept by value; help and version are the parser's own, so that their texts and
// spellings are the ones users know from other programs.
void Describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription("Opens the window; files and folders named on the command line open its "
                                     "add-files dialog.\nWith --convert, converts the rows of a list file exported "
                                     "by the window, or the files named, without a display. Rows are counted from 1.");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions(Options);
    parser.addPositionalArgument("list|files", "The list file, or with --format the files to convert.");
}

// --convert once was --convert=LIST; the list is now an argument of its own, so both spellings still read alike.
QStringList WithListApart(const QStringList& arguments)
{
    QStringList apart;
    for (const QString& argument : arguments) {
        if (argument.startsWith("--convert="))
            apart << "--convert" << argument.mid(10);
        else
            apart << argument;
    }
    return apart;
}

// Given twice, an option would silently take one of its values; nobody means that.
void RefuseRepeats(const QCommandLineParser& parser)
{
    const QStringList givenNames = parser.optionNames();
    for (const QCommandLineOption& option : Options) {
        const QStringList names = option.names();
        const auto given = std::count_if(
            givenNames.begin(), givenNames.end(), [&](const QString& name) { return names.contains(name); });
        if (given > 1)
            throw EBatchUsage("--" + names.last().toStdString() + " is given more than once.");
    }
}

int Count(const QCommandLineParser& parser, const QCommandLineOption& option, int least, const std::string& what)
{
    bool ok = false;
    const int value = parser.value(option).toInt(&ok);
    if (!ok || value < least)
        throw EBatchUsage("--" + option.names().last().toStdString() + " takes " + what + ", not '"
            + parser.value(option).toStdString() + "'.");
    return value;
}

void ReadShard(const QCommandLineParser& parser, TBatchOptions& options)
{
    static const QRegularExpression form("^(\\d{1,9})/(\\d{1,9})$");
    const QRegularExpressionMatch match = form.match(parser.value(ShardOption));
    options.ShardIndex = match.hasMatch() ? match.captured(1).toInt() : 0;
    options.ShardCount = match.hasMatch() ? match.captured(2).toInt() : 0;
    if (options.ShardIndex < 1 || options.ShardIndex > options.ShardCount)
        throw EBatchUsage("--shard takes i/n with 1 <= i <= n (rows count from 1), not '"
            + parser.value(ShardOption).toStdString() + "'.");
}

TEncoderChoices ChoicesOf(const QCommandLineParser& parser)
{
    const auto word = [&](const QCommandLineOption& option) { return parser.value(option).toStdString(); };
    try {
        return { SizeOfWord(word(SizeOption)), QualityOfWord(word(QualityOption)), SoundOfWord(word(SoundOption)) };
    } catch (const EChoiceError& error) {
        throw EBatchUsage(error.Message());
    }
}

void ReadSplit(const QCommandLineParser& parser, TBatchOptions& options)
{
    if (parser.isSet(SplitOption))
        options.Split = parser.value(SplitOption) == "auto"
            ? SplitAuto
            : Count(parser, SplitOption, 1, "a number of pieces from 1, or auto");
    if (!parser.isSet(PieceOption) && !parser.isSet(JoinOption))
        return;
    if (parser.isSet(PieceOption) && parser.isSet(JoinOption))
        throw EBatchUsage("--piece and --join are steps of their own; give one of them.");
    if (options.Split < 1 || options.Files.size() != 1)
        throw EBatchUsage("--piece and --join go with --split N, --format and one file.");
    options.SplitStep = parser.isSet(JoinOption) ? 0 : Count(parser, PieceOption, 1, "a step from 1");
    if (*options.SplitStep > options.Split + 1)
        throw EBatchUsage("--piece takes 1 .. " + std::to_string(options.Split) + " for the pieces and "
            + std::to_string(options.Split + 1) + " for the rest, not " + std::to_string(*options.SplitStep) + ".");
}

// --watch-settings NAME stands for the options its file holds, read as if they were typed in its place.
QStringList WithWatchSettings(const QStringList& arguments)
{
    QStringList expanded;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const bool joined = arguments[i].startsWith("--watch-settings=");
        if (arguments[i] != "--watch-settings" && !joined) {
            expanded << arguments[i];
            continue;
        }
        if (!joined && i + 1 == arguments.size())
            throw EBatchUsage("Missing value after '--watch-settings'.");
        const QString name = joined ? arguments[i].mid(17) : arguments[++i];
        std::string message;
        if (!ReadWatchSettings(WatchSettingsPath(NameBytes(name)), expanded, message))
            throw EBatchUsage(message);
    }
    return expanded;
}

void ReadWatch(const QCommandLineParser& parser, TBatchOptions& options)
{
    if (!parser.isSet(WatchOption)) {
        if (parser.isSet(SettleOption) || parser.isSet(PollOption))
            throw EBatchUsage("--settle and --poll go with --watch.");
        return;
    }
    if (parser.isSet(ShardOption) || options.SplitStep)
        throw EBatchUsage("--watch converts each file whole on this machine: no --shard, --piece or --join.");
    options.WatchFolder = NameBytes(parser.value(WatchOption));
    if (parser.isSet(SettleOption)) {
        bool ok = false;
        const double seconds = parser.value(SettleOption).toDouble(&ok);
        if (!ok || seconds < 0 || seconds > 86400)
            throw EBatchUsage("--settle takes seconds from 0 to 86400, not '" + parser.value(SettleOption).toStdString()
                + "'.");
        options.SettleMs = static_cast<int>(seconds * 1000);
    }
    options.Poll = parser.isSet(PollOption);
}

void ReadWhatToConvert(const QCommandLineParser& parser, TBatchOptions& options, bool convertImplied)
{
    const QStringList named = parser.positionalArguments();
    if (parser.isSet(WatchOption)) {
        if (!parser.isSet(FormatOption) || !named.isEmpty())
            throw EBatchUsage("--watch takes a folder and --format, and no files: the files are those that arrive.");
        options.Format = Count(parser, FormatOption, 0, "a format's position (see --formats)");
        options.OutputFolder = NameBytes(parser.value(OutputOption));
        return;
    }
    if (!parser.isSet(ConvertOption) && !convertImplied) {
        if (!named.isEmpty())
            throw EBatchUsage("Unexpected argument '" + named.first().toStdString() + "'.");
        throw EBatchUsage("Nothing to convert: name the list file with --convert LIST.qfl.");
    }
    if (parser.isSet(FormatOption)) {
        options.Format = Count(parser, FormatOption, 0, "a format's position (see --formats)");
        options.OutputFolder = NameBytes(parser.value(OutputOption));
        if (named.isEmpty())
            throw EBatchUsage("Nothing to convert: name the files after --convert --format N.");
        for (const QString& file : named)
            options.Files.push_back(NameBytes(file));
        return;
    }
    if (parser.isSet(OutputOption))
        throw EBatchUsage("--output goes with --format: a list names each row's output folder.");
    if (named.isEmpty())
        throw EBatchUsage("Missing value after '--convert'.");
    if (named.size() > 1)
        throw EBatchUsage("Unexpected argument '" + named[1].toStdString() + "'.");
    options.ListPath = NameBytes(named.first());
}

} // namespace

bool WantsBatchMode(const QStringList& arguments)
{
    // --jobs alone sets how many files the window converts at once.
    static const QStringList names = { "--convert", "--format", "--formats", "--output", "--size", "--quality",
        "--sound", "--shard", "--skip-done", "--split", "--piece", "--join", "-q", "--quiet", "-h", "--help", "-?",
        "--help-all", "-v", "--version", "--watch", "--settle", "--poll", "--watch-settings" };
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString name = arguments[i].section('=', 0, 0);
        if (names.contains(name))
            return true;
    }
    return false;
}

TBatchOptions ParseBatchOptions(const QStringList& arguments, bool convertImplied)
{
    QCommandLineParser parser;
    Describe(parser);
    if (!parser.parse(WithWatchSettings(WithListApart(arguments))))
        throw EBatchUsage(parser.errorText().toStdString());
    TBatchOptions options;
    options.Help = parser.isSet("help") || parser.isSet("help-all");
    options.Version = parser.isSet("version");
    if (options.Help || options.Version)
        return options;
    RefuseRepeats(parser);
    options.ListFormats = parser.isSet(FormatsOption);
    if (options.ListFormats)
        return options;
    ReadWhatToConvert(parser, options, convertImplied);
    options.Choices = ChoicesOf(parser);
    if (parser.isSet(JobsOption))
        options.Jobs = Count(parser, JobsOption, 0, "a number of encoders (0: one per processor)");
    if (parser.isSet(ShardOption))
        ReadShard(parser, options);
    options.SkipDone = parser.isSet(SkipDoneOption);
    options.Quiet = parser.isSet(QuietOption);
    ReadSplit(parser, options);
    ReadWatch(parser, options);
    return options;
}

std::string BatchHelpText()
{
    QCommandLineParser parser;
    Describe(parser);
    return parser.helpText().toStdString();
}
