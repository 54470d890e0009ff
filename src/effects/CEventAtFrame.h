// A frame event: runs its actions when playback of its scene or symbol reaches its frame
// (0-based). On export its actions become a DoAction tag in that frame.
#pragma once

#include "effects/CEventObj.h"

namespace tavro {

class CEventAtFrame : public CEventObj {
    TAVRO_DECLARE_CLASS(CEventAtFrame)
public:
    static constexpr int kPage = 178;
    // The range the panel's "At Frame:" box accepts.
    static constexpr int kMinFrame = 0;
    static constexpr int kMaxFrame = 999999;

    // `frame` is the frame where the event was added.
    explicit CEventAtFrame(CTavroObj* parent = nullptr, int frame = 0);

    void Serialize(Archive& ar) override;

    int GetPageId() const override;
    // Writes the DoAction tag when `frame` is this event's frame and the event has an action.
    bool ExportEvent(CSwfWriter& writer, int frame) const override;
    // "At Frame %d" with the frame.
    std::string GetDisplayName() const override;
    int GetFrame() const override;
    void SetFrame(int frame) override;

private:
    int32_t frame_;
};

} // namespace tavro
