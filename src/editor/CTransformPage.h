// One page of the "Effect Properties" tab control: the seven rows of one set of transform
// parameters (X and Y position, horizontal and vertical scale, horizontal and vertical axis,
// alpha).
//
// Each row has a drop-down button whose menu offers the commands of its axis; the button shows
// the chosen command's text, and the value box with its unit follows only for commands that take
// a value. "Uniform" under Scale hides the vertical row, which then takes the horizontal
// command and value; "Uniform" under Rotate hides the vertical-axis row, which takes the
// horizontal command, with the horizontal value + 90 for the commands that set an angle. The
// alpha row sets both axes of its mode word alike. Rows of the effect's hidden-rows set stay
// hidden.
//
// A group (move, scale, rotate, alpha) the user leaves alone is written back exactly as it was
// loaded, whatever its mode word holds; a group the user touches is rebuilt from its rows.
#pragma once

#include "effects/CEffectObj.h"
#include "effects/EffectModes.h"

#include <QWidget>

#include <array>
#include <optional>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace tavro::editor {

class CTransformPage : public QWidget {
    Q_OBJECT
public:
    // `menus` decides the commands the rows offer and the group captions ("Start Position" ...
    // on the Start At page, "Move" ... on the Transform page).
    explicit CTransformPage(TransformTab menus, QWidget* parent = nullptr);

    void Load(const CEffectObj::TransformSet& set, uint32_t hiddenRows);

    // The edited set, or none when a value box cannot be read: `*message` says why and `*bad`
    // is the box.
    std::optional<CEffectObj::TransformSet> Read(QString* message, QLineEdit** bad) const;

    TransformTab Menus() const { return menus_; }
    // The command a row shows (effect_mode::kCmd...).
    int Command(TransformRow row) const;
    // Chooses a command as the row's menu does.
    void ChooseCommand(TransformRow row, int command);
    // Shown on the page (not hidden by the hidden rows or a "Uniform" box).
    bool IsRowShown(TransformRow row) const;

    QToolButton* MenuButton(TransformRow row) const { return rows_[Index(row)].button; }
    QLineEdit* ValueBox(TransformRow row) const { return rows_[Index(row)].value; }
    QLabel* UnitLabel(TransformRow row) const { return rows_[Index(row)].unit; }
    QLabel* RowLabel(TransformRow row) const { return rows_[Index(row)].label; }
    QCheckBox* ScaleUniform() const { return scaleUniform_; }
    QCheckBox* RotateUniform() const { return rotateUniform_; }
    QGroupBox* MoveGroup() const { return moveGroup_; }
    QGroupBox* ScaleGroup() const { return scaleGroup_; }
    QGroupBox* RotateGroup() const { return rotateGroup_; }

private:
    enum Group { kMove, kScale, kRotate, kAlpha, kGroupCount };
    struct Row {
        QLabel* label = nullptr;
        QToolButton* button = nullptr;
        QLineEdit* value = nullptr;
        QLabel* unit = nullptr;
        int command = effect_mode::kCmdUnchanged;
    };

    static size_t Index(TransformRow row) { return static_cast<size_t>(row); }
    static Group GroupOf(TransformRow row);
    void BuildRow(TransformRow row, const QString& label, const QString& unit, QWidget* parent,
                  QGridLayout* grid, int gridRow);
    void SetRowCommand(TransformRow row, int command);
    void UpdateVisibility();
    void Touch(Group group) { touched_[group] = true; }
    // The value of a row that takes one, read from its box; false with the message otherwise.
    bool ReadValue(TransformRow row, double& value, QString* message, QLineEdit** bad) const;

    TransformTab menus_;
    std::array<Row, kTransformRowCount> rows_{};
    QGroupBox* moveGroup_ = nullptr;
    QGroupBox* scaleGroup_ = nullptr;
    QGroupBox* rotateGroup_ = nullptr;
    QCheckBox* scaleUniform_ = nullptr;
    QCheckBox* rotateUniform_ = nullptr;
    CEffectObj::TransformSet loaded_;
    uint32_t hiddenRows_ = 0;
    std::array<bool, kGroupCount> touched_{};
};

} // namespace tavro::editor
