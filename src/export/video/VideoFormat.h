// The files a movie can be exported to as video or animated images, chosen by the output's name,
// and what each of them can hold.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tavro::video {

enum class VideoFormat { Mp4, WebM, Gif, WebP, Apng, PngFolder };

struct VideoFormatTraits {
    const char* name;      // "MP4 (H.264 + AAC)"
    const char* extension; // ".mp4"; empty for a folder
    bool sound;            // carries a sound track
    bool alpha;            // can leave the background out
    bool evenSize;         // width and height must be even
    bool lossless;         // gives the pictures back exactly at high quality
    int maxRate;           // most frames a second the format shows faithfully
};

const VideoFormatTraits& TraitsOf(VideoFormat format);

// By the extension, in any letter case: .mp4, .webm, .gif, .webp, .apng (or .png, an animated
// PNG); a name without an extension, or ending in a slash, is a folder of numbered PNG files.
// nullopt for any other extension.
std::optional<VideoFormat> VideoFormatForPath(const std::filesystem::path& path);

// The extensions the formats are chosen by, for messages: ".mp4, .webm, ...".
std::string KnownVideoExtensions();

// A frame rate as a fraction: frames per `den` seconds.
struct VideoRate {
    int num = 0;
    int den = 1;
    bool Valid() const { return num > 0 && den > 0; }
    double Value() const { return den > 0 ? double(num) / den : 0; }
    friend bool operator==(const VideoRate&, const VideoRate&) = default;
};

// "30", "29.97" or "30000/1001"; nullopt for anything else or a rate of 0.
std::optional<VideoRate> ParseVideoRate(std::string_view text);
// The fraction in lowest terms.
VideoRate Reduced(VideoRate rate);

} // namespace tavro::video
