#pragma once

#include "Dsp.h"

#include <functional>
#include <string>
#include <vector>

namespace samplegen
{

struct Recipe
{
    std::string name;            // the sample name; the file is name + ".flac"
    std::function<Buf (Rand&)> make;
    double loopBars = 0;         // > 0: a loop of this many bars at loopBpm
    double loopBpm = 0;
};

// Every recording of the library, in the order the plug-in indexes them.
const std::vector<Recipe>& recipes();

// Target loudness (the loudest 50 ms, RMS, dBFS) for a recording by name: the
// level each kind sits at in a finished kit.
double targetLoudness (const std::string& name);

} // namespace samplegen
