// "Slide Effect": the length, the direction of travel (in or out) and the side of the stage a
// slide comes in from or goes out to. The group of sides is captioned "Slide In From" or
// "Slide Out To" after the direction of travel chosen.
#pragma once

#include "editor/CEffectSettingsDlg.h"

class QButtonGroup;
class QGroupBox;

namespace tavro {
class CEffectSlide;
}

namespace tavro::editor {

class CSlideEffectDlg : public CEffectSettingsDlg {
    Q_OBJECT
public:
    static constexpr const char* kTitle = "Slide Effect";

    CSlideEffectDlg(EffectDialogHost& host, EffectEditSession& session, CEffectSlide& effect,
                    QWidget* parent);

    // Ids 0 "Slide In", 1 "Slide Out".
    QButtonGroup* TravelChoices() const { return travel_; }
    // Ids are the directions (CEffectSlide::Direction).
    QButtonGroup* SideChoices() const { return sides_; }
    QGroupBox* SideGroup() const { return sideGroup_; }

protected:
    bool ReadFields(bool quiet) override;
    void WriteFields(CEffectObj& effect) const override;

private:
    void UpdateSideCaption();

    QLineEdit* frames_ = nullptr;
    QButtonGroup* travel_ = nullptr;
    QButtonGroup* sides_ = nullptr;
    QGroupBox* sideGroup_ = nullptr;
    int32_t framesValue_ = 0;
};

} // namespace tavro::editor
