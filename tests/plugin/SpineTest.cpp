// The block loop end to end through processBlock, driven by the offline host
// as a DAW drives it: determinism across host block sizes and sample rates,
// seeks, real-time safety and the live MIDI output's note pairs.

#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "lanes/OfflineHost.h"

#include <cmath>
#include <map>
#include <tuple>
#include <utility>
#include <vector>

namespace
{
// Two extra lanes so that pitch and a stutter on every track take part.
void moreLanes (grum::OfflineHost& host)
{
    for (auto [id, v] : { std::pair { "b5mal", 2.0f }, { "b5spar", 3.0f }, { "b5slag", 5.0f },     // Ton on PERC
                          { "b6mal", 6.0f }, { "b6spar", 6.0f }, { "b6djup", -0.6f } })          // Stutter on ALLA
        EXPECT_EQ (host.set (id, v), "");
}

struct Render
{
    std::vector<grum::PlayedEvent> events;
    std::vector<grum::PlayedMidi> midi;
};

Render render (double rate, int block, int startBar, int bars, double bpm = 126.0, bool lanes = true)
{
    grum::OfflineHost host (rate, block);
    if (lanes)
        moreLanes (host);
    host.collectAudio = false;
    host.playHead().setTempo (bpm);
    host.playHead().seek (startBar * 4.0);
    host.render ((std::int64_t) std::ceil (bars * 240.0 / bpm * rate - 1.0e-6));
    host.finish();
    return { host.events, host.midi };
}

bool same (const grum::PlayedEvent& a, const grum::PlayedEvent& b)
{
    const auto& x = a.event;
    const auto& y = b.event;
    return a.sample == b.sample && a.source == b.source
        && std::tie (x.offset, x.lane, x.note, x.velocity, x.open, x.length) == std::tie (y.offset, y.lane, y.note, y.velocity, y.open, y.length);
}

// The first difference between two event lists, or "" when they are equal.
// Offsets within a chunk differ with the chunking; the absolute sample counts.
std::string firstDifference (const std::vector<grum::PlayedEvent>& a, const std::vector<grum::PlayedEvent>& b)
{
    for (size_t i = 0; i < std::min (a.size(), b.size()); ++i)
    {
        auto x = a[i], y = b[i];
        x.event.offset = y.event.offset = 0;
        if (! same (x, y))
            return "event " + std::to_string (i) + " at sample " + std::to_string (a[i].sample) + " vs " + std::to_string (b[i].sample);
    }
    return a.size() == b.size() ? "" : "counts " + std::to_string (a.size()) + " vs " + std::to_string (b.size());
}

bool sameMidi (const std::vector<grum::PlayedMidi>& a, const std::vector<grum::PlayedMidi>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i].sample != b[i].sample || std::memcmp (a[i].bytes, b[i].bytes, 3) != 0)
            return false;
    return true;
}

// Every note-on is ended (same channel and note) before that note starts
// again, and nothing is left sounding. Returns the number of note-ons.
int checkNotePairs (const std::vector<grum::PlayedMidi>& midi)
{
    std::map<std::pair<int, int>, std::int64_t> held;     // (channel, note) -> since
    int ons = 0;
    for (const auto& m : midi)
    {
        const int kind = m.bytes[0] & 0xF0;
        const auto key = std::make_pair (m.bytes[0] & 0x0F, (int) m.bytes[1]);
        if (kind == 0x90 && m.bytes[2] > 0)
        {
            ++ons;
            EXPECT_EQ (held.count (key), 0u) << "note " << key.second << " struck while held, at " << m.sample;
            held[key] = m.sample;
        }
        else if (kind == 0x80 || kind == 0x90)
        {
            EXPECT_EQ (held.count (key), 1u) << "note-off without note-on at " << m.sample;
            held.erase (key);
        }
    }
    for (const auto& [key, since] : held)
        ADD_FAILURE() << "note " << key.second << " on channel " << key.first + 1 << " hangs from sample " << since;
    return ons;
}
} // namespace

