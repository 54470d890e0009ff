#include "player/actions/InteractiveParts.h"

#include "player/PlayerCore.h"
#include "player/actions/ActionEngine.h"
#include "player/buttons/ButtonTracker.h"
#include "player/edittext/EditTextFields.h"

namespace tavro::player {

std::unique_ptr<ActionEngine> MakeActionEngine(PlayerCore& player) {
    auto engine = std::make_unique<ActionEngine>(player);
    engine->SetButtonInput(MakeButtonInput(player));
    engine->SetTextFieldInput(MakeTextFieldInput(player));
    return engine;
}

ActionEngine& InstallInteractiveParts(PlayerCore& player) {
    std::unique_ptr<ActionEngine> engine = MakeActionEngine(player);
    ActionEngine& ref = *engine;
    player.SetActionInterpreter(std::move(engine));
    return ref;
}

} // namespace tavro::player
