#include "export/video/VideoFormat.h"

#include "base/AsciiCase.h"

#include <charconv>
#include <numeric>

namespace tavro::video {

namespace {

// GIF delays are whole hundredths of a second and viewers slow down delays under two of them,
// so 50 frames a second is the most a GIF shows as meant.
constexpr VideoFormatTraits kTraits[] = {
    {"MP4 (H.264 + AAC)", ".mp4", true, false, true, false, 240},
    {"WebM (VP9 + Opus)", ".webm", true, true, true, false, 240},
    {"animated GIF", ".gif", false, true, false, false, 50},
    {"animated WebP", ".webp", false, true, false, true, 240},
    {"animated PNG", ".apng", false, true, false, true, 240},
    {"numbered PNG files", "", false, true, false, true, 240},
};

} // namespace

const VideoFormatTraits& TraitsOf(VideoFormat format) {
    return kTraits[static_cast<int>(format)];
}

std::optional<VideoFormat> VideoFormatForPath(const std::filesystem::path& path) {
    const std::string text = path.string();
    if (text.empty())
        return std::nullopt;
    if (text.back() == '/' || !path.has_extension())
        return VideoFormat::PngFolder;
    std::string ext = path.extension().string();
    for (char& c : ext)
        c = AsciiLower(c);
    if (ext == ".mp4" || ext == ".m4v")
        return VideoFormat::Mp4;
    if (ext == ".webm")
        return VideoFormat::WebM;
    if (ext == ".gif")
        return VideoFormat::Gif;
    if (ext == ".webp")
        return VideoFormat::WebP;
    if (ext == ".apng" || ext == ".png")
        return VideoFormat::Apng;
    return std::nullopt;
}

std::string KnownVideoExtensions() {
    return ".mp4, .webm, .gif, .webp, .apng (or a folder for numbered PNG files)";
}

std::optional<VideoRate> ParseVideoRate(std::string_view text) {
    auto whole = [](std::string_view s, long long& out) {
        if (s.empty() || s.size() > 9)
            return false;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
        return ec == std::errc() && p == s.data() + s.size() && out >= 0;
    };
    long long num = 0, den = 1;
    if (const size_t slash = text.find('/'); slash != std::string_view::npos) {
        if (!whole(text.substr(0, slash), num) || !whole(text.substr(slash + 1), den))
            return std::nullopt;
    } else if (const size_t dot = text.find('.'); dot != std::string_view::npos) {
        const std::string_view fraction = text.substr(dot + 1);
        long long part = 0;
        if (!whole(text.substr(0, dot), num) || fraction.size() > 4 || !whole(fraction, part))
            return std::nullopt;
        for (size_t i = 0; i < fraction.size(); ++i)
            den *= 10;
        num = num * den + part;
    } else if (!whole(text, num)) {
        return std::nullopt;
    }
    if (num <= 0 || den <= 0 || num > 1000000000LL || den > 1000000000LL)
        return std::nullopt;
    return Reduced(VideoRate{int(num), int(den)});
}

VideoRate Reduced(VideoRate rate) {
    const int g = std::gcd(rate.num, rate.den);
    return g > 1 ? VideoRate{rate.num / g, rate.den / g} : rate;
}

} // namespace tavro::video
