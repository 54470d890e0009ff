// What a video holds beyond its pictures: the sound track and its timing, the alpha of a
// transparent export, scripted clicks, where the recording ends; and that failures, cancels and
// interrupts leave nothing behind.
#include "VideoTestSupport.h"

#include "export/video/VideoExport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iterator>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tavro::video::test {
namespace {

const fs::path kSoundMovie = fs::path(TAVRO_TEST_DATA_DIR) / "video/sound.swf";
const fs::path kLetters = fs::path(TAVRO_SOURCE_DIR) / "examples/letters.swi";
const fs::path kButtons = fs::path(TAVRO_SOURCE_DIR) / "examples/buttons.json";

std::vector<uint8_t> ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class VideoExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!HaveFfmpeg())
            GTEST_SKIP() << "ffprobe and ffmpeg are needed";
        folder_ = TestFolder();
    }
    RunResult Video(const fs::path& movie, const std::string& out,
                    std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {
            Cli(), "video", movie.string(), "-o", (folder_ / out).string(), "-q"};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunProgram(args);
    }
    fs::path folder_;
};

// The test movie: 12 frames at 12 a second; frame 8 (at 0.667 s) starts half a second of a
// tone; frame 11 stops the movie while the tone still plays.
TEST_F(VideoExportTest, VideosCarryTheMovieSoundInStepWithThePictures) {
    for (const char* name : {"sound.mp4", "sound.webm"}) {
        SCOPED_TRACE(name);
        const RunResult r = Video(kSoundMovie, name);
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json probe = Probe(folder_ / name);
        const nlohmann::json audio = StreamOf(probe, "audio");
        ASSERT_TRUE(audio.is_object()) << probe.dump();
        EXPECT_EQ(audio["codec_name"], std::string(name).ends_with(".mp4") ? "aac" : "opus");
        // Until the movie stopped (frame 11) and its tone ended (1.167 s): 14 or 15 frames.
        const nlohmann::json video = StreamOf(probe, "video");
        const int frames = std::stoi(video["nb_read_frames"].get<std::string>());
        EXPECT_GE(frames, 14);
        EXPECT_LE(frames, 16);
        EXPECT_NEAR(StreamEnd(folder_ / name, "audio"), frames / 12.0, 0.03);

        // The tone is heard from 0.667 s to 1.167 s, to within 30 ms.
        const std::vector<int16_t> sound = DecodeSound(folder_ / name, 8000);
        ASSERT_GT(sound.size(), 8000u);
        size_t first = sound.size(), last = 0;
        for (size_t i = 0; i < sound.size(); ++i)
            if (std::abs(sound[i]) > 2000) {
                first = std::min(first, i);
                last = i;
            }
        EXPECT_NEAR(double(first) / 8000, 8 / 12.0, 0.03);
        EXPECT_NEAR(double(last) / 8000, 8 / 12.0 + 0.5, 0.03);
    }
    // --no-audio, a format without sound, and a movie without sound: no sound stream.
    ASSERT_EQ(Video(kSoundMovie, "quiet.mp4", {"--no-audio"}).status, 0);
    EXPECT_FALSE(StreamOf(Probe(folder_ / "quiet.mp4"), "audio").is_object());
    ASSERT_EQ(Video(kLetters, "letters.webm", {"--frames", "3", "--width", "110"}).status, 0);
    EXPECT_FALSE(StreamOf(Probe(folder_ / "letters.webm"), "audio").is_object());
}

