#include "engine/SplitRun.h"

#include "engine/DosCommand.h"
#include "engine/PictureJoin.h"
#include "platform/FileSystem.h"

#include <QMetaObject>
#include <algorithm>

namespace
{

// Where a step of a cluster job writes before its file is checked: "piece-1.part.nut", "rest.part.mp4".
std::string PartPath(const std::string& path)
{
    const std::size_t dot = path.rfind('.');
    return path.substr(0, dot) + ".part" + path.substr(dot);
}

} // namespace

struct TSplitRun::TStep {
    std::size_t Index = 0;
    TEncoderReport Report;
    std::unique_ptr<TDosCommand> Runner = std::make_unique<TDosCommand>();
    std::string Output;
    bool Ended = false;
};

TSplitRun::TSplitRun(TSplitSteps steps, TWork work, double seconds)
    : m_steps(std::move(steps))
    , m_work(std::move(work))
    , m_seconds(seconds)
{
    for (std::size_t index : m_work.Steps) {
        if (index == m_steps.Pieces() && !m_steps.HasRest())
            continue;
        auto step = std::make_unique<TStep>();
        step->Index = index;
        const std::string path = index < m_steps.Pieces() ? m_steps.PiecePath(index) : m_steps.RestPath();
        // What another job joins gets its name only once it is whole and checked.
        step->Output = m_work.CheckPieces ? PartPath(path) : path;
        m_queue.push_back(std::move(step));
    }
    m_report = m_queue.empty() ? nullptr : &m_queue.front()->Report;
    m_mux = std::make_unique<TStep>();
    if (!m_report)
        m_report = &m_mux->Report;
}

TSplitRun::~TSplitRun()
{
    // The join is awaited before its context goes: the end it posted is then dropped with the context.
    m_stopJoin = true;
    if (m_join.joinable())
        m_join.join();
    m_context.reset();
    // The runners kill their encoders as they go.
    m_queue.clear();
    m_mux.reset();
}

void TSplitRun::Start()
{
    if (m_next < m_queue.size())
        StartStep(*m_queue[m_next++]);
    else
        Continue();
}

void TSplitRun::StartStep(TStep& step)
{
    const std::vector<std::string> arguments = step.Index < m_steps.Pieces()
        ? m_steps.PieceArguments(step.Index, step.Output)
        : m_steps.RestArguments(step.Output);
    step.Runner->OnNewLine = [this, &step](TDosCommand*, const std::string& line, TOutputType type) {
        if (type != otEntireLine)
            return;
        step.Report.TakeLine(line);
        if (OnLine)
            OnLine();
    };
    step.Runner->OnTerminated = [this, &step](TDosCommand*, uint32_t exitCode) { StepEnded(step, exitCode); };
    // What a killed run of the same step left is no part of this one. No encoder runs for a step that cannot
    // start, so the run ends here.
    if (int error = 0; m_work.CheckPieces && !platform::RemoveFile(step.Output, error)) {
        Fail(StepName(step.Index) + " cannot be made again: " + platform::SystemErrorMessage(error) + ".");
        return Continue();
    }
    step.Runner->SetArguments(arguments);
    step.Runner->Start();
}

void TSplitRun::StepEnded(TStep& step, uint32_t exitCode)
{
    if (step.Ended)
        return;
    step.Ended = true;
    const TRunOutcome outcome
        = TRunOutcome::OfRun(step.Runner->Status(), exitCode, step.Runner->ExitSignal(), step.Report);
    if (!outcome.Succeeded() && !m_stopping) {
        m_report = &step.Report;
        Fail(StepName(step.Index) + ": " + outcome.Reason());
    } else if (outcome.Succeeded() && m_work.CheckPieces) {
        const bool piece = step.Index < m_steps.Pieces();
        const std::string path = piece ? m_steps.PiecePath(step.Index) : m_steps.RestPath();
        if (std::optional<std::string> fault
            = piece ? PieceFault(step.Output, m_steps.Cuts(), step.Index, m_steps.Stamp()) : std::nullopt)
            Fail(*fault);
        else if (int error = 0; !platform::RenameFile(step.Output, path, error))
            Fail(StepName(step.Index) + " cannot be given its name: " + platform::SystemErrorMessage(error) + ".");
    }
    if (!m_failure && !m_stopping && m_next < m_queue.size()) {
        StartStep(*m_queue[m_next++]);
        return;
    }
    if (!m_failure && !m_stopping && OnEncoderFreed)
        OnEncoderFreed();
    Continue();
}

void TSplitRun::Fail(const std::string& reason)
{
    if (m_failure)
        return;
    m_failure = reason;
    m_stopping = true;
    for (const std::unique_ptr<TStep>& step : m_queue)
        step->Runner->Stop();
}

