#include "effects/CEventAtFrame.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CEventAtFrame, CEventObj, 1)

CEventAtFrame::CEventAtFrame(CTavroObj* parent, int frame) : CEventObj(parent), frame_(frame) {}

void CEventAtFrame::Serialize(Archive& ar) {
    CEventObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring())
        ar.WriteInt(frame_);
    else
        frame_ = ar.ReadInt();
}

int CEventAtFrame::GetPageId() const {
    return kPage;
}

bool CEventAtFrame::ExportEvent(CSwfWriter& writer, int frame) const {
    // A negative frame is the button call (or a frame that never plays): nothing to write.
    if (frame < 0 || frame != frame_)
        return true;
    return WriteDoActionTag(writer);
}

std::string CEventAtFrame::GetDisplayName() const {
    return FormatEffectString(string_id::kAtFrame, frame_);
}

int CEventAtFrame::GetFrame() const {
    return frame_;
}

void CEventAtFrame::SetFrame(int frame) {
    frame_ = frame;
}

} // namespace tavro
