// The HTML page that embeds a published movie, and the movie-size read-out text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tavro {

class CDocObj;

struct PublishPageFields {
    std::string name;  // the page's name component: the movie beside it is name + ".swf"
    int32_t width = 0; // stage size in pixels
    int32_t height = 0;
    uint32_t color = 0;                                // background as 0xRRGGBB
    std::string codebaseHost = "download.example.com"; // host of the player cabinet URL
    std::string pluginsPageHost = "www.example.com";   // host of the player download page
};

// Width and height rounded half away from zero, the background colour, and `name`.
PublishPageFields PageFieldsOf(const CDocObj& doc, std::string name);

// The page, twenty lines each ended by "\r\n". The name is inserted as text with &, <, > and "
// escaped; a host that is not a plain host name (letters, digits, '.', '-', ':' port) is replaced
// by the default.
std::string BuildPublishPage(const PublishPageFields& fields);

// &, <, > and " as character references; everything else as it is.
std::string EscapeMarkup(std::string_view text);

// "N bytes" up to 10,240 bytes, else N / 1024 as "%.1f KB".
std::string SizeReadout(uint64_t imageBytes);

} // namespace tavro