TEST (Spine, SameEventsAndMidiForEveryHostBlockSizeAndRate)
{
    for (double rate : { 44100.0, 48000.0, 96000.0 })
    {
        const auto reference = render (rate, 512, 28, 6);
        ASSERT_GT (reference.events.size(), 200u);
        int retriggers = 0;
        for (const auto& e : reference.events)
            retriggers += e.source;
        EXPECT_GT (retriggers, 20) << rate;
        EXPECT_GT (checkNotePairs (reference.midi), 200) << rate;

        for (int block : { 1, 37, 64, 1200 })
        {
            const auto r = render (rate, block, 28, 6);
            EXPECT_EQ (firstDifference (r.events, reference.events), "") << rate << " Hz, block " << block;
            EXPECT_TRUE (sameMidi (r.midi, reference.midi)) << rate << " Hz, block " << block;
        }
    }
}

TEST (Spine, EveryNoteOnFollowsItsEvent)
{
    // The live output is the events, one note each (STAB its four-note
    // chord), on their own sample.
    const auto r = render (48000.0, 300, 20, 8);
    std::vector<std::pair<std::int64_t, int>> fromEvents, fromMidi;
    for (const auto& p : r.events)
    {
        const int notes = p.event.lane == grum::STAB ? 4 : 1;
        for (int i = 0; i < notes; ++i)
            fromEvents.emplace_back (p.sample, p.event.lane + 1);
    }
    for (const auto& m : r.midi)
        if ((m.bytes[0] & 0xF0) == 0x90)
            fromMidi.emplace_back (m.sample, (m.bytes[0] & 0x0F) + 1);
    EXPECT_EQ (fromMidi, fromEvents);
    checkNotePairs (r.midi);
}

TEST (Spine, ASeekPlaysEachBarAsTheStraightRenderDoes)
{
    // Rates and tempi at which a bar is a whole number of samples, so the
    // same bar starts on the same sample of both renders.
    struct Case { double rate, bpm; int samplesPerBar; };
    for (const Case c : { Case { 48000.0, 120.0, 96000 }, Case { 44100.0, 126.0, 84000 } })
    {
        const auto straight = render (c.rate, 512, 0, 40, c.bpm, false);
        for (int bar : { 1, 9, 23, 31 })
        {
            const auto seek = render (c.rate, 333, bar, 40 - bar, c.bpm, false);
            std::vector<grum::PlayedEvent> expected, got;
            for (auto e : straight.events)
                if (e.source == 0 && e.sample >= (std::int64_t) bar * c.samplesPerBar)
                {
                    e.sample -= (std::int64_t) bar * c.samplesPerBar;
                    expected.push_back (e);
                }
            for (const auto& e : seek.events)
                if (e.source == 0)
                    got.push_back (e);
            ASSERT_GT (expected.size(), 50u);
            EXPECT_EQ (firstDifference (got, expected), "") << c.rate << " Hz, from bar " << bar;
            checkNotePairs (seek.midi);
        }
    }
}

TEST (Spine, ChunksOfAtMost512AndTheStopEdge)
{
    struct Chunks final : grum::ChunkObserver
    {
        std::vector<std::pair<int, int>> seen;
        void chunkEvents (int offset, int n, const grum::Event*, const std::uint8_t*, int) noexcept override { seen.emplace_back (offset, n); }
    } chunks;
    grum::OfflineHost host (48000.0, 1200);
    host.processor().setChunkObserver (&chunks);
    host.renderBlock (1200);
    EXPECT_EQ (chunks.seen, (std::vector<std::pair<int, int>> { { 0, 512 }, { 512, 512 }, { 1024, 176 } }));

    // Stopping ends every held note at the block's first sample; stopping
    // again with nothing held sends nothing.
    host.processor().setChunkObserver (nullptr);
    host.render (48000);
    ASSERT_GT (host.processor().heldMidiNotes(), 0);
    host.midi.clear();
    const auto stopAt = host.position();
    host.playHead().setPlaying (false);
    host.renderBlock (1200);
    ASSERT_FALSE (host.midi.empty());
    for (const auto& m : host.midi)
    {
        EXPECT_EQ (m.sample, stopAt);
        EXPECT_EQ (m.bytes[0] & 0xF0, 0x80);
    }
    EXPECT_EQ (host.processor().heldMidiNotes(), 0);
    host.midi.clear();
    host.renderBlock (1200);
    EXPECT_TRUE (host.midi.empty());
}

