#include "effects/CActionGotoFrame.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/SwfRecords.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionGotoFrame, CActionObj, 1)

namespace {

// The record's text ends at its first zero byte: a reader would stop there anyway.
std::string_view RecordText(const std::string& s) {
    return std::string_view(s).substr(0, s.find('\0'));
}

// The record holds a 16-bit frame index; a number beyond it still means "past the end", so it is
// clamped rather than wrapped onto an unrelated frame.
uint16_t RecordFrame(int32_t frame) {
    return static_cast<uint16_t>(std::clamp<int32_t>(frame, 0, 0xFFFF));
}

// The size of the go-to record alone, without the play record.
uint32_t JumpRecordSize(int32_t mode, std::string_view label) {
    switch (mode) {
    case CActionGotoFrame::kNumber:
        return 5;
    case CActionGotoFrame::kLabel: // the record writer keeps at most 0xFFFE bytes of the label
        return static_cast<uint32_t>(3 + std::min<size_t>(label.size(), 0xFFFE) + 1);
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
    const bool play = play_ != 0;
    switch (mode_) {
    case kNumber:
        WriteActionGotoFrame(writer, RecordFrame(frame_), play);
        break;
    case kLabel:
        WriteActionGotoLabel(writer, RecordText(label_), play);
        break;
    case kNextFrame:
        WriteActionNextFrame(writer, play);
        break;
    case kPreviousFrame:
        WriteActionPreviousFrame(writer, play);
        break;
    default: // no jump of its own, only the play record
        if (play)
            WriteActionPlay(writer);
        break;
    }
    return true;
}

uint32_t CActionGotoFrame::GetRecordSize() const {
    return JumpRecordSize(mode_, RecordText(label_)) + (play_ != 0 ? 1 : 0);
}

} // namespace tavro
