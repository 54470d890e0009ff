#include "effects/CActionGotoURL.h"

#include "effects/EffectStrings.h"
#include "model/Archive.h"
#include "swf/SwfRecords.h"

#include <algorithm>

namespace tavro {

TAVRO_IMPLEMENT_CLASS(CActionGotoURL, CActionObj, 1)

namespace {

// The record's texts end at their first zero byte: a reader would stop there anyway.
std::string_view RecordText(const std::string& s) {
    return std::string_view(s).substr(0, s.find('\0'));
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
    WriteActionGetUrl(writer, RecordText(url_), RecordText(target_));
    return true;
}

uint32_t CActionGotoURL::GetRecordSize() const {
    // The record writer cuts the target first, then the URL, so that both texts and their
    // terminators fit the 16-bit length.
    constexpr size_t kMaxText = 0xFFFF - 2;
    const size_t url = std::min(RecordText(url_).size(), kMaxText);
    const size_t target = std::min(RecordText(target_).size(), kMaxText - url);
    return static_cast<uint32_t>(3 + url + target + 2);
}

} // namespace tavro
