// The player engine: stream intake into levels, the frame clock and the host-facing commands.
#include "player/PlayerCore.h"

#include "player/RenderBridge.h"
#include "player/actions/ActionEngine.h"
#include "player/actions/InteractiveParts.h"
#include "player/actions/TargetPath.h"
#include "player/actions/UrlRequest.h"

#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>

namespace tavro::player {

namespace {

constexpr uint32_t kClockMask = 0x7FFFFFFF;

// True when `now` is before `deadline` on the 31-bit clock (which wraps after about 24 days).
bool Before(uint32_t now, uint32_t deadline) {
    return ((now - deadline) & kClockMask) >= 0x40000000u;
}
} // namespace

PlayerCore::PlayerCore()
    : displayList_(this), level0_(this, &displayList_, 0),
      deviceFonts_(this, &displayList_, kDeviceFontLevel),
      render_(std::make_unique<RenderBridge>(*this)) {
    displayList_.LinkTimeline(&level0_);
    interpreter_ = MakeActionEngine(*this);
}

PlayerCore::~PlayerCore() {
    ClearAllLevels();
    deviceFonts_.Reset();
    displayList_.actions.Clear();
    displayList_.ReleaseRetired();
    displayList_.UnlinkTimeline(&level0_);
    displayList_.player = nullptr;
}

// ---- host slots: defaults for a core without a host ----

int PlayerCore::StartTimers(int, int) {
    return 0;
}
void PlayerCore::StopTimers() {}
void PlayerCore::InvalidateScreen() {}
void PlayerCore::GetClientRect(Rect& out) {
    const Rect& f = level0_.frameRect;
    if (!level0_.headerParsed || f.IsEmpty()) {
        out = Rect(0, 0, 0, 0);
        return;
    }
    out = Rect(0, int32_t(std::max<int64_t>(f.Width() / 20, 0)), 0,
               int32_t(std::max<int64_t>(f.Height() / 20, 0)));
}
void PlayerCore::MovieSizeKnown(int, int) {}
void PlayerCore::OpenUrlStream(std::string_view, std::string_view, const StreamTarget&) {}
void PlayerCore::CloseUrlStream(PlayerStream*) {}
void PlayerCore::FsCommand(std::string_view, std::string_view) {}
void PlayerCore::UpdateControls(const ControlState&) {}
void PlayerCore::SetCursorKind(int) {}

uint32_t PlayerCore::CurrentTimeMs() {
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                  std::chrono::steady_clock::now().time_since_epoch())
                  .count();
    return uint32_t(ms) & kClockMask;
}

// ---- host commands ----

void PlayerCore::Load(const uint8_t* data, size_t length) {
    loadStream_ = PlayerStream();
    StreamInReplacingLevel0(&loadStream_, "pipe");
    // Large inputs go in pieces so that one call never needs a length beyond int range.
    constexpr size_t kPiece = size_t(1) << 30;
    for (size_t off = 0; off < length || off == 0; off += kPiece) {
        size_t n = std::min(kPiece, length - off);
        StreamInWrite(&loadStream_, data ? data + off : nullptr, n);
        if (length == 0)
            break;
    }
    StreamInDestroy(&loadStream_);
    UpdateControls(GetControlState());
    displayList_.ReleaseRetired();
}

void PlayerCore::TogglePlay() {
    if (!level0_.Playing())
        level0_.Play(true);
    else
        level0_.Stop();
    UpdateControls(GetControlState());
}

void PlayerCore::Close() {
    if (timersOn_) {
        StopTimers();
        timersOn_ = false;
        StopTimelineSounds();
    }
    ClearAllLevels();
    zoomRect_.SetEmpty();
    running_ = false;
    drag.Clear();
    displayList_.actions.Clear();
    render_->RebuildView();
    render_->InvalidateAll();
    UpdateControls(GetControlState());
    displayList_.ReleaseRetired();
}

void PlayerCore::StopTimelineSounds() {
    if (!sound_)
        return;
    for (Timeline* t = displayList_.timelines; t; t = t->NextInList()) {
        sound_->StopStream(*t);
        sound_->StopOwner(*t);
    }
}

