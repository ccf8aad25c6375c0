#include "app/FileFormDlg.h"

#include "app/ChoiceBoxes.h"
#include "app/FormStyle.h"
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
#include <QPlainTextEdit>
#include <QRegularExpression>

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
    if (!CommandManager)
        return;
    for (const std::string& name : CommandManager->Formats())
        ComboBox1->addItem(QString::fromStdString(name));
    if (ComboBox1->count() > 0)
        ComboBox1->SetItemIndex(0);
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
