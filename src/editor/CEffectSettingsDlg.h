// The base of the effects' own settings dialogs ("Slide Effect", "Wave Letters", ...): the
// effect's fields in boxes, choices and check boxes, "OK", "Cancel", "Transform..." (the
// "Effect Properties" dialog of the same effect, inside the same edit) and "Preview".
//
// A subclass builds its controls from the effect in its constructor, reads them back in
// ReadFields (checking every box against the engine's table of ranges) and writes what it read
// in WriteFields. Choices and check boxes the user left as they were loaded keep the stored
// value, whatever it was.
#pragma once

#include "editor/CEffectDlgBase.h"
#include "effects/CEffectObj.h"

#include <QStringList>

class QButtonGroup;
class QGridLayout;
class QGroupBox;
class QLabel;

namespace tavro::editor {

class CEffectSettingsDlg : public CEffectDlgBase {
    Q_OBJECT
public:
    static constexpr const char* kTransformText = "Transform...";

    CEffectSettingsDlg(EffectDialogHost& host, EffectEditSession& session, const QString& title,
                       QWidget* parent);
    ~CEffectSettingsDlg() override;

    QPushButton* TransformButton() const { return transform_; }
    // "Transform...": the "Effect Properties" dialog of the effect, modal, inside this edit.
    void OpenTransform();

protected:
    // Reads every control into the dialog's values; false when a box refused its value (with
    // the message unless `quiet`).
    virtual bool ReadFields(bool quiet) = 0;
    // Writes the values ReadFields read into the effect.
    virtual void WriteFields(CEffectObj& effect) const = 0;

    bool CommitValues() override;
    bool PreviewValues() override;
    void CancelValues() override;

    // The box that holds the effect's number of frames, if the dialog has one: it shows what
    // "Effect Properties" confirms, and that dialog opens with what it holds.
    void SetFramesBox(QLineEdit* box, const ParamRange& range);

    // A row of `grid`: the label, the box (object name `key`, the box's label in the engine's
    // table) and a unit after it.
    QLineEdit* AddBoxRow(QGridLayout* grid, int row, const QString& label, const char* key,
                         const QString& unit = {});
    // The box's value checked against the range of `label` in the table of `className`, into
    // `out`; false when refused (with the message unless `quiet`), `out` then unchanged.
    bool ReadInto(QLineEdit* box, const char* className, const char* label, bool quiet,
                  int32_t& out);
    bool ReadInto(QLineEdit* box, const char* className, const char* label, bool quiet,
                  double& out);

    // A group of exclusive choices with ids 0, 1, ...; `checked` selects one (none when out of
    // range).
    QButtonGroup* AddChoices(QGroupBox* box, const QStringList& labels, int checked,
                             bool horizontal = false);
    // The choice to store: the one checked, or `stored` when none is (a stored value that
    // matches no choice).
    static int32_t ChoiceOf(const QButtonGroup* group, int32_t stored);

private:
    QPushButton* transform_ = nullptr;
    QLineEdit* framesBox_ = nullptr;
    ParamRange framesRange_;
};

} // namespace tavro::editor
