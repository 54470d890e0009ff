// "Effect Properties": the description, the number of frames (only for effects whose length
// may be set), "Reset At Start" and the transform tabs of one effect.
//
// An effect with at least two frames, or whose length may be set, gets two tabs: "Start At"
// (the start set, with the Start At menus) and "Transform" (the transform set), the second
// shown first. A one-frame effect gets one "Start At" tab, with the Start At menus, that edits
// the transform set: the object jumps straight to where it is put.
//
// Opened on its own, the dialog is one transactional edit of the effect; opened by a settings
// dialog's "Transform...", its OK hands the values to that dialog's edit and its Cancel drops
// them.
#pragma once

#include "editor/CEffectDlgBase.h"
#include "effects/CEffectObj.h"

class QCheckBox;
class QTabWidget;

namespace tavro::editor {

class CTransformPage;

class CEffectPropertiesDlg : public CEffectDlgBase {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Effect Properties";

    CEffectPropertiesDlg(EffectDialogHost& host, EffectEditSession& session, bool insideSettings,
                         QWidget* parent);
    ~CEffectPropertiesDlg() override;

    // Fills the controls (the constructor loads the edit's properties).
    void LoadProperties(const CEffectObj::Properties& properties);
    // The values of the controls, or none after a box refused its value (with the message
    // unless `quiet`).
    std::optional<CEffectObj::Properties> ReadProperties(bool quiet);

    QLineEdit* DescriptionBox() const { return description_; }
    QLineEdit* FramesBox() const { return frames_; }
    QCheckBox* ResetAtStartBox() const { return resetAtStart_; }
    QTabWidget* Tabs() const { return tabs_; }
    // The page that edits the start set (none with one tab) and the one that edits the
    // transform set.
    CTransformPage* StartPage() const { return startPage_; }
    CTransformPage* TransformPage() const { return transformPage_; }

protected:
    bool CommitValues() override;
    bool PreviewValues() override;
    void CancelValues() override;

private:
    bool insideSettings_;
    QLineEdit* description_ = nullptr;
    QLineEdit* frames_ = nullptr;
    QCheckBox* resetAtStart_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    CTransformPage* startPage_ = nullptr;
    CTransformPage* transformPage_ = nullptr;
    CEffectObj::Properties loaded_;
    ParamRange framesRange_;
    bool previewed_ = false;
};

} // namespace tavro::editor
