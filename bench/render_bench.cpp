// Full and incremental frames of the renderer on a stress scene: a 550 x 400 movie of 160
// glyph-like curved outlines (rings with a hole and a curved tail) in translucent colours that
// overlap, a linear gradient and a tiled bitmap, shown in a 550 x 400 window and scaled up to a
// 1920 x 1080 one (full screen). When built with TAVRO_HAVE_CAIRO, the same outlines, colours,
// gradient and bitmap are filled with cairo at the same scale in the same run, as the baseline
// for the time ratio.
//
//   render_bench [google benchmark flags]   the benchmarks below
//   render_bench --ratio [--frames N] [--bands N]
//                                           full frames of Tavro and cairo drawn alternately
//                                           (so that load on a shared machine hits both alike)
//                                           at both sizes; prints wall and CPU times (of the
//                                           whole process: worker threads count) and their
//                                           ratios. --bands 1 draws on one thread.
#include "player/DisplayList.h"
#include "player/PlayerCore.h"
#include "player/render/Renderer.h"
#include "player/render/ViewTransform.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

#ifdef TAVRO_HAVE_CAIRO
#include <cairo.h>
#endif

namespace {

using namespace tavro::player;

// The movie's frame, in pixels at 20 twips each.
constexpr int kWidth = 550, kHeight = 400;
constexpr int kGlyphs = 160;
constexpr int kBitmapSide = 64;

// ---- the scene, in twips ----

struct Curve {
    double cx, cy, x, y; // quadratic: control, end
};
struct Contour {
    double x0, y0;
    std::vector<Curve> curves;
};
struct Glyph {
    std::vector<Contour> contours;
    uint32_t argb;
    double tx, ty; // placement
};

Contour Circle(double cx, double cy, double r, bool clockwise) {
    Contour c{cx + r, cy, {}};
    for (int i = 0; i < 8; ++i) {
        double s = clockwise ? 1 : -1;
        double a0 = s * i * M_PI / 4, a1 = s * (i + 1) * M_PI / 4, am = (a0 + a1) / 2;
        double k = r / std::cos(M_PI / 8);
        c.curves.push_back({cx + k * std::cos(am), cy + k * std::sin(am), cx + r * std::cos(a1),
                            cy + r * std::sin(a1)});
    }
    return c;
}

// A ring with a hole plus a curved tail: about the edge count of a real letter.
Glyph MakeGlyph(std::mt19937& rng) {
    std::uniform_real_distribution<double> size(300, 1000), x(0, kWidth * 20 - 600),
        y(0, kHeight * 20 - 600), alpha(110, 255), ch(0, 255);
    Glyph g;
    double r = size(rng) / 2;
    g.contours.push_back(Circle(r, r, r, true));
    g.contours.push_back(Circle(r, r, r * 0.55, false));
    Contour tail{r * 1.6, r * 1.4, {}};
    tail.curves.push_back({r * 2.4, r * 1.6, r * 2.2, r * 2.6});
    tail.curves.push_back({r * 2.0, r * 3.2, r * 1.5, r * 2.9});
    tail.curves.push_back({r * 1.9, r * 2.4, r * 1.6, r * 1.4});
    g.contours.push_back(tail);
    g.argb = (uint32_t(alpha(rng)) << 24) | (uint32_t(ch(rng)) << 16) | (uint32_t(ch(rng)) << 8) |
             uint32_t(ch(rng));
    g.tx = x(rng);
    g.ty = y(rng);
    return g;
}

std::vector<Glyph>& Glyphs() {
    static std::vector<Glyph> glyphs = [] {
        std::mt19937 rng(2024);
        std::vector<Glyph> v;
        for (int i = 0; i < kGlyphs; ++i)
            v.push_back(MakeGlyph(rng));
        return v;
    }();
    return glyphs;
}

uint32_t BitmapPixel(int x, int y) {
    bool check = ((x / 8) + (y / 8)) & 1;
    return check ? 0xFF2060C0u : 0xFFF0E080u;
}

// Gradient rectangle (twips) and bitmap rectangle (twips).
constexpr int kGradX0 = 400, kGradY0 = 400, kGradX1 = 6400, kGradY1 = 4400;
constexpr int kBmpX0 = 5000, kBmpY0 = 3000, kBmpX1 = 10600, kBmpY1 = 7600;

// ---- the SWF movie ----

class Bits {
public:
    void Ub(uint32_t v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (bit_ == 0)
                bytes.push_back(0);
            if ((v >> i) & 1)
                bytes.back() |= uint8_t(0x80 >> bit_);
            bit_ = (bit_ + 1) & 7;
        }
    }
    void Sb(int32_t v, int n) { Ub(uint32_t(v) & ((1u << n) - 1), n); }
    void Align() { bit_ = 0; }
    void U8(uint32_t v) {
        Align();
        bytes.push_back(uint8_t(v));
    }
    void U16(uint32_t v) {
        U8(v & 0xFF);
        U8(v >> 8);
    }
    void U32(uint32_t v) {
        U16(v & 0xFFFF);
        U16(v >> 16);
    }
    void Rect(int32_t x0, int32_t x1, int32_t y0, int32_t y1) {
        Align();
        Ub(20, 5);
        Sb(x0, 20), Sb(x1, 20), Sb(y0, 20), Sb(y1, 20);
        Align();
    }
    void Matrix(int32_t a, int32_t d, int32_t tx, int32_t ty) {
        Align();
        Ub(1, 1), Ub(31, 5), Sb(a, 31), Sb(d, 31);
        Ub(0, 1);
        Ub(24, 5), Sb(tx, 24), Sb(ty, 24);
        Align();
    }
    void Rgba(uint32_t argb) { U8(argb >> 16), U8(argb >> 8), U8(argb), U8(argb >> 24); }
    void Raw(const std::vector<uint8_t>& b) {
        Align();
        bytes.insert(bytes.end(), b.begin(), b.end());
    }
    std::vector<uint8_t> bytes;

private:
    int bit_ = 0;
};

