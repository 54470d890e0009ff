// Helpers for the Timeline and Actions page tests that build effects on objects.
#pragma once

namespace tavro {
class CEffectObj;
class CSymbolObj;
} // namespace tavro

namespace tavro::editor {

// Adds an effect of a command to the object at `start` through the timeline rule, selected.
CEffectObj& AddEffectAt(CSymbolObj& object, int command, int start);

} // namespace tavro::editor
