#pragma once

#include "Dsp.h"

#include <cstdint>
#include <vector>

namespace samplegen
{

// The loudest 50 ms of b as an RMS level in dBFS (channels averaged).
double loudestWindowDb (const Buf& b);

// Makes a one-shot ready to ship: DC removed, trimmed where it has decayed,
// faded to digital silence, levelled to targetDb and kept below full scale.
void finishOneShot (Buf& b, double targetDb, double maxSeconds);

// Makes a loop ready: exactly n frames, DC removed around the loop, levelled.
void finishLoop (Buf& b, int n, double targetDb);

// Interleaved 16-bit samples, rounded.
std::vector<std::int32_t> toPcm16 (const Buf& b);

} // namespace samplegen
