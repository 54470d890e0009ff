// Colours of gradient and bitmap fills along a row of device samples.
#pragma once

#include "player/render/ColorRecord.h"

#include <cstdint>

namespace tavro::player::render {

// Writes `n` premultiplied colours of `r`, sampled at the device points
// ((x2 + 2 * step * i) / 2, y2 / 2), i = 0..n-1 (x2, y2 in half units).
void SampleFill(const ColorRecord& r, int32_t x2, int32_t y2, int32_t step, int n, uint32_t* out);

// Builds the 256-entry premultiplied ramp of a gradient from its entries (ratio 0..255 and
// premultiplied colour, in ascending ratio order): each channel runs linearly between
// consecutive entries and holds the end colours before the first and after the last.
void BuildRamp(const uint8_t* ratios, const uint32_t* colors, int count, uint32_t ramp[256]);

} // namespace tavro::player::render
