#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLabel;

// The start-up picture: a borderless, translucent 570 x 330 window centred on the desktop, shown while the
// main window is being built and never again.
class TSplashDlg : public QWidget
{
public:
    explicit TSplashDlg(QWidget* parent = nullptr);

    QLabel* Image1; // the picture, at (0, 0) and sized to it; owned by the window
};

// The splash while it exists (from ShowSplash to FreeSplash), otherwise nullptr.
extern TSplashDlg* SplashDlg;

// A millisecond tick source; its value wraps around at 2^32 like the classic system tick counter.
using TTickSource = std::function<std::uint32_t()>;

// Milliseconds from a fixed start on a monotonic clock, truncated to 32 bits (wraps every 49.7 days).
std::uint32_t GetTickCount();

// Processes pending events again and again, never sleeping, until the unsigned 32-bit difference between the
// current tick and the first tick read reaches `minimum` ms; a counter wrap during the wait does not lengthen it.
void ProcessMessagesFor(std::uint32_t minimum, const TTickSource& tick = GetTickCount);

// Creates SplashDlg, shows it and keeps processing events for at least 1000 ms; the splash stays on screen
// afterwards until FreeSplash. Does nothing when a splash already exists.
void ShowSplash(const TTickSource& tick = GetTickCount);

// Hides and frees SplashDlg and clears the reference; harmless when there is none.
void FreeSplash();
