// The fields of a DefineEditText record after its bounds: flags, font, colour, maximum length,
// layout, the bound variable's name and the initial text. Parsing is bounded by the record: a
// record that ends early or lacks a string terminator is rejected as a whole.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace tavro::player {

struct EditTextRecord {
    // First flag byte.
    static constexpr uint8_t kHasText = 0x80;
    static constexpr uint8_t kWordWrap = 0x40;
    static constexpr uint8_t kMultiline = 0x20;
    static constexpr uint8_t kPassword = 0x10;
    static constexpr uint8_t kReadOnly = 0x08;
    static constexpr uint8_t kHasColor = 0x04;
    static constexpr uint8_t kHasMaxLength = 0x02;
    static constexpr uint8_t kHasFont = 0x01;
    // Second flag byte.
    static constexpr uint8_t kHasLayout = 0x20;
    static constexpr uint8_t kNoSelect = 0x10;
    static constexpr uint8_t kBorder = 0x08;
    static constexpr uint8_t kHtml = 0x02;
    static constexpr uint8_t kUseOutlines = 0x01;

    // Font height of a field that names no font.
    static constexpr uint16_t kDefaultHeight = 360;

    enum class Align : uint8_t { Left = 0, Right = 1, Center = 2, Justify = 3 };

    uint8_t flags1 = 0;
    uint8_t flags2 = 0;
    uint16_t fontId = 0;
    uint16_t fontHeight = kDefaultHeight; // twips
    uint32_t color = 0xFF000000;          // straight 0xAARRGGBB
    uint16_t maxLength = 0;               // 0: unlimited
    Align align = Align::Left;
    uint16_t leftMargin = 0;
    uint16_t rightMargin = 0;
    uint16_t indent = 0;
    int16_t leading = 0;
    std::string variable;
    std::string initialText;

    bool HasFont() const { return flags1 & kHasFont; }
    bool WordWrap() const { return flags1 & kWordWrap; }
    bool Multiline() const { return flags1 & kMultiline; }
    bool Password() const { return flags1 & kPassword; }
    bool ReadOnly() const { return flags1 & kReadOnly; }
    // The most characters typing may leave in the field; 0 for no limit.
    uint16_t MaxChars() const { return (flags1 & kHasMaxLength) ? maxLength : 0; }
    bool Selectable() const { return !(flags2 & kNoSelect); }
    bool Border() const { return flags2 & kBorder; }
    bool UseOutlines() const { return flags2 & kUseOutlines; }

    // `data`: the record after the character id and the bounds. False when it is damaged.
    bool Parse(std::span<const uint8_t> data);
};

} // namespace tavro::player