void PlayerCore::Tick(bool fromTimer) {
    if (!running_ || busy_)
        return;
    uint32_t now = CurrentTimeMs() & kClockMask;
    int frames = 1;
    Timeline* leader = nullptr;
    if (sound_) {
        for (Timeline* t = displayList_.timelines; t; t = t->NextInList()) {
            // A stream that has run dry does not lead: the movie's own clock paces the other
            // timelines while its timeline waits for data below.
            int32_t f = sound_->StreamFrame(*t);
            if (f >= 0 && !sound_->StreamFinished(*t) && !sound_->StreamStarved(*t)) {
                leader = t;
                frames = f - t->currentFrame;
                if (frames < 1)
                    return;
                break;
            }
        }
    }
    if (!leader && fromTimer && Before(now, nextFrameTime_))
        return;
    nextFrameTime_ = (now + uint32_t(level0_.frameMs)) & kClockMask;

    for (int i = 0; i < frames; ++i) {
        // Timelines placed during this round were just sought to their first frame and wait
        // for the next round; removed ones are skipped.
        tickScratch_.clear();
        for (Timeline* t = displayList_.timelines; t; t = t->NextInList())
            tickScratch_.push_back(t);
        for (Timeline* t : tickScratch_) {
            if (!t->IsLevel() && !t->rootObject)
                continue;
            if (sound_ && t != leader) {
                int32_t f = sound_->StreamFrame(*t);
                if (f >= 0 && f < t->currentFrame && !sound_->StreamFinished(*t))
                    continue;
            }
            t->AdvanceFrame(1, false);
        }
        RunActions();
    }
    interpreter_->ReplayButtonUpdate(*this);
    render_->UpdateScreen();
    UpdateAutoQuality(now, frames);
    FrameRateTrace();
    displayList_.ReleaseRetired();
}

void PlayerCore::UpdateAutoQuality(uint32_t start, int framesDue) {
    if (!autoQuality_)
        return;
    QualityCounters& q = quality_;
    uint32_t elapsed = ((CurrentTimeMs() & kClockMask) - start) & kClockMask;
    int32_t period = level0_.frameMs;
    if (int64_t(elapsed) > period || framesDue > 1)
        ++q.slowTicks;
    else if (int64_t(elapsed) < period / 4)
        ++q.fastTicks;
    ++q.tickCount;
    if (q.tickCount >= 5 && q.qualityAge >= 11) {
        bool change = false;
        if (highQuality_ && 3 * q.slowTicks > q.tickCount) {
            highQuality_ = false;
            change = true;
        } else if (!highQuality_ && 3 * q.fastTicks > q.tickCount) {
            highQuality_ = true;
            change = true;
        }
        // The tick counts go on: they measure the movie, not the current quality.
        if (change) {
            q.qualityAge = 0;
            render_->RebuildView();
            render_->InvalidateAll();
        }
    }
    ++q.qualityAge;
}

void PlayerCore::SetQuality(bool high, bool best) {
    highQuality_ = high;
    bestQuality_ = best;
    autoQuality_ = false;
    render_->RebuildView();
    render_->InvalidateAll();
}

void PlayerCore::SetScaleMode(int mode) {
    scaleMode_ = mode;
    render_->RebuildView();
    render_->InvalidateAll();
}

void PlayerCore::SetZoomRect(const Rect& zoom) {
    zoomRect_ = zoom;
    render_->RebuildView();
    render_->InvalidateAll();
}

void PlayerCore::FrameRateTrace() {
    uint32_t now = CurrentTimeMs() & kClockMask;
    if (traceFrames_ == 0)
        traceStart_ = now;
    if (++traceFrames_ >= 12) {
        uint32_t elapsed = (now - traceStart_) & kClockMask;
        Trace("fps = %3d\n", int(int64_t(traceFrames_) * 1000 / (int64_t(elapsed) + 1)));
        traceFrames_ = 0;
    }
}

void PlayerCore::CaretTick() {
    interpreter_->CaretTick(*this);
}

void PlayerCore::Paint(const Rect& windowRect) {
    render_->Paint(windowRect);
}

void PlayerCore::Resize() {
    render_->DropSurface();
    render_->InvalidateAll();
}

void PlayerCore::MouseMove(int x, int y, bool buttonDown) {
    if (running_)
        interpreter_->MouseMove(*this, x, y, buttonDown);
}

