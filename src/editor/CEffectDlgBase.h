// What every effect dialog shares: the button column ("OK", "Cancel", a dialog's own buttons,
// "Preview"), the transactional edit of its effect, the number boxes and their checks, and
// Preview.
//
// Preview writes the dialog's current values into the effect, disables every other control,
// becomes "Stop" and plays the movie in the stage window from the effect's scene. Stop, or the
// movie stopping any other way, enables the controls again and brings back "Preview". Closing
// the dialog while the preview plays stops it first.
#pragma once

#include "effects/EffectParams.h"

#include <QDialog>
#include <QPointer>

#include <optional>
#include <utility>
#include <vector>

class QHBoxLayout;
class QLineEdit;
class QPushButton;
class QVBoxLayout;

namespace tavro::editor {

class EffectDialogHost;
class EffectEditSession;

class CEffectDlgBase : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* kPreviewText = "Preview";
    static constexpr const char* kStopText = "Stop";

    CEffectDlgBase(EffectDialogHost& host, EffectEditSession& session, QWidget* parent);
    ~CEffectDlgBase() override;

    QPushButton* OkButton() const { return ok_; }
    QPushButton* CancelButton() const { return cancel_; }
    QPushButton* PreviewButton() const { return preview_; }
    bool IsPreviewing() const { return previewing_; }

    // OK: the values are checked (a refused box keeps the dialog open) and written.
    void accept() override;
    // Cancel, Esc, the close button: the preview stops, the effect is put back.
    void reject() override;

protected:
    // Checks the boxes and writes the values as OK does; false when a box refused its value.
    virtual bool CommitValues() = 0;
    // Checks the boxes and writes the values into the effect for a preview; false when refused.
    virtual bool PreviewValues() = 0;
    // Puts the effect back as the dialog found it.
    virtual void CancelValues() = 0;

    // The dialog's own controls go here; the button column is beside them.
    QVBoxLayout* ContentLayout() const { return content_; }
    // Adds a button to the column above "Preview".
    QPushButton* AddColumnButton(const QString& text, const char* objectName);

    // A number box whose object name is its label in the engine's table.
    QLineEdit* MakeBox(const QString& key, int width = 70);
    // The box's value, checked against `range`; none after the message was shown (unless
    // `quiet`), the box then holding the focus.
    std::optional<double> ReadBox(QLineEdit* box, const ParamRange& range, bool quiet);
    // The range of the box labelled `label` in the table of `className` (any int32 when it has
    // none).
    static ParamRange RangeOf(const char* className, const char* label);
    void Refuse(QWidget* box, const QString& message);

    EffectDialogHost& host_;
    EffectEditSession& session_;

private:
    void TogglePreview();
    void StopPreview();
    void EndPreviewState();

    QVBoxLayout* content_ = nullptr;
    QVBoxLayout* buttonColumn_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* preview_ = nullptr;
    bool previewing_ = false;
    // The controls Preview disabled, with whether each was disabled before.
    std::vector<std::pair<QPointer<QWidget>, bool>> disabled_;
};

} // namespace tavro::editor
