#include "watch/FailureNotice.h"

#include "platform/Process.h"
#include "toolkit/VisibleText.h"

struct TFailureNotice::TCall {
    platform::Pipe Input;
    platform::Pipe Output;
    platform::Process Busctl;
};

TFailureNotice::TFailureNotice() = default;

TFailureNotice::~TFailureNotice() = default;

void TFailureNotice::Show(const std::string& file, const std::string& reason)
{
    // The calls that have ended go; one that hangs is ended with the notice object.
    m_calls.remove_if([](const std::unique_ptr<TCall>& call) { return call->Busctl.ExitStatus().has_value(); });
    auto call = std::make_unique<TCall>();
    int error = 0;
    // Each value is one word of busctl's, after "--": a name that starts with a dash stays a name.
    if (call->Input.Open(error) && call->Output.Open(error)
        && call->Busctl.Start(
            { "busctl", "--user", "--", "call", "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
                "org.freedesktop.Notifications", "Notify", "susssasa{sv}i", "Quor Reelhand", "0", "app.quor.Reelhand",
                "A watched file could not be converted", VisibleText(file) + "\n" + VisibleText(reason), "0", "1",
                "desktop-entry", "s", "app.quor.Reelhand", "-1" },
            call->Input, call->Output, error))
        m_calls.push_back(std::move(call));
}
