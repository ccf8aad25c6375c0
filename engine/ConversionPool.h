#pragma once

#include "engine/RowConversion.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

// Converts the rows its owner hands out, in the owner's order, with up to a given number of encoders at once:
// the window's job and the command-line mode share it. A row cut into pieces takes several of them; its pieces
// get a free encoder before the next row does. Runs on the main thread; its events come from the event loop, and
// the owner may stop the pool from inside any of them. A slot is busy from the moment it takes a row, while its
// source is read, until the row has ended.
class TConversionPool
{
public:
    TConversionPool(int jobs, const TConversionSettings& settings);
    // Kills what still runs and removes what it made; no event comes.
    ~TConversionPool();
    TConversionPool(const TConversionPool&) = delete;
    TConversionPool& operator=(const TConversionPool&) = delete;

    // Starts as many rows as there are encoders; OnFinished may come before this returns.
    void Start();
    // The owner has rows again after TakeNext found none: idle encoders take them now.
    void RowsAdded() { Fill(); }
    // Starts no further row and kills every running encoder: their rows end Failed with why. OnFinished follows
    // when the last encoder is gone (at once when none runs). Nothing once finished.
    void Stop(const TRunOutcome& why);

    bool Stopping() const { return m_stopping; }
    bool Finished() const { return m_finished; }
    std::size_t Slots() const { return m_slots.size(); }
    const TRowConversion& Slot(std::size_t slot) const { return *m_slots[slot]; }
    // How many rows run right now.
    std::size_t Running() const;
    // How many encoders run right now: a row cut into pieces may run several.
    int Encoders() const;

    // How many rows wait after those handed out; unset: none. A row cut into pieces leaves them their encoders.
    std::function<std::size_t()> RowsWaiting;
    // Whether rows may still come when TakeNext has none (a watched folder): the pool then waits for RowsAdded
    // instead of finishing. Unset: none come.
    std::function<bool()> MoreMayCome;
    // The next row for the idle encoder slot, filled into row; false when no row is left.
    std::function<bool(std::size_t slot, TRowRequest& row)> TakeNext;
    // The slot's encoder has started on the row it took.
    std::function<void(std::size_t slot)> OnStarted;
    // The slot's row has ended Done or Failed (also at once, without an encoder); Slot(slot) tells how.
    std::function<void(std::size_t slot)> OnEnded;
    // A running encoder said something.
    std::function<void(std::size_t slot)> OnLine;
    // Once: every row has ended, or a stop has ended every encoder.
    std::function<void()> OnFinished;

private:
    void Fill();
    void GrantEncoders();
    bool EncoderFree() const { return Encoders() < m_jobs; }
    void CheckFinished();
    bool Alive(const std::shared_ptr<bool>& alive) const { return *alive; }

    const int m_jobs;
    std::vector<std::unique_ptr<TRowConversion>> m_slots;
    bool m_exhausted = false;
    bool m_stopping = false;
    bool m_finished = false;
    bool m_filling = false;
    // Cleared by the destructor: an owner may destroy the pool from inside one of its events.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
