#include "player/PlaceRecord.h"

namespace tavro::player {

PlaceRecord ReadPlaceObject2(BitReader& r) {
    PlaceRecord p;
    p.flags = r.U8();
    p.depth = r.U16();
    if (p.flags & PlaceInfo::kHasCharacter)
        p.characterId = r.U16();
    if (p.flags & PlaceInfo::kHasMatrix)
        p.matrix = r.ReadMatrix();
    if (p.flags & PlaceInfo::kHasCxform)
        p.cxform = r.ReadCxform(true);
    if (p.flags & PlaceInfo::kHasRatio)
        p.ratio = r.U16();
    if (p.flags & PlaceInfo::kHasName)
        p.name = r.ReadString();
    if (p.flags & PlaceInfo::kHasClipDepth)
        p.clipDepth = r.U16();
    return p;
}

PlaceRecord ReadPlaceObject(BitReader& r, size_t tagEnd) {
    PlaceRecord p;
    p.characterId = r.U16();
    p.depth = r.U16();
    p.matrix = r.ReadMatrix();
    p.flags = PlaceInfo::kHasCharacter | PlaceInfo::kHasMatrix;
    if (r.ok() && r.Pos() < tagEnd) {
        p.cxform = r.ReadCxform(false);
        p.flags |= PlaceInfo::kHasCxform;
    }
    return p;
}

} // namespace tavro::player