TEST (Spine, NothingHangsWhenMidiIsSwitchedRechannelledOrReprepared)
{
    grum::OfflineHost host (44100.0, 256);
    auto play = [&host] (double seconds) { host.render ((std::int64_t) (seconds * 44100.0)); };
    play (8.0);
    EXPECT_EQ (host.set ("kanaler", 0.0f), "");       // GM: the drums move to channel 10
    play (3.0);
    EXPECT_EQ (host.set ("midiUt", 0.0f), "");
    play (2.0);
    EXPECT_EQ (host.processor().heldMidiNotes(), 0);
    const auto quiet = host.midi.size();
    play (2.0);
    EXPECT_EQ (host.midi.size(), quiet);               // MIDI out off sends nothing
    EXPECT_EQ (host.set ("midiUt", 1.0f), "");
    play (3.0);
    for (int i = 0; i < 1000 && host.processor().heldMidiNotes() == 0; ++i)
        host.renderBlock (256);
    ASSERT_GT (host.processor().heldMidiNotes(), 0);
    host.processor().prepareToPlay (44100.0, 256);     // the host re-prepares mid-song
    play (2.0);
    host.finish();
    checkNotePairs (host.midi);

    bool drumsOn10 = false;
    for (const auto& m : host.midi)
        drumsOn10 = drumsOn10 || (m.bytes[0] == 0x99 && m.bytes[1] == 36);
    EXPECT_TRUE (drumsOn10);
}

TEST (Spine, ProcessBlockNeverAllocates)
{
    grum::OfflineHost host (48000.0, 480);
    host.collectAudio = host.collectEvents = host.collectMidi = false;
    moreLanes (host);
    host.render (48000);       // the first bars, outside the count

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
    counted (400);                                             // play
    host.playHead().setPlaying (false);
    counted (20);                                              // stop
    host.playHead().setPlaying (true);
    host.playHead().seek (4.0 * 300);                          // seek far: the conductor replays
    counted (100);
    host.playHead().setTempo (171.3);                          // tempo change
    counted (100);
    host.processor().requestPin();                             // pin, unpin, clear
    counted (50);
    host.processor().requestUnpin();
    host.processor().requestClearPins();
    counted (50);
    for (auto [id, v] : { std::pair { "b1mal", 11.0f }, { "b2takt", 8.0f }, { "b7mal", 6.0f }, { "seed", 77.0f }, { "kanaler", 0.0f }, { "midiUt", 0.0f } })
    {
        EXPECT_EQ (host.set (id, v), "");                      // lane and song changes
        counted (40);
    }
    EXPECT_EQ (allocations, 0u) << "over " << blocks << " blocks";
}

TEST (Spine, PinRequestsWaitForTheLockAndChangeTheSong)
{
    grum::OfflineHost host (48000.0, 512);
    host.render (48000 * 4);
    auto& p = host.processor();
    const auto invalidations = p.barCacheInvalidations();

    p.requestPin();
    host.renderBlock (512);
    EXPECT_EQ (p.pinList().count(), 1);
    EXPECT_EQ (p.pinList().pins()[0].bar, p.currentBar().bar + 1);
    EXPECT_EQ (p.barCacheInvalidations(), invalidations + 1);      // a new pin is a new song

    // The editor's side holds the lock (saving the state): the request waits.
    p.pinList().lock();
    p.requestUnpin();
    host.renderBlock (512);
    EXPECT_EQ (p.pinList().count(), 1);
    p.pinList().unlock();
    host.renderBlock (512);
    EXPECT_EQ (p.pinList().count(), 0);
}

