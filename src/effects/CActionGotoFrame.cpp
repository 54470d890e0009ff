#include "effects/CActionGotoFrame.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/CSwfWriter.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionGotoFrame, CActionObj, 1)

namespace {

constexpr uint8_t kGotoFrameCode = 0x81;
constexpr uint8_t kGotoLabelCode = 0x8C;
constexpr uint8_t kNextFrameCode = 0x04;
constexpr uint8_t kPrevFrameCode = 0x05;
constexpr uint8_t kPlayCode = 0x06;

// The record's text ends at its first zero byte: a reader would stop there anyway.
std::string_view RecordText(const std::string& s) {
    return std::string_view(s).substr(0, s.find('\0'));
}

// The size of the go-to record alone (without the play record); -1 when it cannot be written.
int64_t JumpRecordSize(int32_t mode, std::string_view label) {
    switch (mode) {
    case CActionGotoFrame::kNumber:
        return 5;
    case CActionGotoFrame::kLabel:
        return label.size() + 1 > 0xFFFF ? -1 : static_cast<int64_t>(3 + label.size() + 1);
    case CActionGotoFrame::kNextFrame:
    case CActionGotoFrame::kPreviousFrame:
        return 1;
    default:
        return 0;
    }
}

} // namespace

CActionGotoFrame::CActionGotoFrame(CTavroObj* parent) : CActionObj(parent, kPage) {}

void CActionGotoFrame::Serialize(Archive& ar) {
    CActionObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteString(scene_);
        ar.WriteInt(mode_);
        ar.WriteInt(frame_);
        ar.WriteString(label_);
        ar.WriteInt(play_);
    } else {
        scene_ = ar.ReadString();
        mode_ = ar.ReadInt();
        frame_ = ar.ReadInt();
        label_ = ar.ReadString();
        play_ = ar.ReadInt();
    }
}

std::string CActionGotoFrame::GetName() const {
    switch (mode_) {
    case kNumber:
        return FormatEffectString(string_id::kGotoFrame, frame_);
    case kLabel:
        return FormatEffectString(string_id::kGotoLabel, label_);
    case kNextFrame:
        return std::string(LoadEffectString(string_id::kGotoNextFrame));
    case kPreviousFrame:
        return std::string(LoadEffectString(string_id::kGotoPrevFrame));
    default:
        return CActionObj::GetName();
    }
}

bool CActionGotoFrame::ExportAction(CSwfWriter& writer) const {
    const std::string_view label = RecordText(label_);
    if (JumpRecordSize(mode_, label) < 0)
        return false;
    switch (mode_) {
    case kNumber:
        // The record holds a 16-bit frame index; a number beyond it still means "past the
        // end", so it is clamped rather than wrapped onto an unrelated frame.
        writer.WriteUI8(kGotoFrameCode);
        writer.WriteUI16(2);
        writer.WriteUI16(static_cast<uint32_t>(std::clamp<int32_t>(frame_, 0, 0xFFFF)));
        break;
    case kLabel:
        writer.WriteUI8(kGotoLabelCode);
        writer.WriteString(label, true);
        break;
    case kNextFrame:
        writer.WriteUI8(kNextFrameCode);
        break;
    case kPreviousFrame:
        writer.WriteUI8(kPrevFrameCode);
        break;
    default:
        break;
    }
    if (play_ != 0)
        writer.WriteUI8(kPlayCode);
    return true;
}

uint32_t CActionGotoFrame::GetRecordSize() const {
    const int64_t jump = JumpRecordSize(mode_, RecordText(label_));
    if (jump < 0)
        return 0;
    return static_cast<uint32_t>(jump) + (play_ != 0 ? 1 : 0);
}

} // namespace tavro
