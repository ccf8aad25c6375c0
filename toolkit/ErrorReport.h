#pragma once

#include <functional>
#include <string>

// Where a failure that no caller can take goes (a catalogue that cannot be read): the window's standard error
// box, the command line's standard error. Nothing when no reporter is set.
void ReportError(const std::string& message);
// Sets the reporter; an empty one drops reports.
void SetErrorReporter(std::function<void(const std::string& message)> reporter);
