// A movie as the web page needs it, read from its SWF bytes: the main timeline as Tavro's player
// plays it (what each frame places, moves and removes, and the actions each frame runs), and the
// characters the timeline shows (shapes, texts, buttons with their actions, one-frame sprites)
// with their outlines. The movie is played by the player itself, so the page can never show
// another timeline than the player does; the records are read with the player's own readers.
//
// Reading is strict: a damaged movie (cut short, a record that does not parse, a character that
// is used but never defined) or one that needs what the page cannot do (bitmaps, gradients,
// sounds, morph shapes, text fields, clipping layers, sprites of several frames, actions beyond
// those of the format's version 3) is refused with the reason, never shown half.
#pragma once

#include "export/Html5Shapes.h"
#include "player/ColorXform.h"
#include "player/Matrix16.h"
#include "player/Rect.h"

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace tavro::html5 {

struct Placement {
    uint16_t depth = 0;
    uint16_t id = 0;
    player::Matrix16 matrix;
    player::ColorXform cxform;
};
// The objects of a timeline by ascending depth.
using DisplayState = std::vector<Placement>;

// What changes at one depth from one frame to the next. A place puts a new character there
// (replacing what stood there); a move changes the matrix or the colour transform of what stands
// there; `from` holds the values before the change (identity for a place).
struct FrameOp {
    enum Kind : uint8_t { Remove, Place, Move };
    Kind kind = Place;
    uint16_t depth = 0;
    uint16_t id = 0;
    player::Matrix16 matrix, fromMatrix;
    player::ColorXform cxform, fromCxform;
};

// One action of the format's version 3, as the page runs it.
struct PageAction {
    enum Op : char {
        NextFrame = 'n',
        PreviousFrame = 'p',
        Play = 'P',
        Stop = 'S',
        GotoFrame = 'g',
        GotoLabel = 'l', // `text` is the label in ASCII lower case
        GetUrl = 'u',    // `text` the URL, `target` the window
        SetTarget = 't', // `text` the target path
        Skip = 'k',      // skip the next `number` actions
        Nothing = 'x',   // an action with nothing to do in a page (quality, sounds)
    };
    Op op = Nothing;
    int32_t number = 0; // GotoFrame: the frame; Skip: the count
    std::string text;   // UTF-8
    std::string target; // UTF-8
};
using ActionList = std::vector<PageAction>;

// Decodes an action list (action records up to the end byte or the end of `bytes`). False, with
// the reason, for a damaged record or an action the page cannot run.
bool DecodeActions(std::span<const uint8_t> bytes, ActionList& out, std::string& error);

struct GlyphUse {
    uint16_t font = 0;
    uint32_t glyph = 0;
    int64_t x = 0, y = 0;
    uint16_t height = 0; // twips
    uint32_t slot = 0;   // colour slot of the text
};

struct ButtonRecord {
    uint8_t states = 0; // 1 up, 2 over, 4 down, 8 hit test
    uint16_t id = 0;
    uint16_t depth = 0;
    player::Matrix16 matrix;
    player::ColorXform cxform;
};

struct CharacterDef {
    enum Kind : uint8_t { Shape, Text, Button, Sprite };
    Kind kind = Shape;
    // Shapes.
    ShapeOutline outline;
    // Texts: the text matrix, the bounds (the hit area of a text in a button), the colour
    // slots and the glyphs.
    player::Matrix16 textMatrix;
    player::Rect bounds;
    std::vector<uint32_t> colours;
    std::vector<GlyphUse> glyphs;
    // Buttons: state records, action lists with their condition words, the menu flag.
    std::vector<ButtonRecord> records;
    std::vector<std::pair<uint16_t, ActionList>> actions;
    bool menu = false;
    // Sprites: the objects of their one frame.
    DisplayState children;
};

struct Movie {
    player::Rect frameRect; // twips
    int32_t frameMs = 0;    // frame period, as the player counts it
    bool hasBackground = false;
    uint32_t background = 0xFFFFFF;

    // The objects of the first frame, and per frame the changes from the frame before (those
    // of frame 0 start from an empty stage).
    DisplayState firstFrame;
    std::vector<std::vector<FrameOp>> frameOps;
    // The DoAction lists of each frame, in tag order.
    std::vector<std::vector<ActionList>> frameActions;
    // Tags after the last frame, which run when the player reads the end of the movie.
    std::vector<FrameOp> tailOps;
    std::vector<ActionList> tailActions;
    // Frame labels (ASCII lower case) and the first frame of each.
    std::map<std::string, int32_t> labels;

    // Every character the timeline shows, directly or through buttons and sprites.
    std::map<uint16_t, CharacterDef> characters;
    // Path data of every glyph the texts use, by font and glyph index (glyph units).
    std::map<uint16_t, std::map<uint32_t, std::string>> glyphs;
};

// Reads the movie. False, with the reason, when it cannot be shown as a page.
bool ReadMovie(std::span<const uint8_t> swf, Movie& out, std::string& error);

} // namespace tavro::html5
