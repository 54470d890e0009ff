// A fill style: the base is "no fill" (writes nothing, clones to null); CFillStyleColor is the
// solid colour fill.
#pragma once

#include "model/CRootObj.h"

#include <cstdint>
#include <memory>

namespace tavro {

class CSwfWriter;

class CFillStyle : public CRootObj {
    TAVRO_DECLARE_CLASS(CFillStyle)
public:
    CFillStyle() = default;

    // Writes and reads nothing.
    void Serialize(Archive& ar) override;
    // Does nothing in the base and in the colour fill (see CopyColorFrom).
    virtual void CopyFrom(const CFillStyle& other);
    // Null for the base.
    virtual std::unique_ptr<CFillStyle> Clone() const;
    // True when both objects are of the same class.
    virtual bool IsEqual(const CFillStyle& other) const;
    virtual bool IsTransparent() const;
    // Writes the fill-style record; the base writes nothing. Returns true.
    virtual bool WriteFillStyle(CSwfWriter& writer) const;
    // Kept so the operations of every fill style stay in one order; no role here: answers 0.
    virtual int32_t Reserved(int32_t arg) const;
};

} // namespace tavro