// Ends the run once nothing runs any more, or goes on to the join when every step is done.
void TSplitRun::Continue()
{
    if (m_ended || Busy())
        return;
    if (m_failure)
        return End(TRunOutcome::Failure(*m_failure));
    if (m_stopping)
        return End(TRunOutcome::StoppedByYou());
    if (m_next < m_queue.size())
        return;
    if (!m_work.Join)
        return End(TRunOutcome::Success());
    StartJoin();
}

void TSplitRun::StartJoin()
{
    // A piece has its name only once it is whole (and checked, where another step made it).
    std::vector<std::string> pieces;
    for (std::size_t piece = 0; piece < m_steps.Pieces(); ++piece) {
        pieces.push_back(m_steps.PiecePath(piece));
        if (!platform::FileExists(pieces.back()))
            return End(
                TRunOutcome::Failure(StepName(piece) + " is missing or was not checked; its step must run again."));
    }
    if (m_steps.HasRest() && !platform::FileExists(m_steps.RestPath()))
        return End(TRunOutcome::Failure(StepName(m_steps.Pieces()) + " are missing; their step must run again."));
    m_joining = true;
    m_join = std::thread([this, pieces, cuts = m_steps.Cuts(), stamp = m_steps.Stamp(), output = m_steps.JoinedPath()] {
        std::string fault;
        try {
            JoinPictures(pieces, cuts, stamp, output, m_stopJoin);
        } catch (const std::exception& error) {
            fault = error.what();
        }
        QMetaObject::invokeMethod(
            m_context.get(), [this, fault] { Joined(fault); }, Qt::QueuedConnection);
    });
}

void TSplitRun::Joined(const std::string& fault)
{
    m_join.join();
    m_joining = false;
    if (m_stopping)
        return Continue();
    if (!fault.empty())
        return End(TRunOutcome::Failure(fault));
    StartMux();
}

void TSplitRun::StartMux()
{
    TStep& mux = *m_mux;
    m_report = &mux.Report;
    mux.Index = m_steps.Pieces() + 1;
    mux.Output = m_work.Output;
    mux.Runner->OnNewLine = [this](TDosCommand*, const std::string& line, TOutputType type) {
        if (type == otEntireLine)
            m_mux->Report.TakeLine(line);
    };
    mux.Runner->OnTerminated = [this](TDosCommand*, uint32_t exitCode) {
        m_mux->Ended = true;
        End(TRunOutcome::OfRun(m_mux->Runner->Status(), exitCode, m_mux->Runner->ExitSignal(), m_mux->Report));
    };
    mux.Runner->SetArguments(m_steps.MuxArguments(m_work.Output));
    mux.Runner->Start();
}

void TSplitRun::End(const TRunOutcome& outcome)
{
    if (m_ended)
        return;
    m_ended = true;
    if (OnEnded)
        OnEnded(outcome);
}

void TSplitRun::Stop()
{
    if (m_ended || m_stopping)
        return;
    m_stopping = true;
    m_stopJoin = true;
    for (const std::unique_ptr<TStep>& step : m_queue)
        step->Runner->Stop();
    m_mux->Runner->Stop();
    Continue();
}

bool TSplitRun::Busy() const
{
    return Encoders() > 0;
}

int TSplitRun::Encoders() const
{
    int running = m_joining || m_mux->Runner->Running() ? 1 : 0;
    for (const std::unique_ptr<TStep>& step : m_queue)
        running += step->Runner->Running() ? 1 : 0;
    return running;
}

bool TSplitRun::WantsEncoder() const
{
    return !m_stopping && !m_ended && m_next < m_queue.size();
}

void TSplitRun::TakeEncoder()
{
    if (WantsEncoder())
        StartStep(*m_queue[m_next++]);
}

double TSplitRun::Done() const
{
    // Each piece by its share of the length; the rest is quick beside them, and the join and mux quicker still.
    const TSplitCuts& cuts = m_steps.Cuts();
    const double tick = double(cuts.TimeBaseNum) / cuts.TimeBaseDen;
    const double start = cuts.StartTime / 1e6;
    double done = 0;
    for (const std::unique_ptr<TStep>& step : m_queue) {
        if (step->Index >= m_steps.Pieces())
            continue;
        const double from = step->Index == 0 ? start : cuts.Cuts[step->Index - 1] * tick;
        const double to = step->Index < cuts.Cuts.size() ? cuts.Cuts[step->Index] * tick : start + m_seconds;
        // A piece's encoder counts its position from the piece's own first frame.
        const std::optional<double> at = step->Report.Position();
        const double share = step->Ended ? 1 : at ? std::clamp(*at / std::max(to - from, 1e-3), 0.0, 1.0) : 0;
        done += share * (to - from);
    }
    return m_seconds > 0 ? std::clamp(done / m_seconds, 0.0, 1.0) : 0;
}

std::string TSplitRun::StepName(std::size_t step) const
{
    if (step < m_steps.Pieces())
        return "Piece " + std::to_string(step + 1) + " of " + std::to_string(m_steps.Pieces()) + " of the picture";
    return "The sound and the rest";
}
