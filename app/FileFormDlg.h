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
// information panel hands the focus straight on to OK. The formats are grouped under headings when the
// catalogue makes more than one kind. The save folder may be typed or pasted; OK checks it when it was changed.
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
    // Adds the "save to" line, which then follows what the save folder's field holds.
    void AddSaveToLine();

    // The chosen format's position in the catalogue; -1 when there is none.
    int FormatIndex() const;
    // Chooses the format at a position in the catalogue; one that is not there chooses none.
    void SetFormatIndex(int format);
    // Shows a save folder as the one to keep: OK takes it as it is unless it was changed.
    void SetSaveFolder(const QString& folder);
    // The save folder as OK took it: blank for the global path, else as shown or ending in "/".
    const QString& SaveFolder() const { return m_saveFolder; }

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
    // Whether OK may close the dialog; a dialog that says no has told the user why. Checks the save folder when
    // it was changed: a faulty one is told and gets the focus.
    virtual bool CanAccept();

private:
    void FormCreate();
    void FillFormats();
    void btnOkClick();
    void btnCancelClick();
    void ShowLines();

    bool m_accepted = false;
    QStringList m_lines;
    int m_saveToLine = -1;
    QString m_shownFolder;
    QString m_saveFolder;
};
