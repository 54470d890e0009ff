// The base of every page of the property sheet: the page reads the current object when it is
// shown (Load) and writes its edits back (Commit) when it is left, before a command that reads
// the whole document, and when a field changes.
#pragma once

#include <QSize>
#include <QString>
#include <QWidget>

namespace tavro::editor {

class CMainDlg;

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
    // Move and stretch the controls by a change of the page area's size.
    virtual void Resize(int dx, int dy) { (void)dx, (void)dy; }

    // Called by the sheet when the page becomes active: Resize by the change of the page area
    // since the page was last laid out, then Load.
    void Activated();
    // Resize by the change of the shared page area since the page was last laid out.
    void FollowSheetSize();

    // The size of the sheet's page area, shared by every page.
    static QSize SheetSize();
    static void SetSheetSize(const QSize& size);

protected:
    CMainDlg& MainWnd() const { return mainWnd_; }

private:
    CMainDlg& mainWnd_;
    QString caption_;
    QSize laidOutSize_;
};

} // namespace tavro::editor
