// Tag execution, seeking and the frame step of one timeline.
//
// Frames are only ever executed here, by Seek(). A timeline keeps a read position into its tag
// stream; executing "up to frame N" reads tags until the Nth ShowFrame has been passed. Going back
// in goto mode replays from the first tag with DoAction and StartSound suppressed for the frames
// before the target, then merges the objects that were on stage with the replayed ones so that
// objects present in both frames keep their identity (instance names, sprite state).
//
// Every record is read through BitReader bounded by its tag, and every tag by the bytes received,
// so damaged input drops the affected item instead of reading outside the buffer.
#include "player/Timeline.h"

#include "player/PlaceRecord.h"

#include "swfformat/TagCodes.h"

#include "base/AsciiCase.h"
#include "player/BitReader.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlaceInfo.h"
#include "player/PlayerCore.h"
#include "player/RenderBridge.h"
#include "player/TagHeader.h"

#include <algorithm>
#include <cctype>

namespace tavro::player {

using namespace swfformat;

namespace {

// Objects whose depth is at least this were made by actions (duplicated sprites) and survive a
// backwards goto.
constexpr uint16_t kScriptDepth = 16384;

} // namespace

Timeline::Timeline(PlayerCore* p, DisplayList* dl) : player(p), displayList(dl) {}

Timeline::~Timeline() = default;

std::span<const uint8_t> Timeline::Data() const {
    if (!bytes || dataOffset > bytes->size())
        return {};
    size_t avail = bytes->size() - dataOffset;
    return {bytes->data() + dataOffset, std::min<size_t>(avail, Limit())};
}

std::string_view Timeline::CurrentLabel() const {
    auto d = Data();
    if (currentLabel < 0 || size_t(currentLabel) >= d.size())
        return {};
    BitReader r(d.data(), d.size(), size_t(currentLabel));
    return r.ReadString();
}

int Timeline::ReadTagHeader(uint32_t limit) {
    auto d = Data();
    limit = uint32_t(std::min<size_t>(limit, d.size()));
    TagHeader h;
    if (!TagHeader::Read(d.data(), limit, pos, h))
        return -1;
    tagStart = h.start;
    tagEnd = h.end;
    tagCode = h.code;
    pos = h.bodyPos;
    return h.code;
}

void Timeline::ResetTimeline() {
    pos = startPos;
    tagStart = tagEnd = 0;
    tagCode = 0;
    currentFrame = -1;
    currentLabel = -1;
    atEnd = false;
    seeking = false;
    soundResync = false;
    playing = true;
    loop = true;
    frameCount = 0;
    errorCode = 0;
    streamHead = ByteRange();
    streamBlockPos = 0;
    streamWaiting = false;
    streamActive = false;
    variables.clear();
}

// ---- tag execution ----

int Timeline::DoTag() {
    if (errorCode != 0)
        return errorCode;
    if (atEnd)
        return kEnd;
    int code = ReadTagHeader(Limit());
    ++displayList->tagsExecuted;
    if (code < 0) {
        // An incomplete tag waits for data; once no more data can come, the movie ends at its
        // last complete tag.
        if (DataComplete()) {
            atEnd = true;
            return kEnd;
        }
        return kWait;
    }
    switch (code) {
    case kTagEnd:
        atEnd = true;
        break;
    case kTagShowFrame:
        ++currentFrame;
        break;
    case kTagDefineShape:
    case kTagDefineShape2:
    case kTagDefineShape3:
        DefineCharacter(CharacterType::Shape);
        break;
    case kTagFreeCharacter: {
        auto d = Data();
        BitReader r(d.data(), tagEnd, pos);
        uint16_t id = r.U16();
        if (r.ok() && root)
            root->dictionary.Remove(id);
        break;
    }
    case kTagPlaceObject:
        DoPlaceObject(false);
        break;
    case kTagPlaceObject2:
        DoPlaceObject(true);
        break;
    case kTagRemoveObject:
        DoRemoveObject(true);
        break;
    case kTagRemoveObject2:
        DoRemoveObject(false);
        break;
    case kTagDefineBits:
    case kTagDefineBitsLossless:
    case kTagDefineBitsJpeg2:
    case kTagDefineBitsJpeg3:
    case kTagDefineBitsLossless2:
        DefineCharacter(CharacterType::Bitmap);
        break;
    case kTagDefineButton:
    case kTagDefineButton2:
        DefineCharacter(CharacterType::Button);
        break;
    case kTagJpegTables:
        if (root)
            root->SetJpegTables({dataOffset + pos, tagEnd - pos, true});
        break;
    case kTagSetBackgroundColor:
        DoSetBackground();
        break;
    case kTagDefineFont:
    case kTagDefineFont2:
        DefineCharacter(CharacterType::Font);
        break;
    case kTagDefineText:
    case kTagDefineText2:
        DefineCharacter(CharacterType::Text);
        break;
    case kTagDoAction:
        DoDoAction();
        break;
    case kTagDefineFontInfo:
    case kTagDefineButtonSound:
    case kTagDefineButtonCxform:
        AttachToCharacter();
        break;
    case kTagDefineSound:
        DefineCharacter(CharacterType::Sound);
        break;
    case kTagStartSound:
        if (!seeking && !streamActive && player->Sound()) {
            auto d = Data();
            player->Sound()->StartSound(*this, d.subspan(pos, tagEnd - pos));
        }
        break;
    case kTagSoundStreamHead:
    case kTagSoundStreamHead2:
        streamHead = {dataOffset + pos, tagEnd - pos, true};
        if (player->Sound()) {
            auto d = Data();
            player->Sound()->StreamHead(*this, d.subspan(pos, tagEnd - pos));
        }
        break;
    case kTagSoundStreamBlock:
        if (!seeking && !streamActive && player->Sound())
            player->Sound()->StreamBlock(*this, tagStart);
        break;
    case kTagDefineEditText:
        DefineCharacter(CharacterType::EditText);
        break;
    case kTagDefineSprite:
        DefineCharacter(CharacterType::Sprite);
        break;
    case kTagFrameLabel:
        DoFrameLabel();
        break;
    case kTagDefineMorphShape:
        DefineCharacter(CharacterType::MorphShape);
        break;
    default:
        break;
    }
    pos = tagEnd;
    return errorCode;
}

void Timeline::DefineCharacter(CharacterType type) {
    if (!root)
        return;
    auto d = Data();
    BitReader r(d.data(), tagEnd, pos);
    uint16_t id = r.U16();
    if (!r.ok())
        return;
    CharacterDictionary& dict = root->dictionary;
    if (dict.Find(id))
        return; // the first definition stays
    // Parse into a local record first so that a damaged tag defines nothing.
    Character tmp;
    tmp.tag = {dataOffset + pos, tagEnd - pos, true};
    auto rangeFrom = [&](size_t at) {
        size_t p = std::min<size_t>(at, tagEnd);
        return ByteRange{uint32_t(dataOffset + p), uint32_t(tagEnd - p), true};
    };
    switch (type) {
    case CharacterType::Shape:
    case CharacterType::Text:
        tmp.bounds = r.ReadRect();
        tmp.data = rangeFrom(r.Pos());
        break;
    case CharacterType::EditText: {
        tmp.bounds = r.ReadRect();
        tmp.data = rangeFrom(r.Pos());
        r.U8();
        uint8_t flags2 = r.U8();
        if (r.ok() && !(flags2 & 0x01))
            displayList->usesDeviceFonts = true;
        break;
    }
    case CharacterType::MorphShape:
        tmp.bounds = r.ReadRect();
        tmp.endBounds = r.ReadRect();
        tmp.data = rangeFrom(r.Pos());
        break;
    case CharacterType::Button:
        if (tagCode == kTagDefineButton2)
            tmp.trackAsMenu = r.U8();
        tmp.data = rangeFrom(r.Pos());
        break;
    case CharacterType::Font:
        if (tagCode == kTagDefineFont2) {
            tmp.fontFlags = r.U8();
            r.U8(); // reserved
            uint8_t nameLen = r.U8();
            r.Skip(nameLen);
            tmp.glyphCount = r.U16();
            tmp.offsetTableOffset = uint32_t(r.Pos() - pos);
        }
        tmp.data = rangeFrom(pos + 2);
        break;
    case CharacterType::Sound: {
        tmp.soundFormat = r.U8();
        tmp.sampleCount = r.U32();
        if ((tmp.soundFormat >> 4) == 2)
            tmp.mp3Seek = r.S16();
        tmp.data = rangeFrom(r.Pos());
        // Only PCM (0, 3), ADPCM (1) and MP3 (2) can be decoded.
        if (r.ok() && (tmp.soundFormat >> 4) > 3)
            return;
        break;
    }
    case CharacterType::Sprite:
        tmp.frameCount = r.U16();
        tmp.data = rangeFrom(r.Pos());
        break;
    default:
        tmp.data = rangeFrom(pos + 2);
        break;
    }
    if (!r.ok())
        return;
    Character* c = dict.Add(id);
    if (!c)
        return;
    c->owner = root;
    c->type = type;
    c->tagCode = uint8_t(tagCode);
    c->tag = tmp.tag;
    c->data = tmp.data;
    c->bounds = tmp.bounds;
    c->endBounds = tmp.endBounds;
    c->trackAsMenu = tmp.trackAsMenu;
    c->fontFlags = tmp.fontFlags;
    c->glyphCount = tmp.glyphCount;
    c->offsetTableOffset = tmp.offsetTableOffset;
    c->soundFormat = tmp.soundFormat;
    c->sampleCount = tmp.sampleCount;
    c->mp3Seek = tmp.mp3Seek;
    c->frameCount = tmp.frameCount;
}

void Timeline::AttachToCharacter() {
    if (!root)
        return;
    auto d = Data();
    BitReader r(d.data(), tagEnd, pos);
    uint16_t id = r.U16();
    if (!r.ok())
        return;
    Character* c = root->dictionary.Find(id);
    if (!c)
        return;
    ByteRange body{dataOffset + pos + 2, tagEnd - pos - 2, true};
    if (tagCode == kTagDefineFontInfo) {
        if (c->type == CharacterType::Font && !c->infoData.present)
            c->infoData = body;
    } else if (tagCode == kTagDefineButtonSound) {
        if (c->type == CharacterType::Button && !c->soundData.present)
            c->soundData = body;
    } else if (tagCode == kTagDefineButtonCxform) {
        if (c->type == CharacterType::Button && !c->cxformData.present)
            c->cxformData = body;
    }
}

void Timeline::DoPlaceObject(bool second) {
    if (!rootObject || !root)
        return;
    auto d = Data();
    BitReader r(d.data(), tagEnd, pos);
    const PlaceRecord record = second ? ReadPlaceObject2(r) : ReadPlaceObject(r, tagEnd);
    if (!r.ok())
        return;
    PlaceInfo info;
    info.flags = record.flags;
    info.depth = record.depth;
    if (info.flags & PlaceInfo::kHasCharacter) {
        info.character = root->dictionary.Find(record.characterId);
        if (!info.character)
            return;
    }
    info.matrix = record.matrix;
    info.cxform = record.cxform;
    info.ratio = record.ratio;
    info.name = record.name;
    info.clipDepth = record.clipDepth;
    if (second && (info.flags & PlaceInfo::kMove))
        displayList->Modify(rootObject, info);
    else
        displayList->Place(rootObject, info, this);
}

void Timeline::DoRemoveObject(bool withId) {
    if (!rootObject)
        return;
    auto d = Data();
    BitReader r(d.data(), tagEnd, pos);
    if (withId)
        r.U16();
    uint16_t depthToRemove = r.U16();
    if (r.ok())
        displayList->Remove(rootObject, depthToRemove);
}

void Timeline::DoDoAction() {
    if (seeking || !bytes)
        return;
    displayList->actions.Push(bytes, dataOffset + pos, tagEnd - pos, this);
}

void Timeline::DoFrameLabel() {
    auto d = Data();
    BitReader r(d.data(), tagEnd, pos);
    r.ReadString();
    currentLabel = pos; // an unterminated label reads up to the end of its tag at most
}

void Timeline::DoSetBackground() {
    auto d = Data();
    BitReader r(d.data(), tagEnd, pos);
    uint32_t red = r.U8(), green = r.U8(), blue = r.U8();
    if (!r.ok())
        return;
    uint32_t rgb = (red << 16) | (green << 8) | blue;
    if (!displayList->hasBackground || displayList->backgroundColor != rgb) {
        displayList->hasBackground = true;
        displayList->backgroundColor = rgb;
        player->Renderer().InvalidateAll();
    }
}

// ---- seeking ----

bool Timeline::EnsureRootObject() {
    if (rootObject)
        return true;
    if (!IsLevel())
        return false; // a sprite whose object was removed
    auto* level = static_cast<MovieLevel*>(this);
    Character* ch = level->dictionary.Find(Character::kLevelRootId);
    if (!ch) {
        ch = level->dictionary.Add(Character::kLevelRootId);
        if (!ch)
            return false;
        ch->owner = level;
        ch->type = CharacterType::LevelRoot;
    }
    PlaceInfo info;
    info.character = ch;
    info.depth = uint16_t(std::clamp<int32_t>(depth, 0, 0xFFFF));
    rootObject = displayList->Place(&displayList->root, info, this);
    return rootObject != nullptr;
}

int Timeline::ExecuteTo(int32_t frame) {
    while (currentFrame < frame) {
        int r = DoTag();
        if (r != kOk)
            return r;
        if (!rootObject)
            return kEnd; // the timeline's object was removed by its own tags
    }
    return kOk;
}

int Timeline::Seek(int32_t frame, bool gotoMode) {
    if (errorCode != 0)
        return errorCode;
    if (IsLevel() && !static_cast<MovieLevel*>(this)->headerParsed)
        return kWait;
    if (!EnsureRootObject())
        return IsLevel() ? kOutOfMemory : kEnd;

    if (!gotoMode)
        return ExecuteTo(frame);

    if (currentFrame > frame) {
        pos = startPos;
        currentFrame = -1;
        currentLabel = -1;
        atEnd = false;
        DisplayObject* old = displayList->DetachChildren(rootObject);
        seeking = true;
        soundResync = true;
        int r = ExecuteTo(frame - 1);
        seeking = false;
        if (r == kOk)
            r = ExecuteTo(frame);
        if (rootObject)
            MergeAfterReplay(old);
        else
            while (old) {
                DisplayObject* next = old->nextSibling;
                old->nextSibling = nullptr;
                displayList->DestroyObject(old);
                old = next;
            }
        return r;
    }
    if (currentFrame < frame) {
        seeking = true;
        soundResync = true;
        int r = ExecuteTo(frame - 1);
        seeking = false;
        if (r == kOk)
            r = ExecuteTo(frame);
        return r;
    }
    return kOk;
}

void Timeline::MergeAfterReplay(DisplayObject* oldChain) {
    DisplayObject* newChain = displayList->DetachChildren(rootObject);
    DisplayObject* head = nullptr;
    DisplayObject** tail = &head;
    auto take = [](DisplayObject*& chain) {
        DisplayObject* o = chain;
        chain = o->nextSibling;
        o->nextSibling = nullptr;
        return o;
    };
    auto keep = [&](DisplayObject* o) {
        o->parent = rootObject;
        *tail = o;
        tail = &o->nextSibling;
    };
    auto adoptTransform = [&](DisplayObject* o, const DisplayObject* n) {
        if (!o->scriptTransformed && (o->matrix != n->matrix || !(o->cxform == n->cxform))) {
            o->matrix = n->matrix;
            o->cxform = n->cxform;
            displayList->MarkDirty(o);
        }
    };

    while (oldChain || newChain) {
        if (newChain && (!oldChain || newChain->depth < oldChain->depth)) {
            keep(take(newChain));
            continue;
        }
        if (oldChain && (!newChain || oldChain->depth < newChain->depth)) {
            DisplayObject* o = take(oldChain);
            if (o->depth >= kScriptDepth)
                keep(o);
            else
                displayList->DestroyObject(o);
            continue;
        }
        DisplayObject* o = take(oldChain);
        DisplayObject* n = take(newChain);
        bool keepOld = false;
        if (o->character == n->character && o->ratio == n->ratio && o->clipDepth == n->clipDepth) {
            bool same = o->matrix == n->matrix && o->cxform == n->cxform;
            if (same) {
                keepOld = true;
            } else if (o->IsSprite()) {
                keepOld = true;
                adoptTransform(o, n);
            }
        } else if (o->ratio == n->ratio && o->IsSprite() && n->IsSprite()) {
            keepOld = true;
            adoptTransform(o, n);
        }
        if (keepOld) {
            if (displayList->trackedButton == n)
                displayList->trackedButton = o;
            keep(o);
            displayList->DestroyObject(n);
        } else {
            keep(n);
            displayList->DestroyObject(o);
        }
    }
    rootObject->firstChild = head;
    player->Actions().AfterReplay(*player, *this);
}

// ---- frame step, play, stop, goto ----

void Timeline::AdvanceFrame(int32_t count, bool stepMode) {
    if (!playing && !stepMode)
        return;
    int r;
    if (stepMode) {
        r = Seek(currentFrame + 1, true);
    } else {
        int64_t target = int64_t(currentFrame) + count;
        if (IsLevel())
            target = std::min<int64_t>(target, static_cast<MovieLevel*>(this)->framesLoaded);
        r = Seek(int32_t(std::clamp<int64_t>(target, -1, INT32_MAX)), false);
    }
    if (r < 0) {
        if (player->Sound())
            player->Sound()->StopStream(*this);
        playing = false;
    } else if (r == kEnd) {
        if (player->Sound())
            player->Sound()->StopStream(*this);
        if (loop && currentFrame != 0)
            Seek(0, true);
        else
            playing = false;
    }
}

void Timeline::Play(bool rewindIfAtEnd) {
    soundResync = true;
    if (rewindIfAtEnd && !loop && currentFrame >= frameCount - 1)
        Goto(0);
    playing = true;
}

void Timeline::Stop() {
    playing = false;
    if (player->Sound())
        player->Sound()->StopStream(*this);
}

void Timeline::Goto(int32_t frame) {
    Stop();
    Seek(std::max(frame, 0), true);
}

int32_t Timeline::FindLabel(std::string_view name) {
    auto d = Data();
    uint32_t limit = uint32_t(std::min<size_t>(Limit(), d.size()));
    uint32_t p = startPos;
    int32_t frame = 0;
    TagHeader h;
    while (TagHeader::Read(d.data(), limit, p, h)) {
        if (h.code == kTagEnd)
            break;
        if (h.code == kTagShowFrame) {
            ++frame;
        } else if (h.code == kTagFrameLabel) {
            BitReader r(d.data(), h.end, h.bodyPos);
            if (EqualsNoCase(r.ReadString(), name))
                return frame;
        }
        p = h.end;
    }
    return -1;
}

void Timeline::BindSprite(MovieLevel* source, const Character& ch, DisplayObject* obj) {
    root = source;
    bytes = source ? source->bytes : nullptr;
    if (ch.type == CharacterType::LoadedMovie && source) {
        dataOffset = source->startPos;
        dataLength = source->received > source->startPos ? source->received - source->startPos : 0;
        frameCount = source->frameCount;
    } else {
        dataOffset = ch.data.offset;
        dataLength = ch.data.length;
        frameCount = ch.frameCount;
    }
    pos = 0;
    startPos = 0;
    depth = obj->depth;
    rootObject = obj;
}

} // namespace tavro::player