void PlayerCore::MouseDown(int x, int y) {
    if (running_)
        interpreter_->MouseDown(*this, x, y);
}

void PlayerCore::MouseUp(int x, int y) {
    if (running_)
        interpreter_->MouseUp(*this, x, y);
}

bool PlayerCore::KeyDown(const PlayerKey& key) {
    return running_ && interpreter_->KeyDown(*this, key);
}

bool PlayerCore::EditingText() {
    return running_ && interpreter_->EditingText(*this);
}

std::string PlayerCore::SelectedText() {
    return running_ ? interpreter_->SelectedText(*this) : std::string();
}

int PlayerCore::UpdateCursor() {
    int kind = interpreter_->CursorKind(*this);
    SetCursorKind(kind);
    return kind;
}

// ---- stream intake ----

void PlayerCore::StreamInReplacingLevel0(PlayerStream* stream, std::string_view url) {
    replaceLevel0_ = true;
    StreamInNew(stream, url, nullptr);
    replaceLevel0_ = false;
}

void PlayerCore::StreamInNew(PlayerStream* stream, std::string_view url,
                             const StreamTarget* target) {
    Trace("StreamInNew %x\n", unsigned(reinterpret_cast<uintptr_t>(stream)));
    if (!stream)
        return;
    stream->url.assign(url);
    stream->level = nullptr;
    MovieLevel* level = nullptr;
    if (replaceLevel0_) {
        if (timersOn_) {
            StopTimers();
            timersOn_ = false;
            StopTimelineSounds();
        }
        running_ = false;
        ClearAllLevels();
        displayList_.actions.Clear();
        interpreter_->MovieReplaced(*this);
        level = &level0_;
        movieUrl_.assign(url);
    } else if (target && target->spritePath.empty() && !target->variables) {
        level = GetLevel(target->level, true);
        if (level && (level->totalLength >= 0 || level->errorCode != 0))
            ResetLevel(*level);
    } else if (target) {
        // Variables, or a movie for a sprite: gathered aside and applied once complete.
        sideLoads_.erase(std::remove_if(sideLoads_.begin(), sideLoads_.end(),
                                        [stream](const SideLoad& l) { return l.stream == stream; }),
                         sideLoads_.end());
        SideLoad load;
        load.stream = stream;
        load.target = *target;
        if (!target->variables) {
            PruneLoadedMovies();
            try {
                load.movie = std::make_unique<MovieLevel>(this, &displayList_, 0);
            } catch (const std::bad_alloc&) {
                return;
            }
            load.movie->url.assign(url);
            load.movie->stream = stream;
            stream->level = load.movie.get();
        }
        sideLoads_.push_back(std::move(load));
        return;
    }
    if (!level)
        return;
    level->url.assign(url);
    level->stream = stream;
    stream->level = level;
}

int64_t PlayerCore::StreamInWrite(PlayerStream* stream, const uint8_t* data, size_t length) {
    if (!stream)
        return -1;
    if (!stream->level) {
        SideLoad* load = FindSideLoad(stream);
        if (!load)
            return -1;
        if (data && load->text.size() < kMaxVariableData)
            load->text.append(reinterpret_cast<const char*>(data),
                              std::min(length, kMaxVariableData - load->text.size()));
        return int64_t(length);
    }
    MovieLevel& level = *stream->level;
    if (data && length > 0)
        level.Append(data, length);
    OnLevelAppended(level);
    return int64_t(length);
}

void PlayerCore::StreamInDestroy(PlayerStream* stream) {
    Trace("StreamInDestroy %x\n", unsigned(reinterpret_cast<uintptr_t>(stream)));
    if (!stream)
        return;
    if (SideLoad* load = FindSideLoad(stream)) {
        SideLoad done = std::move(*load);
        sideLoads_.erase(sideLoads_.begin() + (load - sideLoads_.data()));
        stream->level = nullptr;
        if (done.movie) {
            done.movie->stream = nullptr;
            FinishSpriteLoad(done);
        } else {
            FinishVariableLoad(done);
        }
        return;
    }
    if (!stream->level)
        return;
    MovieLevel& level = *stream->level;
    level.stream = nullptr;
    stream->level = nullptr;
    level.MarkComplete();
    OnLevelAppended(level);
}