struct Pen {
    int32_t x = 0, y = 0;
};

void MoveTo(Bits& b, Pen& pen, int32_t x, int32_t y, bool fill) {
    b.Ub(0, 1);
    b.Ub(fill ? 0x05 : 0x01, 5);
    b.Ub(20, 5), b.Sb(x, 20), b.Sb(y, 20);
    if (fill)
        b.Ub(1, 1);
    pen = {x, y};
}
void LineTo(Bits& b, Pen& pen, int32_t x, int32_t y) {
    b.Ub(3, 2), b.Ub(15, 4), b.Ub(1, 1), b.Sb(x - pen.x, 17), b.Sb(y - pen.y, 17);
    pen = {x, y};
}
void CurveTo(Bits& b, Pen& pen, int32_t cx, int32_t cy, int32_t x, int32_t y) {
    b.Ub(2, 2), b.Ub(15, 4);
    b.Sb(cx - pen.x, 17), b.Sb(cy - pen.y, 17), b.Sb(x - cx, 17), b.Sb(y - cy, 17);
    pen = {x, y};
}
int32_t R(double v) {
    return int32_t(std::lround(v));
}

void Tag(std::vector<uint8_t>& out, int code, const std::vector<uint8_t>& body) {
    Bits t;
    t.U16(uint32_t(code << 6) | 63);
    t.U32(uint32_t(body.size()));
    t.Raw(body);
    out.insert(out.end(), t.bytes.begin(), t.bytes.end());
}

std::vector<uint8_t> RectShape(uint16_t id, int x0, int y0, int x1, int y1,
                               const std::vector<uint8_t>& fillStyle) {
    Bits b;
    b.U16(id);
    b.Rect(x0, x1, y0, y1);
    b.U8(1);
    b.Raw(fillStyle);
    b.U8(0);
    b.U8(0x11);
    Pen pen;
    MoveTo(b, pen, x0, y0, true);
    LineTo(b, pen, x1, y0);
    LineTo(b, pen, x1, y1);
    LineTo(b, pen, x0, y1);
    LineTo(b, pen, x0, y0);
    b.Ub(0, 6);
    return b.bytes;
}

