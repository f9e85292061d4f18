#include <gtest/gtest.h>

#include "lanes/LaneStage.h"

#include <cstdint>
#include <vector>

namespace
{
using grum::Banor;

constexpr double kRate = 48000.0;
constexpr double kSamplesPerStep = 6000.0;     // 120 BPM
constexpr int kSpacing = 3000;                 // a thirty-second note at 120 BPM

struct Stage : ::testing::Test
{
    grum::LaneStage stage;
    grum::BarState bar;
    grum::Event events[grum::kMaxEvents] {};
    std::uint8_t sources[grum::kMaxEvents] {};
    grum::ChunkClock clock;

    void SetUp() override
    {
        stage.prepare (kRate);
        clock.stepsPerSample = 1.0 / kSamplesPerStep;
    }

    void lane (int index, int target, int track, float depth, int steps = 16, int hits = 1)
    {
        auto& l = stage.banor.lane[index];
        l.target = target;
        l.track = track;
        l.steps = steps;
        l.hits = hits;
        l.rotation = 0;
        l.rate = 1;
        l.depth = depth;
        l.decay = 1.0f;
    }

    // Runs one chunk of n samples at `start` with the given scheduled events.
    int chunk (std::int64_t start, int n, std::vector<grum::Event> scheduled)
    {
        clock.start = start;
        clock.n = n;
        for (size_t i = 0; i < scheduled.size(); ++i)
            events[i] = scheduled[i];
        return stage.apply (clock, true, 120.0, bar, events, sources, (int) scheduled.size());
    }
};

grum::Event note (int offset, int lane, int n, float velocity = 0.8f, int length = 5000)
{
    grum::Event e;
    e.offset = offset;
    e.lane = lane;
    e.note = n;
    e.velocity = velocity;
    e.length = length;
    e.open = true;
    return e;
}
} // namespace

TEST_F (Stage, StutterBurstContinuesIntoTheNextChunks)
{
    // A hit on song step 16 (sample 96000) with depth -0.6: three repeats
    // (2 + round(1.2)), a thirty-second apart. The chunk ends 10 samples
    // after the hit, so two repeats follow in later chunks.
    lane (2, Banor::Stutter, grum::PERC, -0.6f);
    chunk (0, 512, { note (100, grum::PERC, 77) });          // PERC's last event
    clock.anchorStep = 0.0;

    std::vector<std::int64_t> at;
    std::vector<float> velocity;
    for (std::int64_t s = 96000 - 502; s < 96000 + 3 * kSpacing; s += 512)
    {
        const int count = chunk (s, 512, {});
        for (int i = 0; i < count; ++i)
        {
            EXPECT_EQ (sources[i], grum::Retrigger);
            EXPECT_EQ (events[i].note, 77);
            EXPECT_FALSE (events[i].open);
            EXPECT_EQ (events[i].length, kSpacing);
            at.push_back (s + events[i].offset);
            velocity.push_back (events[i].velocity);
        }
    }
    EXPECT_EQ (at, (std::vector<std::int64_t> { 96000, 96000 + kSpacing, 96000 + 2 * kSpacing }));
    ASSERT_EQ (velocity.size(), 3u);
    EXPECT_FLOAT_EQ (velocity[1], 0.8f * 0.85f);
    EXPECT_FLOAT_EQ (velocity[2], 0.8f * 0.7f);
    EXPECT_EQ (stage.queued(), 0);
}

TEST_F (Stage, StutterRepeatsTheLastEventBeforeTheHitWhateverTheChunk)
{
    // The hit is at sample 0 of this chunk; a PERC event later in the same
    // chunk has not sounded yet, so the burst repeats the one before.
    lane (2, Banor::Stutter, Banor::kAllTracks, 0.25f);        // 2 repeats, every track
    clock.anchorStep = -1.0;
    chunk (0, 512, { note (10, grum::PERC, 70) });             // before the hit
    clock.anchorStep = 0.0;
    const int count = chunk (0, 512, { note (0, grum::KICK, 36), note (300, grum::PERC, 90) });

    std::vector<int> retriggered;
    for (int i = 0; i < count; ++i)
        if (sources[i] == grum::Retrigger)
            retriggered.push_back (events[i].note);
    // KICK at the hit's own sample counts; PERC repeats its earlier event.
    EXPECT_EQ (retriggered, (std::vector<int> { 36, 70 }));
    EXPECT_EQ (stage.lastEvent (grum::PERC).note, 90);
    // Order: by offset, scheduled before retriggers at the same offset.
    EXPECT_EQ (sources[0], grum::Scheduled);
    EXPECT_EQ (events[1].note, 36);
    EXPECT_EQ (sources[1], grum::Retrigger);
}

TEST_F (Stage, PitchMovesTonalNotesAndSetsDrumPitch)
{
    lane (0, Banor::Pitch, grum::BAS, 0.25f);        // +3 semitones at the hit
    lane (1, Banor::Pitch, grum::KICK, -0.5f);       // -6
    const int count = chunk (0, 512, { note (0, grum::KICK, 36), note (0, grum::BAS, 43), note (0, grum::HAT, 42),
                                       note (10, grum::KICK, 36) });
    ASSERT_EQ (count, 4);
    EXPECT_EQ (events[1].note, 46);                  // BAS shifted
    EXPECT_EQ (events[0].note, 36);                  // KICK notes stay ...
    EXPECT_FLOAT_EQ (stage.pitchOffset[grum::KICK], -6.0f);     // ... its engine is retuned once
    EXPECT_EQ (stage.pitchOffset[grum::HAT], 0.0f);

    // Halfway between semitones goes to the even one.
    lane (0, Banor::Pitch, grum::STAB, 2.5f / 12.0f);
    clock.anchorStep = 16.0;
    chunk (0, 512, { note (0, grum::STAB, 60) });
    EXPECT_EQ (events[0].note, 62);
}

TEST_F (Stage, MacrosAreTheBarsTimbrePlusTheLaneAtTheChunksMiddle)
{
    bar.timbre[grum::BAS][0] = 0.3f;
    bar.timbre[grum::BAS][2] = 0.9f;
    lane (3, Banor::M1, grum::BAS, 0.4f);
    lane (4, Banor::M3, Banor::kAllTracks, 0.4f);
    chunk (0, 512, {});
    const float env = stage.banor.envelope (3)[256];
    EXPECT_FLOAT_EQ (stage.macros[grum::BAS][0], 0.3f + 0.4f * env);
    EXPECT_FLOAT_EQ (stage.macros[grum::BAS][2], 1.0f);          // limited
    EXPECT_FLOAT_EQ (stage.macros[grum::KICK][2], 0.4f * env);
    EXPECT_EQ (stage.macros[grum::KICK][0], 0.0f);
}
