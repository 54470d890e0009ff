// Movie files as every host reads them: the player, the command line and URL loads of local
// files. The engine itself takes uncompressed movies only (signature "FWS"); a zlib-compressed
// movie (signature "CWS": the same 8-byte header, then the rest of the file deflated) is
// inflated here first and handed on as the "FWS" movie it holds.
//
// Bounds. A movie never takes more than kMaxMovieBytes of memory, whichever form it comes in:
// an uncompressed file larger than that is refused before it is read, and inflation stops with
// a refusal as soon as its output would pass the limit, so a small file that inflates without
// end (a "zip bomb") costs at most the limit. As with uncompressed data, the header's declared
// length caps the movie (inflated bytes beyond it are dropped) and memory follows the bytes
// actually produced, so a header that declares more than the data holds allocates little.
// Compressed data that is damaged or ends early yields the movie up to that point, which the
// engine then treats like a truncated file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace tavro::player {

// 256 MiB.
inline constexpr size_t kMaxMovieBytes = size_t(256) << 20;

// True when the bytes begin with the signature of a zlib-compressed movie.
bool IsCompressedMovie(std::span<const uint8_t> bytes);

// Replaces a compressed movie by the uncompressed movie it holds; any other bytes are left as
// they are. False, with the reason in `error` and `bytes` unchanged, when the movie would
// inflate to more than `limit` bytes.
bool InflateCompressedMovie(std::vector<uint8_t>& bytes, std::string& error,
                            size_t limit = kMaxMovieBytes);

// Reads a movie file whole, inflated when it is compressed. False with a reason in `error`
// ("cannot open the file (...)", "larger than ...", "inflates to more than ...") otherwise.
bool ReadMovieFile(const std::filesystem::path& path, std::vector<uint8_t>& out, std::string& error,
                   size_t limit = kMaxMovieBytes);

// "256 MiB": a byte count as people read limits.
std::string DescribeByteCount(size_t bytes);

} // namespace tavro::player
