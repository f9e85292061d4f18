#include <gtest/gtest.h>

#include "lanes/Banor.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace
{
using grum::Banor;

constexpr double kRate = 48000.0;
constexpr double kSamplesPerStep = 6000.0;     // a sixteenth at 120 BPM and 48 kHz

grum::LaneValues laneOf (int target, int track, int steps, int hits, int rotation, int rate)
{
    grum::LaneValues l;
    l.target = target;
    l.track = track;
    l.steps = steps;
    l.hits = hits;
    l.rotation = rotation;
    l.rate = rate;
    l.depth = 0.5f;
    l.decay = 0.3f;
    return l;
}

// Plays lane 0 from the song start in chunks of `chunk` samples and returns
// the absolute sample of every hit.
std::vector<std::int64_t> hitsOf (Banor& b, std::int64_t samples, int chunk, double startStep = 0.0)
{
    std::vector<std::int64_t> hits;
    grum::ChunkClock c;
    c.anchorStep = startStep;
    c.stepsPerSample = 1.0 / kSamplesPerStep;
    for (std::int64_t at = 0; at < samples; at += chunk)
    {
        c.start = at;
        c.n = (int) std::min<std::int64_t> (chunk, samples - at);
        b.clock (c, true);
        for (int h = 0; h < b.hitCount (0); ++h)
            hits.push_back (at + b.hit (0, h));
    }
    return hits;
}

std::vector<std::int64_t> sixteenths (std::initializer_list<double> steps)
{
    std::vector<std::int64_t> out;
    for (double s : steps)
        out.push_back ((std::int64_t) std::llround (s * kSamplesPerStep));
    return out;
}
} // namespace

TEST (Banor, EuclideanHitsOnTheSongClock)
{
    struct Case { int steps, hits, rotation, rate; std::vector<std::int64_t> expected; };
    const Case cases[] = {
        { 8, 3, 0, 1, sixteenths ({ 0, 3, 6, 8, 11, 14 }) },
        { 8, 3, 2, 1, sixteenths ({ 0, 2, 5, 8, 10, 13 }) },          // two steps later, 8 wraps to 0
        { 8, 0, 0, 1, {} },                                            // no hits
        { 4, 9, 0, 1, sixteenths ({ 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15 }) },
        { 1, 1, 0, 8, sixteenths ({ 0, 0.8, 1.6, 2.4, 3.2, 4.0, 4.8, 5.6, 6.4, 7.2, 8.0, 8.8, 9.6, 10.4, 11.2, 12.0, 12.8, 13.6, 14.4, 15.2 }) },  // "5-del": five per beat
        { 3, 1, 0, 4, sixteenths ({ 0, 2, 4, 6, 8, 10, 12, 14 }) },    // "1/16T" every third of a beat, hits on every third lane step
    };
    for (const auto& c : cases)
    {
        Banor b;
        b.prepare (kRate);
        b.lane[0] = laneOf (Banor::Filter, grum::HAT, c.steps, c.hits, c.rotation, c.rate);
        EXPECT_EQ (hitsOf (b, (std::int64_t) (16 * kSamplesPerStep), 512), c.expected)
            << c.steps << "/" << c.hits << " rot " << c.rotation << " rate " << c.rate;
    }
}

TEST (Banor, HitsDoNotDependOnTheChunking)
{
    auto run = [] (int chunk) {
        Banor b;
        b.prepare (kRate);
        b.lane[0] = laneOf (Banor::Stutter, grum::PERC, 13, 5, 3, 4);    // triplets: boundaries between samples
        return hitsOf (b, 3 * 96000 + 17, chunk, 3.7);
    };
    const auto reference = run (512);
    ASSERT_FALSE (reference.empty());
    for (int chunk : { 1, 37, 64, 500 })
        EXPECT_EQ (run (chunk), reference) << chunk;
}

TEST (Banor, EnvelopeFallsSixtyDecibelsInItsDecayTime)
{
    for (float decay : { 0.0f, 0.5f, 1.0f })
    {
        Banor b;
        b.prepare (kRate);
        b.lane[0] = laneOf (Banor::Filter, grum::HAT, 16, 1, 0, 1);
        b.lane[0].decay = decay;
        const double seconds = 0.015 + 1.2 * decay * decay;
        const auto target = (std::int64_t) (seconds * kRate);

        grum::ChunkClock c;
        c.stepsPerSample = 1.0 / (16.0 * kRate);    // one lane step per 16 s: one hit at 0
        float at = -1.0f;
        for (std::int64_t s = 0; s <= target; s += 512)
        {
            c.start = s;
            c.n = 512;
            b.clock (c, true);
            if (target - s < 512)
                at = b.envelope (0)[target - s];
        }
        EXPECT_NEAR (20.0 * std::log10 (at), -60.0, 0.5) << decay;
        EXPECT_EQ (b.mod (Banor::Filter, grum::HAT, 0), b.envelope (0)[0] * 0.5f);
    }
}

