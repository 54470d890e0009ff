// The parts of the video exporter that need no encoder: the clock that maps video frames to
// movie frames and samples, output names and rates, the sound scan and the progress text.
#include "export/video/ConsoleProgress.h"
#include "export/video/PngFolderWriter.h"
#include "export/video/VideoExport.h"
#include "export/video/VideoTimeline.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

namespace tavro::video {
namespace {

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(VideoTimelineTest, OtherRatesSampleTheMovieClockWithoutChangingItsSpeed) {
    const VideoTimeline same({12, 1}, {12, 1});
    EXPECT_EQ(same.MovieFrameOf(0), 0);
    EXPECT_EQ(same.MovieFrameOf(157), 157);
    EXPECT_EQ(same.FramesFor(157), 157);

    // 12 a second shown at 30: each movie frame 2 or 3 times, 157 frames in 392.5 -> 393.
    const VideoTimeline faster({12, 1}, {30, 1});
    EXPECT_EQ(faster.MovieFrameOf(0), 0);
    EXPECT_EQ(faster.MovieFrameOf(2), 0);
    EXPECT_EQ(faster.MovieFrameOf(3), 1);
    EXPECT_EQ(faster.MovieFrameOf(5), 2);
    EXPECT_EQ(faster.FramesFor(157), 393);
    EXPECT_DOUBLE_EQ(faster.SecondsAt(393), 13.1);

    // 30 shown at 12: frames are skipped, never slowed.
    const VideoTimeline slower({30, 1}, {12, 1});
    EXPECT_EQ(slower.MovieFrameOf(1), 2);
    EXPECT_EQ(slower.MovieFrameOf(2), 5);
    EXPECT_EQ(slower.FramesFor(30), 12);

    // Rates that are not whole numbers: the movie's 8.8 header rate and NTSC video.
    const VideoTimeline ntsc({3200, 256}, {30000, 1001});
    for (int64_t k = 0; k < 500; ++k) {
        const int64_t first = ntsc.FramesFor(k);
        EXPECT_GE(ntsc.MovieFrameOf(first), k);
        if (first > 0) {
            EXPECT_LT(ntsc.MovieFrameOf(first - 1), k);
        }
    }
    // Samples: exactly the time of each frame, so the sound never drifts from the pictures.
    EXPECT_EQ(faster.SampleAt(30, 22050), 22050u);
    EXPECT_EQ(ntsc.SampleAt(30000, 48000), 1001u * 48000u);
    // Long videos do not overflow.
    EXPECT_EQ(ntsc.SampleAt(int64_t(1) << 40, 48000),
              uint64_t((__int128(1) << 40) * 1001 * 48000 / 30000));
}

TEST(VideoFormatTest, TheOutputNameChoosesTheFormat) {
    EXPECT_EQ(VideoFormatForPath("a/b.mp4"), VideoFormat::Mp4);
    EXPECT_EQ(VideoFormatForPath("B.WEBM"), VideoFormat::WebM);
    EXPECT_EQ(VideoFormatForPath("x.Gif"), VideoFormat::Gif);
    EXPECT_EQ(VideoFormatForPath("x.webp"), VideoFormat::WebP);
    EXPECT_EQ(VideoFormatForPath("x.apng"), VideoFormat::Apng);
    EXPECT_EQ(VideoFormatForPath("x.png"), VideoFormat::Apng);
    EXPECT_EQ(VideoFormatForPath("frames"), VideoFormat::PngFolder);
    EXPECT_EQ(VideoFormatForPath("out.dir/"), VideoFormat::PngFolder);
    EXPECT_EQ(VideoFormatForPath("x.avi"), std::nullopt);
    EXPECT_EQ(VideoFormatForPath(""), std::nullopt);
    EXPECT_TRUE(TraitsOf(VideoFormat::Mp4).sound && TraitsOf(VideoFormat::Mp4).evenSize);
    EXPECT_FALSE(TraitsOf(VideoFormat::Mp4).alpha);
    EXPECT_TRUE(TraitsOf(VideoFormat::Gif).alpha && !TraitsOf(VideoFormat::Gif).sound);
}

TEST(VideoFormatTest, RatesAreReadAsFractions) {
    EXPECT_EQ(ParseVideoRate("30"), (VideoRate{30, 1}));
    EXPECT_EQ(ParseVideoRate("29.97"), (VideoRate{2997, 100}));
    EXPECT_EQ(ParseVideoRate("12.5"), (VideoRate{25, 2}));
    EXPECT_EQ(ParseVideoRate("30000/1001"), (VideoRate{30000, 1001}));
    EXPECT_EQ(ParseVideoRate("60/2"), (VideoRate{30, 1}));
    for (const char* bad : {"", "0", "0/5", "5/0", "-3", "abc", "30fps", "1.2.3", "1/2/3", " 30",
                            "12.", ".5", "99999999999"})
        EXPECT_EQ(ParseVideoRate(bad), std::nullopt) << bad;
}

TEST(VideoFormatTest, PngFilesAreNumberedToSortInOrder) {
    EXPECT_EQ(PngFolderWriter::FileName(0, 12), "frame-00000.png");
    EXPECT_EQ(PngFolderWriter::FileName(99999, 100000), "frame-99999.png");
    EXPECT_EQ(PngFolderWriter::FileName(7, 100001), "frame-000007.png");
}

TEST(MovieSoundScanTest, FindsSoundInTheMovieAndInItsSprites) {
    EXPECT_TRUE(MovieHasSound(ReadFile(std::string(TAVRO_TEST_DATA_DIR) + "/video/sound.swf")));
    EXPECT_FALSE(MovieHasSound(ReadFile(std::string(TAVRO_SOURCE_DIR) + "/examples/hello.swf")));
    // A sprite (id 1, one frame) holding a StartSound tag, then End.
    std::vector<uint8_t> swf = {'F', 'W', 'S', 3, 28, 0, 0, 0, 0x00, 0x00, 12, 1, 0,
                                // DefineSprite (39), 11 bytes: id, frames, StartSound, End
                                0xCB, 0x09, 1, 0, 1, 0, 0xC3, 0x03, 2, 0, 0, 0x00, 0x00,
                                // End
                                0x00, 0x00};
    EXPECT_TRUE(MovieHasSound(swf));
    // The same movie cut inside the sprite: no read past the end, no sound found.
    swf.resize(swf.size() - 6);
    EXPECT_FALSE(MovieHasSound(swf));
    EXPECT_FALSE(MovieHasSound({}));
}

TEST(ConsoleProgressTest, ABarOnATerminalAndATenthALineElsewhere) {
    VideoProgress p;
    p.done = 30;
    p.total = 120;
    p.seconds = 2;
    const std::string bar = ConsoleProgress::BarText(p, 80);
    EXPECT_LE(bar.size(), 80u);
    EXPECT_NE(bar.find(" 25% 30/120 frames, 15.0 fps, 0:06 left"), std::string::npos) << bar;
    EXPECT_EQ(bar.find('#'), 1u);

    std::FILE* log = std::tmpfile();
    ASSERT_NE(log, nullptr);
    ConsoleProgress progress(log, false);
    for (int i = 1; i <= 120; ++i) {
        p.done = i;
        progress.Update(p);
    }
    progress.Finish();
    std::rewind(log);
    std::string text;
    for (int c; (c = std::fgetc(log)) != EOF;)
        text.push_back(char(c));
    std::fclose(log);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 10) << text;
    EXPECT_NE(text.find("10% (12 of 120 frames"), std::string::npos) << text;
    EXPECT_NE(text.find("100% (120 of 120 frames"), std::string::npos) << text;
}

} // namespace
} // namespace tavro::video
