#include "TimelineTestSupport.h"

#include "effects/CEffectObj.h"
#include "effects/EffectNames.h"
#include "model/CSymbolObj.h"

#include <memory>

namespace tavro::editor {

CEffectObj& AddEffectAt(CSymbolObj& object, int command, int start) {
    std::unique_ptr<CEffectObj> effect = CreateWholeObjectEffect(command);
    if (!effect)
        effect = CreateLetterEffect(command);
    CEffectObj& added = *effect;
    added.SetStartFrame(start);
    object.GetEffectList().SelectPosition(object.InsertEffect(std::move(effect)));
    return added;
}

} // namespace tavro::editor
