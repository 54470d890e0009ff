// One GetURL request collected while actions run, and the form encoding of timeline variables
// that GET and POST requests carry.
#pragma once

#include "player/Timeline.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavro::player {

struct UrlRequest {
    // GetURL2 flag bits (the low two bits are the method).
    static constexpr uint8_t kMethodMask = 0x03;
    static constexpr uint8_t kGet = 1;
    static constexpr uint8_t kPost = 2;
    static constexpr uint8_t kSpriteTarget = 0x40;
    static constexpr uint8_t kLoadVariables = 0x80;

    std::string url;
    std::string target;
    // For POST: the header lines and the encoded variables; empty otherwise.
    std::string postData;
    uint8_t flags = 0;

    uint8_t Method() const { return flags & kMethodMask; }
};

// Form encoding of one value: letters and digits kept, blank as "+", every other byte as "%XX".
std::string UrlEncode(std::string_view text);
// name=value pairs of the variables, encoded and joined by "&".
std::string EncodeVariables(const std::vector<Timeline::Variable>& variables);
// `url` with the encoded variables appended as a query ("/" first for a bare host, "&" when the
// URL already has a query). Without variables the URL stays as it is.
std::string AppendQuery(std::string_view url, std::string_view encoded);
// The POST data: the form header with the body length, a blank line, then the body.
std::string PostData(std::string_view encoded);
// Decodes "a=1&b=two+words" pairs ("+" as blank, "%XX" bytes) into name/value pairs.
std::vector<Timeline::Variable> DecodeVariables(std::string_view text);

} // namespace tavro::player
