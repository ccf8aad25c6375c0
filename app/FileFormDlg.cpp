#include "app/FileFormDlg.h"

#include "app/ChoiceBoxes.h"
#include "app/FormStyle.h"
#include "app/FormatChoice.h"
#include "app/SaveFolder.h"
#include "controls/FlatEditUnit.h"
#include "controls/LinePanelUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/MyListBox.h"
#include "controls/PngSpeedButton.h"
#include "engine/commandManager.h"
#include "toolkit/Application.h"
#include "toolkit/Locations.h"
#include "toolkit/PngImageList.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QStandardItemModel>
#include <algorithm>

namespace
{

TLinePanel* MakePanel(QWidget* parent, const char* name, const QRect& bounds, TColor fill)
{
    auto* panel = new TLinePanel(parent);
    panel->setObjectName(name);
    panel->setGeometry(bounds);
    panel->SetLineColor(PanelLineColor);
    panel->SetLineBorders(0);
    panel->SetColor(fill);
    panel->SetBorderWidth(5);
    return panel;
}

// Formats listed under a heading show how many more rows there are without scrolling.
constexpr int GroupedDropDownCount = 16;
// The groups in the order the list shows them: the formats people reach for most come first.
constexpr FormatChoice::TGroup GroupOrder[]
    = { FormatChoice::SameQualityGroup, FormatChoice::VideoGroup, FormatChoice::SoundGroup };

} // namespace

TFileFormDlg::TFileFormDlg(const QString& caption)
    : QDialog(Application->MainWindow(),
        Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
{
    setWindowTitle(caption);
    // The choices' row sits below the format box and moves what the dialog had there down.
    constexpr int below = TChoiceBoxes::RowHeight;
    setFixedSize(442, 547 + below);
    SetBackgroundColor(this, FormColor);
    setFont(TrebuchetFont(12));
    const QFont listFont = TrebuchetFont(16);
    const QFont labelFont = TrebuchetFont(16);

    PngImageList1 = std::make_unique<TPngImageList>(32, 32);
    PngImageList1->Add(AppImage("folder32.png"));

    LinePanel1 = MakePanel(this, "LinePanel1", QRect(9, 8, 425, 129), clWhite);
    MyListBox1 = new TMyListBox(LinePanel1);
    MyListBox1->setObjectName("MyListBox1");
    MyListBox1->setGeometry(5, 5, 415, 119);
    MyListBox1->SetImageList(PngImageList1.get());
    MyListBox1->SetImageIndex(0);
    MyListBox1->SetItemHeight(35);
    MyListBox1->setFrameShape(QFrame::NoFrame);
    MyListBox1->setFont(listFont);
    MyListBox1->SetFontColor(ListFontColor);

    ComboBox1 = new TMyFlatComboBox(this);
    ComboBox1->setObjectName("ComboBox1");
    ComboBox1->setGeometry(9, 152, 425, 30);
    ComboBox1->SetStyle(csDropDownList);
    ComboBox1->SetColor(clWindow);
    ComboBox1->SetColorArrowBackground(clBtnFace);
    ComboBox1->SetColorBorder(clWhite);
    ComboBox1->setFont(listFont);
    ComboBox1->SetFontColor(ListFontColor);
    ComboBox1->SetItemHeight(22);
    ChoiceBoxes = std::make_unique<TChoiceBoxes>(this, QPoint(9, 190));

    Label2 = MakeLabel(this, "Label2", "save path (leave it blank to use global path)", QRect(8, 192 + below, 315, 22),
        labelFont, CaptionColor);

    etDirectory = new TMyFlatEdit(this);
    etDirectory->setObjectName("etDirectory");
    etDirectory->setGeometry(8, 224 + below, 393, 28);
    etDirectory->setReadOnly(true);
    etDirectory->SetColorBorder(clWhite);
    etDirectory->SetColorFlat(clWhite);
    etDirectory->setFont(listFont);
    etDirectory->SetFontColor(ListFontColor);

    btDirectory = new TPngSpeedButton(this);
    btDirectory->setObjectName("btDirectory");
    btDirectory->setGeometry(410, 226 + below, 24, 24);
    btDirectory->SetFlat(true);
    btDirectory->setToolTip("directory select");
    btDirectory->SetPngImage(AppImage("folder16.png"));
    btDirectory->OnClick = [this](auto*) { Application->Guard([this] { btDirectoryClick(); }); };

    Label1 = MakeLabel(this, "Label1", "Information", QRect(8, 272 + below, 82, 22), labelFont, CaptionColor);

    LinePanel2 = MakePanel(this, "LinePanel2", QRect(9, 304 + below, 425, 177), clBlack);
    Memo1 = new QPlainTextEdit(LinePanel2);
    Memo1->setObjectName("Memo1");
    Memo1->setGeometry(5, 5, 415, 167);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFont(TrebuchetFont(16));
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, Qt::black);
    memoPalette.setColor(QPalette::Text, QColor(0, 255, 0));
    Memo1->setPalette(memoPalette);
    Memo1->viewport()->setCursor(Qt::ArrowCursor);
    Memo1->installEventFilter(this);

    btnCancel = MakePushButton(this, "btnCancel", "&Cancel", QRect(184, 496 + below, 121, 41));
    btnCancel->OnClick = [this](auto*) { btnCancelClick(); };
    btnOk = MakePushButton(this, "btnOk", "&OK", QRect(312, 496 + below, 121, 41));
    btnOk->OnClick = [this](auto*) { btnOkClick(); };

    setTabOrder(MyListBox1, Memo1);
    setTabOrder(Memo1, btnOk);
    setTabOrder(btnOk, btnCancel);
    setTabOrder(btnCancel, etDirectory);
    setTabOrder(etDirectory, ComboBox1);
    setTabOrder(ComboBox1, ChoiceBoxes->cbSize);
    setTabOrder(ChoiceBoxes->cbSize, ChoiceBoxes->cbQuality);
    setTabOrder(ChoiceBoxes->cbQuality, ChoiceBoxes->cbSound);

    // Every key passes the dialog first, whichever control has the focus.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    FormCreate();
}

