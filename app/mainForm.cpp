#include "app/mainForm.h"

#include "app/FormStyle.h"
#include "app/WindowPlace.h"
#include "app/uihook.h"
#include "controls/FSProgressBar.h"
#include "controls/FlatEditUnit.h"
#include "controls/LinePanelUnit.h"
#include "controls/MyButtonEx.h"
#include "controls/MyFlatHintUnit.h"
#include "controls/imagebutton.h"
#include "toolkit/Anchors.h"
#include "toolkit/Application.h"
#include "toolkit/PixelRatio.h"
#include "toolkit/PngImageList.h"
#include "toolkit/TreeHeader.h"
#include "toolkit/VirtualStringTree.h"

#include <QAction>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QScreen>

namespace
{

QLabel* MakePicture(
    QWidget* parent, const char* name, const QImage& image, const QRect& bounds, int anchors = akLeft | akTop)
{
    auto* picture = new QLabel(parent);
    picture->setObjectName(name);
    picture->setGeometry(bounds);
    picture->setPixmap(QPixmap::fromImage(image));
    picture->setScaledContents(true);
    Anchor(picture, anchors);
    return picture;
}

TImageButton* MakeImageButton(
    QWidget* parent, const char* name, const QString& face, const QPoint& at, const QString& hint)
{
    auto* button = new TImageButton(parent);
    button->setObjectName(name);
    button->setGeometry(at.x(), at.y(), 112, 101);
    button->SetImage(AppImage(face + "-normal.png"));
    button->SetImageOver(AppImage(face + "-hover.png"));
    button->SetImageDown(AppImage(face + "-pressed.png"));
    button->SetImageDisable(AppImage(face + "-disabled.png"));
    button->SetUseDown(false);
    button->setToolTip(hint);
    return button;
}

// A caption over the lower part of a big button: "&" underlines the next letter, as on the button's label.
QLabel* MakeCaption(QWidget* parent, const char* name, const QString& text, const QRect& bounds, QWidget* button)
{
    QLabel* label = MakeLabel(parent, name, text, bounds, TrebuchetFont(13, true), CaptionColor);
    label->setBuddy(button);
    return label;
}

// The white, underlined italics of the window's links.
QFont LinkFont()
{
    QFont font = TrebuchetFont(12, true, true);
    font.setUnderline(true);
    return font;
}

} // namespace

