// Base of the renderer's private per-item state (decoded bitmaps of a character, cached edges of
// a display object, the renderer of a display list). The player core only owns and destroys it.
#pragma once

namespace tavro::player {

class RenderCache {
public:
    virtual ~RenderCache() = default;
};

} // namespace tavro::player
