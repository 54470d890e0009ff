// A data stream feeding one level: created by Load() or by a host URL fetch, written through
// StreamInWrite and closed by StreamInDestroy.
#pragma once

#include <cstdint>
#include <string>

namespace tavro::player {

class MovieLevel;

struct PlayerStream {
    MovieLevel* level = nullptr; // the level receiving the data; nullptr once detached
    std::string url;
    void* hostHandle = nullptr; // the host's own handle of the fetch
};

// Where a URL load lands: a level number, or (when spritePath is not empty) a sprite; `variables`
// loads variables instead of a movie.
struct StreamTarget {
    int32_t level = 0;
    std::string spritePath;
    bool variables = false;
};

} // namespace tavro::player
