#pragma once

#include <QDialog>
#include <QStringList>
#include <memory>

class QLabel;
class TChoiceBoxes;
class QPlainTextEdit;
class TLinePanel;
class TMyButtonEx;
class TMyFlatComboBox;
class TMyFlatEdit;
class TMyListBox;
class TPngImageList;
class TPngSpeedButton;

// The layout both file dialogs share: the file list, the format choice with the size, quality and sound below
// it, the save folder with its picker
// button, the information panel and OK / Cancel. Esc anywhere cancels; Enter does not press OK; the
// information panel hands the focus straight on to OK.
class TFileFormDlg : public QDialog
{
public:
    explicit TFileFormDlg(const QString& caption);
    ~TFileFormDlg() override;

    // True only after OK; the close box, Esc and Cancel leave it false.
    bool Accepted() const { return m_accepted; }

    // The information panel's lines, each as it was given. A line break inside one (a folder may be named
    // so) shows as a return sign, so every line stays one line of the panel.
    const QStringList& Lines() const { return m_lines; }
    void AddLine(const QString& text);
    // Replaces an existing line; an index past the last line is ignored.
    void SetLine(int index, const QString& text);
    // The line "save to: <folder>"; a blank folder shows as "use global path (<the default output folder>)".
    static QString SaveToLine(const QString& folder);

    TLinePanel* LinePanel1;
    TMyListBox* MyListBox1;
    TMyFlatComboBox* ComboBox1;
    std::unique_ptr<TChoiceBoxes> ChoiceBoxes;
    QLabel* Label2;
    TMyFlatEdit* etDirectory;
    TPngSpeedButton* btDirectory;
    QLabel* Label1;
    TLinePanel* LinePanel2;
    QPlainTextEdit* Memo1;
    TMyButtonEx* btnCancel;
    TMyButtonEx* btnOk;
    std::unique_ptr<TPngImageList> PngImageList1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // The folder button; each dialog decides what a picked or cancelled folder does.
    virtual void btDirectoryClick() = 0;
    // Whether OK may close the dialog; a dialog that says no has told the user why.
    virtual bool CanAccept() { return true; }

private:
    void FormCreate();
    void btnOkClick();
    void btnCancelClick();
    void ShowLines();

    bool m_accepted = false;
    QStringList m_lines;
};
