// A Timeline that owns a loaded movie: its bytes (received piecewise through the stream intake),
// the header values, the load progress and the character dictionary.
//
// Memory follows the bytes actually received: the buffer grows toward the header's declared
// length as data arrives, so a short file that declares a huge length allocates little.
#pragma once

#include "player/CharacterDictionary.h"
#include "player/Rect.h"
#include "player/Timeline.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tavro::player {

struct PlayerStream;

class MovieLevel : public Timeline {
public:
    static constexpr int32_t kAllFramesLoaded = 16000;
    static constexpr size_t kHeaderSize = 8;

    MovieLevel(PlayerCore* player, DisplayList* displayList, int32_t levelNumber);
    ~MovieLevel() override;

    bool IsLevel() const override { return true; }
    uint32_t Limit() const override { return received; }
    bool DataComplete() const override { return complete; }

    // Appends bytes (header staging, buffer growth, header parse, frame counting). Returns false
    // when the level is in error and the bytes were ignored.
    bool Append(const uint8_t* data, size_t length);
    // No more bytes will come: a truncated movie now ends at its last complete tag.
    void MarkComplete();
    // Drops the movie and every character; back to the empty state.
    void Reset();

    uint32_t received = 0;
    int64_t totalLength = -1; // declared file length; -1 until the 8 header bytes are in
    bool headerParsed = false;
    int32_t framesLoaded = -1;

    Rect frameRect;
    int32_t frameMs = 1000; // frame period in whole milliseconds
    uint8_t version = 0;

    // Body of the JPEGTables tag, when the movie has one.
    const ByteRange& JpegTables() const { return jpegTables; }
    // The first JPEGTables tag of the movie gives the tables; later ones are ignored.
    void SetJpegTables(const ByteRange& tables) {
        if (jpegTables.present)
            return;
        jpegTables = tables;
        jpegTablesCache.reset();
    }
    // The renderer's decoder context built from the JPEG tables.
    std::unique_ptr<RenderCache> jpegTablesCache;

    // The URL the movie was loaded from.
    std::string url;

    CharacterDictionary dictionary;

private:
    friend class PlayerCore; // attaches streams, keeps the list of levels

    bool ParseHeader();
    void CountFrames();

    uint8_t header[kHeaderSize] = {};
    uint32_t headerBytes = 0;
    bool complete = false;
    uint32_t scanPos = 0;
    uint16_t frameRate = 0;  // 8.8 as in the header
    int32_t frameRate16 = 0; // 16.16
    ByteRange jpegTables;

    PlayerStream* stream = nullptr; // the stream feeding this level
    bool loadIntoBuffer = false;    // a buffer-only load (movie headed for a sprite target)
    int32_t pendingLevel = -1;
    std::string pendingTarget;
    bool sizeReported = false;

    // Next level in the player's list of levels 1 and up.
    std::unique_ptr<MovieLevel> nextLevel;
};

} // namespace tavro::player
