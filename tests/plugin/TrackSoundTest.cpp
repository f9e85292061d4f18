// The kits and track sources as the processor applies them: every kit plays
// every track through processBlock, the AUTO kit follows the style on the
// processor's timer, and a missing sample falls back to the kit's.

#include <gtest/gtest.h>

#include "lanes/OfflineHost.h"
#include "samples/Kits.h"

#include <cmath>
#include <string>

namespace
{
constexpr double kRate = 48000.0;
constexpr std::int64_t kEightBars = 731429;    // 8 bars at 126 BPM and 48 kHz
} // namespace

// Each kit, 8 bars of a full-energy song: nothing non-finite, inside +-0.9,
// and every track sounding from its kit's samples.
class EveryKit : public ::testing::TestWithParam<int> {};

TEST_P (EveryKit, PlaysEveryTrackAudiblyAndBounded)
{
    const int kit = GetParam();
    grum::OfflineHost host (kRate, 512);       // one chunk per block: the track buffers hold the block
    host.collectMidi = false;
    ASSERT_EQ (host.set ("kit", (float) (kit + 1)), "");
    ASSERT_EQ (host.set ("energiAuto", 0.0f), "");
    ASSERT_EQ (host.set ("energi", 1.0f), "");
    auto& p = host.processor();
    p.followKit();
    ASSERT_EQ (p.kitInForceIndex(), kit);
    for (int t = 0; t < grum::kNumLanes; ++t)
    {
        EXPECT_EQ (p.soundRack().sourceOf (t), grum::Rack::Sampler) << "track " << t;
        EXPECT_EQ (p.laneSoundName (t).toStdString(), grum::laneSoundName (grum::kitSample (grum::kKits[kit], t)));
    }

    host.playHead().seek (4.0 * 32);
    float trackPeak[grum::kNumLanes] {};
    bool finite = true;
    for (std::int64_t done = 0; done < kEightBars; done += 512)
    {
        host.renderBlock (512);
        for (int t = 0; t < grum::kNumLanes; ++t)
            for (const float* side : { p.soundRack().trackLeft (t), p.soundRack().trackRight (t) })
                for (int i = 0; i < 512; ++i)
                    trackPeak[t] = std::max (trackPeak[t], std::abs (side[i]));
    }
    const int n = (int) host.position();
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < n; ++i)
            finite = finite && std::isfinite (host.audio.getSample (ch, i));

    int eventsOf[grum::kNumLanes] {};
    for (const auto& e : host.events)
        ++eventsOf[e.event.lane];

    SCOPED_TRACE (grum::kKits[kit].name);
    EXPECT_TRUE (finite);
    EXPECT_LE (host.audio.getMagnitude (0, n), 0.9f);
    for (int t = 0; t < grum::kNumLanes; ++t)
    {
        ASSERT_GT (eventsOf[t], 0) << "track " << t << " had nothing to play";
        EXPECT_GT (trackPeak[t], 0.01f) << "track " << t << " (" << grum::kitSample (grum::kKits[kit], t) << ") inaudible";
    }
}

INSTANTIATE_TEST_SUITE_P (Kits, EveryKit, ::testing::Range (0, grum::kNumKits));

//==============================================================================
namespace
{
// Runs the message loop, as a host's message thread does, until `done` holds
// or two seconds have passed. Returns whether it held.
template <typename Condition>
bool runMessageLoopUntil (Condition done)
{
    struct Poll final : juce::Timer
    {
        Condition condition;
        juce::uint32 deadline;
        bool held = false;
        Poll (Condition c) : condition (c), deadline (juce::Time::getMillisecondCounter() + 2000) { startTimer (10); }
        void timerCallback() override
        {
            held = condition();
            if (held || juce::Time::getMillisecondCounter() > deadline)
            {
                stopTimer();
                juce::MessageManager::getInstance()->stopDispatchLoop();
            }
        }
    } poll (done);
    juce::MessageManager::getInstance()->runDispatchLoop();   // each test runs in its own process
    return poll.held;
}
} // namespace

