#pragma once

#include <cstdint>
#include <functional>
#include <memory>

class TmainDlg;

// Milliseconds since an arbitrary start, wrapping at 2^32 as the classic tick counter does.
uint32_t GetTickCount();

// Calls processEvents again and again until tick() has moved at least `minimum` past its first value. The
// difference is taken unsigned, so a counter that wraps meanwhile neither ends nor lengthens the wait.
void WaitAtLeast(uint32_t minimum, const std::function<uint32_t()>& tick, const std::function<void()>& processEvents);

// The program's start: the splash for at least a second, the main window built while the splash is still up,
// then the splash gone. The main window is shown; the caller runs the message loop.
std::unique_ptr<TmainDlg> StartUp(const std::function<uint32_t()>& tick = GetTickCount);
