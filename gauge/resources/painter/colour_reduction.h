// Reduces a painted canvas to a given number of colours by repeatedly merging
// the two colour groups whose merge changes the picture least (Ward's
// criterion: squared distance of the means weighted by the group sizes).
// Deterministic: ties go to the lower colour.
#pragma once

#include <cstddef>
#include <span>

#include "rgb.h"

namespace painter {

// Leaves at most `maxColours` distinct colours in `canvas`. Colours listed in
// `fixed` stay exactly as they are and take no other colour in; a merged
// colour never lands on one of them.
void reduceColours(RgbCanvas& canvas, std::size_t maxColours, std::span<const Rgb> fixed);

// Number of distinct colours in the canvas.
std::size_t countColours(const RgbCanvas& canvas);

}  // namespace painter
