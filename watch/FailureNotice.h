#pragma once

#include <list>
#include <memory>
#include <string>

// Tells the desktop that a watched file could not be converted, through its notification service
// (org.freedesktop.Notifications on the user's session bus, called by systemd's busctl), without waiting for it.
// Where there is no session bus or no service nothing is shown and nothing fails: the watch's own line on
// standard error, which a user service's journal keeps, says it in any case.
class TFailureNotice
{
public:
    TFailureNotice();
    // Ends the calls still on their way.
    ~TFailureNotice();
    TFailureNotice(const TFailureNotice&) = delete;
    TFailureNotice& operator=(const TFailureNotice&) = delete;

    void Show(const std::string& file, const std::string& reason);

private:
    struct TCall;
    std::list<std::unique_ptr<TCall>> m_calls;
};
