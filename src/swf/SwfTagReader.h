// A small, bounded reader of an uncompressed SWF tag stream, for inspection tools and tests.
// It trusts no length or count in the bytes: every header, tag body and record field is checked
// against what is left of its range, and damage becomes an SwfTagReader::Error naming the byte
// offset, never a read outside the data.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tavro {

class SwfTagReader {
public:
    class Error : public std::runtime_error {
    public:
        Error(const std::string& message, uint64_t offset)
            : std::runtime_error(message), offset_(offset) {}
        uint64_t Offset() const { return offset_; }

    private:
        uint64_t offset_;
    };

    struct Header {
        uint8_t version = 0;
        uint32_t fileLength = 0; // as the header gives it
        int32_t xmin = 0, xmax = 0, ymin = 0, ymax = 0;
        uint16_t frameRate = 0; // 8.8 fixed point
        uint16_t frameCount = 0;
        uint32_t firstTagOffset = 0;
    };

    struct Tag {
        uint16_t code = 0;
        uint32_t offset = 0;     // of the tag header
        uint32_t bodyOffset = 0; // after the 2- or 6-byte header
        uint32_t length = 0;     // of the body
        bool longForm = false;
    };

    // One tag of a listing: nesting 0 for the movie's own tags, 1 for those of a DefineSprite,
    // and so on; frame counts the ShowFrame tags before it in its own timeline.
    struct Entry {
        Tag tag;
        int nesting = 0;
        uint32_t frame = 0;
        std::string fields;
    };

    // Sprites inside sprites are not valid in a movie; deeper nesting than this is damage.
    static constexpr int kMaxSpriteNesting = 8;

    // Reads the file header. Throws Error for bytes that are not an SWF file, for compressed
    // files (not supported) and for a header cut short.
    static Header ReadHeader(std::span<const uint8_t> data);

    // The top-level tags of a movie: from the end of the header to the file length the header
    // gives, or to the end of the data when that comes first.
    static SwfTagReader ForMovie(std::span<const uint8_t> data, const Header& header);
    // The inner tags of a DefineSprite tag (after its id and frame count).
    static SwfTagReader ForSprite(std::span<const uint8_t> data, const Tag& sprite);

    SwfTagReader(std::span<const uint8_t> data, uint32_t begin, uint32_t end);

    // Reads the next tag header. False once the End tag has been read or the range is used up
    // (SawEnd tells which). Throws Error for a tag whose header or body passes the range.
    bool Next(Tag& tag);
    bool SawEnd() const { return sawEnd_; }
    uint32_t Position() const { return pos_; }

    // The standard name of a tag code, or "Unknown".
    static std::string_view TagName(uint16_t code);
    // The main fields of a tag as text ("id=1 bounds=..."), empty for tags without decoded
    // fields. Throws Error when the fields pass the end of the body.
    std::string DescribeFields(const Tag& tag) const;

    // Reads every tag of a movie, the inner tags of each DefineSprite right after it, and hands
    // each to visit in file order. Throws Error at the first damage, after the tags before it:
    // a tag or field cut short, a timeline without its End tag, sprites nested too deeply, or a
    // file shorter than the length its header gives.
    static void ListMovie(std::span<const uint8_t> data, const Header& header,
                          const std::function<void(const Entry&)>& visit);

private:
    static void ListTimeline(std::span<const uint8_t> data, SwfTagReader& reader, int nesting,
                             const std::function<void(const Entry&)>& visit);

    std::span<const uint8_t> data_;
    uint32_t pos_;
    uint32_t end_;
    bool sawEnd_ = false;
};

} // namespace tavro
