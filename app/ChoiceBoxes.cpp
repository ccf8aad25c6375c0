#include "app/ChoiceBoxes.h"

#include "app/FormStyle.h"
#include "controls/FlatEditUnit.h"

#include <QLabel>
#include <QSettings>
#include <algorithm>
#include <iterator>

namespace
{

constexpr const char* AsTheFormatSays = "as the format says";
constexpr int BoxWidth = 139;
constexpr int BoxGap = 4;

TMyFlatComboBox* MakeBox(QWidget* parent, const char* name, QPoint topLeft)
{
    auto* box = new TMyFlatComboBox(parent);
    box->setObjectName(name);
    box->setGeometry(topLeft.x(), topLeft.y(), BoxWidth, 30);
    box->SetStyle(csDropDownList);
    box->SetColor(clWindow);
    box->SetColorArrowBackground(clBtnFace);
    box->SetColorBorder(clWhite);
    // Smaller than the format's, so that "as the format says" fits the third of its width.
    box->setFont(TrebuchetFont(13));
    box->SetFontColor(ListFontColor);
    box->SetItemHeight(22);
    box->addItem(AsTheFormatSays);
    return box;
}

// A box's items after "as the format says", in the order of the values they stand for.
void AddItems(TMyFlatComboBox* box, const QStringList& items)
{
    box->addItems(items);
    box->SetItemIndex(0);
}

// A setting another version wrote, or a hand-edited one, counts as no choice.
template <typename Read> auto Setting(const char* key, Read read) -> decltype(read(std::string()))
{
    try {
        return read(QSettings().value(key).toString().toStdString());
    } catch (const EChoiceError&) {
        return {};
    }
}

} // namespace

TChoiceBoxes::TChoiceBoxes(QWidget* parent, QPoint topLeft)
{
    const QFont labelFont = TrebuchetFont(16);
    const int boxTop = topLeft.y() + 24;
    const auto left = [&](int column) { return topLeft.x() + column * (BoxWidth + BoxGap); };
    lbSize = MakeLabel(parent, "lbSize", "size", QRect(left(0), topLeft.y(), BoxWidth, 22), labelFont, CaptionColor);
    lbQuality
        = MakeLabel(parent, "lbQuality", "quality", QRect(left(1), topLeft.y(), BoxWidth, 22), labelFont, CaptionColor);
    lbSound = MakeLabel(parent, "lbSound", "sound", QRect(left(2), topLeft.y(), BoxWidth, 22), labelFont, CaptionColor);
    cbSize = MakeBox(parent, "cbSize", { left(0), boxTop });
    cbQuality = MakeBox(parent, "cbQuality", { left(1), boxTop });
    cbSound = MakeBox(parent, "cbSound", { left(2), boxTop });
    QStringList sizes;
    for (int lines : ChoosableLines)
        sizes << QString("at most %1 lines").arg(lines);
    AddItems(cbSize, sizes);
    AddItems(cbQuality, { "higher quality", "standard quality", "smaller files" });
    AddItems(cbSound, { "stereo", "mono" });
}

TEncoderChoices TChoiceBoxes::Choices() const
{
    const int size = cbSize->ItemIndex();
    return { size > 0 ? ChoosableLines[size - 1] : 0, TQualityChoice(std::max(0, cbQuality->ItemIndex())),
        TSoundChoice(std::max(0, cbSound->ItemIndex())) };
}

void TChoiceBoxes::SetChoices(const TEncoderChoices& choices)
{
    const auto size = std::find(std::begin(ChoosableLines), std::end(ChoosableLines), choices.MaxLines);
    cbSize->SetItemIndex(size == std::end(ChoosableLines) ? 0 : int(size - std::begin(ChoosableLines)) + 1);
    cbQuality->SetItemIndex(int(choices.Quality));
    cbSound->SetItemIndex(int(choices.Sound));
}

TEncoderChoices TChoiceBoxes::Remembered()
{
    return { Setting("choices/size", SizeOfWord), Setting("choices/quality", QualityOfWord),
        Setting("choices/sound", SoundOfWord) };
}

void TChoiceBoxes::Remember(const TEncoderChoices& choices)
{
    QSettings settings;
    settings.setValue("choices/size", QString::fromStdString(SizeWord(choices.MaxLines)));
    settings.setValue("choices/quality", QString::fromStdString(QualityWord(choices.Quality)));
    settings.setValue("choices/sound", QString::fromStdString(SoundWord(choices.Sound)));
}

bool TChoiceBoxes::RememberWanted()
{
    return QSettings().value("choices/remember", false).toBool();
}

void TChoiceBoxes::SetRememberWanted(bool wanted)
{
    QSettings().setValue("choices/remember", wanted);
}