std::vector<uint8_t> BuildMovie() {
    std::vector<uint8_t> tags;
    Bits bg;
    bg.U8(0xF8), bg.U8(0xF4), bg.U8(0xEC);
    Tag(tags, 9, bg.bytes);

    // Character 1: the bitmap (DefineBitsLossless, 32-bit pixels).
    std::vector<uint8_t> raw;
    for (int y = 0; y < kBitmapSide; ++y)
        for (int x = 0; x < kBitmapSide; ++x) {
            uint32_t p = BitmapPixel(x, y);
            raw.insert(raw.end(), {0xFF, uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p)});
        }
    uLongf zn = compressBound(uLong(raw.size()));
    std::vector<uint8_t> z(zn);
    compress(z.data(), &zn, raw.data(), uLong(raw.size()));
    z.resize(zn);
    Bits bm;
    bm.U16(1), bm.U8(5), bm.U16(kBitmapSide), bm.U16(kBitmapSide), bm.Raw(z);
    Tag(tags, 20, bm.bytes);

    // Character 2: a linear gradient rectangle; character 3: the bitmap rectangle (tiled,
    // 1.5 screen pixels per bitmap pixel).
    Bits grad;
    int32_t s = int32_t((kGradX1 - kGradX0) * 65536.0 / 32768);
    grad.U8(0x10);
    grad.Matrix(s, s, (kGradX0 + kGradX1) / 2, (kGradY0 + kGradY1) / 2);
    grad.U8(3);
    grad.U8(0), grad.Rgba(0xFFE03020), grad.U8(128), grad.Rgba(0xFF20C040), grad.U8(255),
        grad.Rgba(0xFF3040E0);
    Tag(tags, 32, RectShape(2, kGradX0, kGradY0, kGradX1, kGradY1, grad.bytes));
    Bits bfill;
    bfill.U8(0x40), bfill.U16(1), bfill.Matrix(30 << 16, 30 << 16, kBmpX0, kBmpY0);
    Tag(tags, 32, RectShape(3, kBmpX0, kBmpY0, kBmpX1, kBmpY1, bfill.bytes));

    // Characters 10..: the glyphs, each a DefineShape3 with one translucent solid fill.
    int id = 10;
    for (const Glyph& g : Glyphs()) {
        Bits b;
        b.U16(uint32_t(id));
        b.Rect(-50, 3500, -50, 3500);
        b.U8(1), b.U8(0), b.Rgba(g.argb), b.U8(0), b.U8(0x10);
        Pen pen;
        bool first = true;
        for (const Contour& c : g.contours) {
            MoveTo(b, pen, R(c.x0), R(c.y0), first);
            first = false;
            for (const Curve& cv : c.curves)
                CurveTo(b, pen, R(cv.cx), R(cv.cy), R(cv.x), R(cv.y));
        }
        b.Ub(0, 6);
        Tag(tags, 32, b.bytes);
        ++id;
    }

    // Placement: gradient, bitmap, then the glyphs.
    auto place = [&](uint16_t depth, uint16_t ch, int32_t tx, int32_t ty) {
        Bits p;
        p.U8(0x06), p.U16(depth), p.U16(ch), p.Matrix(0x10000, 0x10000, tx, ty);
        Tag(tags, 26, p.bytes);
    };
    place(1, 2, 0, 0);
    place(2, 3, 0, 0);
    for (int i = 0; i < kGlyphs; ++i)
        place(uint16_t(10 + i), uint16_t(10 + i), R(Glyphs()[size_t(i)].tx),
              R(Glyphs()[size_t(i)].ty));
    Tag(tags, 1, {});
    tags.push_back(0), tags.push_back(0);

    Bits h;
    h.Rect(0, kWidth * 20, 0, kHeight * 20);
    h.U16(12 << 8), h.U16(1);
    std::vector<uint8_t> body = h.bytes;
    body.insert(body.end(), tags.begin(), tags.end());
    Bits file;
    file.U8('F'), file.U8('W'), file.U8('S'), file.U8(4), file.U32(uint32_t(body.size() + 8));
    file.Raw(body);
    return file.bytes;
}

