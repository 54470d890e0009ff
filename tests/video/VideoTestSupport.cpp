#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#ifdef TAVRO_HAVE_WEBP_DEMUX
#include <webp/demux.h>
#endif

#include <cmath>
#include <fstream>
#include <iterator>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavro::video::test {

namespace {

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

} // namespace

RunResult RunProgram(const std::vector<std::string>& args) {
    RunResult result;
    static int counter = 0;
    const fs::path base =
        fs::temp_directory_path() /
        ("tavro-video-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    const std::string outPath = base.string() + ".out", errPath = base.string() + ".err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = ReadAll(outPath);
    result.err = ReadAll(errPath);
    fs::remove(outPath);
    fs::remove(errPath);
    return result;
}

std::string Cli() {
    return std::string(TAVRO_BINARY_DIR) + "/apps/tavro-cli/tavro-cli";
}

bool HaveFfmpeg() {
    static const bool have = RunProgram({"ffprobe", "-version"}).status == 0 &&
                             RunProgram({"ffmpeg", "-version"}).status == 0;
    return have;
}

fs::path TestFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    const fs::path folder = fs::path(TAVRO_BINARY_DIR) / "video-test" /
                            (std::string(info->test_suite_name()) + "." + info->name());
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

std::vector<std::string> Listing(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

nlohmann::json Probe(const fs::path& file) {
    const RunResult r = RunProgram({"ffprobe", "-v", "error", "-count_frames", "-show_streams",
                                    "-show_format", "-of", "json", file.string()});
    if (r.status != 0)
        return nullptr;
    return nlohmann::json::parse(r.out, nullptr, false);
}

nlohmann::json StreamOf(const nlohmann::json& probe, const std::string& type) {
    if (probe.is_object() && probe.contains("streams"))
        for (const auto& s : probe["streams"])
            if (s.value("codec_type", "") == type)
                return s;
    return nullptr;
}

double StreamEnd(const fs::path& file, const std::string& type) {
    const RunResult r = RunProgram({"ffprobe", "-v", "error", "-select_streams",
                                    type == "audio" ? "a:0" : "v:0", "-show_entries",
                                    "packet=pts_time,duration_time", "-of", "json", file.string()});
    const nlohmann::json j = nlohmann::json::parse(r.out, nullptr, false);
    double end = 0;
    if (j.is_object() && j.contains("packets"))
        for (const auto& p : j["packets"])
            end = std::max(end, std::stod(p.value("pts_time", "0")) +
                                    std::stod(p.value("duration_time", "0")));
    return end;
}

double Ratio(const std::string& text) {
    const size_t slash = text.find('/');
    if (slash == std::string::npos)
        return std::stod(text);
    const double den = std::stod(text.substr(slash + 1));
    return den != 0 ? std::stod(text.substr(0, slash)) / den : 0;
}

std::vector<Picture> Decode(const fs::path& file, int width, int height, bool vp9Alpha) {
    const fs::path raw = file.string() + ".rgba";
    std::vector<std::string> args = {"ffmpeg", "-v", "error", "-y"};
    if (vp9Alpha) {
        args.push_back("-c:v");
        args.push_back("libvpx-vp9");
    }
    // Chroma interpolated as players do it, not repeated.
    for (const char* a : {"-i", file.c_str(), "-fps_mode", "passthrough", "-vf",
                          "scale=flags=accurate_rnd+full_chroma_int", "-f", "rawvideo", "-pix_fmt",
                          "rgba", raw.c_str()})
        args.push_back(a);
    std::vector<Picture> frames;
    if (RunProgram(args).status != 0)
        return frames;
    const std::string bytes = ReadAll(raw);
    fs::remove(raw);
    const size_t size = size_t(width) * size_t(height) * 4;
    for (size_t at = 0; at + size <= bytes.size(); at += size)
        frames.emplace_back(bytes.begin() + long(at), bytes.begin() + long(at + size));
    return frames;
}

bool HaveWebpDecoder() {
#ifdef TAVRO_HAVE_WEBP_DEMUX
    return true;
#else
    return false;
#endif
}

std::vector<Picture> DecodeWebp(const fs::path& file, double frameMs, int count, int* width,
                                int* height) {
    std::vector<Picture> frames;
#ifdef TAVRO_HAVE_WEBP_DEMUX
    const std::string bytes = ReadAll(file);
    WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_RGBA;
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, &options);
    if (decoder == nullptr)
        return frames;
    WebPAnimInfo info;
    WebPAnimDecoderGetInfo(decoder, &info);
    if (width)
        *width = int(info.canvas_width);
    if (height)
        *height = int(info.canvas_height);
    // Each stored frame ends at its timestamp; the video frame at time t is the first stored
    // frame that ends after t.
    std::vector<std::pair<int, Picture>> stored;
    while (WebPAnimDecoderHasMoreFrames(decoder)) {
        uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(decoder, &pixels, &timestamp))
            break;
        stored.emplace_back(timestamp, Picture(pixels, pixels + size_t(info.canvas_width) *
                                                                    info.canvas_height * 4));
    }
    WebPAnimDecoderDelete(decoder);
    for (int i = 0; i < count; ++i) {
        const double t = (i + 0.5) * frameMs;
        for (const auto& [end, picture] : stored)
            if (end > t) {
                frames.push_back(picture);
                break;
            }
    }
#else
    (void)file;
    (void)frameMs;
    (void)count;
    (void)width;
    (void)height;
#endif
    return frames;
}

Picture Render(const fs::path& movie, int frame, int width, int height, const fs::path& work) {
    const fs::path png = work / ("render-" + std::to_string(frame) + ".png");
    const RunResult r =
        RunProgram({Cli(), "render", movie.string(), "--frame", std::to_string(frame), "--width",
                    std::to_string(width), "--height", std::to_string(height), "-o", png.string()});
    if (r.status != 0)
        return {};
    std::vector<Picture> frames = Decode(png, width, height);
    return frames.size() == 1 ? frames[0] : Picture();
}

double Psnr(const Picture& a, const Picture& b) {
    if (a.size() != b.size() || a.empty())
        return 0;
    double sum = 0;
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3)
            continue;
        const double d = double(a[i]) - double(b[i]);
        sum += d * d;
        ++n;
    }
    if (sum == 0)
        return 1000;
    return 10 * std::log10(255.0 * 255.0 / (sum / double(n)));
}

int AlphaAt(const Picture& p, int width, int x, int y) {
    return p[(size_t(y) * size_t(width) + size_t(x)) * 4 + 3];
}

std::vector<int16_t> DecodeSound(const fs::path& file, int rate) {
    const fs::path raw = file.string() + ".pcm";
    const RunResult r =
        RunProgram({"ffmpeg", "-v", "error", "-y", "-i", file.string(), "-vn", "-ac", "1", "-ar",
                    std::to_string(rate), "-f", "s16le", raw.string()});
    std::vector<int16_t> samples;
    if (r.status != 0)
        return samples;
    const std::string bytes = ReadAll(raw);
    fs::remove(raw);
    samples.resize(bytes.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = int16_t(uint16_t(uint8_t(bytes[2 * i]) | (uint8_t(bytes[2 * i + 1]) << 8)));
    return samples;
}

} // namespace tavro::video::test
