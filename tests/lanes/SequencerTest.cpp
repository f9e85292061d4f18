#include <gtest/gtest.h>

#include "lanes/Sequencer.h"

#include <cmath>
#include <cstdint>
#include <memory>
#include <tuple>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

struct Played
{
    std::int64_t at;        // sample, counted from the first chunk
    int lane, note, length;
    float velocity;
    bool open;
    bool operator== (const Played& o) const
    {
        return std::tie (at, lane, note, length, velocity, open) == std::tie (o.at, o.lane, o.note, o.length, o.velocity, o.open);
    }
};

// Plays `samples` from step position x0 in host blocks of `block` samples
// (chunks of at most 512), the host reporting each block's start with an
// optional error, and lists every event.
std::vector<Played> play (double bpm, double x0, std::int64_t samples, int block, double hostError = 0.0)
{
    auto seq = std::make_unique<grum::Sequencer>();
    seq->prepare();
    grum::Settings s;
    grum::Event events[grum::kMaxEvents];
    const double stepsPerSample = (bpm / 60.0) * 4.0 / kRate;
    std::vector<Played> out;
    int blockIndex = 0;
    for (std::int64_t at = 0; at < samples; at += block, ++blockIndex)
    {
        const int size = (int) std::min<std::int64_t> (block, samples - at);
        const double hostStart = x0 + (double) at * stepsPerSample + ((blockIndex & 1) != 0 ? hostError : 0.0);
        for (int offset = 0; offset < size; offset += 512)
        {
            const int n = std::min (512, size - offset);
            const auto chunk = seq->place (hostStart + offset * stepsPerSample, n, stepsPerSample);
            const int count = seq->schedule (chunk, s, 43, 0.15f, events);
            for (int i = 0; i < count; ++i)
            {
                const auto& e = events[i];
                EXPECT_GE (e.offset, 0);
                EXPECT_LT (e.offset, n);
                if (i > 0)
                {
                    EXPECT_LE (events[i - 1].offset, e.offset);
                }
                out.push_back ({ at + offset + e.offset, e.lane, e.note, e.length, e.velocity, e.open });
            }
        }
    }
    return out;
}
} // namespace

TEST (Sequencer, EventsDoNotDependOnTheHostBlockSize)
{
    const std::int64_t sixteenBars = (std::int64_t) (16 * 16 * kRate * 15.0 / 126.0);
    const auto reference = play (126.0, 0.0, sixteenBars, 512);
    ASSERT_GT (reference.size(), 100u);     // the intro is sparse; later bars fill in
    for (int block : { 1, 37, 64, 1200 })
        EXPECT_EQ (play (126.0, 0.0, sixteenBars, block), reference) << block;
}

// Chunks placed on the grid never cross a multiple of 512 samples from the
// anchor, and every sample gets the same segment and bar whatever the host's
// block: the segment's controls cannot depend on how the host cuts it.
TEST (Sequencer, GridSegmentsDoNotDependOnTheHostBlockSize)
{
    const double stepsPerSample = (126.0 / 60.0) * 4.0 / kRate;
    const std::int64_t samples = (std::int64_t) (3 * 16 / stepsPerSample);     // three bars from bar 5
    auto segments = [&] (int block) {
        auto seq = std::make_unique<grum::Sequencer>();
        seq->prepare();
        std::vector<std::tuple<std::int64_t, int, std::int64_t>> perSample;
        for (std::int64_t at = 0; at < samples;)
        {
            const int size = (int) std::min<std::int64_t> (block, samples - at);
            for (int offset = 0; offset < size;)
            {
                const auto c = seq->placeOnGrid (80.0 + (double) (at + offset) * stepsPerSample, std::min (512, size - offset), stepsPerSample);
                EXPECT_EQ (c.start, at + offset);
                EXPECT_LE (c.segmentStart, c.start);
                EXPECT_LE (c.start + c.n, c.segmentStart + c.segmentLength);
                EXPECT_EQ (c.segmentStart % 512, 0);
                for (int i = 0; i < c.n; ++i)
                    perSample.emplace_back (c.segmentStart, c.segmentLength, c.segmentBar);
                offset += c.n;
            }
            at += size;
        }
        return perSample;
    };
    const auto reference = segments (512);
    EXPECT_EQ (std::get<2> (reference.front()), 5);
    EXPECT_EQ (std::get<2> (reference.back()), 8);     // the last cell reaches over bar 8's line
    for (int block : { 1, 37, 64, 1200 })
        EXPECT_EQ (segments (block), reference) << block;
}