class BenchCore : public PlayerCore {
public:
    BenchCore(int width, int height) : width_(width), height_(height) {}
    void GetClientRect(Rect& out) override { out = Rect(0, width_, 0, height_); }
    int StartTimers(int, int) override { return 1; }

private:
    int width_, height_;
};

struct Stage {
    Stage(bool antiAlias, int width, int height) : core(width, height) {
        core.SetQuality(antiAlias, false);
        std::vector<uint8_t> movie = BuildMovie();
        core.Load(movie.data(), movie.size());
        renderer = &Renderer::Of(core);
        renderer->RebuildView();
        renderer->UpdateScreen();
    }
    BenchCore core;
    Renderer* renderer;
};

// Arguments of every case: anti-aliasing (1 or 0), window width, window height.
void Sizes(benchmark::internal::Benchmark* b) {
    for (int aa : {1, 0})
        for (auto [w, h] : {std::pair{kWidth, kHeight}, std::pair{1920, 1080}})
            b->Args({aa, w, h});
    b->ArgNames({"aa", "w", "h"});
    b->Unit(benchmark::kMillisecond);
    // Frames may be drawn by worker threads while the caller waits: count their time too.
    b->MeasureProcessCPUTime();
    b->UseRealTime();
}

void BM_TavroFullFrame(benchmark::State& state) {
    Stage stage(state.range(0) != 0, int(state.range(1)), int(state.range(2)));
    for (auto _ : state) {
        stage.renderer->InvalidateAll();
        stage.renderer->UpdateScreen();
    }
    state.counters["edges"] = double(stage.renderer->LastFrame().edges);
}
BENCHMARK(BM_TavroFullFrame)->Apply(Sizes);

// One letter moves by a few pixels every frame; everything else stays.
void BM_TavroMovingLetter(benchmark::State& state) {
    Stage stage(state.range(0) != 0, int(state.range(1)), int(state.range(2)));
    DisplayObject* letter = stage.core.Level0().rootObject->FindChild(10 + kGlyphs / 2);
    int step = 0;
    int64_t pixels = 0;
    for (auto _ : state) {
        letter->matrix.tx += (step++ & 1) ? -60 : 60;
        stage.core.GetDisplayList().MarkDirty(letter);
        stage.renderer->UpdateScreen();
        pixels += stage.renderer->LastFrame().pixels;
    }
    state.counters["pixels"] = double(pixels) / double(std::max<int64_t>(1, state.iterations()));
}
BENCHMARK(BM_TavroMovingLetter)->Apply(Sizes);

#ifdef TAVRO_HAVE_CAIRO

void CairoPath(cairo_t* cr, const Glyph& g) {
    for (const Contour& c : g.contours) {
        double px = R(c.x0) + R(g.tx), py = R(c.y0) + R(g.ty);
        cairo_move_to(cr, px, py);
        for (const Curve& cv : c.curves) {
            double qx = R(cv.cx) + R(g.tx), qy = R(cv.cy) + R(g.ty);
            double ex = R(cv.x) + R(g.tx), ey = R(cv.y) + R(g.ty);
            // The quadratic as a cubic.
            cairo_curve_to(cr, px + 2 * (qx - px) / 3, py + 2 * (qy - py) / 3,
                           ex + 2 * (qx - ex) / 3, ey + 2 * (qy - ey) / 3, ex, ey);
            px = ex, py = ey;
        }
        cairo_close_path(cr);
    }
}

