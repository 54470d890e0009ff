// The web page of a movie: one self-contained HTML file that plays the movie without a plug-in.
// Shapes and glyphs are SVG paths defined once; the timeline is data (per frame only what
// changes) played by a script of our own at the movie's frame rate; without scripts the page
// shows the first frame as a still picture. docs/html5.md describes the page.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tavro {

struct Html5PageOptions {
    std::string title;      // the page's title (plain text)
    bool fixedSize = false; // the stage at its own pixel size instead of filling the window
};

struct Html5PageResult {
    bool ok = false;
    std::string html;  // the page, when ok
    std::string error; // why the movie cannot be a page, when not ok
};

// Builds the page of an SWF movie (the bytes of an export, or of a file). A movie that is
// damaged or needs what the page cannot do gives no page, only the reason.
Html5PageResult BuildHtml5Page(std::span<const uint8_t> swf, const Html5PageOptions& options);

// The script that plays the page's movie (src/export/html5/player.js, embedded at build time).
std::string_view Html5PlayerScript();

namespace html5 {
// A JSON string literal of UTF-8 text that is safe inside a <script> element: besides quotes,
// backslashes and control characters, '<', '>', '&' and the line separators U+2028 and U+2029
// are written as \u escapes.
std::string JsonString(std::string_view text);
// A number of 1/65536 units as a short decimal ("1", ".5", "-2.25"), at most six decimals.
std::string Fixed16(int32_t value);
} // namespace html5

} // namespace tavro
