#include "effects/EffectNames.h"

#include "effects/CEffectFadeIn.h"
#include "effects/CEffectFadeOut.h"
#include "effects/CEffectHide.h"
#include "effects/CEffectShow.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectTransform.h"

#include <utility>

namespace tavro {

namespace {

constexpr std::pair<int, std::string_view> kStrings[] = {
    {effect_string::kUnknown, "unknown"},
    {effect_string::kSlideName, "Slide %s %s"},
    {effect_string::kOutTo, "Out To"},
    {effect_string::kInFrom, "In From"},
    {136, "Left"},
    {137, "Right"},
    {138, "Top"},
    {139, "Bottom"},
    {140, "Top Left"},
    {141, "Top Right"},
    {142, "Bottom Left"},
    {143, "Bottom Right"},
    {effect_string::kPreview, "Preview"},
    {effect_string::kStop, "Stop"},
    {effect_string::kTransform, "Transform"},
    {effect_string::kStartAtTab, "Start At"},
    {effect_string::kStartAlpha, "Start Alpha:"},
    {effect_string::kStartPosition, "Start Position"},
    {effect_string::kStartScale, "Start Scale"},
    {effect_string::kStartAngle, "Start Angle"},
    {effect_string::kFadeIn, "Fade In"},
    {effect_string::kFadeOut, "Fade Out"},
    {effect_string::kHide, "Hide"},
    {effect_string::kShow, "Show"},
    {effect_string::kSlideInFromGroup, "Slide In From"},
    {effect_string::kSlideOutToGroup, "Slide Out To"},
};

// Replaces the first "%s" of `text` by `value`, inserted as it stands.
void SubstituteFirst(std::string& text, size_t& from, std::string_view value) {
    const size_t at = text.find("%s", from);
    if (at == std::string::npos)
        return;
    text.replace(at, 2, value);
    from = at + value.size();
}

} // namespace

std::string_view LoadEffectName(int id) {
    for (const auto& [key, text] : kStrings) {
        if (key == id)
            return text;
    }
    return {};
}

std::string_view SlideDirectionName(int direction) {
    if (direction < 0 || direction > 7)
        return LoadEffectName(effect_string::kUnknown);
    return LoadEffectName(effect_string::kDirectionLeft + direction);
}

std::string SlideName(bool slideOut, int direction) {
    std::string name(LoadEffectName(effect_string::kSlideName));
    size_t from = 0;
    SubstituteFirst(name, from,
                    LoadEffectName(slideOut ? effect_string::kOutTo : effect_string::kInFrom));
    SubstituteFirst(name, from, SlideDirectionName(direction));
    return name;
}

std::unique_ptr<CEffectObj> CreateWholeObjectEffect(int command) {
    using namespace effect_command;
    if (command >= kSlideInFirst && command < kSlideInFirst + 8)
        return std::make_unique<CEffectSlide>(false, command - kSlideInFirst);
    if (command >= kSlideOutFirst && command < kSlideOutFirst + 8)
        return std::make_unique<CEffectSlide>(true, command - kSlideOutFirst);
    switch (command) {
    case kShow:
        return std::make_unique<CEffectShow>();
    case kHide:
        return std::make_unique<CEffectHide>();
    case kFadeIn:
        return std::make_unique<CEffectFadeIn>();
    case kFadeOut:
        return std::make_unique<CEffectFadeOut>();
    case kTransform:
        return std::make_unique<CEffectTransform>();
    default:
        return nullptr;
    }
}

} // namespace tavro
