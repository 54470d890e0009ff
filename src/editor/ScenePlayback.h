// Playing a movie from one of its scenes: the first frame of a scene in the exported movie, and
// a player that has just loaded a movie moved on to a frame.
#pragma once

namespace tavro {
class CDocObj;
class CSceneObj;
} // namespace tavro

namespace tavro::player {
class PlayerCore;
}

namespace tavro::editor {

// The frame of the exported movie at which `scene` begins: every earlier scene takes its frame
// count, at least 1. 0 for the first scene, for none, and for a scene the movie does not hold.
int SceneFirstFrame(const CDocObj& doc, const CSceneObj* scene);

// Moves the freshly loaded movie to `frame` as a goto would (the frame's actions run), and plays
// on from there. Nothing happens for frame 0 or a player without a movie.
void StartPlayerAtFrame(player::PlayerCore& player, int frame);

} // namespace tavro::editor
