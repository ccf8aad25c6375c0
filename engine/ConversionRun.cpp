#include "engine/ConversionRun.h"

#include "platform/FileSystem.h"

void CheckEncoder(const std::string& path)
{
    if (platform::IsExecutableFile(path))
        return;
    const bool there = platform::FileExists(path) || platform::DirectoryExists(path);
    throw EEncoderMissing("The encoder " + path
        + (there ? " cannot be run: it is not an executable file." : " does not exist.")
        + "\nInstall ffmpeg and link it there, for example: ln -sf /usr/bin/ffmpeg \"" + path + "\"");
}

void TConversionRun::Begin(const std::string& output)
{
    m_active = true;
    m_output = output;
    m_report.Clear();
    m_began = std::chrono::steady_clock::now();
}

double TConversionRun::ElapsedSeconds() const
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - m_began).count();
}

std::string TConversionRun::ProgressText() const
{
    const double elapsed = ElapsedSeconds();
    const std::string elapsedText = ClockText(static_cast<int64_t>(elapsed)) + " elapsed";
    const std::optional<int> percent = m_report.Percent();
    if (!percent)
        return elapsedText;
    const std::string done = std::to_string(*percent) + " %, ";
    if (const std::optional<int64_t> left = m_report.SecondsLeft(elapsed))
        return done + "about " + ClockText(*left) + " left";
    return done + elapsedText;
}

TRunOutcome TConversionRun::End(TRunOutcome outcome)
{
    if (!m_active)
        return outcome;
    m_active = false;
    int error = 0;
    if (!outcome.Succeeded() && !m_report.OutputExisted() && !platform::RemoveFile(m_output, error))
        outcome.OutputNotRemoved(m_output, platform::SystemErrorMessage(error));
    return outcome;
}

void TConversionRun::Abandon()
{
    End(TRunOutcome::StoppedByYou());
}
