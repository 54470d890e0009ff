#include "editor/ScenePlayback.h"

#include "model/CDocObj.h"
#include "model/CSceneObj.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"

#include <algorithm>
#include <cstdint>

namespace tavro::editor {

int SceneFirstFrame(const CDocObj& doc, const CSceneObj* scene) {
    if (scene == nullptr)
        return 0;
    int64_t frame = 0;
    for (const auto& child : doc.GetChildList()) {
        const auto* s = DynamicCast<CSceneObj>(child.get());
        if (s == nullptr)
            continue;
        if (s == scene)
            return static_cast<int>(std::min<int64_t>(frame, CDocObj::kMaxFrameCount - 1));
        frame += std::max(s->GetFrameCount(), 1);
    }
    return 0;
}

void StartPlayerAtFrame(player::PlayerCore& player, int frame) {
    if (frame <= 0 || !player.Loaded())
        return;
    player::MovieLevel& level = player.Level0();
    level.Goto(frame);
    level.Play(false);
    player.RunActions();
    player.Renderer().UpdateScreen();
}

} // namespace tavro::editor
