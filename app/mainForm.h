#pragma once

#include <QCheckBox>
#include <QWidget>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class TFSProgressBar;
class TImageButton;
class TLinePanel;
class TMyButtonEx;
class TMyFlatComboBox;
class TMyFlatHint;
class TPngImageList;
class TUIHook;
class TVirtualStringTree;

// The main window: a layout of the program's controls at 861 × 529, its smallest size; the list takes what the
// window grows by, and the window comes back where and as big as it was left. It has no behaviour of its own; its
// controller, made when the window is made and freed with it, hooks every control.
class TmainDlg : public QWidget
{
public:
    // Builds the controls, becomes the application's main window and makes and wires the controller.
    explicit TmainDlg(QWidget* parent = nullptr);
    // Frees the controller (which stops a running batch) before the controls go.
    ~TmainDlg() override;

    TUIHook& Controller() { return *m_uiHook; }
    // Closes the window without asking, also during a batch: the program is ending. Any other close asks
    // first while a batch runs.
    void CloseUnasked();

    QLabel* Image1;
    TImageButton* btnAdd;
    QLabel* lbAdd;
    QLabel* Image2;
    TFSProgressBar* ProgressBar1;
    QLabel* lbUpdate;
    QLabel* Image3;
    TImageButton* btnConvert;
    QLabel* lbConvert;
    QLabel* lbTimer;
    QLabel* lbFilesAtOnce;
    TMyFlatComboBox* cbFilesAtOnce;
    QCheckBox* cbSplitLongFiles;
    QLabel* lbOutput;
    TImageButton* btnStop;
    QLabel* lbStop;
    TImageButton* btnSupport;
    QLabel* lbSupport;
    TMyButtonEx* btnImport;
    TMyButtonEx* btnExport;
    TLinePanel* LinePanel1;
    TImageButton* btnList;
    QWidget* Shape1;
    QLabel* lbList;
    QLabel* lbCount;
    TVirtualStringTree* VirtualStringTree1;
    std::unique_ptr<TPngImageList> listImage;
    TMyFlatHint* MyFlatHint1;
    QMenu* PopupMenu1;
    QAction* pmiDelete;
    QAction* pmiClear;
    QAction* pmiRemoveFinished;
    QAction* N1;
    QAction* pmiConvertAgain;
    QAction* pmiRetryFailed;
    QAction* N2;
    QAction* pmiOpenOutput;
    QAction* pmiOpenFolder;
    QAction* N3;
    QAction* pmiProperties;
    QAction* N4;
    QAction* pmiWatchedFolders;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateControls();
    void CreateButtons();
    void CreateListPanel();
    void CreatePopupMenu();
    void FormCreate();
    void FormDestroy();

    std::unique_ptr<TUIHook> m_uiHook;
    bool m_unasked = false;
};
