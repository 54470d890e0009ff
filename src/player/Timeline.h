// One playing sequence of frames: the root timeline of a loaded movie (see MovieLevel) or the
// timeline of a placed sprite. Frames are executed only by Seek(), which reads tags from the
// current position; going backwards in goto mode replays from the first frame and merges the
// replayed objects with the ones that were on stage.
#pragma once

#include "player/Character.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::player {

class DisplayList;
class DisplayObject;
class MovieLevel;
class PlayerCore;

class Timeline {
public:
    // Result codes of tag execution and seeking.
    static constexpr int kOk = 0;
    static constexpr int kWait = 1; // the tag is not complete yet
    static constexpr int kEnd = 2;  // the End tag was reached
    static constexpr int kBadHeader = -1;
    static constexpr int kOutOfMemory = -2;
    // Limit used for in-memory tag streams (sprites): effectively unlimited.
    static constexpr uint32_t kNoLimit = 0x20000000;

    struct Variable {
        std::string name;
        std::string value;
    };

    Timeline(PlayerCore* player, DisplayList* displayList);
    virtual ~Timeline();
    Timeline(const Timeline&) = delete;
    Timeline& operator=(const Timeline&) = delete;

    MovieLevel* root = nullptr; // resolves character ids
    PlayerCore* player;
    DisplayList* displayList;
    // The object that stands for this timeline in the display list (its children are this
    // timeline's objects); set by the display list.
    DisplayObject* rootObject = nullptr;

    int32_t currentFrame = -1;
    int32_t frameCount = 0;
    int errorCode = 0;
    int32_t depth = 0; // the level number, or the sprite's placement depth

    std::vector<Variable> variables;

    // ---- the tag stream (read-only outside) ----
    // The bytes are SharedBytes()[DataOffset(), DataOffset() + dataLength); for a level, the
    // whole buffer received so far.
    const std::shared_ptr<std::vector<uint8_t>>& SharedBytes() const { return bytes; }
    uint32_t DataOffset() const { return dataOffset; }
    // Offset (within the tag stream) of the first tag of frame 0.
    uint32_t StartPos() const { return startPos; }

    // Sets up the timeline of a placed sprite: `ch` is a sprite, or a movie loaded into a
    // sprite target (whose root is `source`); `obj` is the placed object.
    void BindSprite(MovieLevel* source, const Character& ch, DisplayObject* obj);
    // The placed object is going away.
    void DetachRootObject() { rootObject = nullptr; }

    // The next timeline of the display list's list of timelines.
    Timeline* NextInList() const { return nextInList; }

    // ---- playback state ----
    bool Playing() const { return playing; }
    bool Looping() const { return loop; }
    void SetLooping(bool on) { loop = on; }
    bool AtEnd() const { return atEnd; }
    // A goto is replaying frames (DoAction and StartSound are ignored).
    bool Seeking() const { return seeking; }

    // ---- stream sound (kept by the sound code) ----
    // Whether the stream should restart its decoder (set by Play and by gotos); reading it
    // clears it.
    bool TakeSoundResync() {
        bool r = soundResync;
        soundResync = false;
        return r;
    }
    // A stream channel plays this timeline's stream sound.
    bool StreamActive() const { return streamActive; }
    void SetStreamActive(bool on) { streamActive = on; }

    // True for a level's root timeline.
    virtual bool IsLevel() const { return false; }
    // Number of valid bytes of the tag stream (grows while a level loads).
    virtual uint32_t Limit() const { return dataLength; }
    // True when no more bytes will arrive (a truncated tag then counts as the end).
    virtual bool DataComplete() const { return true; }

    std::span<const uint8_t> Data() const;
    std::string_view CurrentLabel() const;

    // Reads the tag header at `pos` against `limit`. Returns the tag code, or -1 when the
    // header or body is incomplete (pos unchanged).
    int ReadTagHeader(uint32_t limit);
    // Executes one tag; returns kOk, kWait, kEnd or the (negative) error code.
    int DoTag();
    // Executes frames up to `frame` (see the file comment); returns kOk when reached.
    int Seek(int32_t frame, bool gotoMode);
    // Advances by `count` frames as the frame clock does; handles looping and the end.
    void AdvanceFrame(int32_t count, bool stepMode);

    void Play(bool rewindIfAtEnd);
    void Stop();
    void Goto(int32_t frame);
    // Frame number of the FrameLabel named `name` (case-insensitive), or -1.
    int32_t FindLabel(std::string_view name);

    // Puts the tag stream back to its start and frees the variables (levels also drop their
    // data; see MovieLevel::Reset).
    void ResetTimeline();

protected:
    friend class DisplayList; // keeps the list of timelines

    std::shared_ptr<std::vector<uint8_t>> bytes;
    uint32_t dataOffset = 0;
    uint32_t dataLength = 0;
    uint32_t pos = 0;
    uint32_t tagStart = 0;
    uint32_t tagEnd = 0;
    uint16_t tagCode = 0;
    uint32_t startPos = 0;

    Timeline* nextInList = nullptr;
    Timeline* prevInList = nullptr;
    bool inList = false;

    bool atEnd = false;
    bool seeking = false;
    bool soundResync = false;
    bool playing = true;
    bool loop = true;
    // Offset (within the tag stream) of the text of the last FrameLabel passed; -1 when none.
    int64_t currentLabel = -1;

    // The SoundStreamHead body and the stream's state.
    ByteRange streamHead;
    uint32_t streamBlockPos = 0;
    bool streamWaiting = false;
    bool streamActive = false;

    int ExecuteTo(int32_t frame);
    void MergeAfterReplay(DisplayObject* oldChain);
    bool EnsureRootObject();

    void DefineCharacter(CharacterType type);
    void DoPlaceObject(bool second);
    void DoRemoveObject(bool withId);
    void DoDoAction();
    void DoFrameLabel();
    void AttachToCharacter();
    void DoSetBackground();
};

} // namespace tavro::player
