#pragma once

#include <functional>
#include <memory>

// A hand-over line from worker threads to the user-interface thread that its owner can close. Closing it
// releases a worker waiting in Call, so the user-interface thread may wait for that worker without both
// waiting for each other forever (for instance while destroying the object the worker reports to).
class TSyncChannel
{
public:
    TSyncChannel();
    // Runs work on the user-interface thread and returns when it has run, passing on what it threw. Returns
    // false, without running it, when the channel is closed before work starts, and returns false at once
    // when the channel is closed while work runs. On the user-interface thread it runs work directly.
    bool Call(const std::function<void()>& work);
    // Closes the channel for good (any thread); work that has already started runs to its end.
    void Close();
    bool Closed() const;

private:
    struct State;
    std::shared_ptr<State> m_state;
};
