// Per-frame times of movies played through the headless host, the way a full-screen player
// draws them: each movie (a .swi or .json document is exported in memory first, any other file
// is read as SWF) is loaded into a window of the given size and stepped frame by frame; the
// time of every step (timeline, actions and the render of the changed area) is recorded.
//
//   example_frames [--size WxH] [--aa on|off] [--loops N] [--frames N] [--bands N] [--checksum]
//                  [FILE...]
//
// Defaults: 1920x1080, anti-aliasing on, one pass through every frame (--frames N stops after N
// frames), bands chosen by the renderer (--bands 1 draws on one thread), and examples/letters.swi
// and examples/effects.swi of the source tree. --checksum prints a checksum of the picture after
// every frame (to compare builds: the pictures must not change). Times are wall-clock milliseconds
// and the process's CPU milliseconds (worker threads included); the load average is printed too,
// since the machine may be shared.
#include "export/MovieExport.h"
#include "model/Archive.h"
#include "model/CDocObj.h"
#include "player/host/HeadlessHost.h"
#include "player/render/Renderer.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace tavro;

struct Options {
    int width = 1920, height = 1080;
    bool antiAlias = true;
    int loops = 1;
    int frames = 0;
    int bands = 0;
    bool checksum = false;
    std::vector<std::string> files;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error(path + ": cannot read the file");
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> MovieBytes(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    std::vector<uint8_t> bytes = ReadFile(path);
    if (ext != ".swi")
        return bytes;
    CDocObj doc;
    LoadObjectFromMemory(bytes, doc);
    return ExportMovieToMemory(doc);
}

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

double LoadAverage() {
    double load[1] = {0};
    return getloadavg(load, 1) == 1 ? load[0] : -1;
}

uint64_t Checksum(const std::vector<uint8_t>& bytes) {
    uint64_t h = 1469598103934665603ull; // FNV-1a
    for (uint8_t b : bytes) {
        h ^= b;
        h *= 1099511628211ull;
    }
    return h;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

void Play(const std::string& path, const Options& o) {
    std::vector<uint8_t> bytes = MovieBytes(path);
    player::HeadlessHost host(o.width, o.height);
    host.SetQuality(o.antiAlias, false);
    player::Renderer& renderer = player::Renderer::Of(host);
    renderer.SetBands(o.bands);
    host.Load(bytes.data(), bytes.size());
    if (!host.Loaded())
        throw std::runtime_error(path + ": not a playable movie");
    int frames = std::max(1, int(host.Level0().frameCount)) * o.loops;
    if (o.frames > 0)
        frames = std::min(frames, o.frames);

    std::vector<double> wall, cpu, pixels;
    for (int i = 0; i < frames; ++i) {
        const int64_t rendered = renderer.LastFrame().frames;
        double w0 = WallMs(), c0 = CpuMs();
        host.StepFrame();
        cpu.push_back(CpuMs() - c0);
        wall.push_back(WallMs() - w0);
        pixels.push_back(
            renderer.LastFrame().frames != rendered ? double(renderer.LastFrame().pixels) : 0.0);
        if (o.checksum) {
            std::vector<uint8_t> rgba;
            int w = 0, h = 0;
            renderer.CopyRgba(rgba, w, h);
            std::printf("  frame %d checksum %016llx\n", i, (unsigned long long)Checksum(rgba));
        }
    }
    auto worst = std::max_element(wall.begin(), wall.end()) - wall.begin();
    std::printf("%s: %d frames at %dx%d, anti-aliasing %s\n", path.c_str(), frames, o.width,
                o.height, o.antiAlias ? "on" : "off");
    std::printf("  wall ms: median %.2f, worst %.2f (frame %d, %.0f pixels drawn)\n", Median(wall),
                wall[size_t(worst)], int(worst), pixels[size_t(worst)]);
    std::printf("  cpu ms:  median %.2f, worst %.2f\n", Median(cpu),
                *std::max_element(cpu.begin(), cpu.end()));
    std::printf("  pixels drawn per frame: median %.0f of %d\n", Median(pixels),
                o.width * o.height);
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", a.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (a == "--size") {
            if (std::sscanf(next().c_str(), "%dx%d", &o.width, &o.height) != 2 || o.width <= 0 ||
                o.height <= 0) {
                std::fprintf(stderr, "--size: expected WIDTHxHEIGHT\n");
                return 2;
            }
        } else if (a == "--aa") {
            o.antiAlias = next() != "off";
        } else if (a == "--loops") {
            o.loops = std::max(1, std::atoi(next().c_str()));
        } else if (a == "--frames") {
            o.frames = std::max(0, std::atoi(next().c_str()));
        } else if (a == "--bands") {
            o.bands = std::max(0, std::atoi(next().c_str()));
        } else if (a == "--checksum") {
            o.checksum = true;
        } else if (!a.empty() && a[0] == '-') {
            std::fprintf(
                stderr, "usage: example_frames [--size WxH] [--aa on|off] [--loops N] [--frames N] "
                        "[--bands N] [--checksum] [FILE...]\n");
            return 2;
        } else {
            o.files.push_back(a);
        }
    }
    if (o.files.empty())
        for (const char* name : {"letters.swi", "effects.swi"})
            o.files.push_back(
                (std::filesystem::path(TAVRO_SOURCE_DIR) / "examples" / name).string());
    std::printf("load average at start: %.2f\n", LoadAverage());
    try {
        for (const std::string& f : o.files)
            Play(f, o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    std::printf("load average at end: %.2f\n", LoadAverage());
    return 0;
}