PlayerCore::SideLoad* PlayerCore::FindSideLoad(const PlayerStream* stream) {
    for (SideLoad& l : sideLoads_)
        if (l.stream == stream)
            return &l;
    return nullptr;
}

void PlayerCore::Trace(const char* format, ...) {
    if (!diagnostic_)
        return;
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    diagnostic_(line);
}

// The timeline a load's target names: a level, or a sprite by its absolute path.
static Timeline* LoadTarget(PlayerCore& core, const StreamTarget& target) {
    if (target.spritePath.empty()) {
        MovieLevel* level = core.FindLevel(target.level);
        return level && level->rootObject ? level : nullptr;
    }
    if (!core.Level0().rootObject)
        return nullptr;
    Timeline* t = ResolveTarget(core, core.Level0(), target.spritePath);
    return t && t->rootObject ? t : nullptr;
}

void PlayerCore::FinishVariableLoad(SideLoad& load) {
    Timeline* t = LoadTarget(*this, load.target);
    if (!t)
        return;
    ActionEngine* engine = Engine();
    for (const Timeline::Variable& v : DecodeVariables(load.text)) {
        if (engine)
            engine->SetVariable(*t, v.name, v.value);
        else
            StoreVariable(*t, v.name, v.value);
    }
}

void PlayerCore::FinishSpriteLoad(SideLoad& load) {
    MovieLevel& movie = *load.movie;
    movie.MarkComplete();
    if (!movie.headerParsed || movie.errorCode != 0)
        return;
    Timeline* t = LoadTarget(*this, load.target);
    DisplayObject* old = t && !t->IsLevel() ? t->rootObject : nullptr;
    if (!old || !old->parent)
        return;
    Character* ch = movie.dictionary.Add(Character::kLevelRootId - 1);
    if (!ch)
        return;
    ch->owner = &movie;
    ch->type = CharacterType::LoadedMovie;
    // The movie takes the sprite's place: same parent, depth, transform and name.
    std::string name = old->name;
    PlaceInfo info;
    info.flags = PlaceInfo::kHasCharacter | PlaceInfo::kHasMatrix | PlaceInfo::kHasCxform |
                 PlaceInfo::kHasRatio | PlaceInfo::kHasName | PlaceInfo::kHasClipDepth;
    info.character = ch;
    info.depth = old->depth;
    info.matrix = old->matrix;
    info.cxform = old->cxform;
    info.ratio = old->ratio;
    info.clipDepth = old->clipDepth;
    info.scriptTransformed = old->scriptTransformed;
    info.name = name;
    DisplayObject* parent = old->parent;
    Timeline* parentTimeline = parent->timeline;
    displayList_.RemoveObject(old);
    loadedMovies_.push_back(std::move(load.movie));
    displayList_.Place(parent, info, parentTimeline);
}

void PlayerCore::PruneLoadedMovies() {
    if (loadedMovies_.empty())
        return;
    std::vector<const MovieLevel*> used;
    std::vector<const DisplayObject*> pending{&displayList_.root};
    while (!pending.empty()) {
        const DisplayObject* o = pending.back();
        pending.pop_back();
        if (o->character && o->character->owner)
            used.push_back(o->character->owner);
        if (o->timeline && o->timeline->root)
            used.push_back(o->timeline->root);
        for (const DisplayObject* c = o->firstChild; c; c = c->nextSibling)
            pending.push_back(c);
    }
    std::erase_if(loadedMovies_, [&](const std::unique_ptr<MovieLevel>& m) {
        return std::find(used.begin(), used.end(), m.get()) == used.end();
    });
}

void PlayerCore::OnLevelAppended(MovieLevel& level) {
    if (&level != &level0_)
        return;
    if (level.headerParsed && !level.sizeReported) {
        level.sizeReported = true;
        MovieSizeKnown(int(level.frameRect.Width() / 20), int(level.frameRect.Height() / 20));
    }
    if (!running_ && level.errorCode == 0 && level.totalLength >= 0)
        TryStart(level);
}

