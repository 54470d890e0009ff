// The properties that GetProperty and SetProperty reach by index (0 _x ... 18 _soundbuftime),
// and the bounds they measure.
#pragma once

#include "player/Rect.h"

#include <string>
#include <string_view>
#include <unordered_map>

namespace tavro::player {

class DisplayObject;
class PlayerCore;

class SpriteProperties {
public:
    static constexpr int kX = 0, kY = 1, kXScale = 2, kYScale = 3, kCurrentFrame = 4,
                         kTotalFrames = 5, kAlpha = 6, kVisible = 7, kWidth = 8, kHeight = 9,
                         kRotation = 10, kTarget = 11, kFramesLoaded = 12, kName = 13,
                         kDropTarget = 14, kUrl = 15, kHighQuality = 16, kFocusRect = 17,
                         kSoundBufTime = 18;

    explicit SpriteProperties(PlayerCore& player) : player_(player) {}

    // The property as text; empty for an unknown index.
    std::string Get(DisplayObject& obj, int index) const;
    // Sets the property from text; unknown indexes and read-only properties do nothing.
    void Set(DisplayObject& obj, int index, std::string_view value);

    // The drop target recorded for a dragged object when its drag ended.
    void SetDropTarget(const DisplayObject& obj, std::string path);
    void Forget(const DisplayObject& obj) { dropTargets_.erase(&obj); }
    void Clear() {
        dropTargets_.clear();
        focusRect_ = true;
    }
    bool FocusRectShown() const { return focusRect_; }

    // Bounds of `obj` in its own coordinates (its character, or the union of its children).
    static Rect OwnBounds(const DisplayObject& obj);
    // Bounds of `obj` in its parent's coordinates.
    static Rect ParentBounds(const DisplayObject& obj);

private:
    PlayerCore& player_;
    std::unordered_map<const DisplayObject*, std::string> dropTargets_;
    bool focusRect_ = true;
};

} // namespace tavro::player
