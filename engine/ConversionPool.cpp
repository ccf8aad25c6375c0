#include "engine/ConversionPool.h"

#include <QThread>
#include <algorithm>

TConversionPool::TConversionPool(int jobs, const TConversionSettings& settings)
    : m_jobs(std::max(jobs, 1))
{
    // The pieces of a long row take every free slot: each slot's encoder gets its share of the processors.
    TConversionSettings slotSettings = settings;
    if (m_jobs > 1)
        slotSettings.PieceThreads = std::max(1, QThread::idealThreadCount() / m_jobs);
    for (int i = 0; i < m_jobs; ++i) {
        m_slots.push_back(std::make_unique<TRowConversion>(slotSettings));
        const std::size_t slot = m_slots.size() - 1;
        m_slots.back()->FreeEncoders = [this] {
            const int waiting = static_cast<int>(RowsWaiting ? RowsWaiting() : 0);
            return std::max(m_jobs - Encoders() - 1 - waiting, 0);
        };
        m_slots.back()->OnEncoderFreed = [this](TRowConversion&) { Fill(); };
        m_slots.back()->OnStarted = [this, slot](TRowConversion&) {
            if (OnStarted)
                OnStarted(slot);
        };
        m_slots.back()->OnLine = [this, slot](TRowConversion&) {
            if (OnLine)
                OnLine(slot);
        };
        m_slots.back()->OnEnded = [this, slot](TRowConversion&) {
            const std::shared_ptr<bool> alive = m_alive;
            if (OnEnded)
                OnEnded(slot);
            if (Alive(alive))
                Fill();
        };
    }
}

TConversionPool::~TConversionPool()
{
    *m_alive = false;
    for (const std::unique_ptr<TRowConversion>& slot : m_slots) {
        slot->OnStarted = nullptr;
        slot->OnEnded = nullptr;
        slot->OnLine = nullptr;
        slot->OnEncoderFreed = nullptr;
    }
    m_slots.clear();
}

void TConversionPool::Start()
{
    Fill();
}

void TConversionPool::Stop(const TRunOutcome& why)
{
    if (m_stopping || m_finished)
        return;
    m_stopping = true;
    for (const std::unique_ptr<TRowConversion>& slot : m_slots)
        slot->Stop(why);
    CheckFinished();
}

std::size_t TConversionPool::Running() const
{
    return std::count_if(m_slots.begin(), m_slots.end(), [](const auto& slot) { return slot->Running(); });
}

int TConversionPool::Encoders() const
{
    int encoders = 0;
    for (const std::unique_ptr<TRowConversion>& slot : m_slots)
        encoders += slot->Encoders();
    return encoders;
}

// The pieces of rows already running come before rows not yet begun: a begun row ends sooner, and its pieces
// take room on the disk until it does.
void TConversionPool::GrantEncoders()
{
    for (const std::unique_ptr<TRowConversion>& slot : m_slots)
        while (!m_stopping && EncoderFree() && slot->WantsEncoder())
            slot->TakeEncoder();
}

// Gives every idle encoder the next row; rows that end at once are passed over in a loop, so thousands of them in
// a row cost no stack. A row ending from inside (an owner's event) comes back here and finds the loop running.
void TConversionPool::Fill()
{
    if (m_filling)
        return;
    const std::shared_ptr<bool> alive = m_alive;
    m_filling = true;
    // Rows the owner added since it last had none join the batch.
    m_exhausted = false;
    // An event raised here may let a slot that was passed over end meanwhile; the round is made again then.
    const auto idleSlotLeft = [this] {
        return !m_stopping && !m_exhausted && EncoderFree()
            && std::any_of(m_slots.begin(), m_slots.end(), [](const auto& slot) { return !slot->Running(); });
    };
    GrantEncoders();
    while (idleSlotLeft()) {
        for (std::size_t i = 0; i < m_slots.size(); ++i) {
            TRowConversion& slot = *m_slots[i];
            while (!m_stopping && !m_exhausted && !slot.Running() && EncoderFree()) {
                TRowRequest row;
                if (!TakeNext || !TakeNext(i, row)) {
                    m_exhausted = true;
                    break;
                }
                if (!Alive(alive))
                    return;
                if (!slot.Start(row) && OnEnded)
                    OnEnded(i);
                if (!Alive(alive))
                    return;
                GrantEncoders();
            }
        }
    }
    m_filling = false;
    CheckFinished();
}

void TConversionPool::CheckFinished()
{
    if (m_finished || m_filling || Running() > 0 || (!m_stopping && (!m_exhausted || (MoreMayCome && MoreMayCome()))))
        return;
    m_finished = true;
    if (OnFinished)
        OnFinished();
}
