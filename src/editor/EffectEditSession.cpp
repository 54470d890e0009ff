#include "editor/EffectEditSession.h"

namespace tavro::editor {

EffectEditSession::EffectEditSession(CEffectObj& effect, bool wantUndo,
                                     std::function<void()> recordUndo,
                                     std::function<void()> markChanged)
    : effect_(effect), wantUndo_(wantUndo), recordUndo_(std::move(recordUndo)),
      markChanged_(std::move(markChanged)), saved_(effect.SaveEditState()),
      properties_(effect.GetProperties()) {
    // An effect without a description of its own shows its default name; confirming that name
    // unchanged keeps the description empty, so the effect keeps following its default name.
    if (effect.CTavroObj::GetName().empty())
        defaultDescription_ = properties_.description;
}

void EffectEditSession::SetProperties(const CEffectObj::Properties& properties) {
    properties_ = properties;
    propertiesEdited_ = true;
}

void EffectEditSession::WriteProperties(const CEffectObj::Properties& properties) {
    if (defaultDescription_ && properties.description == *defaultDescription_) {
        CEffectObj::Properties kept = properties;
        kept.description.clear();
        effect_.ApplyProperties(kept);
        return;
    }
    effect_.ApplyProperties(properties);
}

void EffectEditSession::Apply(const CEffectObj::Properties* properties,
                              const SettingsWriter& settings) {
    Restore();
    if (properties != nullptr)
        WriteProperties(*properties);
    else if (propertiesEdited_)
        WriteProperties(properties_);
    if (settings)
        settings(effect_);
    else if (outerSettings_)
        outerSettings_(effect_);
}

void EffectEditSession::Commit(const CEffectObj::Properties* properties,
                               const SettingsWriter& settings) {
    Apply(properties, settings);
    if (!IsChanged())
        return;
    if (!wantUndo_ || !recordUndo_) {
        if (markChanged_)
            markChanged_();
        return;
    }
    // The undo step holds the effect as it was before the dialog opened.
    Restore();
    recordUndo_();
    Apply(properties, settings);
}

void EffectEditSession::Restore() {
    if (IsChanged())
        effect_.RestoreEditState(saved_);
}

bool EffectEditSession::IsChanged() {
    return effect_.SaveEditState() != saved_;
}

} // namespace tavro::editor
