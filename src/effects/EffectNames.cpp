#include "effects/EffectNames.h"

#include "effects/CEffectFadeIn.h"
#include "effects/CEffectFadeOut.h"
#include "effects/CEffectHide.h"
#include "effects/CEffectShow.h"
#include "effects/CEffectSlide.h"
#include "effects/CEffectTransform.h"
#include "model/ClassInfo.h"

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
    {effect_string::kExplode, "Explode"},
    {effect_string::kScaleLetters, "Scale Letters"},
    {effect_string::kSqueeze, "Squeeze"},
    {effect_string::kTypewriter, "Typewriter"},
    {effect_string::kWave, "Wave"},
    {effect_string::kRevert, "Revert"},
};

constexpr std::pair<int, std::string_view> kLetterEffectClasses[] = {
    {effect_command::kSqueeze, "CEffectSqueeze"},
    {effect_command::kScaleLetters, "CEffectScaleLetter"},
    {effect_command::kAlternateLetters, "CEffectAlternate"},
    {effect_command::kTypewriter, "CEffectTypewriter"},
    {effect_command::kExplode, "CEffectExplode"},
    {effect_command::kWaveLetters, "CEffectWave"},
    {effect_command::kRevertText, "CEffectRevertText"},
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

std::string_view LetterEffectClassName(int command) {
    for (const auto& [key, name] : kLetterEffectClasses) {
        if (key == command)
            return name;
    }
    return {};
}

std::unique_ptr<CEffectObj> CreateLetterEffect(int command) {
    // By class name, so that each letter effect registers itself and nothing here depends on
    // the effect classes.
    const std::string_view name = LetterEffectClassName(command);
    if (name.empty())
        return nullptr;
    const ClassInfo* cls = ClassInfo::FromName(name);
    if (cls == nullptr)
        return nullptr;
    std::unique_ptr<CRootObj> obj(cls->CreateObject());
    if (CEffectObj* effect = DynamicCast<CEffectObj>(obj.get())) {
        obj.release();
        return std::unique_ptr<CEffectObj>(effect);
    }
    return nullptr;
}

} // namespace tavro
