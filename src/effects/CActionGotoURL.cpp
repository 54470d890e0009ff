#include "effects/CActionGotoURL.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/CSwfWriter.h"

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionGotoURL, CActionObj, 1)

namespace {

constexpr uint8_t kGetURLCode = 0x83;

// The record's texts end at their first zero byte: a reader would stop there anyway.
std::string_view RecordText(const std::string& s) {
    return std::string_view(s).substr(0, s.find('\0'));
}

// The record's length field: both texts and their terminators.
uint64_t DataLength(std::string_view url, std::string_view target) {
    return uint64_t{url.size()} + target.size() + 2;
}

} // namespace

CActionGotoURL::CActionGotoURL(CTavroObj* parent) : CActionObj(parent, kPage) {}

void CActionGotoURL::Serialize(Archive& ar) {
    CActionObj::Serialize(ar);
    if (ar.SerializeVersion(classInfo) == 0)
        return;
    if (ar.IsStoring()) {
        ar.WriteString(url_);
        ar.WriteString(target_);
    } else {
        url_ = ar.ReadString();
        target_ = ar.ReadString();
    }
}

std::string CActionGotoURL::GetName() const {
    return FormatEffectString(string_id::kGotoURL, url_);
}

bool CActionGotoURL::ExportAction(CSwfWriter& writer) const {
    const std::string_view url = RecordText(url_);
    const std::string_view target = RecordText(target_);
    const uint64_t length = DataLength(url, target);
    if (length > 0xFFFF)
        return false;
    writer.WriteUI8(kGetURLCode);
    writer.WriteUI16(static_cast<uint32_t>(length));
    writer.WriteString(url, false);
    writer.WriteString(target, false);
    return true;
}

uint32_t CActionGotoURL::GetRecordSize() const {
    const uint64_t length = DataLength(RecordText(url_), RecordText(target_));
    return length > 0xFFFF ? 0 : static_cast<uint32_t>(3 + length);
}

} // namespace tavro
