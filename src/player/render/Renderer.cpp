#include "player/render/Renderer.h"

#include "player/Character.h"
#include "player/DisplayList.h"
#include "player/DisplayObject.h"
#include "player/MovieLevel.h"
#include "player/PlayerCore.h"
#include "player/render/BandRunner.h"
#include "player/render/BitmapDecoder.h"
#include "player/render/CharacterSource.h"
#include "player/render/EdgeCache.h"
#include "player/render/FrameBuilder.h"
#include "player/render/ScanConverter.h"
#include "player/render/ShapeDrawer.h"
#include "player/render/SpanPainter.h"
#include "player/render/TextDrawer.h"
#include "player/render/ViewTransform.h"

#include <algorithm>

namespace tavro::player {

using namespace render;

namespace {

constexpr uint32_t kFocusColor = 0xFFFFFF00; // opaque yellow

// Characters of one movie, as the drawing code asks for them.
class LevelSource : public CharacterSource {
public:
    explicit LevelSource(MovieLevel* level) : level_(level) {}

    const DecodedBitmap* Bitmap(uint16_t id) override {
        Character* ch = level_ ? level_->dictionary.Find(id) : nullptr;
        if (!ch || ch->type != CharacterType::Bitmap)
            return nullptr;
        if (!ch->cache) {
            std::span<const uint8_t> tables;
            if (ch->tagCode == 6)
                tables = ch->Bytes(level_->JpegTables());
            ch->cache = BitmapDecoder::Decode(ch->tagCode, ch->Tag(), tables);
        }
        return dynamic_cast<const DecodedBitmap*>(ch->cache.get());
    }

    bool Font(uint16_t id, std::span<const uint8_t>& data, uint8_t& tagCode) override {
        Character* ch = level_ ? level_->dictionary.Find(id) : nullptr;
        if (!ch || ch->type != CharacterType::Font)
            return false;
        data = ch->Data();
        tagCode = ch->tagCode;
        return true;
    }

private:
    MovieLevel* level_;
};

// A pixel rectangle in quarter-pixel device units (saturating).
Rect Quarter(const Rect& r) {
    if (r.IsEmpty())
        return r;
    auto k = [](int32_t v) {
        return int32_t(std::clamp<int64_t>(int64_t(v) * 4, INT32_MIN + 1, INT32_MAX));
    };
    return Rect(k(r.xmin), k(r.xmax), k(r.ymin), k(r.ymax));
}

int ShapeVersion(uint8_t tagCode) {
    return tagCode == 32 ? 3 : tagCode == 22 ? 2 : 1;
}

// The defining tag's body after the character id (texts and morphs are parsed from there).
std::span<const uint8_t> AfterId(const Character& ch) {
    std::span<const uint8_t> tag = ch.Tag();
    return tag.size() >= 2 ? tag.subspan(2) : std::span<const uint8_t>();
}

} // namespace

class Renderer::Impl : public GlyphOutput {
public:
    Impl() : frame(scan), shapes(frame, nullptr), text(frame, shapes, nullptr) {}

    ScanConverter scan;
    FrameBuilder frame;
    ShapeDrawer shapes;
    TextDrawer text;
    SpanPainter painter;
    BandRunner bands;
    Rect clip; // device units
    EditTextDrawer* editText = nullptr;
    int objectsDrawn = 0;
    int objectsReplayed = 0;

    void DrawChildren(DisplayObject& parent, const Matrix16& m, const ColorXform& cx,
                      const ClipLink* clips, ColorRecord* clipRecord, bool dirty, int nesting);
    void DrawObject(DisplayObject& obj, const Matrix16& parentM, const ColorXform& parentCx,
                    const ClipLink* clips, ColorRecord* clipRecord, bool dirty, int nesting);
    void DrawCharacter(const DisplayObject& obj, const DrawState& st);
    void AddRect(const Rect& r, ColorRecord* rec);

