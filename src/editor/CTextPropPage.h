// The base of every page of the property sheet: the page reads the current object when it is
// shown (Load) and writes its edits back (Commit) when it is left, before a command that reads
// the whole document, and when a field changes.
//
// Text fields follow the editing flag: a field gaining the focus sets the flag, every change of
// its text commits with the flag and clears it, losing the focus clears it. So the first
// keystroke after the field gains the focus records one undo step and the following keystrokes
// update the object live. Load sets the flag as well, so that the first edit after a reload
// (after an undo, say) records its step.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

#include <optional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace tavro::editor {

class CMainDlg;
class DialogService;

class CTextPropPage : public QWidget {
    Q_OBJECT
public:
    // Commit flags.
    static constexpr int kRecordUndoBefore = 1; // record an undo step before changing
    static constexpr int kRecordUndoAfter = 2;  // record a forced step after the change

    CTextPropPage(CMainDlg& mainWnd, const QString& caption, QWidget* parent = nullptr);

    const QString& Caption() const { return caption_; }

    // Fill the controls from the current object (clear and disable them when there is none).
    virtual void Load() {}
    // Write the controls back to the current object; nothing is written when nothing changed.
    virtual void Commit(int flags) { (void)flags; }
    // Move and stretch the controls by a change of the page area's size. The pages lay their
    // controls out with Qt layouts, which follow the page's size by themselves.
    virtual void Resize(int dx, int dy) { (void)dx, (void)dy; }

    // Called by the sheet when the page becomes active: Resize by the change of the page area
    // since the page was last laid out, then Load.
    void Activated();
    // Resize by the change of the shared page area since the page was last laid out.
    void FollowSheetSize();

    // The size of the sheet's page area, shared by every page.
    static QSize SheetSize();
    static void SetSheetSize(const QSize& size);

    // The editing flag (kRecordUndoBefore or 0).
    int EditingFlag() const { return editing_; }

protected:
    CMainDlg& MainWnd() const { return mainWnd_; }
    DialogService& Dialogs() const;

    // Follows the focus of the watched text fields; a page that filters events of its own
    // passes them on to this one.
    bool eventFilter(QObject* watched, QEvent* event) override;

    // Wire a text field to the editing flag: gaining the focus sets it, losing the focus clears
    // it, and every edit by the user runs CommitEdit. For a combo box, choosing an entry of its
    // list commits with kRecordUndoBefore.
    void WatchTextField(QLineEdit* field);
    void WatchTextField(QPlainTextEdit* field);
    void WatchTextField(QComboBox* editableCombo);
    void SetEditingFlag(int flag) { editing_ = flag; }
    // A change notification of a watched field: clears the editing flag and commits with the
    // value it had. Nothing happens while the page loads.
    void CommitEdit();

    // True while Load fills the controls: change notifications commit nothing then.
    bool IsLoading() const { return loading_ > 0; }
    // Marks a Load: notifications are ignored while it lives, and the editing flag is set when
    // it ends.
    class LoadScope {
    public:
        explicit LoadScope(CTextPropPage& page) : page_(page) { ++page_.loading_; }
        ~LoadScope() {
            --page_.loading_;
            page_.editing_ = kRecordUndoBefore;
        }
        LoadScope(const LoadScope&) = delete;
        LoadScope& operator=(const LoadScope&) = delete;

    private:
        CTextPropPage& page_;
    };

    // Reads an integer field. Text that is not a whole number in min … max shows
    // IntegerRangeMessage, puts `previous` back into the field and gives none.
    std::optional<int> ReadIntegerField(QLineEdit* field, int min, int max, int previous);
    // Shows a message about a value that cannot be taken.
    void ShowInvalidValue(const QString& message);

private:
    CMainDlg& mainWnd_;
    QString caption_;
    QSize laidOutSize_;
    int editing_ = 0;
    int loading_ = 0;
};

} // namespace tavro::editor
