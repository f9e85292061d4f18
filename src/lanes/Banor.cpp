#include "lanes/Banor.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace grum
{

const double Banor::kRateSteps[kNumRates] = {
    0.5,            // "1/32"
    1.0,            // "1/16"
    2.0,            // "1/8"
    4.0,            // "1/4"
    2.0 / 3.0,      // "1/16T"
    4.0 / 3.0,      // "1/8T"
    3.0,            // "3/16"
    5.0,            // "5/16"
    0.8,            // "5-del"
};

bool Banor::any (int target, int track) const noexcept
{
    for (const auto& l : lane)
        if (reaches (l, target, track))
            return true;
    return false;
}

float Banor::mod (int target, int track, int sample) const noexcept
{
    const int i = std::clamp (window + sample, 0, kChunk - 1);
    float sum = 0.0f;
    for (int b = 0; b < kNumBanor; ++b)
        if (reaches (lane[b], target, track))
            sum += env[b][i] * lane[b].depth;
    return sum;
}

void Banor::prepare (double rate) noexcept
{
    sampleRate = rate > 0.0 ? rate : 44100.0;
    for (auto& r : run)
        r = Running {};
    for (auto& e : env)
        std::fill (std::begin (e), std::end (e), 0.0f);
    expectedStart = 0.0;
    expectationValid = false;
    window = 0;
}

bool Banor::isHit (std::int64_t laneStep, int steps, int hits, int rotation, int extraRotation) noexcept
{
    if (steps <= 0 || hits <= 0)
        return false;
    const std::int64_t h = std::min (hits, steps);
    std::int64_t r = (laneStep - rotation - extraRotation) % steps;
    if (r < 0)
        r += steps;
    return (r * h) % steps < h;
}

void Banor::fade (int bana, int from, int to, float factor) noexcept
{
    auto& r = run[bana];
    float* out = env[bana];
    for (int i = from; i < to; ++i)
    {
        out[i] = r.level;
        r.level *= factor;
    }
}

void Banor::clock (const ChunkClock& chunk, bool playing) noexcept
{
    const int n = std::clamp (chunk.n, 0, kChunk);
    const double s = chunk.stepsPerSample;
    window = 0;

    if (! playing || ! (s > 0.0))
    {
        // The first stopped chunk ends every envelope at once: a lane must not
        // ring on into silence or into the next start.
        if (expectationValid)
        {
            for (auto& r : run)
            {
                r.level = 0.0f;
                r.extraRotation = 0;
                r.lastEvaluated = -1;
            }
            expectationValid = false;
        }
        for (int b = 0; b < kNumBanor; ++b)
        {
            run[b].hitCount = 0;
            fade (b, 0, n, 0.999f);
            if (run[b].level < 0.0001f)
                run[b].level = 0.0f;
        }
        return;
    }

    const double p = chunk.startStep() * 0.25;      // beats
    const double beatsPerSample = s * 0.25;

    // A jump of the song position (a loop, a seek): the rotations that
    // "Rotera nästa" piled up belong to the old position, and a lane step
    // already evaluated before the jump must sound again after it.
    if (expectationValid && std::abs (p - expectedStart) > 0.05)
        for (auto& r : run)
        {
            r.extraRotation = 0;
            r.lastEvaluated = -1;
        }
    expectedStart = p + n * beatsPerSample;
    expectationValid = true;

    for (int b = 0; b < kNumBanor; ++b)
    {
        const auto& l = lane[b];
        auto& r = run[b];
        r.hitCount = 0;
        const double decay = l.decay;
        r.coefficient = (float) std::exp (-6.9 / std::max (1.0, sampleRate * (0.015 + 1.2 * decay * decay)));

        if (l.target == Off)
        {
            fade (b, 0, n, 0.999f);
            if (r.level < 0.0001f)
                r.level = 0.0f;
            continue;
        }

        const double stepsPerLaneStep = kRateSteps[std::clamp (l.rate, 0, kNumRates - 1)];
        const double laneStepBeats = stepsPerLaneStep * 0.25;
        std::int64_t index = (std::int64_t) std::floor (p / laneStepBeats);
        r.step = index;

        // A boundary belongs to the chunk that holds its sample; starting one
        // boundary early catches one that rounds onto the chunk's first sample.
        int filled = 0;
        for (--index;; ++index)
        {
            const std::int64_t pos = chunk.firstSampleAtOrAfter ((double) index * stepsPerLaneStep) - chunk.start;
            if (pos < 0)
                continue;
            if (pos >= n)
                break;

            fade (b, filled, (int) pos, r.coefficient);
            filled = (int) pos;
            r.step = index;
            if (index == r.lastEvaluated)
                continue;
            r.lastEvaluated = index;
            if (! isHit (index, l.steps, l.hits, l.rotation, r.extraRotation))
                continue;

            if (r.hitCount < kMaxHits)
                r.hits[r.hitCount++] = (int) pos;
            r.level = 1.0f;
            if (l.target == RotateNext)
            {
                auto& next = run[(b + 1) % kNumBanor];
                next.extraRotation = (next.extraRotation + 1) % 64;
            }
        }
        fade (b, filled, n, r.coefficient);
    }
}

} // namespace grum
