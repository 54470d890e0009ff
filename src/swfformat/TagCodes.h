// The SWF tag codes, one name each, for every tag the writer emits or the player and the tag
// lister understand, and the names the lister prints.
#pragma once

#include <cstdint>
#include <string_view>

namespace tavro::swfformat {

enum TagCode : uint16_t {
    kTagEnd = 0,
    kTagShowFrame = 1,
    kTagDefineShape = 2,
    kTagFreeCharacter = 3,
    kTagPlaceObject = 4,
    kTagRemoveObject = 5,
    kTagDefineBits = 6,
    kTagDefineButton = 7,
    kTagJpegTables = 8,
    kTagSetBackgroundColor = 9,
    kTagDefineFont = 10,
    kTagDefineText = 11,
    kTagDoAction = 12,
    kTagDefineFontInfo = 13,
    kTagDefineSound = 14,
    kTagStartSound = 15,
    kTagDefineButtonSound = 17,
    kTagSoundStreamHead = 18,
    kTagSoundStreamBlock = 19,
    kTagDefineBitsLossless = 20,
    kTagDefineBitsJpeg2 = 21,
    kTagDefineShape2 = 22,
    kTagDefineButtonCxform = 23,
    kTagProtect = 24,
    kTagPlaceObject2 = 26,
    kTagRemoveObject2 = 28,
    kTagDefineShape3 = 32,
    kTagDefineText2 = 33,
    kTagDefineButton2 = 34,
    kTagDefineBitsJpeg3 = 35,
    kTagDefineBitsLossless2 = 36,
    kTagDefineEditText = 37,
    kTagDefineSprite = 39,
    kTagFrameLabel = 43,
    kTagSoundStreamHead2 = 45,
    kTagDefineMorphShape = 46,
    kTagDefineFont2 = 48,
};

// The conventional name of a tag code ("DefineShape"), also for codes of later format versions
// that Tavro only lists; empty for a code without a name.
std::string_view TagName(uint16_t code);

} // namespace tavro::swfformat
