// The plug-in as a listener hears it: the whole mix through processBlock,
// driven by the offline host. Bounds, DC and silence over every style; the
// same audio for every host block size; the master volume, a mono output; no
// allocation while the sounds change between blocks.

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "lanes/OfflineHost.h"

#include <cmath>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr double kRate = 48000.0;

std::int64_t samplesFor (double bars, double bpm = 126.0)
{
    return (std::int64_t) std::ceil (bars * 240.0 / bpm * kRate - 1.0e-6);
}

// Lanes on every kind of target the rack applies: the defaults already drive
// the echo throw, the filter, a stutter and M1; these add pitch, crush and chop.
void allLaneTargets (grum::OfflineHost& host)
{
    for (auto [id, v] : { std::pair { "b5mal", 2.0f }, { "b5spar", 3.0f }, { "b5slag", 5.0f },     // Ton on PERC
                          { "b6mal", 4.0f }, { "b6spar", 6.0f }, { "b6djup", 0.7f },               // Kross on ALLA
                          { "b7mal", 5.0f }, { "b7spar", 2.0f }, { "b7djup", -0.8f } })            // Hacka on CLICK
        ASSERT_EQ (host.set (id, v), "");
}

// One of each kind of source beside the kit's samples.
void mixedSources (GrumProcessor& p)
{
    p.setLaneSource (grum::HAT, "synt");
    p.setLaneSource (grum::PERC, "grum:3:17");
    p.setLaneSource (grum::BAS, "B06_FM_Bass_F");
}

struct MixReport
{
    bool finite = true;
    float peak = 0.0f;
    double mean[2] {};
    int longestQuietRun = 0;        // bars in a row below -60 dBFS, from the bar of the first kick on
    std::int64_t firstKick = -1;
};

MixReport measure (const grum::OfflineHost& host, double bpm = 126.0)
{
    MixReport r;
    const int n = (int) host.position();
    for (const auto& e : host.events)
        if (e.event.lane == grum::KICK)
        {
            r.firstKick = e.sample;
            break;
        }

    const double barLength = 240.0 / bpm * kRate;
    int run = 0;
    float barPeak = 0.0f;
    std::int64_t bar = 0;
    for (int i = 0; i < n; ++i)
    {
        for (int ch = 0; ch < 2; ++ch)
        {
            const float x = host.audio.getSample (ch, i);
            if (! std::isfinite (x))
            {
                r.finite = false;
                continue;
            }
            r.peak = std::max (r.peak, std::abs (x));
            r.mean[ch] += x;
            barPeak = std::max (barPeak, std::abs (x));
        }
        const auto thisBar = (std::int64_t) ((double) (i + 1) / barLength);
        if (thisBar != bar || i == n - 1)
        {
            const bool counted = r.firstKick >= 0 && (double) (bar + 1) * barLength > (double) r.firstKick;
            if (counted)
            {
                run = barPeak < 0.001f ? run + 1 : 0;
                r.longestQuietRun = std::max (r.longestQuietRun, run);
            }
            barPeak = 0.0f;
            bar = thisBar;
        }
    }
    for (double& m : r.mean)
        m /= std::max (1, n);
    return r;
}
} // namespace

//==============================================================================
// Every style, two seeds each: the mix stays finite, inside +-0.9, free of DC,
// and never falls silent for eight bars once the kick has come in.
class WholeMix : public ::testing::TestWithParam<int> {};

TEST_P (WholeMix, BoundedWithoutDcOrLongSilence)
{
    const int style = GetParam();
    for (int seed : { 3 + 37 * style, 1000 + 211 * style })
    {
        grum::OfflineHost host (kRate, 512);
        host.collectMidi = false;
        ASSERT_EQ (host.set ("stil", (float) style), "");
        ASSERT_EQ (host.set ("seed", (float) seed), "");
        host.processor().followKit();
        host.render (samplesFor (24));

        const auto r = measure (host);
        SCOPED_TRACE ("style " + std::to_string (style) + " seed " + std::to_string (seed));
        EXPECT_TRUE (r.finite);
        EXPECT_LE (r.peak, 0.9f);
        EXPECT_GT (r.peak, 0.1f);
        EXPECT_LT (std::abs (r.mean[0]), 0.005);
        EXPECT_LT (std::abs (r.mean[1]), 0.005);
        ASSERT_GE (r.firstKick, 0) << "no kick in 24 bars";
        EXPECT_LT (r.longestQuietRun, 8);
    }
}

INSTANTIATE_TEST_SUITE_P (EveryStyle, WholeMix, ::testing::Range (1, 17));

//==============================================================================
namespace
{
enum class Lanes { None, Default, Every };

struct BlockCase
{
    double rate;
    int sources;            // 0 the kit's samples, 1 mixed sources, 2 every track on its classic synthesiser
    Lanes lanes;
    double startBeat;       // where the play head starts
    double bars;            // how long it plays
};

std::vector<float> renderAudio (const BlockCase& c, int block, std::int64_t samples)
{
    grum::OfflineHost host (c.rate, block);
    host.collectEvents = host.collectMidi = false;
    for (int b = 1; c.lanes == Lanes::None && b <= 8; ++b)
        EXPECT_EQ (host.set ("b" + juce::String (b) + "mal", 0.0f), "");
    if (c.lanes == Lanes::Every)
        allLaneTargets (host);
    auto& p = host.processor();
    if (c.sources == 1)
        mixedSources (p);
    for (int t = 0; c.sources == 2 && t < grum::kNumLanes; ++t)
        p.setLaneSource (t, "synt");
    host.playHead().seek (c.startBeat);
    host.render (samples);
    std::vector<float> out;
    for (int ch = 0; ch < 2; ++ch)
        out.insert (out.end(), host.audio.getReadPointer (ch), host.audio.getReadPointer (ch) + samples);
    return out;
}
} // namespace