TmainDlg::TmainDlg(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
            | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint)
{
    setObjectName("mainDlg");
    // The layout's size is the smallest; what the window gains goes to the list.
    resize(861, 529);
    setMinimumSize(861, 529);
    SetBackgroundColor(this, FormColor);
    setFont(TrebuchetFont(12));
    QIcon icon;
    for (int size : { 16, 24, 32, 48, 64, 72, 96, 128 })
        icon.addFile(QString(":/images/app/icon-%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    CreateControls();
    WindowPlace::Restore(this);
    Application->SetMainWindow(this);
    FormCreate();
    WindowPlace::RestoreColumns(VirtualStringTree1);
}

TmainDlg::~TmainDlg()
{
    FormDestroy();
    if (Application->MainWindow() == this)
        Application->SetMainWindow(nullptr);
}

void TmainDlg::FormCreate()
{
    m_uiHook = std::make_unique<TUIHook>(this);
    m_uiHook->WireMainWindow();
}

void TmainDlg::CloseUnasked()
{
    m_unasked = true;
    close();
}

void TmainDlg::closeEvent(QCloseEvent* event)
{
    if (!m_unasked && !m_uiHook->FormCloseQuery())
        event->ignore();
    else
        WindowPlace::Keep(this, VirtualStringTree1);
}

void TmainDlg::FormDestroy()
{
    m_uiHook.reset();
}

// Creation order is the stacking order: later controls lie over earlier ones.
void TmainDlg::CreateControls()
{
    Image1 = MakePicture(this, "Image1", AppImage("header.png"), QRect(0, 0, 400, 200));
    btnAdd = MakeImageButton(this, "btnAdd", "add", QPoint(16, 16), "add video files");
    lbAdd = MakeCaption(this, "lbAdd", "&Add", QRect(60, 96, 24, 18), btnAdd);
    Image2 = MakePicture(
        this, "Image2", AppImage("bottom.png"), QRect(0, height() - 21, width(), 21), akLeft | akRight | akBottom);

    ProgressBar1 = new TFSProgressBar(this);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setGeometry(16, 432, 828, 17);
    ProgressBar1->SetColorScheme(csCustom);
    ProgressBar1->SetColorBorder(PanelLineColor);
    ProgressBar1->SetBackColorFace(RGB(255, 236, 198));
    ProgressBar1->SetBackColorGrad(clWhite);
    ProgressBar1->SetForeColorFace(RGB(255, 222, 155));
    ProgressBar1->SetForeColorGrad(RGB(183, 123, 0));
    ProgressBar1->SetMax(100);
    ProgressBar1->SetMin(0);
    ProgressBar1->SetPosition(0);
    ProgressBar1->SetStep(10);
    ProgressBar1->SetOrientation(pbHorizontal);
    Anchor(ProgressBar1, akLeft | akRight | akBottom);

    lbUpdate = MakeLabel(this, "lbUpdate", "check for updates", QRect(740, 8, 104, 18), LinkFont(), clWhite,
        Qt::AlignRight | Qt::AlignTop);
    lbUpdate->setCursor(Qt::PointingHandCursor);
    Anchor(lbUpdate, akRight | akTop);
    Image3 = MakePicture(this, "Image3", AppImage("corner.png"), QRect(849, 517, 11, 11), akRight | akBottom);

    CreateButtons();
    CreateListPanel();
    CreatePopupMenu();
    // Tab walks the window as it reads: the big buttons, the list, then the buttons below it.
    QWidget* const order[] = { btnAdd, btnConvert, btnStop, btnSupport, VirtualStringTree1, btnImport, btnExport };
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    MyFlatHint1 = new TMyFlatHint(this);
    MyFlatHint1->SetColorBackground(clInfoBk);
    MyFlatHint1->SetColorArrowBackground(clInfoBk);
    MyFlatHint1->SetColorArrow(CaptionColor);
    MyFlatHint1->SetFont(TrebuchetFont(16));
    MyFlatHint1->SetFontColor(CaptionColor);
}

void TmainDlg::CreateButtons()
{
    btnConvert = MakeImageButton(this, "btnConvert", "convert", QPoint(144, 16), "start converting");
    lbConvert = MakeCaption(this, "lbConvert", "&Convert", QRect(176, 96, 48, 18), btnConvert);
    lbTimer = MakeLabel(this, "lbTimer", "timestamp: 00:00:00", QRect(600, 456, 244, 18),
        TrebuchetFont(12, false, true), clWhite, Qt::AlignRight | Qt::AlignTop);
    Anchor(lbTimer, akRight | akBottom);
    btnStop = MakeImageButton(this, "btnStop", "stop", QPoint(272, 16), "stop converting");
    lbStop = MakeCaption(this, "lbStop", "&Stop", QRect(315, 96, 27, 18), btnStop);
    btnSupport = MakeImageButton(this, "btnSupport", "support", QPoint(400, 16), "online support");
    lbSupport = MakeCaption(this, "lbSupport", "S&upport", QRect(432, 96, 49, 18), btnSupport);

    btnImport = MakePushButton(this, "btnImport", "&Import", QRect(16, 456, 121, 41));
    btnImport->setToolTip("load list from a disk file");
    btnExport = MakePushButton(this, "btnExport", "&Export", QRect(144, 456, 121, 41));
    btnExport->setToolTip("save list to a disk file");
    setTabOrder(btnImport, btnExport);

    lbFilesAtOnce = MakeLabel(this, "lbFilesAtOnce", "files at &once:", QRect(288, 467, 92, 18),
        TrebuchetFont(12, false, true), clWhite, Qt::AlignRight | Qt::AlignTop);
    cbFilesAtOnce = new TMyFlatComboBox(this);
    cbFilesAtOnce->setObjectName("cbFilesAtOnce");
    cbFilesAtOnce->setGeometry(388, 461, 56, 30);
    cbFilesAtOnce->SetStyle(csDropDownList);
    cbFilesAtOnce->SetColor(clWindow);
    cbFilesAtOnce->SetColorArrowBackground(clBtnFace);
    cbFilesAtOnce->SetColorBorder(clWhite);
    cbFilesAtOnce->setToolTip("how many files are converted at the same time");
    lbFilesAtOnce->setBuddy(cbFilesAtOnce);
    setTabOrder(btnExport, cbFilesAtOnce);
    for (QWidget* control : std::initializer_list<QWidget*> { btnImport, btnExport, lbFilesAtOnce, cbFilesAtOnce })
        Anchor(control, akLeft | akBottom);

    cbSplitLongFiles = new QCheckBox("split &long files", this);
    cbSplitLongFiles->setObjectName("cbSplitLongFiles");
    cbSplitLongFiles->setGeometry(456, 456, 136, 20);
    cbSplitLongFiles->setFont(TrebuchetFont(12, false, true));
    SetTextColor(cbSplitLongFiles, clWhite);
    cbSplitLongFiles->setToolTip("when fewer files than encoders are left, cut a long file into pieces for the free "
                                 "encoders");
    setTabOrder(cbFilesAtOnce, cbSplitLongFiles);
    Anchor(cbSplitLongFiles, akLeft | akBottom);

    lbOutput = MakeLabel(
        this, "lbOutput", QString(), QRect(456, 478, 388, 18), LinkFont(), clWhite, Qt::AlignRight | Qt::AlignTop);
    lbOutput->setCursor(Qt::PointingHandCursor);
    lbOutput->setToolTip("choose the folder for rows that name none");
    Anchor(lbOutput, akLeft | akRight | akBottom);
}

void TmainDlg::CreateListPanel()
{
    LinePanel1 = new TLinePanel(this);
    LinePanel1->setObjectName("LinePanel1");
    LinePanel1->setGeometry(16, 136, 828, 289);
    LinePanel1->SetLineColor(PanelLineColor);
    LinePanel1->SetLineBorders(0);
    LinePanel1->SetColor(RGB(191, 219, 255));
    Anchor(LinePanel1, akLeft | akTop | akRight | akBottom);

    btnList = new TImageButton(LinePanel1);
    btnList->setObjectName("btnList");
    btnList->setGeometry(8, 14, 66, 29);
    btnList->SetImage(AppImage("list-normal.png"));
    btnList->SetImageOver(AppImage("list-hover.png"));
    btnList->SetImageDown(AppImage("list-pressed.png"));
    // The header tab of the list's only page: nothing to press with the keyboard.
    btnList->setFocusPolicy(Qt::NoFocus);

    Shape1 = new QWidget(LinePanel1);
    Shape1->setObjectName("Shape1");
    Shape1->setGeometry(0, 39, 828, 1);
    SetBackgroundColor(Shape1, PanelLineColor);
    Anchor(Shape1, akLeft | akTop | akRight);

    lbList = MakeLabel(LinePanel1, "lbList", "List", QRect(32, 21, 18, 16), TrebuchetFont(11, true), CaptionColor);
    // Wide enough for the work done a batch adds to the count.
    lbCount = MakeLabel(LinePanel1, "lbCount", "0 files finished 0 of 0", QRect(420, 8, 400, 18), TrebuchetFont(12),
        CaptionColor, Qt::AlignRight | Qt::AlignTop);
    Anchor(lbCount, akRight | akTop);

    listImage = std::make_unique<TPngImageList>(16, 16);
    for (const char* state : { "waiting", "converting", "done", "failed" })
        listImage->AddFile(QString(":/images/list/state-%1.png").arg(state));

    VirtualStringTree1 = new TVirtualStringTree(LinePanel1);
    VirtualStringTree1->setObjectName("VirtualStringTree1");
    VirtualStringTree1->setGeometry(0, 40, 828, 249);
    VirtualStringTree1->SetImages(listImage.get());
    VirtualStringTree1->SetBackground(SharpImage(":/images/list/watermark.png"));
    VirtualStringTree1->SetHeaderVisible(true);
    TTreeHeader* header = VirtualStringTree1->Header();
    QFont headerFont("MS Sans Serif");
    headerFont.setPixelSize(11);
    header->setFont(headerFont);
    header->Color = VirtualStringTree1->Color();
    header->TextColor = CaptionColor;
    header->LineColor = PanelLineColor;
    Anchor(VirtualStringTree1, akLeft | akTop | akRight | akBottom);
}

void TmainDlg::CreatePopupMenu()
{
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto item = [this](const char* name, const QString& caption, const QString& hint) {
        QAction* action = PopupMenu1->addAction(caption);
        action->setObjectName(name);
        action->setStatusTip(hint);
        return action;
    };
    auto separator = [this](const char* name) {
        QAction* action = PopupMenu1->addSeparator();
        action->setObjectName(name);
        return action;
    };
    pmiDelete = item("pmiDelete", "&Delete", "delete selected item");
    pmiClear = item("pmiClear", "&Clear", "clear all items");
    pmiRemoveFinished = item("pmiRemoveFinished", "Remove &finished rows", "take the converted files off the list");
    N1 = separator("N1");
    pmiConvertAgain = item("pmiConvertAgain", "Convert &again", "put the selected items back to waiting");
    pmiRetryFailed = item("pmiRetryFailed", "&Retry failed rows", "convert the failed items once more");
    N2 = separator("N2");
    pmiOpenOutput = item("pmiOpenOutput", "&Open output file", "open the converted file");
    pmiOpenFolder = item("pmiOpenFolder", "Open its fo&lder", "show the folder of the converted file");
    N3 = separator("N3");
    pmiProperties = item("pmiProperties", "&Properties", "show properties");
    N4 = separator("N4");
    pmiWatchedFolders
        = item("pmiWatchedFolders", "&Watched folders...", "show what each watched folder's files came to");
}
