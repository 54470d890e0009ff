// Jumps to a frame number, a frame label, the next or the previous frame, and optionally plays
// on from there ("Go to and Play"). The scene chosen on its panel is stored and shown there but
// takes no part in the record.
#pragma once

#include "effects/CActionObj.h"

#include <array>
#include <string_view>

namespace tavro {

class CActionGotoFrame : public CActionObj {
    TAVRO_DECLARE_CLASS(CActionGotoFrame)
public:
    enum Mode : int32_t { kNumber = 0, kLabel = 1, kNextFrame = 2, kPreviousFrame = 3 };

    static constexpr int kPage = 168;
    // The texts of the "Mode" choices, indexed by Mode.
    static constexpr std::array<std::string_view, 4> kModeNames{"Number", "Label", "Next Frame",
                                                                "Previous Frame"};
    // The first entry of the panel's "Scene:" list.
    static constexpr std::string_view kCurrentScene = "<current scene>";
    // The range the panel's "Frame:" box accepts.
    static constexpr int32_t kMinFrame = 0;
    static constexpr int32_t kMaxFrame = 99999;

    explicit CActionGotoFrame(CTavroObj* parent = nullptr);

    void Serialize(Archive& ar) override;
    // "Goto Frame %d", "Goto Label %s", "Goto Next Frame" or "Goto Previous Frame" by mode;
    // "Unknown Action" for a mode outside 0..3.
    std::string GetName() const override;
    bool ExportAction(CSwfWriter& writer) const override;
    uint32_t GetRecordSize() const override;

    const std::string& GetScene() const { return scene_; }
    void SetScene(std::string_view scene) { scene_.assign(scene); }
    int32_t GetMode() const { return mode_; }
    void SetMode(int32_t mode) { mode_ = mode; }
    int32_t GetFrame() const { return frame_; }
    void SetFrame(int32_t frame) { frame_ = frame; }
    const std::string& GetLabel() const { return label_; }
    void SetLabel(std::string_view label) { label_.assign(label); }
    // Non-zero: play after the jump. Kept as stored (an int in the archive).
    int32_t GetPlay() const { return play_; }
    void SetPlay(int32_t play) { play_ = play; }

private:
    std::string scene_;
    int32_t mode_ = kNumber;
    int32_t frame_ = 0;
    std::string label_;
    int32_t play_ = 1;
};

} // namespace tavro
