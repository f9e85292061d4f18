#pragma once

// A lane pattern as text, the form saved pins and the bar dump use: the
// length, then ";j,velocity,open,chance%,shift‰,note" for each sounding step j
// in ascending order, e.g. "16;0,124,0,100,0,0;8,124,0,100,0,0".
// Message thread and tools only: these allocate.

#include <string>

#include "Types.h"

namespace grum
{

// Chance and shift are rounded to the nearest integer, halves to even, from
// the float's exact value (0.125 gives 12, 0.375 gives 38).
std::string encodeLane (const LaneGenome& g);

// Reads what encodeLane writes: length 3..32, steps in ascending order below
// the length, velocity 0..127, open 0 or 1, chance 0..100, note -128..127.
// Steps not listed are default silent steps. False (and g untouched) on
// anything else.
bool decodeLane (const char* text, LaneGenome& g) noexcept;

} // namespace grum
