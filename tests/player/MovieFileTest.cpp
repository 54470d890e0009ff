// Movie files as the hosts read them: zlib-compressed movies are inflated into the movie they
// hold, within the same memory bound as uncompressed files.
#include "PlayerTestSupport.h"

#include "player/host/LocalUrlLoader.h"
#include "player/host/MovieFileReader.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace tavro::player::test {
namespace {

namespace fs = std::filesystem;

// The compressed form of an uncompressed movie: the header with "CWS", the rest deflated.
Bytes Compress(const Bytes& movie, int level = Z_BEST_COMPRESSION) {
    uLongf size = compressBound(uLong(movie.size() - 8));
    Bytes out(8 + size);
    std::copy(movie.begin(), movie.begin() + 8, out.begin());
    out[0] = 'C';
    EXPECT_EQ(compress2(out.data() + 8, &size, movie.data() + 8, uLong(movie.size() - 8), level),
              Z_OK);
    out.resize(8 + size);
    return out;
}

// A compressed "movie" that declares `declared` bytes and inflates to `zeros` zero bytes after
// its header, deflated in pieces so that the test itself never holds them all.
Bytes Bomb(uint32_t declared, size_t zeros) {
    Bytes out{'C', 'W', 'S', 6};
    U32(out, declared);
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, Z_BEST_COMPRESSION), Z_OK);
    std::vector<uint8_t> chunk(1 << 20, 0), buffer(1 << 16);
    size_t left = zeros;
    int flush = Z_NO_FLUSH;
    do {
        size_t n = std::min(left, chunk.size());
        left -= n;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_in = chunk.data();
        z.avail_in = uInt(n);
        do {
            z.next_out = buffer.data();
            z.avail_out = uInt(buffer.size());
            deflate(&z, flush);
            out.insert(out.end(), buffer.data(), z.next_out);
        } while (z.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&z);
    return out;
}

struct TempFile {
    explicit TempFile(const Bytes& bytes) {
        path = fs::temp_directory_path() /
               ("tavro-moviefile-" + std::to_string(::getpid()) + "-" + std::to_string(n++));
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    }
    ~TempFile() {
        std::error_code ec;
        fs::remove(path, ec);
    }
    fs::path path;
    static inline int n = 0;
};

Bytes TwoFrameMovie() {
    Bytes tags = Cat({DefineShape(1, 400, 300), Place2(1, 1, {}, 100, 100), ShowFrame(),
                      Move2(1, 600, 400), ShowFrame(), End()});
    return Movie(tags, 2, 12 << 8, 60, 40);
}

TEST(MovieFile, ACompressedMoviePlaysLikeItsUncompressedTwin) {
    const Bytes plain = TwoFrameMovie();
    Bytes compressed = Compress(plain);
    ASSERT_NE(compressed, plain);
    std::string error;
    ASSERT_TRUE(InflateCompressedMovie(compressed, error)) << error;
    EXPECT_EQ(compressed, plain);

    // Read from files, both give the same pictures frame by frame.
    TempFile a(plain), b(Compress(plain, 1));
    Bytes fromPlain, fromCompressed;
    ASSERT_TRUE(ReadMovieFile(a.path, fromPlain, error)) << error;
    ASSERT_TRUE(ReadMovieFile(b.path, fromCompressed, error)) << error;
    EXPECT_EQ(fromCompressed, fromPlain);
    HeadlessHost p, c;
    p.Load(fromPlain.data(), fromPlain.size());
    c.Load(fromCompressed.data(), fromCompressed.size());
    for (int frame = 0; frame < 2; ++frame) {
        std::vector<uint8_t> pp, cp;
        int w1 = 0, h1 = 0, w2 = 0, h2 = 0;
        ASSERT_TRUE(p.Snapshot(pp, w1, h1));
        ASSERT_TRUE(c.Snapshot(cp, w2, h2));
        EXPECT_EQ(pp, cp) << "frame " << frame;
        p.StepFrame();
        c.StepFrame();
    }
}