// The scene filled by cairo into a window of the given size, scaled and centred like the
// player's view (drawing in twips under the same matrix).
class CairoScene {
public:
    CairoScene(bool antiAlias, int width, int height) {
        surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, width, height);
        cr_ = cairo_create(surface_);
        cairo_set_antialias(cr_, antiAlias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
        const int k = antiAlias ? 4 : 1;
        Matrix16 view = render::ViewTransform::Compute(Rect(0, kWidth * 20, 0, kHeight * 20),
                                                       Rect(0, width, 0, height), antiAlias,
                                                       render::ViewTransform::kShowAll);
        cairo_translate(cr_, double(view.tx) / k, double(view.ty) / k);
        cairo_scale(cr_, double(view.a) / 65536 / k, double(view.d) / 65536 / k);

        pixels_.resize(size_t(kBitmapSide) * kBitmapSide);
        for (int y = 0; y < kBitmapSide; ++y)
            for (int x = 0; x < kBitmapSide; ++x)
                pixels_[size_t(y * kBitmapSide + x)] = BitmapPixel(x, y);
        bitmap_ = cairo_image_surface_create_for_data(
            reinterpret_cast<unsigned char*>(pixels_.data()), CAIRO_FORMAT_ARGB32, kBitmapSide,
            kBitmapSide, kBitmapSide * 4);
        bitmapPattern_ = cairo_pattern_create_for_surface(bitmap_);
        cairo_pattern_set_extend(bitmapPattern_, CAIRO_EXTEND_REPEAT);
        // The player smooths bitmaps of a one-frame movie with anti-aliasing on: so does cairo.
        cairo_pattern_set_filter(bitmapPattern_,
                                 antiAlias ? CAIRO_FILTER_BILINEAR : CAIRO_FILTER_NEAREST);
        // Bitmap pixels are 30 twips.
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, 1.0 / 30, 1.0 / 30);
        cairo_matrix_translate(&m, -kBmpX0, -kBmpY0);
        cairo_pattern_set_matrix(bitmapPattern_, &m);
        gradient_ = cairo_pattern_create_linear(kGradX0, 0, kGradX1, 0);
        cairo_pattern_add_color_stop_rgb(gradient_, 0, 0xE0 / 255.0, 0x30 / 255.0, 0x20 / 255.0);
        cairo_pattern_add_color_stop_rgb(gradient_, 128 / 255.0, 0x20 / 255.0, 0xC0 / 255.0,
                                         0x40 / 255.0);
        cairo_pattern_add_color_stop_rgb(gradient_, 1, 0x30 / 255.0, 0x40 / 255.0, 0xE0 / 255.0);
    }
    ~CairoScene() {
        cairo_pattern_destroy(gradient_);
        cairo_pattern_destroy(bitmapPattern_);
        cairo_surface_destroy(bitmap_);
        cairo_destroy(cr_);
        cairo_surface_destroy(surface_);
    }
    CairoScene(const CairoScene&) = delete;
    CairoScene& operator=(const CairoScene&) = delete;

    void Draw() {
        cairo_t* cr = cr_;
        cairo_set_source_rgb(cr, 0xF8 / 255.0, 0xF4 / 255.0, 0xEC / 255.0);
        cairo_paint(cr);
        cairo_rectangle(cr, kGradX0, kGradY0, kGradX1 - kGradX0, kGradY1 - kGradY0);
        cairo_set_source(cr, gradient_);
        cairo_fill(cr);
        cairo_rectangle(cr, kBmpX0, kBmpY0, kBmpX1 - kBmpX0, kBmpY1 - kBmpY0);
        cairo_set_source(cr, bitmapPattern_);
        cairo_fill(cr);
        for (const Glyph& g : Glyphs()) {
            CairoPath(cr, g);
            cairo_set_source_rgba(cr, ((g.argb >> 16) & 0xFF) / 255.0,
                                  ((g.argb >> 8) & 0xFF) / 255.0, (g.argb & 0xFF) / 255.0,
                                  (g.argb >> 24) / 255.0);
            cairo_fill(cr);
        }
        cairo_surface_flush(surface_);
    }

private:
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    std::vector<uint32_t> pixels_;
    cairo_surface_t* bitmap_ = nullptr;
    cairo_pattern_t* bitmapPattern_ = nullptr;
    cairo_pattern_t* gradient_ = nullptr;
};

void BM_CairoFullFrame(benchmark::State& state) {
    CairoScene scene(state.range(0) != 0, int(state.range(1)), int(state.range(2)));
    for (auto _ : state)
        scene.Draw();
}
BENCHMARK(BM_CairoFullFrame)->Apply(Sizes);

#endif

// ---- the alternating comparison ----

double WallMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

double CpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Times {
    std::vector<double> wall, cpu;
    static double Min(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }
    static double Median(std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    }
};

template <class Fn> void TimeOne(Times& t, Fn&& draw) {
    double w0 = WallMs(), c0 = CpuMs();
    draw();
    t.cpu.push_back(CpuMs() - c0);
    t.wall.push_back(WallMs() - w0);
}

