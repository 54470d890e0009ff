// The base of the letter effects: effects that move, scale, rotate and fade each letter of a text
// object on its own. A run of a letter effect begins from the letters' rest placement (Revert,
// which brings the letters home from wherever they were left, replaces that start). Its owner is
// always a text object.
#pragma once

#include "effects/CEffectObj.h"

namespace tavro {

class CTextObj;

class CTextEffectObj : public CEffectObj {
    TAVRO_DECLARE_CLASS(CTextEffectObj)
public:
    explicit CTextEffectObj(CTavroObj* parent = nullptr);
    ~CTextEffectObj() override;

    // The effect part, then a version byte of its own (1), ignored when reading.
    void Serialize(Archive& ar) override;

    // Every letter's current matrix and colour transform become its rest matrix and rest colour
    // transform.
    void OnEffectStart(CSwfWriter& writer) override;

    // The owner as a text object, or null.
    CTextObj* GetTextOwner() const;
};

} // namespace tavro