TEST (Banor, AnyAndModAddUpEveryLaneThatReachesTheTrack)
{
    Banor b;
    b.prepare (kRate);
    b.lane[2] = laneOf (Banor::Crush, grum::CLICK, 4, 4, 0, 1);
    b.lane[5] = laneOf (Banor::Crush, Banor::kAllTracks, 4, 4, 0, 1);
    b.lane[2].depth = 0.5f;
    b.lane[5].depth = -0.25f;
    b.lane[6] = laneOf (Banor::Filter, grum::CLICK, 4, 4, 0, 1);
    grum::ChunkClock c;
    c.n = 512;
    c.stepsPerSample = 1.0 / kSamplesPerStep;
    b.clock (c, true);       // every lane hits at sample 0

    EXPECT_TRUE (b.any (Banor::Crush, grum::CLICK));
    EXPECT_TRUE (b.any (Banor::Crush, grum::KICK));         // through ALLA
    EXPECT_FALSE (b.any (Banor::Chop, grum::CLICK));
    EXPECT_FALSE (b.any (Banor::Off, grum::KICK));          // "Av" lanes never count
    EXPECT_FLOAT_EQ (b.mod (Banor::Crush, grum::CLICK, 0), 0.25f);
    EXPECT_FLOAT_EQ (b.mod (Banor::Crush, grum::KICK, 0), -0.25f);
    EXPECT_EQ (b.mod (Banor::Chop, grum::CLICK, 0), 0.0f);
    EXPECT_EQ (b.mod (Banor::Off, grum::KICK, 0), 0.0f);
    EXPECT_EQ (b.mod (Banor::Crush, grum::CLICK, 100000), b.mod (Banor::Crush, grum::CLICK, 511));
}

TEST (Banor, RotateNextAndTheJumpBack)
{
    Banor b;
    b.prepare (kRate);
    b.lane[0] = laneOf (Banor::RotateNext, grum::BAS, 1, 1, 0, 1);  // hits on every step
    b.lane[1] = laneOf (Banor::Filter, grum::HAT, 4, 4, 0, 1);      // and so does this one

    grum::ChunkClock c;
    c.stepsPerSample = 1.0 / kSamplesPerStep;
    c.n = 500;
    for (c.start = 0; c.start < 392000; c.start += c.n)     // steps 0 ... 65
        b.clock (c, true);
    EXPECT_EQ (b.extraRotation (1), 66 % 64);               // wraps at 64
    EXPECT_EQ (b.laneStep (1), 65);

    // A host loop jumps back to the start of step 64: the rotation is
    // forgotten, and lane step 64 plays again although it was evaluated
    // before the jump.
    c.anchorStep = 64.0;
    c.start = 0;
    b.clock (c, true);
    EXPECT_EQ (b.extraRotation (1), 1);                     // only this chunk's hit
    ASSERT_EQ (b.hitCount (1), 1);
    EXPECT_EQ (b.hit (1, 0), 0);
    EXPECT_EQ (b.laneStep (1), 64);
}

TEST (Banor, StoppingEndsEveryEnvelope)
{
    Banor b;
    b.prepare (kRate);
    b.lane[0] = laneOf (Banor::EchoThrow, grum::STAB, 1, 1, 0, 1);
    grum::ChunkClock c;
    c.n = 512;
    c.stepsPerSample = 1.0 / kSamplesPerStep;
    b.clock (c, true);
    EXPECT_GT (b.level (0), 0.5f);
    b.clock (c, false);
    EXPECT_EQ (b.level (0), 0.0f);
    EXPECT_EQ (b.hitCount (0), 0);
    EXPECT_EQ (b.envelope (0)[0], 0.0f);

    // A lane switched to "Av" fades by 0.999 per sample instead of stopping.
    b.clock (c, true);
    b.lane[0].target = Banor::Off;
    const float level = b.level (0);
    c.start = 512;
    b.clock (c, true);
    EXPECT_FLOAT_EQ (b.envelope (0)[1], level * 0.999f);
}
