// The panel of a "Goto Frame" action: the scene (first entry "<current scene>"), how the target
// is given (Number, Label, Next Frame, Previous Frame), the frame number, the label and
// "Go to and Play".
#pragma once

#include "editor/CActionPanel.h"

#include <array>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace tavro {
class CActionGotoFrame;
}

namespace tavro::editor {

class CGotoFramePanel : public CActionPanel {
    Q_OBJECT
public:
    CGotoFramePanel(CMainDlg& mainWnd, CActionGotoFrame& action, Mode mode,
                    QWidget* parent = nullptr);

    QString Title() const override;
    void Load() override;
    bool Validate() override;

    QComboBox* SceneBox() const { return scene_; }
    QRadioButton* ModeButton(int mode) const { return modes_.at(static_cast<size_t>(mode)); }
    QLineEdit* FrameEdit() const { return frame_; }
    QLineEdit* LabelEdit() const { return label_; }
    QCheckBox* PlayBox() const { return play_; }

protected:
    bool Differs() const override;
    void Apply() override;

private:
    // The scene the list shows, as stored: "<current scene>" stands for the empty name.
    std::string ChosenScene() const;
    int ChosenMode() const;
    void EnableFields();

    CActionGotoFrame& action_;
    QComboBox* scene_ = nullptr;
    std::array<QRadioButton*, 4> modes_{};
    QLineEdit* frame_ = nullptr;
    QLineEdit* label_ = nullptr;
    QCheckBox* play_ = nullptr;
};

} // namespace tavro::editor
