#include "engine/plan/EncoderTask.h"

#include "engine/DosCommand.h"
#include "engine/commandManager.h"
#include "platform/FileSystem.h"
#include "toolkit/FileNames.h"
#include "toolkit/Locations.h"

namespace
{

// A path from an imported list may be relative; it is taken from the program folder, so that the encoder never
// reads a name as an option ("-x") or as a protocol ("a:b").
std::string Absolute(const QString& path, const std::string& programFolder)
{
    std::string text = NameBytes(path);
    return text.starts_with('/') ? text : programFolder + "/" + text;
}

std::string FileNamePart(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithExtension(const std::string& name, const std::string& ext)
{
    size_t dot = name.rfind('.');
    return (dot == std::string::npos ? name : name.substr(0, dot)) + "." + ext;
}

} // namespace

void CheckEncoder(const std::string& path)
{
    if (platform::IsExecutableFile(path))
        return;
    const bool there = platform::FileExists(path) || platform::DirectoryExists(path);
    throw EEncoderMissing("The encoder " + path
        + (there ? " cannot be run: it is not an executable file." : " does not exist.")
        + "\nInstall ffmpeg and link it there, for example: ln -sf /usr/bin/ffmpeg \"" + path + "\"");
}

TEncoderTask EncoderTaskFor(const QString& fileName, int formatIndex, const QString& path, TCommandManager* catalogue,
    const std::string& programFolder)
{
    if (!catalogue || formatIndex < 0 || static_cast<std::size_t>(formatIndex) >= catalogue->Formats().size())
        throw ETaskRefused(TRunOutcome::NotInCatalogue());
    TEncoderTask task;
    task.Source = Absolute(fileName, programFolder);
    if (!platform::FileExists(task.Source))
        throw ETaskRefused(
            platform::DirectoryExists(task.Source) ? TRunOutcome::SourceIsFolder() : TRunOutcome::SourceMissing());
    if (path.isEmpty()) {
        task.OutputFolder = MakeDefaultOutputFolder();
    } else {
        // A folder without its closing separator would otherwise glue the folder and file names together.
        task.OutputFolder = Absolute(path, programFolder);
        if (!task.OutputFolder.ends_with('/'))
            task.OutputFolder += '/';
    }
    task.OutputName = WithExtension(FileNamePart(task.Source), catalogue->GetExt(formatIndex));
    task.Params = catalogue->GetParams(formatIndex);
    task.Plan = catalogue->GetPlan(formatIndex);
    return task;
}

std::vector<std::string> EncoderArguments(const std::string& encoder, const std::string& source,
    const std::vector<std::string>& params, const std::string& output, const std::vector<std::string>& inputOptions)
{
    std::vector<std::string> arguments { encoder };
    arguments.insert(arguments.end(), inputOptions.begin(), inputOptions.end());
    arguments.push_back("-i");
    arguments.push_back(source);
    arguments.insert(arguments.end(), params.begin(), params.end());
    arguments.push_back(output);
    return arguments;
}
