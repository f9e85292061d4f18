#pragma once

// One decoded sample of the embedded library. Framework-free, so the sample
// engine can play it from the engine library.

#include <string>
#include <vector>

namespace grum
{

struct SampleData
{
    // Both channels carry one extra 0.0 after the last real frame, so linear
    // interpolation may read one frame past the end. right is empty for mono.
    std::vector<float> left, right;
    double sourceRate = 44100.0;
    int root = -1;              // pitch class 0 = C .. 11 = B, -1 when the name has no key

    // Frames including the appended zero.
    int frames() const noexcept { return (int) left.size(); }
    bool stereo() const noexcept { return ! right.empty(); }
};

// The root pitch class a sample name's key token gives ("K29_Stad_Kick_F" -> 5,
// "S03_Dub_Bbm7_Echo" -> 10), or -1. Tokens are read from the last one down to
// the second; the first, the category code, is never a key.
int rootPitchClassOf (const std::string& sampleName);

} // namespace grum