TEST (Sequencer, AHostThatDriftsByLessThanAThousandthOfAStepLosesNothing)
{
    // The host's position of every second block is off by up to 0.001 steps:
    // every step sounds exactly once.
    const std::int64_t fourBars = (std::int64_t) (4 * 16 * kRate * 15.0 / 120.0);
    const auto reference = play (120.0, 0.0, fourBars, 256);
    for (double error : { 0.0009, -0.0009 })
        EXPECT_EQ (play (120.0, 0.0, fourBars, 256, error), reference) << error;
}

TEST (Sequencer, EventValuesFollowTheTrackTable)
{
    const double stepsPerSample = (126.0 / 60.0) * 4.0 / kRate;
    const auto played = play (126.0, 0.0, (std::int64_t) (32 * 16 / stepsPerSample), 512);
    int perLane[6] {};
    for (const auto& e : played)
    {
        ++perLane[e.lane];
        EXPECT_GE (e.velocity, 0.05f);
        EXPECT_LE (e.velocity, 1.0f);
        double gate = 1.0;
        switch (e.lane)
        {
            case grum::KICK:  EXPECT_EQ (e.note, 36); break;
            case grum::HAT:   EXPECT_EQ (e.note, e.open ? 46 : 42); gate = e.open ? 1.0 : 0.3; break;
            case grum::CLICK: EXPECT_EQ (e.note, 37); gate = 0.25; break;
            case grum::PERC:  EXPECT_GE (e.note, 40); EXPECT_LE (e.note, 110); gate = 0.25; break;
            case grum::BAS:   EXPECT_GE (e.note, 24); EXPECT_LE (e.note, 72); gate = 0.8; break;
            default:          EXPECT_GE (e.note, 36); EXPECT_LE (e.note, 84); break;
        }
        EXPECT_EQ (e.length, (int) (gate / stepsPerSample)) << e.lane;
    }
    for (int t = 0; t < 6; ++t)
        EXPECT_GT (perLane[t], 0) << grum::laneName (t);
}

TEST (Sequencer, ACountInSchedulesNothingAndStepZeroComesFirst)
{
    // Two beats of count-in before the song's start.
    const double stepsPerSample = (120.0 / 60.0) * 4.0 / kRate;
    const auto played = play (120.0, -8.0, (std::int64_t) (9.0 / stepsPerSample), 100);
    ASSERT_FALSE (played.empty());
    EXPECT_EQ (played.front().at, (std::int64_t) std::llround (8.0 / stepsPerSample));
    EXPECT_EQ (played.front().lane, grum::KICK);
}

TEST (Sequencer, TheCacheAsksTheConductorOncePerBar)
{
    auto seq = std::make_unique<grum::Sequencer>();
    seq->prepare();
    grum::Settings s;
    grum::Event events[grum::kMaxEvents];
    const double stepsPerSample = (126.0 / 60.0) * 4.0 / kRate;
    const auto before = seq->conductor.barsComputed();
    std::int64_t at = 0;
    for (; at * stepsPerSample < 4 * 16; at += 64)
        seq->schedule (seq->place (at * stepsPerSample, 64, stepsPerSample), s, 43, 0.0f, events);
    EXPECT_EQ (seq->conductor.barsComputed() - before, 5);    // bars 0 ... 4
    EXPECT_EQ (seq->currentBar().bar, 4);

    // Back to bar 0: slot 0 holds bar 4 now, so the conductor replays.
    seq->schedule (seq->place (0.0, 64, stepsPerSample), s, 43, 0.0f, events);
    EXPECT_EQ (seq->cacheKey (0), 0);
    EXPECT_EQ (seq->currentBar().bar, 0);
}
