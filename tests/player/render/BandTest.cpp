// Frames split into horizontal bands drawn on several threads give the same bytes as one pass:
// every frame of every example movie, at sizes whose heights split unevenly and where a band is
// only a few rows, with and without anti-aliasing, on 32-, 16- and 8-bit surfaces; and random
// scenes that use every kind of fill, clip layers and colour transforms. The two players are
// stepped side by side, so incremental frames (and cached edges) are compared too.
#include "RandomScene.h"

#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "player/host/HeadlessHost.h"
#include "player/render/Renderer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace tavro;
using namespace tavro::player;

namespace {

std::vector<uint8_t> ExampleMovie(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    if (path.extension() != ".swi")
        return bytes;
    CDocObj doc;
    LoadObjectFromMemory(bytes, doc);
    return ExportMovieToMemory(doc);
}

std::vector<std::filesystem::path> Examples() {
    std::vector<std::filesystem::path> files;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(TAVRO_SOURCE_DIR) / "examples"))
        if (entry.path().extension() == ".swi" || entry.path().extension() == ".swf")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

struct Screen {
    int width, height;
    bool antiAlias;
    int bands;
    int bits = 32;
};

std::string Describe(const Screen& s) {
    return std::to_string(s.width) + "x" + std::to_string(s.height) +
           (s.antiAlias ? " anti-aliased" : " aliased") + ", " + std::to_string(s.bands) +
           " bands, " + std::to_string(s.bits) + " bits";
}

// A player with its renderer set to draw in `bands` bands.
struct Player {
    Player(const std::vector<uint8_t>& movie, const Screen& s, int bands)
        : host(s.width, s.height), renderer(Renderer::Of(host)) {
        host.SetQuality(s.antiAlias, false);
        renderer.SetBands(bands);
        renderer.SetDisplay(s.bits);
        host.Load(movie.data(), movie.size());
    }
    bool Same(const Player& other) const {
        const NativeBitmap& a = renderer.Surface();
        const NativeBitmap& b = other.renderer.Surface();
        if (a.Width() != b.Width() || a.Height() != b.Height() || a.RowBytes() != b.RowBytes())
            return false;
        return std::equal(a.Pixels(), a.Pixels() + size_t(a.RowBytes()) * size_t(a.Height()),
                          b.Pixels());
    }
    HeadlessHost host;
    Renderer& renderer;
};

// Plays `frames` frames in one pass and in bands side by side; returns the number of frames
// that were drawn in more than one band.
int CompareFrames(const std::vector<uint8_t>& movie, const Screen& s, int frames,
                  const std::string& what) {
    Player one(movie, s, 1), banded(movie, s, s.bands);
    int split = 0;
    for (int f = 0; f < frames; ++f) {
        one.host.StepFrame();
        banded.host.StepFrame();
        EXPECT_EQ(one.renderer.LastFrame().bands, 1);
        split += banded.renderer.LastFrame().bands > 1;
        if (!one.Same(banded)) {
            ADD_FAILURE() << what << ", " << Describe(s) << ": frame " << f << " differs";
            break;
        }
    }
    return split;
}

TEST(Bands, EveryExampleFrameIsTheSameInBandsAsInOnePass) {
    const std::vector<Screen> setups = {
        {550, 400, true, 2},     // the movies' own size, two bands
        {333, 251, true, 3},     // odd height: 62 and 63 rows
        {160, 37, true, 9},      // bands of four and five rows
        {257, 131, false, 4},    // aliased, uneven
        {200, 150, true, 5, 16}, // 16-bit surface
        {123, 97, false, 6, 8},  // 8-bit surface: the dither follows the row
    };
    const std::vector<std::filesystem::path> examples = Examples();
    ASSERT_GE(examples.size(), 4u);
    for (const std::filesystem::path& file : examples) {
        const std::vector<uint8_t> movie = ExampleMovie(file);
        HeadlessHost probe;
        probe.Load(movie.data(), movie.size());
        ASSERT_TRUE(probe.Loaded()) << file;
        // Every frame once, and the first frames of the second pass (after the loop back).
        const int frames = int(probe.Level0().frameCount) + 3;
        for (const Screen& s : setups) {
            const int split = CompareFrames(movie, s, frames, file.filename().string());
            EXPECT_GT(split, 0) << file << ", " << Describe(s) << ": never drawn in bands";
        }
    }
}

TEST(Bands, RandomScenesAreTheSameInBandsAsInOnePass) {
    for (uint32_t seed = 1; seed <= 12; ++seed) {
        const std::vector<uint8_t> movie = render::test::RandomScene(seed, 4).Build();
        for (const Screen& s :
             {Screen{240, 170, true, 4}, Screen{211, 67, false, 3}, Screen{99, 45, true, 11, 8}})
            CompareFrames(movie, s, 4, "scene " + std::to_string(seed));
    }
}

// A band count beyond the rows leaves one row per band; automatic splitting draws big frames
// in bands and small ones in one pass.
TEST(Bands, CountsFollowTheRowsAndTheSize) {
    const std::vector<uint8_t> movie = render::test::RandomScene(5, 1).Build();
    Player tall(movie, {64, 6, true, 50}, 50);
    tall.host.StepFrame();
    EXPECT_EQ(tall.renderer.LastFrame().bands, 6);
    Player one(movie, {64, 6, true, 1}, 1);
    one.host.StepFrame();
    EXPECT_TRUE(one.Same(tall));

    Player small(movie, {120, 90, true, 0}, 0);
    small.host.StepFrame();
    EXPECT_EQ(small.renderer.LastFrame().bands, 1);
}

} // namespace
