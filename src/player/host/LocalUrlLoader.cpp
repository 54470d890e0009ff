#include "player/host/LocalUrlLoader.h"

#include "base/AsciiCase.h"
#include "player/PlayerCore.h"
#include "player/host/MovieFileReader.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace tavro::player {

bool IsFileUrl(std::string_view url) {
    return StartsWithNoCase(url, "file://");
}

bool HasUrlScheme(std::string_view url) {
    if (url.empty() || !std::isalpha(static_cast<unsigned char>(url[0])))
        return false;
    for (size_t i = 1; i < url.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(url[i]);
        if (c == ':')
            return i >= 2;
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return false;
}

std::filesystem::path LocalUrlPath(std::string_view url, const std::filesystem::path& baseFolder) {
    constexpr size_t kPrefix = 7; // "file://"
    std::filesystem::path path(std::string(IsFileUrl(url) ? url.substr(kPrefix) : url));
    if (path.is_relative() && !baseFolder.empty())
        path = baseFolder / path;
    return path;
}

bool LoadLocalUrl(PlayerCore& player, std::string_view url, const std::filesystem::path& baseFolder,
                  const StreamTarget& target) {
    struct stat st;
    std::string name = LocalUrlPath(url, baseFolder).string();
    if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        size_t query = name.find('?');
        if (query == std::string::npos)
            return false;
        name.resize(query);
        if (::stat(name.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            return false;
    }
    if (uint64_t(st.st_size) > kMaxMovieBytes)
        return false;
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(name.c_str(), "rb"), &std::fclose);
    if (!f)
        return false;
    uint8_t signature[3] = {};
    size_t got = std::fread(signature, 1, sizeof signature, f.get());
    if (IsCompressedMovie(std::span<const uint8_t>(signature, got))) {
        // A compressed movie is inflated whole before the player sees any of it.
        f.reset();
        std::vector<uint8_t> movie;
        std::string error;
        if (!ReadMovieFile(name, movie, error))
            return false;
        PlayerStream stream;
        player.StreamInNew(&stream, url, &target);
        player.StreamInWrite(&stream, movie.data(), movie.size());
        player.StreamInDestroy(&stream);
        return true;
    }
    std::rewind(f.get());
    PlayerStream stream;
    player.StreamInNew(&stream, url, &target);
    std::vector<uint8_t> buffer(64 * 1024);
    uint64_t left = uint64_t(st.st_size);
    while (left > 0) {
        size_t n =
            std::fread(buffer.data(), 1, size_t(std::min<uint64_t>(left, buffer.size())), f.get());
        if (n == 0)
            break;
        left -= n;
        player.StreamInWrite(&stream, buffer.data(), n);
    }
    player.StreamInDestroy(&stream);
    return true;
}

} // namespace tavro::player
