// Each output format through `tavro-cli video`: what ffprobe reports, and the pictures decoded
// back against `tavro-cli render` of the same movie frames.
#include "VideoTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <ostream>
#include <string>

#include <unistd.h>

namespace tavro::video::test {
namespace {

constexpr int kWidth = 330;
constexpr int kHeight = 240;
constexpr int kTicks = 6;

const fs::path kLetters = fs::path(TAVRO_SOURCE_DIR) / "examples/letters.swi";

// Movie frames 0..kTicks-1 of the example at the test size, rendered once for all tests.
const std::vector<Picture>& References() {
    static const std::vector<Picture> pictures = [] {
        std::vector<Picture> list;
        // A folder of this process's own: the format cases run as parallel processes.
        const fs::path work = fs::path(TAVRO_BINARY_DIR) / "video-test" /
                              ("references-" + std::to_string(::getpid()));
        fs::create_directories(work);
        for (int k = 0; k < kTicks; ++k)
            list.push_back(Render(kLetters, k, kWidth, kHeight, work));
        fs::remove_all(work);
        return list;
    }();
    return pictures;
}

struct FormatCase {
    const char* output; // file or folder name
    const char* codec;  // as ffprobe names it; empty: not probed
    bool exact;         // lossless: the pictures come back exactly
};

void PrintTo(const FormatCase& c, std::ostream* os) {
    *os << c.output;
}

class VideoFormatsTest : public ::testing::TestWithParam<FormatCase> {
protected:
    void SetUp() override {
        if (!HaveFfmpeg())
            GTEST_SKIP() << "ffprobe and ffmpeg are needed";
        ASSERT_EQ(References().size(), size_t(kTicks));
        for (const Picture& p : References())
            ASSERT_EQ(p.size(), size_t(kWidth * kHeight * 4));
    }
};

// 12 video frames at 24 frames a second show each of the movie's first 6 frames (12 a second)
// twice; the file says 24 frames a second and half a second.
TEST_P(VideoFormatsTest, ReportsItsStreamAndGivesTheRenderedFramesBack) {
    const FormatCase& c = GetParam();
    const fs::path folder = TestFolder();
    const fs::path out = folder / c.output;
    const RunResult r =
        RunProgram({Cli(), "video", kLetters.string(), "-o", out.string(), "--width",
                    std::to_string(kWidth), "--fps", "24", "--frames", "12", "-q"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");

    std::vector<Picture> frames;
    const std::string name = c.output;
    if (name.find('.') == std::string::npos) {
        // A folder of numbered PNG files, nothing else.
        std::vector<std::string> expected;
        for (int i = 0; i < 12; ++i) {
            char file[32];
            std::snprintf(file, sizeof file, "frame-%05d.png", i);
            expected.push_back(file);
        }
        ASSERT_EQ(Listing(out), expected);
        for (const std::string& file : expected) {
            std::vector<Picture> one = Decode(out / file, kWidth, kHeight);
            ASSERT_EQ(one.size(), 1u) << file;
            frames.push_back(one[0]);
        }
    } else if (std::string(c.codec).empty()) {
        // Animated WebP: this FFmpeg cannot read it; libwebp's demuxer can.
        if (!HaveWebpDecoder())
            GTEST_SKIP() << "libwebp's demuxer is needed to read an animated WebP";
        int w = 0, h = 0;
        frames = DecodeWebp(out, 1000.0 / 24, 12, &w, &h);
        EXPECT_EQ(w, kWidth);
        EXPECT_EQ(h, kHeight);
    } else {
        const nlohmann::json probe = Probe(out);
        const nlohmann::json video = StreamOf(probe, "video");
        ASSERT_TRUE(video.is_object()) << probe.dump();
        EXPECT_EQ(video["codec_name"], c.codec);
        EXPECT_EQ(video["width"], kWidth);
        EXPECT_EQ(video["height"], kHeight);
        // A GIF's delays are whole hundredths: 4 and 5 of them make 24 a second on average.
        EXPECT_NEAR(Ratio(video["avg_frame_rate"]), 24.0, c.codec == std::string("gif") ? 0.5 : 0);
        EXPECT_EQ(video["nb_read_frames"], "12");
        // GIF delays are hundredths of a second.
        EXPECT_NEAR(StreamEnd(out, "video"), 0.5, 0.011);
        EXPECT_FALSE(StreamOf(probe, "audio").is_object()) << "the example has no sound";
        frames = Decode(out, kWidth, kHeight);
    }
    ASSERT_EQ(frames.size(), 12u);
    double worst = 1000;
    for (int i = 0; i < 12; ++i) {
        const double psnr = Psnr(frames[size_t(i)], References()[size_t(i / 2)]);
        worst = std::min(worst, psnr);
        if (c.exact) {
            EXPECT_EQ(frames[size_t(i)], References()[size_t(i / 2)]) << "frame " << i;
        }
    }
    EXPECT_GE(worst, 35.0);
    RecordProperty("worst_psnr_db", std::to_string(worst));
    // Nothing but the output was left in the folder.
    EXPECT_EQ(Listing(folder), std::vector<std::string>{c.output});
}

INSTANTIATE_TEST_SUITE_P(
    Formats, VideoFormatsTest,
    ::testing::Values(FormatCase{"out.mp4", "h264", false}, FormatCase{"out.webm", "vp9", false},
                      FormatCase{"out.gif", "gif", false}, FormatCase{"out.webp", "", true},
                      FormatCase{"out.apng", "apng", true}, FormatCase{"frames", "", true}),
    [](const ::testing::TestParamInfo<FormatCase>& info) {
        std::string n = info.param.output;
        return n.find('.') == std::string::npos ? std::string("png_folder") : n.substr(4);
    });

} // namespace
} // namespace tavro::video::test