TEST (Spine, StandaloneClockStartsAtStepZero)
{
    // The stand-alone wrapper's processor follows SPELA and TEMPO, not a play head.
    juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Standalone);
    {
        grum::OfflineHost host (48000.0, 500);
        juce::AudioProcessor::setTypeOfNextNewPlugin (juce::AudioProcessor::wrapperType_Undefined);
        ASSERT_EQ (host.processor().wrapperType, juce::AudioProcessor::wrapperType_Standalone);
        host.playHead().seek (4.0 * 37);         // ignored: no play head counts
        EXPECT_EQ (host.set ("tempo", 120.0f), "");
        host.render (10000);
        EXPECT_TRUE (host.events.empty());       // SPELA off

        for (int pass = 0; pass < 2; ++pass)
        {
            EXPECT_EQ (host.set ("spela", 1.0f), "");
            host.events.clear();
            const auto start = host.position();
            host.render (6000 * 15);              // most of a bar at 120 BPM
            ASSERT_FALSE (host.events.empty());
            EXPECT_EQ (host.events.front().sample, start);                 // step 0 ...
            EXPECT_EQ (host.events.front().event.lane, grum::KICK);         // ... is the first kick
            EXPECT_EQ (host.processor().currentBar().bar, 0);
            EXPECT_EQ (host.set ("spela", 0.0f), "");
            host.render (1000);
            EXPECT_EQ (host.processor().heldMidiNotes(), 0);
        }
    }
}

TEST (Spine, RenderFilesReadBack)
{
    grum::OfflineHost host (44100.0, 512);
    host.playHead().setTempo (120.0);
    host.playHead().seek (4.0 * 16);
    host.render (44100 * 4);                 // two bars at 120 BPM
    host.finish();
    const auto dir = juce::File::createTempFile ("grum-render");
    ASSERT_TRUE (dir.createDirectory());
    const auto wav = dir.getChildFile ("a.wav"), mid = dir.getChildFile ("a.mid"), tsv = dir.getChildFile ("a.tsv");
    EXPECT_EQ (host.writeWav (wav), "");
    EXPECT_EQ (host.writeMidiFile (mid), "");
    EXPECT_EQ (host.writeEvents (tsv), "");

    juce::WavAudioFormat format;
    std::unique_ptr<juce::AudioFormatReader> reader (format.createReaderFor (wav.createInputStream().release(), true));
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->numChannels, 2u);
    EXPECT_EQ (reader->bitsPerSample, 24u);
    EXPECT_EQ (reader->lengthInSamples, 44100 * 4);

    juce::MidiFile file;
    juce::FileInputStream in (mid);
    ASSERT_TRUE (file.readFrom (in));
    EXPECT_EQ (file.getTimeFormat(), 960);
    ASSERT_EQ (file.getNumTracks(), 1);
    juce::MidiMessageSequence tempos;
    file.findAllTempoEvents (tempos);
    ASSERT_EQ (tempos.getNumEvents(), 1);
    EXPECT_NEAR (tempos.getEventPointer (0)->message.getTempoSecondsPerQuarterNote(), 0.5, 1e-9);
    int ons = 0, offs = 0;
    const auto& track = *file.getTrack (0);
    for (const auto* e : track)
    {
        ons += e->message.isNoteOn() ? 1 : 0;
        offs += e->message.isNoteOff() ? 1 : 0;
        if (e->message.isNoteOnOrOff())
        {
            EXPECT_GE (e->message.getTimeStamp(), 0.0);
            EXPECT_LE (e->message.getTimeStamp(), 8 * 960.0);     // two bars of quarters
        }
    }
    int expected = 0;
    for (const auto& m : host.midi)
        expected += (m.bytes[0] & 0xF0) == 0x90 ? 1 : 0;
    EXPECT_GT (ons, 50);
    EXPECT_EQ (ons, expected);
    EXPECT_EQ (offs, ons);

    juce::StringArray lines;
    tsv.readLines (lines);
    lines.removeEmptyStrings();
    ASSERT_EQ (lines.size(), (int) host.events.size());
    EXPECT_EQ (juce::StringArray::fromTokens (lines[0], "\t", "").size(), 7);
    dir.deleteRecursively();
}
