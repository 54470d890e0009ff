// The renderer of a player's display list: turns the placed objects into pixels of the
// off-screen surface and shows them through the host.
//
// How the player core uses it (one Renderer per DisplayList, kept in DisplayList::renderer):
//
//   Renderer& r = Renderer::Of(core);      // created on first use
//   r.RebuildView();      // after a load, a resize, a scale-mode, zoom or quality change:
//                         // recomputes the view matrix (DisplayList::viewMatrix, antiAlias) and
//                         // invalidates everything when it changed
//   r.UpdateScreen();     // after every tick: invalidates the old and new device bounds of dirty
//                         // objects (and of everything below them), renders the invalid
//                         // rectangle and shows it
//   r.InvalidateAll();    // marks the whole client area invalid and calls InvalidateScreen()
//   r.Paint(rect);        // the window wants pixels (rect in window pixels): renders and shows
//   r.EnsureSurface();    // creates the surface when there is none (Paint does it itself)
//   r.DropSurface();      // the client area changed size; the surface and the view matrix are
//                         // rebuilt at the next paint
//
// The host side: SetDisplay() gives the display's bits per pixel (and palette for 8-bit
// displays; the default is 32 bits), SetBlit() the function that copies a surface rectangle to
// the window (a null surface means "fill this rectangle white": no surface could be made), and
// Surface() / CopyRgba() give the picture to hosts without a window. Everything the renderer
// reads from the core: the display list, level 0's frame rectangle and frame count, and the
// core's highQuality, bestQuality, scaleMode and zoomRect. It keeps each drawn object's edges in
// DisplayObject::renderCache and each decoded bitmap in Character::cache.
//
// Two seams for the action and edit-text code: SetFocusRect() shows the keyboard focus
// rectangle (device units) and SetEditTextDrawer() supplies the glyphs of edit-text fields.
#pragma once

#include "player/Rect.h"
#include "player/RenderCache.h"
#include "player/render/NativeBitmap.h"
#include "player/render/PaletteState.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tavro::player {

class Character;
class DisplayList;
class DisplayObject;
class PlayerCore;
struct Matrix16;

// What an edit-text drawer may add to the frame for one field.
class GlyphOutput {
public:
    virtual ~GlyphOutput() = default;
    // Glyph `index` of font character `font`, mapped by `glyphToObject` (glyph units to the
    // field's own space, twips), in the straight colour `argb`.
    virtual void Glyph(const Character& font, uint32_t index, const Matrix16& glyphToObject,
                       uint32_t argb) = 0;
    // A filled rectangle in the field's own space (backgrounds, selections, the caret).
    virtual void FillRect(const Rect& twips, uint32_t argb) = 0;
};

class EditTextDrawer {
public:
    virtual ~EditTextDrawer() = default;
    virtual void Draw(const DisplayObject& field, GlyphOutput& out) = 0;
};

class Renderer : public RenderCache {
public:
    using BlitFn = std::function<void(const NativeBitmap* surface, const Rect& pixels)>;

    explicit Renderer(PlayerCore& core);
    ~Renderer() override;

    // The renderer of `core`'s display list, created on first use.
    static Renderer& Of(PlayerCore& core);

    void SetDisplay(int bitsPerPixel, const render::PaletteState::Entries* palette = nullptr);
    void SetBlit(BlitFn blit) { blit_ = std::move(blit); }
    void SetEditTextDrawer(EditTextDrawer* drawer) { editText_ = drawer; }
    // Shows (or, with nullopt, hides) the keyboard focus rectangle, in device units.
    void SetFocusRect(std::optional<Rect> deviceRect);

    void UpdateScreen();
    void InvalidateAll();
    void Paint(const Rect& windowPixels);
    void RebuildView();
    void EnsureSurface();
    void DropSurface();

    // Renders the pending invalid rectangle and shows it (UpdateScreen and Paint end here).
    void RenderInvalid();

    // How frames are split into horizontal bands drawn in parallel (the caller waits for them):
    // 0 chooses by the size of the rectangle and the machine's cores, 1 draws on the caller's
    // thread only, n > 1 always splits into n bands (at most one per pixel row). The picture
    // is the same whatever the choice.
    void SetBands(int bands) { bands_ = bands < 0 ? 0 : bands; }
    int Bands() const { return bands_; }

    const NativeBitmap& Surface() const { return surface_; }
    bool SurfaceFailed() const { return surfaceFailed_; }
    bool Smoothing() const { return smoothing_; }
    // The client area as RGBA rows: the surface, or white when there is none.
    bool CopyRgba(std::vector<uint8_t>& out, int& width, int& height);

    // Device bounds of `obj` alone under the device matrix `toDevice` (empty for objects that
    // draw nothing themselves: sprites, buttons, level roots).
    static Rect DeviceBounds(const DisplayObject& obj, const Matrix16& toDevice, bool antiAlias);

    // Counters of the last frame rendered, for tests and benchmarks.
    struct Stats {
        size_t edges = 0;
        size_t records = 0;
        int64_t pixels = 0;
        int objectsDrawn = 0;
        int objectsReplayed = 0; // drawn from their cached edges
        int64_t frames = 0;      // frames rendered so far (not reset)
        int bands = 1;           // horizontal bands the frame was split into
        int threads = 1;         // threads that drew them
    };
    const Stats& LastFrame() const { return stats_; }

private:
    class Impl;
    void RenderPixels(const Rect& pixels);
    void RefreshBounds(DisplayObject* obj, const Matrix16& parent, bool visible, bool dirtyAbove,
                       bool invalidate);

    PlayerCore& core_;
    DisplayList& dl_;
    std::unique_ptr<Impl> impl_;
    NativeBitmap surface_;
    bool surfaceFailed_ = false;
    int failedWidth_ = 0, failedHeight_ = 0;
    int displayBits_ = 32;
    std::optional<render::PaletteState::Entries> systemPalette_;
    std::shared_ptr<const render::PaletteState> palette_;
    bool viewBuilt_ = false;
    bool smoothing_ = false;
    std::optional<Rect> focusRect_;
    EditTextDrawer* editText_ = nullptr;
    BlitFn blit_;
    Stats stats_;
    int bands_ = 0;
};

} // namespace tavro::player
