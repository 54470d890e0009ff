// The writer side of the shared record table: writing each record's values gives its bytes.
#include "base/CColorTransform.h"
#include "model/CColor.h"
#include "model/CMatrix3.h"
#include "swf/CSwfWriter.h"
#include "swfformat/RecordVectors.h"
#include "swfformat/TagCodes.h"

#include <gtest/gtest.h>

namespace tavro {
namespace {

using test::Bytes;
namespace v = test::vectors;

Bytes Written(const CSwfWriter& w) {
    return Bytes(w.GetImage() + 8, w.GetImage() + (w.GetPosition(false) + 7) / 8);
}

CMatrix3 ToMatrix(const v::MatrixVector& m) {
    CMatrix3 out;
    out.m[0] = m.scaleX / 65536.0;
    out.m[1] = m.rotateSkew0 / 65536.0;
    out.m[3] = m.rotateSkew1 / 65536.0;
    out.m[4] = m.scaleY / 65536.0;
    out.m[6] = m.translateX;
    out.m[7] = m.translateY;
    return out;
}

CColorTransform ToCxform(const v::CxformVector& c) {
    return CColorTransform(c.mult[3], c.mult[0], c.mult[1], c.mult[2], c.add[3], c.add[0], c.add[1],
                           c.add[2]);
}

TEST(RecordVectorsWrite, ValueRecords) {
    for (const auto& r : v::RectVectors()) {
        CSwfWriter w;
        w.WriteRect(r.xmin, r.ymin, r.xmax, r.ymax);
        EXPECT_EQ(Written(w), r.bytes) << r.what;
    }
    for (const auto& m : v::MatrixVectors()) {
        CSwfWriter raw, fromMatrix;
        raw.WriteMatrix(m.scaleX, m.rotateSkew0, m.rotateSkew1, m.scaleY, m.translateX,
                        m.translateY);
        fromMatrix.WriteMatrix(ToMatrix(m));
        EXPECT_EQ(Written(raw), m.bytes) << m.what;
        EXPECT_EQ(Written(fromMatrix), m.bytes) << m.what;
    }
    // The movie writer only writes colour transforms with alpha.
    for (const auto& c : v::CxformVectors()) {
        if (!c.withAlpha)
            continue;
        CSwfWriter raw, fromCxform;
        raw.WriteCxform(c.mult[0], c.mult[1], c.mult[2], c.mult[3], c.add[0], c.add[1], c.add[2],
                        c.add[3]);
        fromCxform.WriteCxform(ToCxform(c));
        EXPECT_EQ(Written(raw), c.bytes) << c.what;
        EXPECT_EQ(Written(fromCxform), c.bytes) << c.what;
    }
}

TEST(RecordVectorsWrite, PlacementAndBackgroundTags) {
    for (const auto& p : v::PlaceVectors()) {
        CSwfWriter w;
        const std::optional<CMatrix3> matrix =
            p.matrix ? std::optional(ToMatrix(*p.matrix)) : std::nullopt;
        const std::optional<CColorTransform> cxform =
            p.cxform ? std::optional(ToCxform(*p.cxform)) : std::nullopt;
        w.WritePlaceObject2(p.characterId, matrix ? &*matrix : nullptr, cxform ? &*cxform : nullptr,
                            p.depth, p.move);
        EXPECT_EQ(Written(w), p.bytes) << p.what;
    }
    for (const auto& r : v::RemoveVectors()) {
        CSwfWriter w;
        w.WriteRemoveObject2(r.depth);
        EXPECT_EQ(Written(w), r.bytes) << r.depth;
    }
    for (const auto& b : v::BackgroundVectors()) {
        CSwfWriter w;
        w.WriteSetBackgroundColor(CColor(b.red, b.green, b.blue));
        EXPECT_EQ(Written(w), b.bytes);
    }
}

TEST(RecordVectorsWrite, SpriteFraming) {
    // Short form with one placement; long form once the body reaches 63 bytes.
    for (int placements : {1, 9}) {
        CSwfWriter w;
        w.BeginTag(swfformat::kTagDefineSprite);
        const uint32_t start = w.GetTagStart();
        w.WriteUI16(1);
        w.WriteUI16(1);
        Bytes inner;
        for (uint16_t depth = 1; depth <= placements; ++depth) {
            w.WritePlaceObject2(7, nullptr, nullptr, depth, false);
            inner = test::Concat(
                {inner, test::Hex("85 06 02"), Bytes{uint8_t(depth), 0}, test::Hex("07 00")});
        }
        w.WriteShowFrame();
        w.WriteEnd();
        w.SetTagStart(start);
        w.EndTag();
        EXPECT_EQ(Written(w), v::SpriteBytes(inner)) << placements;
    }
}

} // namespace
} // namespace tavro
