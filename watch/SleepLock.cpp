#include "watch/SleepLock.h"

#include "platform/Process.h"

struct TSleepLock::THolder {
    platform::Pipe Input; // while its write end is open, the helper waits and the lock stays
    platform::Pipe Output;
    platform::Process Helper;
};

std::string ConvertingText(std::size_t files)
{
    return "Converting " + std::to_string(files) + (files == 1 ? " file" : " files");
}

TSleepLock::TSleepLock() = default;

TSleepLock::~TSleepLock()
{
    Release();
}

void TSleepLock::Hold(const std::string& why)
{
    if (why == m_reason)
        return;
    auto holder = std::make_unique<THolder>();
    int error = 0;
    // cat ends when its input does, which is when this process lets go or dies; with it ends systemd-inhibit,
    // which holds logind's lock open for it.
    if (holder->Input.Open(error) && holder->Output.Open(error)
        && holder->Helper.Start(
            { "systemd-inhibit", "--what=sleep:idle", "--who=Quor Reelhand", "--why=" + why, "--mode=block", "cat" },
            holder->Input, holder->Output, error)) {
        Release();
        m_holder = std::move(holder);
    }
    m_reason = why;
}

void TSleepLock::Release()
{
    if (m_holder)
        m_holder->Helper.Terminate();
    m_holder.reset();
    m_reason.clear();
}
