#pragma once

#include "engine/plan/EncoderChoices.h"

#include <QPoint>

class QLabel;
class QWidget;
class TMyFlatComboBox;

// The three choices beside a format, size, quality and sound, as a row of captioned flat combo boxes in the look
// of the file dialogs; each starts at "as the format says".
class TChoiceBoxes
{
public:
    // Places the row on parent with its top left corner at topLeft, 425 pixels wide and RowHeight high.
    TChoiceBoxes(QWidget* parent, QPoint topLeft);

    TEncoderChoices Choices() const;
    void SetChoices(const TEncoderChoices& choices);

    // What the add-files dialog offers first: the choices of the last files added, kept in the user's settings.
    static TEncoderChoices Remembered();
    static void Remember(const TEncoderChoices& choices);
    // Whether the user marked the choices to be remembered at the last add; off at first.
    static bool RememberWanted();
    static void SetRememberWanted(bool wanted);

    static constexpr int RowHeight = 62;

    TMyFlatComboBox* cbSize;
    TMyFlatComboBox* cbQuality;
    TMyFlatComboBox* cbSound;
    QLabel* lbSize;
    QLabel* lbQuality;
    QLabel* lbSound;
};
