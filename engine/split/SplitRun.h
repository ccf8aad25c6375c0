#pragma once

#include "engine/row/EncoderReport.h"
#include "engine/row/RunOutcome.h"
#include "engine/split/SplitPlan.h"

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

class TDosCommand;

// Runs the steps of a row converted in pieces: the pieces of the picture and the rest of the source, as many at
// once as its owner grants encoders, then joins the pieces and muxes them with the rest into the output. The
// first piece fails the whole: the others are stopped, and the run ends with that piece's reason once no encoder
// is left. Runs on the main thread (the join beside it); its events come from the event loop.
class TSplitRun
{
public:
    // What a run does: which steps (pieces from 0, then the rest as step Pieces()), whether each piece is checked
    // and only then given its name (a step of a cluster job, which others join later), and whether the pieces
    // are then joined and muxed into output.
    struct TWork {
        std::vector<std::size_t> Steps;
        bool CheckPieces = false;
        bool Join = true;
        std::string Output;
    };

    TSplitRun(TSplitSteps steps, TWork work, double seconds);
    // Kills what runs, waits for the join; no event comes.
    ~TSplitRun();
    TSplitRun(const TSplitRun&) = delete;
    TSplitRun& operator=(const TSplitRun&) = delete;

    // Starts the first step on the encoder the owner has for the row; OnEnded may come before this returns.
    void Start();
    // Stops every encoder and the join; OnEnded follows once none is left.
    void Stop();

    // Encoders in use now; the join counts as one.
    int Encoders() const;
    // True while a step waits for an encoder.
    bool WantsEncoder() const;
    // Starts the next waiting step on an encoder the owner grants.
    void TakeEncoder();
    // How much of the work is done, from 0 to 1.
    double Done() const;
    // What the encoder of the step that failed said, else that of the last step.
    const TEncoderReport& Report() const { return *m_report; }
    const TSplitSteps& Steps() const { return m_steps; }

    std::function<void()> OnLine;
    // An encoder was given back: no step was left waiting for it.
    std::function<void()> OnEncoderFreed;
    // Once: every step has ended (and the output is made, when asked for), or one failed.
    std::function<void(const TRunOutcome& outcome)> OnEnded;

private:
    struct TStep;

    void StartStep(TStep& step);
    void StepEnded(TStep& step, uint32_t exitCode);
    void Fail(const std::string& reason);
    void Continue();
    void StartJoin();
    void Joined(const std::string& fault);
    void StartMux();
    void End(const TRunOutcome& outcome);
    bool Busy() const;
    std::string StepName(std::size_t step) const;

    const TSplitSteps m_steps;
    const TWork m_work;
    const double m_seconds;
    std::vector<std::unique_ptr<TStep>> m_queue;
    std::size_t m_next = 0;
    std::optional<std::string> m_failure;
    bool m_stopping = false;
    bool m_ended = false;
    const TEncoderReport* m_report;
    std::unique_ptr<TStep> m_mux;
    std::atomic<bool> m_stopJoin { false };
    std::thread m_join;
    bool m_joining = false;
    // The join's end comes back through the event loop to this object; once it is gone, nothing comes.
    std::unique_ptr<QObject> m_context = std::make_unique<QObject>();
};
