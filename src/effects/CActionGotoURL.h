// Opens a URL in a target window (action record 0x83, get URL).
#pragma once

#include "effects/CActionObj.h"

#include <array>
#include <string_view>

namespace tavro {

class CActionGotoURL : public CActionObj {
    TAVRO_DECLARE_CLASS(CActionGotoURL)
public:
    static constexpr int kPage = 173;
    // The window names the panel's "Target:" list offers; any other text is accepted too.
    static constexpr std::array<std::string_view, 4> kTargetChoices{"_self", "_blank", "_parent",
                                                                    "_top"};

    explicit CActionGotoURL(CTavroObj* parent = nullptr);

    void Serialize(Archive& ar) override;
    // "Goto URL (%s)" with the URL.
    std::string GetName() const override;
    bool ExportAction(CSwfWriter& writer) const override;
    uint32_t GetRecordSize() const override;

    const std::string& GetURL() const { return url_; }
    void SetURL(std::string_view url) { url_.assign(url); }
    const std::string& GetTarget() const { return target_; }
    void SetTarget(std::string_view target) { target_.assign(target); }

private:
    std::string url_;
    std::string target_;
};

} // namespace tavro
