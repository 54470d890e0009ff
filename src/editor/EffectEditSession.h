// One transactional edit of an effect by its dialogs.
//
// Opening an effect's settings dialog or its "Effect Properties" dialog stores the whole effect
// in archive form first. Preview writes the dialog's values into the effect; Cancel reads the
// stored form back, so the effect is exactly what it was, byte for byte. OK puts the stored form
// back too, records the undo step (when the caller asked for one, and only when the values
// change the effect), and then writes the values: the undo step so holds the effect as it was
// before the dialog opened, never the values a preview left in it.
//
// A settings dialog's "Transform..." opens "Effect Properties" inside the same edit: what that
// dialog confirms is kept here and written with the settings dialog's own values on its OK;
// its Cancel leaves nothing behind.
#pragma once

#include "effects/CEffectObj.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace tavro::editor {

class EffectEditSession {
public:
    // Writes a settings dialog's own values into the effect.
    using SettingsWriter = std::function<void(CEffectObj&)>;

    // Stores the effect. `recordUndo` is called before the change an OK makes, when `wantUndo`
    // is set; `markChanged` after it otherwise (the movie then needs saving all the same).
    EffectEditSession(CEffectObj& effect, bool wantUndo, std::function<void()> recordUndo,
                      std::function<void()> markChanged = {});
    EffectEditSession(const EffectEditSession&) = delete;
    EffectEditSession& operator=(const EffectEditSession&) = delete;

    CEffectObj& Effect() { return effect_; }
    const std::vector<uint8_t>& SavedState() const { return saved_; }

    // What "Effect Properties" shows: the effect's properties when the edit began, or what an
    // "Effect Properties" dialog inside this edit confirmed.
    const CEffectObj::Properties& Properties() const { return properties_; }
    void SetProperties(const CEffectObj::Properties& properties);
    bool PropertiesEdited() const { return propertiesEdited_; }

    // The settings dialog that owns the edit, for previews from an "Effect Properties" dialog
    // opened by it: writes that dialog's current values when they are readable.
    void SetOuterSettings(SettingsWriter writer) { outerSettings_ = std::move(writer); }

    // The effect as stored, then `properties` (else the confirmed ones, if any) and `settings`
    // (else the outer dialog's values, if any). Used by Preview.
    void Apply(const CEffectObj::Properties* properties, const SettingsWriter& settings);
    // OK: Apply, preceded by the undo step when the values change the effect.
    void Commit(const CEffectObj::Properties* properties, const SettingsWriter& settings);
    // Cancel: the effect as stored.
    void Restore();
    // The effect differs from its stored form.
    bool IsChanged();

private:
    void WriteProperties(const CEffectObj::Properties& properties);

    CEffectObj& effect_;
    bool wantUndo_;
    std::function<void()> recordUndo_;
    std::function<void()> markChanged_;
    std::vector<uint8_t> saved_;
    CEffectObj::Properties properties_;
    bool propertiesEdited_ = false;
    // The description as the dialogs show it when the stored one is empty (the default name).
    std::optional<std::string> defaultDescription_;
    SettingsWriter outerSettings_;
};

} // namespace tavro::editor