// Without the background, what the movie draws keeps its alpha and the rest is transparent.
TEST_F(VideoExportTest, TransparentVideosKeepTheAlpha) {
    // At one frame a second the third frame shows movie frame 24, with its title in place.
    constexpr int w = 220, h = 160;
    const Picture reference = Render(kLetters, 24, w, h, folder_);
    ASSERT_FALSE(reference.empty());
    const std::vector<std::string> options = {"--width",  "220", "--fps",        "1",
                                              "--frames", "3",   "--transparent"};
    for (const char* name : {"t.webm", "t.apng", "t.gif", "t.webp", "t-frames"}) {
        SCOPED_TRACE(name);
        const RunResult r = Video(kLetters, name, options);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::string n = name;
        if (n == "t.webp" && !HaveWebpDecoder())
            continue;
        std::vector<Picture> frames;
        if (n == "t.webp")
            frames = DecodeWebp(folder_ / name, 1000.0, 3);
        else if (n == "t-frames")
            frames = Decode(folder_ / name / "frame-00002.png", w, h);
        else
            frames = Decode(folder_ / name, w, h, n == "t.webm");
        ASSERT_FALSE(frames.empty());
        const Picture& last = frames.back();
        int transparent = 0, opaque = 0, matching = 0;
        for (size_t i = 0; i < last.size(); i += 4) {
            transparent += last[i + 3] == 0;
            opaque += last[i + 3] == 255;
            // A fully covered pixel has the colour the movie shows there.
            if (last[i + 3] == 255)
                matching += std::abs(last[i] - reference[i]) <= 40 &&
                            std::abs(last[i + 1] - reference[i + 1]) <= 40 &&
                            std::abs(last[i + 2] - reference[i + 2]) <= 40;
        }
        // The background (most of the picture) is gone; the text is there, in its colours
        // (a GIF has no partial cover: its edge pixels take the full colour of the text).
        EXPECT_GT(transparent, w * h / 2);
        EXPECT_GT(opaque, 150) << transparent;
        if (n != "t.gif") {
            EXPECT_GT(matching, opaque * 9 / 10);
        }
        EXPECT_EQ(AlphaAt(last, w, 0, 0), 0);
    }
    // The lossless ones give the opaque pixels back exactly.
    const std::vector<Picture> apng = Decode(folder_ / "t.apng", w, h);
    ASSERT_EQ(apng.size(), 3u);
    for (size_t i = 0; i < apng[2].size(); i += 4) {
        if (apng[2][i + 3] == 255) {
            ASSERT_TRUE(std::equal(&apng[2][i], &apng[2][i + 3], &reference[i])) << i / 4;
        }
    }
    // MP4 has no alpha: asked for it, the export fails and writes nothing.
    const RunResult mp4 = Video(kLetters, "t.mp4", {"--transparent"});
    EXPECT_EQ(mp4.status, 1);
    EXPECT_NE(mp4.err.find("t.mp4: MP4 (H.264 + AAC) cannot leave the background out"),
              std::string::npos)
        << mp4.err;
    EXPECT_FALSE(fs::exists(folder_ / "t.mp4"));
}

