#pragma once

#include <QString>
#include <cstdint>

// The count label's text: "<rows> files, finished <finished> of <rows>".
QString CountText(int rows, int finished);

// The time label's text for a batch that has run the given seconds: hours, minutes and seconds with two
// digits at least; hours keep growing past 99.
QString TimestampText(int64_t seconds);
