// The two timeline values of a scene that only the editor uses: the current frame (where the
// next effect or frame event goes, and the frame the timeline highlights) and the number of
// frames the timeline shows. They live in the scene's two spare integers (reserved A and B), so
// that they are saved with the movie and follow undo and redo; the export never reads them.
#pragma once

#include "model/CSceneObj.h"

#include <algorithm>

namespace tavro::editor {

// The range of the Timeline page's "Number of Frames:" box.
inline constexpr int kMinTimelineFrames = 1;
inline constexpr int kMaxTimelineFrames = 99999;

// The frame highlighted on the timeline; never negative.
inline int CurrentFrame(const CSceneObj& scene) {
    return std::clamp(scene.GetReservedA(), 0, kMaxTimelineFrames);
}

inline void SetCurrentFrame(CSceneObj& scene, int frame) {
    scene.SetReservedA(std::clamp(frame, 0, kMaxTimelineFrames));
}

// "Number of Frames:" as stored (a damaged value reads as the nearest one in range).
inline int TimelineFrames(const CSceneObj& scene) {
    return std::clamp(scene.GetReservedB(), kMinTimelineFrames, kMaxTimelineFrames);
}

inline void SetTimelineFrames(CSceneObj& scene, int frames) {
    scene.SetReservedB(frames);
}

// The frames the timeline's scroll bar covers: the stored number, or more when effects or frame
// events reach further.
inline int TimelineExtent(const CSceneObj& scene) {
    return std::max(TimelineFrames(scene), scene.GetFrameCount());
}

} // namespace tavro::editor
