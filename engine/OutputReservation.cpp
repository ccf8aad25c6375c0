#include "engine/OutputReservation.h"

#include "engine/overwriteManager.h"
#include "platform/FileSystem.h"

std::string ReservationPath(const std::string& output)
{
    std::size_t slash = output.find_last_of('/');
    std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    return output.substr(0, nameStart) + "." + output.substr(nameStart) + ".reserved";
}

TOutputReservation::TOutputReservation(const std::string& wanted)
{
    m_output = TOverwriteManager::FirstFree(wanted, [this](const std::string& candidate) { return !Hold(candidate); });
}

// Tries to reserve candidate; false when it is taken.
bool TOutputReservation::Hold(const std::string& candidate)
{
    const std::string reservation = ReservationPath(candidate);
    // A stale reservation that someone else takes over at the same moment sends us round again; a few rounds
    // settle who has it.
    for (int round = 0; round < 3; ++round) {
        std::string reason;
        switch (m_claim.Claim(reservation, reason)) {
        case platform::TFileClaim::TResult::Claimed:
            // Reserved first, then looked: a file already there is someone's finished output.
            if (!platform::FileExists(candidate))
                return true;
            m_claim.Release();
            return false;
        case platform::TFileClaim::TResult::Taken:
            return false;
        case platform::TFileClaim::TResult::Stale:
            platform::RemoveStaleClaim(reservation, [&] {
                int error = 0;
                platform::RemoveFile(candidate, error);
            });
            continue;
        case platform::TFileClaim::TResult::Failed:
            throw EReservationError("The output \"" + candidate + "\" cannot be reserved: " + reason);
        }
    }
    return false;
}

bool OutputDone(const std::string& path)
{
    return platform::FileSize(path) > 0 && !platform::FileExists(ReservationPath(path));
}