TEST(MovieFile, InflationStopsAtTheLimitAndRefusesWhatGoesBeyondIt) {
    // Declared 4 GiB, inflating to 3 MiB: refused at a 2 MiB limit, taken under a 4 MiB one.
    const Bytes bomb = Bomb(0xFFFFFFFF, 3 << 20);
    EXPECT_LT(bomb.size(), 8u << 10);
    Bytes bytes = bomb;
    std::string error;
    EXPECT_FALSE(InflateCompressedMovie(bytes, error, 2 << 20));
    EXPECT_EQ(error, "the compressed movie inflates to more than 2 MiB (refused)");
    EXPECT_EQ(bytes, bomb); // untouched
    ASSERT_TRUE(InflateCompressedMovie(bytes, error, 4 << 20));
    EXPECT_EQ(bytes.size(), 8u + (3u << 20));

    // A movie of exactly the limit is still whole.
    bytes = Bomb(0xFFFFFFFF, (2 << 20) - 8);
    EXPECT_TRUE(InflateCompressedMovie(bytes, error, 2 << 20));
    EXPECT_EQ(bytes.size(), 2u << 20);

    // Inflated bytes beyond the declared length are dropped, as for uncompressed data.
    bytes = Bomb(108, 1 << 20);
    ASSERT_TRUE(InflateCompressedMovie(bytes, error));
    EXPECT_EQ(bytes.size(), 108u);
}

TEST(MovieFile, TheDefaultLimitRefusesAZipBomb) {
    // 300 MiB of zeros in about 300 KiB.
    TempFile bomb(Bomb(0xFFFFFFFF, size_t(300) << 20));
    Bytes bytes;
    std::string error;
    EXPECT_FALSE(ReadMovieFile(bomb.path, bytes, error));
    EXPECT_EQ(error, "the compressed movie inflates to more than 256 MiB (refused)");
    // Loaded as a URL it loads nothing.
    HeadlessHost host;
    StreamTarget target;
    target.level = 1;
    EXPECT_FALSE(LoadLocalUrl(host, "file://" + bomb.path.string(), {}, target));
}

TEST(MovieFile, DamagedDataGivesTheMovieUpToTheDamage) {
    const Bytes plain = TwoFrameMovie();
    Bytes cut = Compress(plain);
    cut.resize(cut.size() - 6); // the stream ends early
    std::string error;
    ASSERT_TRUE(InflateCompressedMovie(cut, error));
    ASSERT_LE(cut.size(), plain.size());
    EXPECT_TRUE(std::equal(cut.begin(), cut.end(), plain.begin()));

    Bytes garbage = {'C', 'W', 'S', 6, 40, 0, 0, 0, 0x12, 0x34, 0x56};
    ASSERT_TRUE(InflateCompressedMovie(garbage, error));
    EXPECT_EQ(garbage, (Bytes{'F', 'W', 'S', 6, 40, 0, 0, 0}));

    // Shorter than a header: left for the engine to refuse.
    Bytes tiny = {'C', 'W', 'S'};
    ASSERT_TRUE(InflateCompressedMovie(tiny, error));
    EXPECT_EQ(tiny, (Bytes{'C', 'W', 'S'}));
}

TEST(MovieFile, FilesAreReadWithinTheLimitWithClearReasons) {
    const Bytes plain = TwoFrameMovie();
    TempFile file(plain);
    Bytes bytes;
    std::string error;
    EXPECT_FALSE(ReadMovieFile(file.path, bytes, error, plain.size() - 1));
    EXPECT_EQ(error,
              "the file is larger than " + std::to_string(plain.size() - 1) + " bytes (refused)");
    EXPECT_TRUE(ReadMovieFile(file.path, bytes, error, plain.size()));
    EXPECT_FALSE(ReadMovieFile(file.path.string() + "-missing", bytes, error));
    EXPECT_EQ(error, "cannot open the file (No such file or directory)");
    EXPECT_FALSE(ReadMovieFile(fs::temp_directory_path(), bytes, error));
    EXPECT_EQ(error, "is a directory, not a file");
}

TEST(MovieFile, LevelLoadsOfCompressedFilesAreInflated) {
    TempFile child(Compress(TwoFrameMovie()));
    HeadlessHost host;
    const Bytes root = TwoFrameMovie();
    host.Load(root.data(), root.size());
    StreamTarget target;
    target.level = 3;
    ASSERT_TRUE(LoadLocalUrl(host, "file://" + child.path.string(), {}, target));
    MovieLevel* level = host.FindLevel(3);
    ASSERT_NE(level, nullptr);
    EXPECT_EQ(level->errorCode, 0);
    EXPECT_TRUE(level->headerParsed);
    EXPECT_EQ(level->frameCount, 2);
}

} // namespace
} // namespace tavro::player::test
