// A dictionary entry: one character defined by a tag of a loaded movie. Characters keep offsets
// into their level's buffer, never copies of the tag bytes; the spans handed out stay valid until
// more data is appended to that level.
#pragma once

#include "player/Rect.h"
#include "player/RenderCache.h"

#include <cstdint>
#include <memory>
#include <span>

namespace tavro::player {

class MovieLevel;

enum class CharacterType : uint8_t {
    Shape = 0,
    Bitmap = 1,
    Button = 2,
    Font = 3,
    Text = 4,
    Sound = 5,
    Sprite = 6,
    MorphShape = 7,
    EditText = 9,
    LoadedMovie = 97, // a movie loaded into a sprite target; owner is that movie's level
    LevelRoot = 98,   // a level's own root character, id 65534
};

// A range of bytes inside the owner's buffer.
struct ByteRange {
    uint32_t offset = 0;
    uint32_t length = 0;
    bool present = false;
};

class Character {
    friend class CharacterDictionary;
    // Bucket chain. It stays the first member: a removed record goes back to the pool, which
    // keeps its free link in the first word, while objects still placed read the rest.
    Character* next = nullptr;

public:
    static constexpr uint16_t kLevelRootId = 65534;

    MovieLevel* owner = nullptr;
    uint16_t id = 0;
    CharacterType type = CharacterType::Shape;
    uint8_t tagCode = 0; // the tag that defined it
    uint8_t flags[5] = {0, 0, 0, 0, 0};

    // The whole body of the defining tag (starting at the character id).
    ByteRange tag;
    // The type-specific record: for shapes the bytes after the bounds RECT, for sprites the
    // tags after the frame count, for the others the bytes after the id.
    ByteRange data;

    // Shapes, texts, edit texts: the bounds RECT of the record; morph shapes: the start bounds.
    Rect bounds;
    // Morph shapes: the end bounds.
    Rect endBounds;

    // Buttons: attached DefineButtonSound / DefineButtonCxform bodies (after the id), and the
    // track-as-menu flags byte of DefineButton2 (0 for DefineButton).
    ByteRange soundData;
    ByteRange cxformData;
    uint8_t trackAsMenu = 0;

    // Fonts: attached DefineFontInfo body (after the id); DefineFont2 flags, glyph count and the
    // offset of its offset table within the tag body.
    ByteRange infoData;
    uint8_t fontFlags = 0;
    uint16_t glyphCount = 0;
    uint32_t offsetTableOffset = 0;

    // Sounds: format byte, sample count, MP3 seek value; the sound data is `data`.
    uint8_t soundFormat = 0;
    uint32_t sampleCount = 0;
    int16_t mp3Seek = 0;

    // Sprites: frame count from DefineSprite.
    uint16_t frameCount = 0;

    // The renderer's decoded state for this character (for instance a decoded bitmap).
    std::unique_ptr<RenderCache> cache;

    std::span<const uint8_t> Bytes(const ByteRange& r) const;
    std::span<const uint8_t> Tag() const { return Bytes(tag); }
    std::span<const uint8_t> Data() const { return Bytes(data); }

    bool IsSpriteLike() const {
        return type == CharacterType::Sprite || type == CharacterType::LoadedMovie;
    }
};

} // namespace tavro::player