    // GlyphOutput for edit-text fields.
    void Glyph(const Character& font, uint32_t index, const Matrix16& glyphToObject,
               uint32_t argb) override {
        if (font.type != CharacterType::Font)
            return;
        ColorRecord* rec = frame.Solid(argb, *fieldState_);
        LevelSource source(font.owner);
        TextDrawer drawer(frame, shapes, &source);
        drawer.DrawGlyph(font.Data(), font.tagCode, index, glyphToObject, rec, *fieldState_);
    }
    void FillRect(const Rect& r, uint32_t argb) override {
        if (r.IsEmpty())
            return;
        ColorRecord* rec = frame.Solid(argb, *fieldState_);
        EdgeBuilder& eb = frame.Edges();
        eb.SetMatrix(fieldState_->toDevice);
        eb.SetFills(nullptr, rec);
        eb.Line(r.xmin, r.ymin, r.xmax, r.ymin);
        eb.Line(r.xmax, r.ymin, r.xmax, r.ymax);
        eb.Line(r.xmax, r.ymax, r.xmin, r.ymax);
        eb.Line(r.xmin, r.ymax, r.xmin, r.ymin);
    }

    const DrawState* fieldState_ = nullptr;
};

// A device rectangle as a closed outline with `rec` inside.
void Renderer::Impl::AddRect(const Rect& r, ColorRecord* rec) {
    if (r.IsEmpty() || !rec)
        return;
    EdgeBuilder& eb = frame.Edges();
    eb.SetFills(nullptr, rec);
    eb.DeviceLine({r.xmin, r.ymin}, {r.xmax, r.ymin});
    eb.DeviceLine({r.xmax, r.ymin}, {r.xmax, r.ymax});
    eb.DeviceLine({r.xmax, r.ymax}, {r.xmin, r.ymax});
    eb.DeviceLine({r.xmin, r.ymax}, {r.xmin, r.ymin});
}

void Renderer::Impl::DrawCharacter(const DisplayObject& obj, const DrawState& st) {
    const Character* ch = obj.character;
    LevelSource source(ch->owner);
    ShapeDrawer shapeDrawer(frame, &source);
    switch (ch->type) {
    case CharacterType::Shape:
        shapeDrawer.DrawShape(ch->Data(), ShapeVersion(ch->tagCode), st);
        break;
    case CharacterType::MorphShape:
        shapeDrawer.DrawMorph(AfterId(*ch), st);
        break;
    case CharacterType::Text: {
        TextDrawer drawer(frame, shapeDrawer, &source);
        drawer.Draw(AfterId(*ch), ch->tagCode == 33, st);
        break;
    }
    case CharacterType::EditText:
        if (editText) {
            fieldState_ = &st;
            editText->Draw(obj, *this);
            fieldState_ = nullptr;
        }
        break;
    default:
        return;
    }
    ++objectsDrawn;
}

// `dirty`: the object or one of its parents changed since the last screen update, so its
// cached edges (if any) are stale.
void Renderer::Impl::DrawObject(DisplayObject& obj, const Matrix16& parentM,
                                const ColorXform& parentCx, const ClipLink* clips,
                                ColorRecord* clipRecord, bool dirty, int nesting) {
    if (!obj.visible || nesting > DisplayList::kMaxNesting)
        return;
    dirty = dirty || obj.dirty;
    DrawState st;
    st.toDevice = Matrix16::Concat(obj.matrix, parentM);
    st.cxform = obj.cxform.IsIdentity() ? parentCx : ColorXform::Concat(obj.cxform, parentCx);
    st.clips = clips;
    st.clipRecord = clipRecord;
    st.ratio = obj.ratio;
    if (obj.character) {
        Rect bounds = DeviceBounds(obj, st.toDevice, frame.AntiAlias());
        if (bounds.Overlaps(clip)) {
            EdgeCache::Inputs inputs{obj.character, st.toDevice,           st.cxform,
                                     st.ratio,      clipRecord != nullptr, frame.SmoothBitmaps()};
            auto* cached = dirty ? nullptr : dynamic_cast<EdgeCache*>(obj.renderCache.get());
            if (cached && !(cached->inputs == inputs))
                cached = nullptr;
            const CharacterType type = obj.character->type;
            const bool cacheable =
                !dirty && (type == CharacterType::Shape || type == CharacterType::MorphShape ||
                           type == CharacterType::Text);
            if (cached) {
                if (frame.Replay(*cached, st)) {
                    ++objectsDrawn;
                    ++objectsReplayed;
                }
            } else if (cacheable) {
                auto fresh = std::make_unique<EdgeCache>();
                fresh->inputs = inputs;
                frame.BeginCapture(fresh.get(), clipRecord);
                DrawCharacter(obj, st);
                if (frame.EndCapture())
                    obj.renderCache = std::move(fresh);
                else
                    obj.renderCache.reset();
            } else {
                DrawCharacter(obj, st);
            }
        }
    }
    DrawChildren(obj, st.toDevice, st.cxform, clips, clipRecord, dirty, nesting + 1);
}

void Renderer::Impl::DrawChildren(DisplayObject& parent, const Matrix16& m, const ColorXform& cx,
                                  const ClipLink* clips, ColorRecord* clipRecord, bool dirty,
                                  int nesting) {
    struct ActiveClip {
        uint16_t upTo;
        const ClipLink* chain;
    };
    ActiveClip stack[16];
    int depth = 0;
    for (DisplayObject* c = parent.firstChild; c; c = c->nextSibling) {
        while (depth > 0 && stack[depth - 1].upTo < c->depth)
            --depth;
        const ClipLink* chain = depth > 0 ? stack[depth - 1].chain : clips;
        if (c->clipDepth != 0 && !clipRecord) {
            ColorRecord* rec = frame.NewRecord();
            if (!rec)
                continue;
            rec->kind = FillKind::Clip;
            rec->opaque = false;
            DrawObject(*c, m, cx, chain, rec, dirty, nesting);
            const ClipLink* link = frame.NewClipLink(rec, chain);
            if (depth < 16)
                stack[depth++] = {c->clipDepth, link};
            else
                stack[depth - 1] = {c->clipDepth, link};
            continue;
        }
        DrawObject(*c, m, cx, chain, clipRecord, dirty, nesting);
    }
}

Renderer::Renderer(PlayerCore& core)
    : core_(core), dl_(core.GetDisplayList()), impl_(std::make_unique<Impl>()) {}

Renderer::~Renderer() = default;

Renderer& Renderer::Of(PlayerCore& core) {
    DisplayList& dl = core.GetDisplayList();
    if (auto* r = dynamic_cast<Renderer*>(dl.renderer.get()))
        return *r;
    auto r = std::make_unique<Renderer>(core);
    Renderer& ref = *r;
    dl.renderer = std::move(r);
    return ref;
}

void Renderer::SetDisplay(int bitsPerPixel, const PaletteState::Entries* palette) {
    bool changed = bitsPerPixel != displayBits_ ||
                   (palette != nullptr) != systemPalette_.has_value() ||
                   (palette && *palette != *systemPalette_);
    if (!changed)
        return;
    displayBits_ = bitsPerPixel;
    if (palette)
        systemPalette_ = *palette;
    else
        systemPalette_.reset();
    palette_.reset();
    DropSurface();
}

void Renderer::SetFocusRect(std::optional<Rect> deviceRect) {
    if (focusRect_ == deviceRect)
        return;
    const int32_t t = dl_.antiAlias ? 12 : 3;
    for (const std::optional<Rect>& r : {focusRect_, deviceRect})
        if (r && !r->IsEmpty()) {
            Rect grown = *r;
            grown.Inflate(t);
            dl_.Invalidate(grown);
        }
    focusRect_ = deviceRect;
}

Rect Renderer::DeviceBounds(const DisplayObject& obj, const Matrix16& toDevice, bool antiAlias) {
    const Character* ch = obj.character;
    if (!ch)
        return Rect();
    Rect b;
    switch (ch->type) {
    case CharacterType::Shape:
    case CharacterType::Text:
    case CharacterType::EditText:
        b = toDevice.MapRect(ch->bounds);
        break;
    case CharacterType::MorphShape:
        b = toDevice.MapRect(ch->bounds);
        b.Union(toDevice.MapRect(ch->endBounds));
        break;
    default:
        return Rect();
    }
    // Room for hairlines of one pixel and rounding at the edges.
    b.Inflate(antiAlias ? 8 : 2);
    return b;
}

void Renderer::RefreshBounds(DisplayObject* obj, const Matrix16& parent, bool visible,
                             bool dirtyAbove, bool invalidate) {
    for (DisplayObject* o = obj; o; o = o->nextSibling) {
        bool dirty = o->dirty || dirtyAbove;
        Matrix16 m = Matrix16::Concat(o->matrix, parent);
        bool shown = visible && o->visible;
        if (dirty) {
            o->renderCache.reset();
            if (invalidate)
                dl_.Invalidate(o->cachedBounds);
            o->cachedBounds = shown ? DeviceBounds(*o, m, dl_.antiAlias) : Rect();
            if (invalidate)
                dl_.Invalidate(o->cachedBounds);
            o->dirty = false;
        }
        if (o->firstChild)
            RefreshBounds(o->firstChild, m, shown, dirty, invalidate);
    }
}

void Renderer::UpdateScreen() {
    if (dl_.anyDirty || dl_.root.dirty) {
        RefreshBounds(dl_.root.firstChild, Matrix16::Concat(dl_.root.matrix, dl_.viewMatrix),
                      dl_.root.visible, dl_.root.dirty, true);
        dl_.root.dirty = false;
        dl_.anyDirty = false;
    }
    RenderInvalid();
}

void Renderer::InvalidateAll() {
    Rect client;
    core_.GetClientRect(client);
    if (dl_.antiAlias)
        client = Quarter(client);
    dl_.Invalidate(client);
    core_.InvalidateScreen();
}

void Renderer::Paint(const Rect& windowPixels) {
    if (windowPixels.IsEmpty())
        return;
    Rect r = dl_.antiAlias ? Quarter(windowPixels) : windowPixels;
    dl_.Invalidate(r);
    RenderInvalid();
}

void Renderer::RebuildView() {
    Rect client;
    core_.GetClientRect(client);
    const MovieLevel& level = core_.Level0();
    const bool antiAlias = core_.HighQuality();
    const bool noScale = (core_.ScaleMode() & 0x0F) == ViewTransform::kNoScale;
    const Rect& zoom = core_.ZoomRect();
    Rect frame = (!zoom.IsEmpty() && !noScale) ? zoom : level.frameRect;
    Matrix16 view = ViewTransform::Compute(frame, client, antiAlias, core_.ScaleMode());
    bool smoothing = antiAlias && (level.frameCount <= 1 || core_.BestQuality());
    if (viewBuilt_ && view == dl_.viewMatrix && antiAlias == dl_.antiAlias &&
        smoothing == smoothing_)
        return;
    viewBuilt_ = true;
    dl_.viewMatrix = view;
    dl_.antiAlias = antiAlias;
    smoothing_ = smoothing;
    // Every cached bound is in the old device units.
    RefreshBounds(dl_.root.firstChild, Matrix16::Concat(dl_.root.matrix, view), dl_.root.visible,
                  true, false);
    dl_.root.dirty = false;
    dl_.invalid.SetEmpty();
    InvalidateAll();
}

void Renderer::EnsureSurface() {
    Rect client;
    core_.GetClientRect(client);
    int w = int(std::clamp<int64_t>(client.Width(), 0, NativeBitmap::kMaxSide + 1));
    int h = int(std::clamp<int64_t>(client.Height(), 0, NativeBitmap::kMaxSide + 1));
    if (surface_.IsValid() && surface_.Width() == w && surface_.Height() == h)
        return;
    // A creation that failed is tried again only for another size.
    if (surfaceFailed_ && w == failedWidth_ && h == failedHeight_)
        return;
    surface_.Destroy();
    surfaceFailed_ = false;
    if (w <= 0 || h <= 0)
        return;
    int depthIndex = NativeBitmap::DepthIndexForDisplay(displayBits_);
    if (depthIndex == 3 && !palette_)
        palette_ = PaletteState::Build(systemPalette_ ? *systemPalette_
                                                      : PaletteState::DefaultSystemPalette());
    if (!surface_.Create(w, h, depthIndex, palette_)) {
        surfaceFailed_ = true;
        failedWidth_ = w;
        failedHeight_ = h;
        return;
    }
    // Whatever the surface showed before is gone.
    InvalidateAll();
}

void Renderer::DropSurface() {
    surface_.Destroy();
    surfaceFailed_ = false;
    // The view matrix was made for the old client area: the next render rebuilds it too.
    viewBuilt_ = false;
}

void Renderer::RenderInvalid() {
    if (!viewBuilt_)
        RebuildView();
    EnsureSurface();
    Rect r = dl_.invalid;
    dl_.invalid.SetEmpty();
    if (r.IsEmpty())
        return;
    if (!surface_.IsValid()) {
        Rect client;
        core_.GetClientRect(client);
        if (blit_ && !client.IsEmpty())
            blit_(nullptr, client);
        return;
    }
    Rect px = r;
    if (dl_.antiAlias) {
        auto floorDiv4 = [](int64_t v) { return int32_t(v >= 0 ? v / 4 : -((-v + 3) / 4)); };
        px = Rect(floorDiv4(r.xmin), floorDiv4(int64_t(r.xmax) + 3), floorDiv4(r.ymin),
                  floorDiv4(int64_t(r.ymax) + 3));
    }
    px.Intersect(Rect(0, surface_.Width(), 0, surface_.Height()));
    if (px.IsEmpty() || px.Width() <= 0 || px.Height() <= 0)
        return;
    RenderPixels(px);
    if (blit_)
        blit_(&surface_, px);
}

void Renderer::RenderPixels(const Rect& px) {
    Impl& im = *impl_;
    const bool aa = dl_.antiAlias;
    const int32_t k = aa ? 4 : 1;
    im.clip = Rect(px.xmin * k, px.xmax * k, px.ymin * k, px.ymax * k);
    im.scan.Begin(im.clip);
    im.frame.Begin(aa, smoothing_);
    im.editText = editText_;
    im.objectsDrawn = 0;
    im.objectsReplayed = 0;

    // The background covers the whole rectangle (white when the movie sets none, so that no
    // stale pixels survive).
    ColorRecord* bg = im.frame.NewRecord();
    bool covered = false;
    if (bg) {
        bg->kind = FillKind::Solid;
        bg->color = 0xFF000000u | (dl_.hasBackground ? dl_.backgroundColor & 0xFFFFFF : 0xFFFFFF);
        bg->opaque = true;
        Rect all = im.clip;
        all.Inflate(1);
        im.AddRect(all, bg);
        // Its two sides in: every sample has an opaque layer at the bottom.
        covered = im.scan.EdgeCount() == 2;
    }

    im.DrawObject(dl_.root, dl_.viewMatrix, dl_.viewCxform, nullptr, nullptr, false, 0);

    if (focusRect_ && !focusRect_->IsEmpty()) {
        ColorRecord* yellow = im.frame.NewRecord();
        if (yellow) {
            yellow->kind = FillKind::Solid;
            yellow->color = kFocusColor;
            yellow->opaque = true;
            const int32_t t = aa ? 12 : 3;
            const Rect& f = *focusRect_;
            im.AddRect(Rect(f.xmin - t, f.xmax + t, f.ymin - t, f.ymin), yellow);
            im.AddRect(Rect(f.xmin - t, f.xmax + t, f.ymax, f.ymax + t), yellow);
            im.AddRect(Rect(f.xmin - t, f.xmin, f.ymin, f.ymax), yellow);
            im.AddRect(Rect(f.xmax, f.xmax + t, f.ymin, f.ymax), yellow);
        }
    }

    stats_.edges = im.scan.EdgeCount();
    stats_.records = im.frame.RecordCount();
    stats_.pixels = px.Width() * px.Height();
    stats_.objectsDrawn = im.objectsDrawn;
    stats_.objectsReplayed = im.objectsReplayed;
    ++stats_.frames;
    im.bands.Run(im.scan, im.frame, im.painter, surface_, im.clip, aa, covered, bands_);
    stats_.bands = im.bands.LastBands();
    stats_.threads = im.bands.LastThreads();
}

bool Renderer::CopyRgba(std::vector<uint8_t>& out, int& width, int& height) {
    Rect client;
    core_.GetClientRect(client);
    width = int(client.Width());
    height = int(client.Height());
    if (width <= 0 || height <= 0)
        return false;
    if (surface_.IsValid() && surface_.Width() == width && surface_.Height() == height) {
        out = surface_.ToRgba();
        return true;
    }
    out.assign(size_t(width) * size_t(height) * 4, 255);
    return true;
}

} // namespace tavro::player
