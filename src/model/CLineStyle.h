// A line style: width (in the units of the path it strokes) and colour reach the exported
// record; `style` and `pattern` are kept, copied, compared and saved only.
#pragma once

#include "model/CColor.h"
#include "model/CRootObj.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace tavro {

class CSwfWriter;

class CLineStyle : public CRootObj {
    TAVRO_DECLARE_CLASS(CLineStyle)
public:
    int32_t style = 0;
    double width = 1.0;
    CColor color;
    std::vector<uint8_t> pattern;

    CLineStyle() = default;

    void Serialize(Archive& ar) override;
    // A new line style equal in every field.
    virtual std::unique_ptr<CLineStyle> Clone() const;
    // Style, colour, width (exactly) and every pattern byte equal.
    virtual bool IsEqual(const CLineStyle& other) const;
    // The line-style record: the width rounded to an integer (UI16), then red, green, blue.
    virtual void WriteLineStyle(CSwfWriter& writer) const;
};

} // namespace tavro