// The examples' buttons: a click on Red (110,160) on frame 1 goes to a frame of its own.
TEST_F(VideoExportTest, ClicksChangeTheRecordingAsTheyChangePlay) {
    const RunResult r = Video(kButtons, "clicked.apng", {"--frames", "5", "--click", "110,160@1"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::vector<Picture> frames = Decode(folder_ / "clicked.apng", 400, 300);
    ASSERT_EQ(frames.size(), 5u);
    for (int k : {0, 1, 4}) {
        const fs::path snapshot = folder_ / ("play-" + std::to_string(k) + ".png");
        const RunResult play =
            RunProgram({Cli(), "play", kButtons.string(), "--frames", std::to_string(k), "--click",
                        "110,160@1", "--snapshot", snapshot.string()});
        ASSERT_EQ(play.status, 0) << play.err;
        const std::vector<Picture> expected = Decode(snapshot, 400, 300);
        ASSERT_EQ(expected.size(), 1u);
        EXPECT_EQ(frames[size_t(k)], expected[0]) << "frame " << k;
    }
    EXPECT_NE(frames[0], frames[1]);
    // Until the movie stops: the menu stops at once, and after the click at the Red frame.
    ASSERT_EQ(Video(kButtons, "menu.apng").status, 0);
    EXPECT_EQ(Decode(folder_ / "menu.apng", 400, 300).size(), 1u);
    ASSERT_EQ(Video(kButtons, "red.apng", {"--click", "110,160@1"}).status, 0);
    const std::vector<Picture> red = Decode(folder_ / "red.apng", 400, 300);
    ASSERT_EQ(red.size(), 2u);
    EXPECT_EQ(red[1], frames[1]);
}

TEST_F(VideoExportTest, FailuresNameTheFileAndLeaveNothing) {
    struct Case {
        fs::path movie;
        std::string out;
        std::vector<std::string> extra;
        std::string message;
    };
    const fs::path damaged = fs::path(TAVRO_TEST_DATA_DIR) / "swf/bad-truncated-hello.swf";
    const fs::path notMovie = fs::path(TAVRO_TEST_DATA_DIR) / "video/make_sound_swf.py";
    fs::create_directories(folder_ / "full");
    std::ofstream(folder_ / "full/keep.txt") << "keep";
    const std::vector<Case> cases = {
        {damaged, "d.mp4", {}, "bad-truncated-hello.swf: truncated tag at offset 21"},
        {damaged, "d.gif", {}, "bad-truncated-hello.swf: truncated tag at offset 21"},
        {notMovie, "n.webm", {}, "make_sound_swf.py: not an SWF file"},
        {kSoundMovie, "missing/x.mp4", {}, "missing/x.mp4: cannot write the file (No such file"},
        {kSoundMovie, "missing/x.gif", {}, "missing/x.gif: cannot write the file (No such file"},
        {kSoundMovie, "full", {}, "full: the folder exists and is not empty"},
        {kSoundMovie, "x.avi", {}, "x.avi: not a kind of file Tavro writes"},
        {kSoundMovie, "x.gif", {"--fps", "60"}, "x.gif: animated GIF takes 1 to 50 frames"},
        {kSoundMovie, "x.mp4", {"--fps", "fast"}, "--fps fast: expected frames a second"},
        {kSoundMovie, "x.mp4", {"--crf", "60"}, "x.mp4: the constant quality of MP4"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.out);
        const RunResult r = Video(c.movie, c.out, c.extra);
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    // Only what the test made itself.
    EXPECT_EQ(Listing(folder_), std::vector<std::string>{"full"});
    EXPECT_EQ(Listing(folder_ / "full"), std::vector<std::string>{"keep.txt"});
}

// A cancel from the progress callback, at the first and at the second pass of a GIF, leaves
// neither the output nor a temporary file or folder.
TEST_F(VideoExportTest, ACancelledExportLeavesNothing) {
    const std::vector<uint8_t> movie = ReadBytes(fs::path(TAVRO_TEST_DATA_DIR) / "video/sound.swf");
    for (const char* name : {"c.mp4", "c.gif", "c-frames"}) {
        for (int64_t stopAt : {2, 14}) {
            SCOPED_TRACE(std::string(name) + " at " + std::to_string(stopAt));
            VideoExportOptions options;
            options.output = folder_ / name;
            options.length = VideoExportOptions::Length::Frames;
            options.frames = 10;
            int64_t calls = 0;
            const VideoExportResult result =
                ExportVideo(movie, options, [&](const VideoProgress& p) {
                    ++calls;
                    EXPECT_LE(p.done, p.total);
                    return p.done < stopAt;
                });
            if (stopAt > 10 && std::string(name) != "c.gif") {
                // Past the end for one pass: the export completes.
                EXPECT_TRUE(result.ok) << result.message;
                fs::remove_all(folder_ / name);
                continue;
            }
            EXPECT_FALSE(result.ok);
            EXPECT_TRUE(result.cancelled);
            EXPECT_EQ(calls, stopAt);
            EXPECT_TRUE(Listing(folder_).empty());
        }
    }
}

// Ctrl+C in the middle of an export: the command stops, says so, and leaves nothing.
TEST_F(VideoExportTest, InterruptingTheCommandLeavesNothing) {
    const fs::path out = folder_ / "long.mp4";
    const fs::path log = folder_.parent_path() / "interrupt.log";
    const std::string cli = Cli();
    const std::string movie = kLetters.string(), output = out.string();
    std::vector<const char*> argv = {cli.c_str(), "video", movie.c_str(), "-o",  output.c_str(),
                                     "--width",   "110",   "--loops",     "200", nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    ASSERT_EQ(
        posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv.data()), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    // Wait until the export runs (a temporary file appears), then interrupt it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Listing(folder_).empty() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    kill(pid, SIGINT);
    int status = 0;
    waitpid(pid, &status, 0);
    std::ifstream in(log);
    const std::string err{std::istreambuf_iterator<char>(in), {}};
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << WTERMSIG(status);
    EXPECT_EQ(WEXITSTATUS(status), 1);
    EXPECT_NE(err.find("long.mp4: interrupted; nothing was written"), std::string::npos) << err;
    EXPECT_TRUE(Listing(folder_).empty());
}

} // namespace
} // namespace tavro::video::test
