#include "player/PlayerHost.h"

namespace tavro::player {

PlayerHost::~PlayerHost() = default;

void PlayerHost::MovieSizeKnown(int, int) {}
void PlayerHost::OpenUrlStream(std::string_view, std::string_view, const StreamTarget&) {}
void PlayerHost::CloseUrlStream(PlayerStream* stream) {
    if (stream)
        stream->hostHandle = nullptr;
}
void PlayerHost::FsCommand(std::string_view, std::string_view) {}
void PlayerHost::UpdateControls(const ControlState&) {}
void PlayerHost::SetCursorKind(int) {}

} // namespace tavro::player