// Engines come to rest at the same sample whatever the host's block, and every
// per-chunk control (the lanes' clock and macros, the bar's timbre, the
// inserts' filter updates) is taken on a grid counted in song samples, so the
// mix is the same sample for sample in blocks of 1, 37, 64, 512 or 1200
// samples: within a bar and across bar lines, with the lanes off, the default
// lanes and a lane on every target, at three sample rates.
TEST (Sound, SameAudioForEveryHostBlockSize)
{
    const BlockCase cases[] = {
        { 48000.0, 0, Lanes::None, 64.0, 0.99 },
        { 48000.0, 1, Lanes::None, 64.0, 0.99 },
        { 48000.0, 2, Lanes::None, 64.0, 0.99 },
        { 48000.0, 0, Lanes::Default, 62.7, 3.2 },
        { 44100.0, 1, Lanes::Default, 64.0, 3.1 },
        { 96000.0, 0, Lanes::Default, 61.3, 2.6 },
        { 48000.0, 1, Lanes::Every, 63.1, 3.0 },
        { 44100.0, 2, Lanes::Every, 64.0, 2.3 },
    };
    for (const auto& c : cases)
    {
        const auto samples = (std::int64_t) std::ceil (c.bars * 240.0 / 126.0 * c.rate);
        const auto reference = renderAudio (c, 512, samples);
        float peak = 0.0f;
        for (float x : reference)
            peak = std::max (peak, std::abs (x));
        ASSERT_GT (peak, 0.1f);

        for (int block : { 1, 37, 64, 1200 })
        {
            const auto audio = renderAudio (c, block, samples);
            ASSERT_EQ (audio.size(), reference.size());
            size_t first = audio.size();
            for (size_t i = 0; i < audio.size() && first == audio.size(); ++i)
                if (audio[i] != reference[i])
                    first = i;
            EXPECT_EQ (first, audio.size()) << "block " << block << ", rate " << c.rate << ", sources " << c.sources
                                            << ", lanes " << (int) c.lanes << ": first difference at sample "
                                            << first % (size_t) samples;
        }
    }
}

TEST (Sound, VolumeZeroIsExactlySilentAndMonoGetsTheLeft)
{
    grum::OfflineHost quiet (kRate, 512);
    ASSERT_EQ (quiet.set ("volym", 0.0f), "");
    quiet.playHead().seek (4.0 * 16);
    quiet.render (samplesFor (2));
    EXPECT_EQ (quiet.audio.getMagnitude (0, (int) quiet.position()), 0.0f);
    EXPECT_GT (quiet.events.size(), 20u);        // it played: the silence is the volume's

    // The same song into a stereo and into a mono buffer.
    grum::SimulatedPlayHead heads[2] { grum::SimulatedPlayHead (kRate), grum::SimulatedPlayHead (kRate) };
    std::unique_ptr<GrumProcessor> processors[2] { std::make_unique<GrumProcessor>(), std::make_unique<GrumProcessor>() };
    juce::AudioBuffer<float> buffers[2] { juce::AudioBuffer<float> (2, 512), juce::AudioBuffer<float> (1, 512) };
    for (int k = 0; k < 2; ++k)
    {
        heads[k].seek (4.0 * 16);
        processors[k]->setPlayHead (&heads[k]);
        processors[k]->prepareToPlay (kRate, 512);
    }
    juce::MidiBuffer midi;
    float peak = 0.0f;
    int differences = 0;
    for (int b = 0; b < 200; ++b)
    {
        for (int k = 0; k < 2; ++k)
        {
            midi.clear();
            processors[k]->processBlock (buffers[k], midi);
            heads[k].advance (512);
        }
        for (int i = 0; i < 512; ++i)
            differences += buffers[0].getSample (0, i) != buffers[1].getSample (0, i) ? 1 : 0;
        peak = std::max (peak, buffers[1].getMagnitude (0, 0, 512));
    }
    EXPECT_GT (peak, 0.1f);
    EXPECT_EQ (differences, 0);
    for (auto& p : processors)
        p->setPlayHead (nullptr);
}

TEST (Sound, NoAllocationWhileSoundsChangeBetweenBlocks)
{
    grum::OfflineHost host (kRate, 480);
    host.collectAudio = host.collectEvents = host.collectMidi = false;
    allLaneTargets (host);
    auto& p = host.processor();
    // Every sound the changes below reach, decoded before the count: the
    // library decodes on the message thread, never in a block.
    mixedSources (p);
    host.render (samplesFor (4));

    std::size_t allocations = 0;
    int blocks = 0;
    auto counted = [&] (int count) {
        for (int i = 0; i < count; ++i, ++blocks)
        {
            grum::test::AllocationScope scope;
            host.renderBlock (480);
            allocations += scope.count();
        }
    };
    counted (200);
    const char* const changes[][2] = {
        { "0", "K01_909_Punch" }, { "5", "grum:7:123" }, { "1", "" }, { "4", "synt" },
        { "3", "" }, { "5", "S02_Dub_Fm7_Echo" }, { "0", "" }, { "4", "" },
    };
    for (const auto& c : changes)
    {
        p.setLaneSource (std::atoi (c[0]), c[1]);        // message thread, between blocks
        counted (40);
    }
    ASSERT_EQ (host.set ("kit", 36.0f), "");            // another kit
    p.followKit();
    counted (100);
    p.shuffleLaneSound (grum::STAB);
    p.refreshSounds();
    counted (100);
    EXPECT_EQ (allocations, 0u) << "over " << blocks << " blocks";
}