TFileFormDlg::~TFileFormDlg() = default;

void TFileFormDlg::FormCreate()
{
    etDirectory->setReadOnly(false);
    QObject::connect(etDirectory, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (m_saveToLine >= 0)
            SetLine(m_saveToLine, SaveToLine(text));
    });
    FillFormats();
}

// Each item keeps its format's position in the catalogue, so the order shown is free; a heading keeps none and
// cannot be chosen.
void TFileFormDlg::FillFormats()
{
    if (!CommandManager)
        return;
    const int formats = static_cast<int>(CommandManager->Formats().size());
    std::vector<FormatChoice::TGroup> groups;
    for (int format = 0; format < formats; ++format)
        groups.push_back(FormatChoice::GroupOf(*CommandManager, format));
    const bool headings = std::any_of(groups.begin(), groups.end(), [&](auto group) { return group != groups[0]; });
    auto* model = static_cast<QStandardItemModel*>(ComboBox1->model());
    for (FormatChoice::TGroup group : GroupOrder) {
        if (headings && std::find(groups.begin(), groups.end(), group) == groups.end())
            continue;
        if (headings) {
            auto* heading = new QStandardItem(FormatChoice::GroupHeading(group));
            heading->setFlags(Qt::NoItemFlags);
            QFont bold = ComboBox1->font();
            bold.setBold(true);
            heading->setFont(bold);
            model->appendRow(heading);
        }
        for (int format = 0; format < formats; ++format)
            if (!headings || groups[format] == group)
                ComboBox1->addItem(QString::fromStdString(CommandManager->Formats()[format]), format);
        if (!headings)
            break;
    }
    if (headings)
        ComboBox1->SetDropDownCount(GroupedDropDownCount);
    SetFormatIndex(formats > 0 ? 0 : -1);
}

int TFileFormDlg::FormatIndex() const
{
    const QVariant format = ComboBox1->currentData();
    return format.isValid() ? format.toInt() : -1;
}

void TFileFormDlg::SetFormatIndex(int format)
{
    ComboBox1->SetItemIndex(format < 0 ? -1 : ComboBox1->findData(format));
}

void TFileFormDlg::SetSaveFolder(const QString& folder)
{
    m_shownFolder = folder;
    etDirectory->setText(folder);
}

void TFileFormDlg::AddSaveToLine()
{
    m_saveToLine = int(m_lines.size());
    AddLine(SaveToLine(etDirectory->text()));
}

bool TFileFormDlg::CanAccept()
{
    // A folder only looked at is kept as it is, even one that cannot be reached just now.
    if (etDirectory->text() == m_shownFolder) {
        m_saveFolder = m_shownFolder;
        return true;
    }
    try {
        m_saveFolder = CheckedSaveFolder(etDirectory->text());
    } catch (const ESaveFolderError& error) {
        Application->MessageBox(QString::fromStdString(error.Message()), TMsgIcon::Warning, QMessageBox::Ok);
        etDirectory->setFocus();
        return false;
    }
    return true;
}

void TFileFormDlg::AddLine(const QString& text)
{
    m_lines.append(text);
    ShowLines();
}

QString TFileFormDlg::SaveToLine(const QString& folder)
{
    return "save to: " + (folder.isEmpty() ? "use global path (" + DefaultOutputFolder() + ")" : folder);
}

void TFileFormDlg::SetLine(int index, const QString& text)
{
    if (index < 0 || index >= m_lines.size())
        return;
    m_lines[index] = text;
    ShowLines();
}

void TFileFormDlg::ShowLines()
{
    static const QRegularExpression lineBreak("\\r\\n|[\\r\\n\\x{2028}\\x{2029}]");
    QStringList shown;
    for (const QString& line : m_lines)
        shown.append(QString(line).replace(lineBreak, QString(QChar(0x21B5))));
    Memo1->setPlainText(shown.join('\n'));
}

bool TFileFormDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        btnCancelClick();
        return true;
    }
    // Passed on with its reason, so OK shows the focus mark when Tab was what reached the panel.
    if (watched == Memo1 && event->type() == QEvent::FocusIn)
        btnOk->setFocus(static_cast<QFocusEvent*>(event)->reason());
    return QDialog::eventFilter(watched, event);
}

void TFileFormDlg::btnOkClick()
{
    if (!CanAccept())
        return;
    m_accepted = true;
    accept();
}

void TFileFormDlg::btnCancelClick()
{
    reject();
}
