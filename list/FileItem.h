#pragma once

#include "engine/plan/EncoderChoices.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// One source file of the list: what to convert, to which format, into which folder, and the busy animation.
struct TItemData {
    QString FileName; // full path of the source file
    int32_t FormatIndex = 0; // position in the format catalogue; -1 for none
    QString Path; // output folder; empty means the convert folder beside the program
    TEncoderChoices Choices; // the size, quality and sound chosen beside the format
    uint8_t Busy = 0; // 1 while this file is being converted
    int32_t BusyPos = 0; // 0..74: offset of the moving block in the state box
    QString Reason; // why the last conversion failed; empty unless the row is Failed; never saved
    bool Stopped = false; // the last conversion failed because the user stopped it; never saved
    QString Progress; // how far the conversion is; empty unless the row is Converting; never saved
    QString Output; // the file the last conversion made; empty unless the row is Done; kept, not exported
    std::optional<int64_t> OutputSize; // bytes of Output, when known; kept with it, not exported
    std::optional<double> OutputLength; // seconds of Output, when known; kept with it, not exported
    std::optional<int> Percent; // how far the conversion is, 0..100; none while the length is unknown; never saved
    std::optional<int64_t> SecondsLeft; // what the conversion still needs at its pace; never saved
    QStringList Notes; // what the last conversion could not keep of its source as it is, one line each; never saved
};
