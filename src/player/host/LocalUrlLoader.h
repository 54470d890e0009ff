// Loading a URL from a local file, as every host without a network does: a "file://" URL names
// the path after the prefix, any other URL is taken as a path as it stands (relative paths from a
// base folder). Only regular files are read, so a device or a pipe cannot feed data for ever; a
// GET query that no file name carries is tried without it. Files are held to the bounds of
// MovieFileReader.h: a compressed movie is inflated before it is streamed, and a file (or an
// inflated movie) beyond the size limit loads nothing.
#pragma once

#include "player/PlayerStream.h"

#include <filesystem>
#include <string_view>

namespace tavro::player {

class PlayerCore;

// True when `url` starts with "file://" (any case).
bool IsFileUrl(std::string_view url);
// True when `url` starts with a scheme ("http:", "mailto:", ...): letters, digits, '+', '-', '.'
// after a first letter, then ':' — at least two characters, so that a drive-like "c:" is no
// scheme.
bool HasUrlScheme(std::string_view url);
// The local file a URL names.
std::filesystem::path LocalUrlPath(std::string_view url, const std::filesystem::path& baseFolder);
// Streams the file `url` names into `player` for `target`. False when there is no such regular
// file (nothing is streamed then).
bool LoadLocalUrl(PlayerCore& player, std::string_view url, const std::filesystem::path& baseFolder,
                  const StreamTarget& target);

} // namespace tavro::player