void PlayerCore::TryStart(MovieLevel& level) {
    int r = level.Seek(0, true);
    if (level.errorCode == 0 && (r == Timeline::kOk || level.DataComplete())) {
        running_ = true;
        if (level.frameCount < 2 && autoQuality_)
            highQuality_ = true;
        int period = level.frameMs / 10;
        if (period <= 0)
            period = 1;
        uint32_t now = CurrentTimeMs() & kClockMask;
        if (StartTimers(period, kCaretPeriodMs)) {
            timersOn_ = true;
            timerStartTime_ = now;
        }
        // The first frame stays up for a whole frame period.
        nextFrameTime_ = (now + uint32_t(level.frameMs)) & kClockMask;
        RunActions();
    }
    render_->RebuildView();
    render_->InvalidateAll();
}

// ---- levels ----

MovieLevel* PlayerCore::FindLevel(int32_t n) {
    if (n == 0)
        return &level0_;
    for (MovieLevel* l = levels_.get(); l; l = l->nextLevel.get())
        if (l->depth == n)
            return l;
    return nullptr;
}

MovieLevel* PlayerCore::GetLevel(int32_t n, bool keep) {
    if (n < 0 || n >= kDeviceFontLevel)
        return nullptr;
    if (n == 0) {
        if (!keep && level0_.totalLength >= 0)
            ClearAllLevels();
        return &level0_;
    }
    if (MovieLevel* l = FindLevel(n))
        return l;
    std::unique_ptr<MovieLevel> l;
    try {
        l = std::make_unique<MovieLevel>(this, &displayList_, n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    MovieLevel* raw = l.get();
    l->nextLevel = std::move(levels_);
    levels_ = std::move(l);
    displayList_.LinkTimeline(raw);
    return raw;
}

void PlayerCore::ResetLevel(MovieLevel& level) {
    if (level.stream) {
        PlayerStream* s = level.stream;
        CloseUrlStream(s);
        s->level = nullptr;
    }
    level.Reset();
}

void PlayerCore::UnloadLevel(int32_t n) {
    if (n == 0) {
        ResetLevel(level0_);
        return;
    }
    std::unique_ptr<MovieLevel>* link = &levels_;
    while (*link) {
        if ((*link)->depth == n) {
            std::unique_ptr<MovieLevel> victim = std::move(*link);
            *link = std::move(victim->nextLevel);
            ResetLevel(*victim);
            displayList_.UnlinkTimeline(victim.get());
            // Loops over the timeline list may still hold it; free it later.
            displayList_.Retire(std::move(victim));
            return;
        }
        link = &(*link)->nextLevel;
    }
}

void PlayerCore::ClearAllLevels() {
    while (levels_)
        UnloadLevel(levels_->depth);
    ResetLevel(level0_);
    // No object refers to a movie loaded into a sprite any more.
    loadedMovies_.clear();
    for (SideLoad& l : sideLoads_)
        if (l.stream)
            l.stream->level = nullptr;
    sideLoads_.clear();
}

// ---- actions and state ----

void PlayerCore::RunActions() {
    if (!running_ || actionNesting_ > 0)
        return;
    ++actionNesting_;
    bool wasBusy = busy_;
    busy_ = true;
    interpreter_->RunQueue(*this, displayList_.actions);
    busy_ = wasBusy;
    --actionNesting_;
}

void PlayerCore::SetActionInterpreter(std::unique_ptr<ActionInterpreter> interpreter) {
    if (interpreter)
        interpreter_ = std::move(interpreter);
    else
        interpreter_ = MakeActionEngine(*this);
}

ActionEngine* PlayerCore::Engine() {
    return dynamic_cast<ActionEngine*>(interpreter_.get());
}

bool PlayerCore::Loaded() const {
    return level0_.headerParsed && level0_.errorCode == 0;
}

ControlState PlayerCore::GetControlState() const {
    ControlState s;
    bool loaded = Loaded();
    bool zoom = !zoomRect_.IsEmpty();
    s.flags[0] = s.flags[1] = s.flags[2] = loaded;
    s.flags[3] = loaded && zoom;
    s.flags[4] = s.flags[8] = loaded && level0_.frameCount > 1;
    s.flags[5] = s.flags[7] = loaded && level0_.currentFrame > 0;
    s.flags[6] = loaded && !level0_.AtEnd();
    s.flags[9] = scaleMode_ == 3;
    s.flags[10] = loaded && !zoom && scaleMode_ != 3;
    s.flags[11] = highQuality_;
    s.flags[12] = loaded && level0_.Looping();
    s.flags[13] = level0_.Playing();
    return s;
}

} // namespace tavro::player
