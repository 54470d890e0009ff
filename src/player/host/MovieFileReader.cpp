#include "player/host/MovieFileReader.h"

#include <zlib.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include <sys/stat.h>

namespace tavro::player {

namespace {

constexpr size_t kHeaderSize = 8;
// The output grows in steps of at least this much (or doubles).
constexpr size_t kMinGrowth = 64 * 1024;

uint32_t DeclaredLength(std::span<const uint8_t> bytes) {
    return uint32_t(bytes[4]) | (uint32_t(bytes[5]) << 8) | (uint32_t(bytes[6]) << 16) |
           (uint32_t(bytes[7]) << 24);
}

} // namespace

std::string DescribeByteCount(size_t bytes) {
    char text[48];
    if (bytes >= (size_t(1) << 20) && bytes % (size_t(1) << 20) == 0)
        std::snprintf(text, sizeof text, "%zu MiB", bytes >> 20);
    else if (bytes >= 1024 && bytes % 1024 == 0)
        std::snprintf(text, sizeof text, "%zu KiB", bytes >> 10);
    else
        std::snprintf(text, sizeof text, "%zu bytes", bytes);
    return text;
}

bool IsCompressedMovie(std::span<const uint8_t> bytes) {
    return bytes.size() >= 3 && bytes[0] == 'C' && bytes[1] == 'W' && bytes[2] == 'S';
}

bool InflateCompressedMovie(std::vector<uint8_t>& bytes, std::string& error, size_t limit) {
    if (!IsCompressedMovie(bytes))
        return true;
    if (bytes.size() < kHeaderSize) {
        // Too short to say how long it is: the engine refuses the header as it stands.
        return true;
    }
    // The declared length counts the 8 header bytes, which are not compressed.
    const size_t declared = std::max<size_t>(DeclaredLength(bytes), kHeaderSize);
    const size_t cap = std::min(declared, limit);

    std::vector<uint8_t> out;
    try {
        out.reserve(std::min(cap, std::max(kMinGrowth, bytes.size() * 4)));
    } catch (const std::bad_alloc&) {
        error = "not enough memory to inflate the compressed movie";
        return false;
    }
    out.insert(out.end(), {'F', 'W', 'S', bytes[3], bytes[4], bytes[5], bytes[6], bytes[7]});

    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        error = "not enough memory to inflate the compressed movie";
        return false;
    }
    std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, &inflateEnd);
    z.next_in = bytes.data() + kHeaderSize;
    z.avail_in = uInt(std::min<size_t>(bytes.size() - kHeaderSize, UINT32_MAX));

    bool tooLarge = false;
    while (out.size() < declared) {
        if (out.size() >= cap) {
            // Still short of the declared length and at the limit: only a movie larger than
            // the limit goes on from here.
            tooLarge = true;
            break;
        }
        size_t want = std::min(cap - out.size(), std::max(kMinGrowth, out.size()));
        size_t used = out.size();
        try {
            out.resize(used + want);
        } catch (const std::bad_alloc&) {
            error = "not enough memory to inflate the compressed movie";
            return false;
        }
        z.next_out = out.data() + used;
        z.avail_out = uInt(std::min<size_t>(want, UINT32_MAX));
        int rc = inflate(&z, Z_NO_FLUSH);
        out.resize(size_t(z.next_out - out.data()));
        if (rc == Z_MEM_ERROR) {
            error = "not enough memory to inflate the compressed movie";
            return false;
        }
        // The end of the stream, damage, or input used up before the output: the movie holds
        // what came out so far.
        if (rc != Z_OK || (z.avail_in == 0 && z.avail_out != 0))
            break;
    }
    if (tooLarge) {
        // A movie that ends right at the limit is still whole; anything beyond it is refused.
        uint8_t probe = 0;
        z.next_out = &probe;
        z.avail_out = 1;
        int rc = z.avail_in > 0 ? inflate(&z, Z_NO_FLUSH) : Z_STREAM_END;
        if (rc == Z_OK && z.avail_out == 0) {
            error = "the compressed movie inflates to more than " + DescribeByteCount(limit) +
                    " (refused)";
            return false;
        }
    }
    bytes = std::move(out);
    return true;
}

bool ReadMovieFile(const std::filesystem::path& path, std::vector<uint8_t>& out, std::string& error,
                   size_t limit) {
    const std::string name = path.string();
    struct stat st;
    if (::stat(name.c_str(), &st) != 0) {
        error = "cannot open the file (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        error = "is a directory, not a file";
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (uint64_t(st.st_size) > limit) {
        error = "the file is larger than " + DescribeByteCount(limit) + " (refused)";
        return false;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!f) {
        error = "cannot open the file (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(size_t(st.st_size));
    } catch (const std::bad_alloc&) {
        error = "not enough memory to read the file";
        return false;
    }
    size_t n = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), f.get());
    if (std::ferror(f.get())) {
        error = "cannot read the file (" + std::string(std::strerror(errno)) + ")";
        return false;
    }
    bytes.resize(n); // a file that shrank meanwhile
    if (!InflateCompressedMovie(bytes, error, limit))
        return false;
    out = std::move(bytes);
    return true;
}

} // namespace tavro::player