double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

int RunRatio(int frames, int bands) {
    std::printf("load average at start: %.2f, %d frames each, bands %s\n", LoadAverage(), frames,
                bands == 0 ? "automatic" : std::to_string(bands).c_str());
    std::printf("%-6s %-10s %-7s %9s %9s %9s %9s\n", "aa", "size", "who", "wall min", "wall med",
                "cpu min", "cpu med");
    for (int aa : {1, 0})
        for (auto [w, h] : {std::pair{kWidth, kHeight}, std::pair{1920, 1080}}) {
            Stage stage(aa != 0, w, h);
            stage.renderer->SetBands(bands);
            Times tavro;
#ifdef TAVRO_HAVE_CAIRO
            CairoScene cairo(aa != 0, w, h);
            Times other;
#endif
            for (int i = 0; i < frames; ++i) {
                TimeOne(tavro, [&] {
                    stage.renderer->InvalidateAll();
                    stage.renderer->UpdateScreen();
                });
#ifdef TAVRO_HAVE_CAIRO
                TimeOne(other, [&] { cairo.Draw(); });
#endif
            }
            char size[32];
            std::snprintf(size, sizeof size, "%dx%d", w, h);
            auto row = [&](const char* who, const Times& t) {
                std::printf("%-6s %-10s %-7s %9.2f %9.2f %9.2f %9.2f\n", aa ? "on" : "off", size,
                            who, Times::Min(t.wall), Times::Median(t.wall), Times::Min(t.cpu),
                            Times::Median(t.cpu));
            };
            row("tavro", tavro);
            std::printf("%-6s %-10s %-7s %d bands on %d threads\n", "", "", "",
                        stage.renderer->LastFrame().bands, stage.renderer->LastFrame().threads);
            if (std::getenv("TAVRO_BENCH_CHECKSUM")) {
                std::vector<uint8_t> rgba;
                int pw = 0, ph = 0;
                stage.renderer->CopyRgba(rgba, pw, ph);
                uint64_t sum = 1469598103934665603ull;
                for (uint8_t b : rgba)
                    sum = (sum ^ b) * 1099511628211ull;
                std::printf("picture checksum %016llx\n", (unsigned long long)sum);
            }
            // Incremental frames: one letter moves by a few pixels, everything else stays.
            Times moving;
            DisplayObject* letter = stage.core.Level0().rootObject->FindChild(10 + kGlyphs / 2);
            for (int i = 0; i < frames; ++i)
                TimeOne(moving, [&] {
                    letter->matrix.tx += (i & 1) ? -60 : 60;
                    stage.core.GetDisplayList().MarkDirty(letter);
                    stage.renderer->UpdateScreen();
                });
            row("moving", moving);
            std::printf("%-6s %-10s %-7s full / moving letter: %.1f (cpu min), %.1f (cpu median)\n",
                        "", "", "", Times::Min(tavro.cpu) / Times::Min(moving.cpu),
                        Times::Median(tavro.cpu) / Times::Median(moving.cpu));
#ifdef TAVRO_HAVE_CAIRO
            row("cairo", other);
            std::printf("%-6s %-10s %-7s %9.2f %9.2f %9.2f %9.2f\n", aa ? "on" : "off", size,
                        "ratio", Times::Min(tavro.wall) / Times::Min(other.wall),
                        Times::Median(tavro.wall) / Times::Median(other.wall),
                        Times::Min(tavro.cpu) / Times::Min(other.cpu),
                        Times::Median(tavro.cpu) / Times::Median(other.cpu));
#endif
        }
    std::printf("load average at end: %.2f\n", LoadAverage());
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--ratio") == 0) {
        int frames = 60, bands = 0;
        for (int i = 2; i + 1 < argc; i += 2) {
            if (std::strcmp(argv[i], "--frames") == 0)
                frames = std::max(1, std::atoi(argv[i + 1]));
            else if (std::strcmp(argv[i], "--bands") == 0)
                bands = std::max(0, std::atoi(argv[i + 1]));
        }
        return RunRatio(frames, bands);
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
