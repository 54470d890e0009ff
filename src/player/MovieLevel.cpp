#include "player/MovieLevel.h"

#include "player/BitReader.h"
#include "player/DisplayList.h"
#include "player/PlayerCore.h"
#include "player/TagHeader.h"

#include <algorithm>
#include <new>

namespace tavro::player {

namespace {
// The buffer grows in steps of at least this much (or doubles), never beyond the declared length.
constexpr size_t kMinGrowth = 64 * 1024;
} // namespace

MovieLevel::MovieLevel(PlayerCore* p, DisplayList* dl, int32_t levelNumber) : Timeline(p, dl) {
    root = this;
    depth = levelNumber;
    dictionary.onRemove = [this](Character& c) {
        if (c.type == CharacterType::Sound && player && player->Sound())
            player->Sound()->ReleaseSound(c);
    };
}

MovieLevel::~MovieLevel() {
    dictionary.onRemove = nullptr;
    Reset();
}

bool MovieLevel::Append(const uint8_t* data, size_t length) {
    if (errorCode != 0)
        return false;
    size_t i = 0;
    while (totalLength < 0 && i < length) {
        header[headerBytes++] = data[i++];
        if (headerBytes < kHeaderSize)
            continue;
        if (header[0] != 0x46 || header[1] != 0x57 || header[2] != 0x53) {
            errorCode = kBadHeader;
            return false;
        }
        version = header[3];
        uint32_t declared = uint32_t(header[4]) | (uint32_t(header[5]) << 8) |
                            (uint32_t(header[6]) << 16) | (uint32_t(header[7]) << 24);
        if (declared < kHeaderSize) {
            errorCode = kBadHeader;
            return false;
        }
        totalLength = declared;
        try {
            bytes = std::make_shared<std::vector<uint8_t>>();
            bytes->reserve(std::min<size_t>(declared, kHeaderSize + (length - i)));
            bytes->assign(header, header + kHeaderSize);
        } catch (const std::bad_alloc&) {
            bytes.reset();
            errorCode = kOutOfMemory;
            return false;
        }
        received = kHeaderSize;
        pos = kHeaderSize;
        dataOffset = 0;
    }
    if (totalLength >= 0 && i < length) {
        // Bytes beyond the declared length are dropped.
        size_t n = std::min<size_t>(length - i, size_t(totalLength) - received);
        if (n > 0) {
            size_t needed = received + n;
            try {
                if (bytes->capacity() < needed) {
                    size_t grown = std::max(
                        needed, std::max(bytes->capacity() * 2, bytes->capacity() + kMinGrowth));
                    bytes->reserve(std::min<size_t>(grown, size_t(totalLength)));
                }
                bytes->insert(bytes->end(), data + i, data + i + n);
            } catch (const std::bad_alloc&) {
                errorCode = kOutOfMemory;
                return false;
            }
            received = uint32_t(needed);
        }
    }
    if (totalLength >= 0 && !headerParsed)
        ParseHeader();
    if (totalLength >= 0 && received == uint64_t(totalLength))
        MarkComplete();
    else if (headerParsed)
        CountFrames();
    return errorCode == 0;
}

bool MovieLevel::ParseHeader() {
    if (received <= kHeaderSize)
        return false;
    const uint8_t* d = bytes->data();
    // The RECT's size follows from its 5-bit field width; wait until it and the rate and frame
    // count are all in.
    unsigned nbits = d[kHeaderSize] >> 3;
    size_t rectBytes = (5 + 4 * size_t(nbits) + 7) / 8;
    if (received < kHeaderSize + rectBytes + 4)
        return false;
    BitReader r(d, received, kHeaderSize);
    frameRect = r.ReadRect();
    frameRate = r.U16();
    frameCount = r.U16();
    if (!r.ok())
        return false;
    frameRate16 = int32_t(frameRate) * 256;
    // A rate of 0 has no period; such movies play at one frame per second.
    frameMs = frameRate16 > 0 ? int32_t(65536000 / frameRate16) : 1000;
    startPos = scanPos = uint32_t(r.Pos());
    pos = startPos;
    currentFrame = -1;
    currentLabel = -1;
    headerParsed = true;
    return true;
}

void MovieLevel::CountFrames() {
    const uint8_t* d = bytes->data();
    TagHeader h;
    while (TagHeader::Read(d, received, scanPos, h)) {
        if (h.code == 1)
            ++framesLoaded;
        scanPos = h.end;
    }
}

void MovieLevel::MarkComplete() {
    if (complete)
        return;
    complete = true;
    if (headerParsed)
        framesLoaded = kAllFramesLoaded;
    else if (errorCode == 0)
        errorCode = kBadHeader; // the data ended before the header did
}

void MovieLevel::Reset() {
    if (displayList) {
        if (rootObject)
            displayList->RemoveObject(rootObject);
        displayList->actions.Cancel(this);
    }
    rootObject = nullptr;
    if (player && player->Sound())
        player->Sound()->StopOwner(*this);
    dictionary.Clear();
    startPos = 0;
    ResetTimeline();
    jpegTables = ByteRange();
    jpegTablesCache.reset();
    bytes.reset();
    dataOffset = 0;
    dataLength = 0;
    received = 0;
    totalLength = -1;
    headerBytes = 0;
    headerParsed = false;
    complete = false;
    framesLoaded = -1;
    scanPos = 0;
    frameRect = Rect();
    frameRate = 0;
    frameRate16 = 0;
    frameMs = 1000;
    version = 0;
    stream = nullptr;
    url.clear();
    loadIntoBuffer = false;
    pendingLevel = -1;
    pendingTarget.clear();
    sizeReported = false;
}

} // namespace tavro::player