TEST (TrackSounds, AutoKitFollowsTheStyleOnTheTimer)
{
    GrumProcessor p;
    auto set = [&p] (const char* id, float plain) {
        auto* param = p.parameters().getParameter (id);
        param->setValueNotifyingHost (param->convertTo0to1 (plain));
    };
    set ("kit", 0.0f);     // AUTO
    set ("seed", 7.0f);
    set ("stil", 10.0f);   // INDUSTRI: five kits, slot 7 mod 5 = 2
    const int dorvanbunker = grum::kitIndexOf ("Dorvanbunker");
    ASSERT_EQ (dorvanbunker, 26);
    EXPECT_TRUE (runMessageLoopUntil ([&p, dorvanbunker] { return p.kitInForceIndex() == dorvanbunker; }));
    EXPECT_EQ (p.laneSoundName (grum::KICK), "Hard Clipped");     // Dorvanbunker's kick
}

TEST (TrackSounds, SourcesAndTheirFallbacks)
{
    GrumProcessor p;
    auto* kit = p.parameters().getParameter ("kit");
    kit->setValueNotifyingHost (kit->convertTo0to1 (1.0f));    // Smedjan
    p.refreshSounds();

    struct Case
    {
        int track;
        const char* source;
        int selector;
        const char* shown;
    };
    const Case cases[] = {
        { grum::KICK, "K01_909_Punch", grum::Rack::Sampler, "909 Punch" },
        { grum::KICK, "K99_Nowhere", grum::Rack::Sampler, "Stad Kick F" },      // missing: the kit's kick
        { grum::BAS, "synt", grum::Rack::Synth, "SYNT" },
        { grum::STAB, "grum:12:345", grum::Rack::Grum, "GRUM KNAS 45" },
        { grum::STAB, "grum:x:y", grum::Rack::Grum, nullptr },                 // recipe 0, variant 0
        { grum::HAT, "", grum::Rack::Sampler, "Smideshat" },
    };
    for (const auto& c : cases)
    {
        p.setLaneSource (c.track, c.source);
        EXPECT_EQ (p.laneSource (c.track), c.source);
        EXPECT_EQ (p.soundRack().sourceOf (c.track), c.selector) << c.source;
        const std::string shown = c.shown != nullptr ? c.shown : std::string ("GRUM ") + grum::acidRecipes[0].name + " 0";
        EXPECT_EQ (p.laneSoundName (c.track).toStdString(), shown) << c.source;
    }
    EXPECT_EQ (p.soundRack().grum (grum::STAB).recipe(), 0);
    EXPECT_EQ (p.soundRack().grum (grum::STAB).variant(), 0u);

    // The HAT plays the kit's open hat whatever its own sample; a source
    // naming a sample gives PERC no alternative.
    p.setLaneSource (grum::HAT, "H01_Closed");
    p.setLaneSource (grum::PERC, "P06_Wood");
    EXPECT_NE (p.sampleEngine (grum::HAT).alternativeSampleData(), nullptr);
    EXPECT_EQ (p.sampleEngine (grum::PERC).alternativeSampleData(), nullptr);

    // Out of range tracks change nothing and show nothing.
    p.setLaneSource (6, "synt");
    p.setLaneSource (-1, "synt");
    EXPECT_EQ (p.laneSoundName (6), "");
    EXPECT_EQ (p.laneSource (-1), "");

    // A shuffle lands on another sound of the same kind.
    for (int i = 0; i < 20; ++i)
    {
        const auto before = p.laneSoundName (grum::HAT);
        p.shuffleLaneSound (grum::HAT);
        const auto source = p.laneSource (grum::HAT);
        EXPECT_TRUE (source.startsWith ("H") && ! source.containsIgnoreCase ("Open") && ! source.containsIgnoreCase ("Ride")) << source;
        EXPECT_NE (p.laneSoundName (grum::HAT), before);
        EXPECT_EQ (p.soundRack().sourceOf (grum::HAT), grum::Rack::Sampler);
    }
}

TEST (TrackSounds, PublishedSongIdAndTransport)
{
    grum::OfflineHost host (kRate, 512);
    host.render (512 * 4);
    const auto shown = host.processor().display();
    EXPECT_EQ (shown.songId, 126 * 64);      // seed 126, style AUTO
    EXPECT_TRUE (shown.playing);
    EXPECT_EQ (shown.bpm, 126.0);
    EXPECT_EQ (shown.currentStep, (std::int64_t) std::floor (4.0 * 2048.0 / kRate * 126.0 / 60.0));
    EXPECT_GE (shown.arcSectionCount, 1);
    host.playHead().setPlaying (false);
    host.renderBlock (512);
    EXPECT_FALSE (host.processor().display().playing);
}
