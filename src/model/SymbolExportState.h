// The display-list bookkeeping of one displayable object during one export: which characters it
// has defined, whether and where it stands on the display list, and the matrix and colour
// transform it has now and last wrote. A plain value; nothing of it is saved.
#pragma once

#include "base/CColorTransform.h"
#include "base/CDoublePoint.h"
#include "model/CMatrix3.h"

#include <cstdint>

namespace tavro {

struct SymbolExportState {
    int32_t characterId = 0;   // character placed for the object (a 16-bit id); 0 = none
    int32_t spriteId = 0;      // sprite wrapping the object's letters; 0 = none
    int32_t buttonId = 0;      // button wrapping the object when it has event actions; 0 = none
    bool placed = false;       // the character stands on the display list
    bool buttonPlaced = false; // the button stands on the display list
    int32_t depth = 0;         // depth assigned for this export; 1 inside a sprite
    int32_t stageDepth = 0;    // depth of what of the object is on the display list now; 0 = none
    CMatrix3 matrix;           // current matrix, twips
    CColorTransform colorTransform;
    CMatrix3 lastMatrix; // last written to the display list
    CColorTransform lastColorTransform;
    // The movie's stage in pixels, for the on-stage tests. Kept across BeginExport: the scene
    // hands it to each of its objects when the export starts.
    CDoublePoint stageSize;

    // Ids, flags and depths become 0; matrices, transforms and the stage size are kept.
    void ZeroIntegers() {
        characterId = spriteId = buttonId = 0;
        placed = buttonPlaced = false;
        depth = stageDepth = 0;
    }
};

} // namespace tavro
