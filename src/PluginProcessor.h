#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "DisplayValues.h"
#include "Parameters.h"
#include "conductor/PinList.h"
#include "conductor/Types.h"
#include "lanes/ChunkObserver.h"
#include "lanes/LaneStage.h"
#include "lanes/LaneValues.h"
#include "lanes/MidiOut.h"
#include "lanes/Sequencer.h"
#include "samples/SampleEngine.h"
#include "sound/BanorLanes.h"
#include "sound/MixValues.h"
#include "sound/Rack.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

// The object the host talks to: a stereo instrument with MIDI in and out that
// owns the whole running system.
class GrumProcessor : public juce::AudioProcessor,
                      private juce::Timer
{
public:
    static constexpr int kChunk = 512;      // internal render chunk, whatever the host block

    GrumProcessor();
    ~GrumProcessor() override;

    const juce::String getName() const override { return "GRUM"; }

    // set-up thread, never while a block runs
    void prepareToPlay (double sampleRate, int maximumExpectedSamplesPerBlock) override;
    // Held MIDI notes are ended at the start of the next block: the receiving
    // instrument must not keep them sounding.
    void releaseResources() override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    // audio thread only
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override { return std::numeric_limits<double>::infinity(); }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return true; }
    bool isMidiEffect() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override { return true; }

    // One program. VST3 hosts expect it to carry a name, so it is the product's.
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return "GRUM"; }
    void changeProgramName (int, const juce::String&) override {}

    // any thread the host chooses, normally the message thread
    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    juce::AudioProcessorValueTreeState& parameters() noexcept { return tree; }

    // What the audio thread last built from the parameters. Read these only
    // while no block is running (tests, the offline renderer).
    const grum::Settings& settings() const noexcept { return current; }
    const grum::MixValues& mixValues() const noexcept { return mix; }
    const grum::LaneValues& laneValues (int lane) const noexcept { return laneStage.banor.lane[lane & 7]; }
    int rootNote() const noexcept { return root; }
    float swingAmount() const noexcept { return swing; }
    double sampleRate() const noexcept { return rate; }

    // The transport as the last block saw it, the bar the editor shows, the
    // lanes and the live MIDI notes still held. Same rule: no block running.
    bool isPlaying() const noexcept { return playing; }
    double currentBpm() const noexcept { return bpm; }
    const grum::BarState& currentBar() const noexcept { return sequencer.currentBar(); }
    const grum::LaneStage& lanes() const noexcept { return laneStage; }
    int heldMidiNotes() const noexcept { return midiOut.held(); }

    // How often the bar cache has been invalidated since construction: it
    // happens exactly when the song itself changes.
    std::uint64_t barCacheInvalidations() const noexcept { return sequencer.cacheInvalidations(); }
    std::int64_t barCacheKey (int slot) const noexcept { return sequencer.cacheKey (slot); }

    // The editor's GILLA, ÅNGRA and idea-apply requests; served by the next
    // block that gets the pin lock. Any thread.
    void requestPin() noexcept { pinRequested.store (true); }
    void requestUnpin() noexcept { unpinRequested.store (true); }
    void requestClearPins() noexcept { clearPinsRequested.store (true); }

    // The lanes tab's dice (message thread). randomizeBanor gives three to
    // five lanes a new recipe and turns the others off (only their MÅL
    // changes); it returns the status line's text. randomizeBana gives one
    // lane (0-7) a new recipe. Every change goes to the host as a gesture.
    juce::String randomizeBanor();
    void randomizeBana (int lane);

    // The editor's display: what the audio thread published at the end of its
    // last block (any thread, never torn per value), and each track's activity
    // since the last call, taken with an exchange against 0 (editor timer).
    grum::DisplayValues display() const noexcept { return published.read(); }
    float takeActivity (int track) noexcept { return rack.takeActivity (track); }

    // The mixer and its engines. The message thread may choose a track's
    // source (rack().setSource) and a GRUM synth's recipe; the rest only while
    // no block runs (tests, the offline renderer).
    grum::Rack& soundRack() noexcept { return rack; }

    // Track sounds (message thread). A track's source string: "" plays the
    // sample the kit in force gives the track, "synt" its classic synthesiser,
    // "grum:R:V" the GRUM synth with recipe R and variant V, any other text
    // names a library sample (one that is missing falls back to the kit's).

    // Applies all six sources to the engines under the kit that should be in
    // force now, and records that kit. Decodes samples on first use.
    void refreshSounds();
    // Tracks outside 0-5 are ignored.
    void setLaneSource (int track, const juce::String& source);
    // The track's source string ("" outside 0-5); any thread, so the state
    // saver may read it while the message thread replaces it.
    juce::String laneSource (int track) const;
    // "SYNT", "GRUM <recipe> <variant>", or the sample's name in words; "" outside 0-5.
    juce::String laneSoundName (int track) const;
    // Another sound of the same kind, drawn from the platform's generator.
    void shuffleLaneSound (int track);
    // The kit (0-43) the last refreshSounds applied.
    int kitInForceIndex() const noexcept { return kitInForce; }
    // The timer's check, every 100 ms: refreshSounds when the kit that should
    // be in force (the kit parameter, or AUTO following the style) differs.
    void followKit();
    // The track's sample player, for tests; only while no block runs.
    grum::SampleEngine& sampleEngine (int track) noexcept { return sampleEngines[juce::jlimit (0, grum::kNumLanes - 1, track)]; }

    // The pin list. The message thread holds its lock while reading it.
    grum::PinList& pinList() noexcept { return pins; }

    // Sees every chunk's events after the lanes. Set only while no block runs
    // (the offline renderer, tests); null for real-time playback.
    void setChunkObserver (grum::ChunkObserver* o) noexcept { observer.store (o); }

private:
    void timerCallback() override;          // message thread, every 100 ms
    void setParameterAsGesture (const juce::String& id, float plainValue);    // message thread

    void takeRootFromMidi (const juce::MidiBuffer& midi) noexcept;     // audio thread
    void servePinRequests() noexcept;                                  // audio thread, tries the pin lock
    void snapshotParameters() noexcept;                                // audio thread
    void invalidateBarCache() noexcept;                                // audio thread

    // audio thread: where the block starts on the song clock, and whether it plays
    void followTransport (int numSamples, double& startBeat) noexcept;
    // audio thread: passes a new tempo to the engines and the rack
    void tempoChanged (double newBpm) noexcept;
    // audio thread: one chunk at `offset` in the block, of at most `maxN` and
    // kChunk samples, ending at the end of its control segment (see
    // ChunkClock); returns its length.
    int processChunk (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi, int offset, int maxN, double startBeat) noexcept;
    // audio thread: engines, host rack, inserts and mix write the chunk here,
    // from the chunk's events after the lanes (sorted by offset) and the
    // lanes' pitch offsets and macros (laneStage.pitchOffset, .macros).
    // Until the engines arrive the chunk stays as cleared: silent.
    // firstSample: the chunk's place on the song's sample count (or, while
    // stopped, on the count that goes on from where playing ended).
    void renderChunk (juce::AudioBuffer<float>& buffer, int offset, int n, std::int64_t firstSample,
                      const grum::Event* chunkEvents, int count) noexcept;
    // audio thread: the values the editor reads, once per block
    void publish (double startBeat, int numSamples) noexcept;

    juce::AudioProcessorValueTreeState tree;
    params::Pointers ptr;

    // The settings snapshot and the last one, to detect a change of song.
    grum::Settings current;
    grum::Settings last;
    bool lastValid = false;

    int root = 43;                  // MIDI note of the key, G by default
    float swing = 0.0f;
    int playedRoot = -1;            // set by a played key, until ROT moves
    int lastRootIndex = -1;

    grum::MixValues mix;

    // The conductor with its two-slot bar cache and the current-bar copy,
    // the step clock and the event scheduling.
    grum::Sequencer sequencer;
    // The eight lanes with their targets and the stutter retrigger queue.
    grum::LaneStage laneStage;

    // The chunk's events after the lanes, and where each came from.
    grum::Event events[grum::kMaxEvents] {};
    std::uint8_t sources[grum::kMaxEvents] {};
    std::atomic<grum::ChunkObserver*> observer { nullptr };

    // Pin requests from the editor; served by the audio thread when it gets the lock.
    grum::PinList pins;
    std::atomic<bool> pinRequested { false }, unpinRequested { false }, clearPinsRequested { false };

    // Live MIDI out: the held notes, the switches of the last block, and the
    // flush owed after prepareToPlay or releaseResources.
    grum::MidiOut midiOut;
    bool midiOn = true;
    int midiLayout = grum::OnePerTrack;
    std::atomic<bool> midiFlushOwed { false };

    // Transport.
    double rate = 44100.0;
    double secondsPerBeat = 60.0 / 126.0;
    double lastBpm = -1.0;
    double bpm = 126.0;
    bool playing = false;           // the previous block's state
    double standalonePpq = 0.0;
    std::int64_t idleSample = 0;    // the sample count while stopped, for the control grid
    juce::AudioProcessLoadMeasurer loadMeasurer;

    // The engines, inserts and mix, reading the lanes through laneView.
    grum::Rack rack;
    grum::BanorLanes laneView { laneStage.banor };
    // A chunk for a host buffer without channels: the engines still run.
    float noChannels[kChunk] {};

    // The editor's display values, and the pin count they last showed (kept
    // when the pin lock is busy).
    grum::PublishedValues published;
    int shownPinCount = 0;

    // Track sounds: each track's sample player (the rack renders it beside the
    // track's synthesisers; the rack also holds the atomic source selector),
    // the source strings (sourceText, guarded by sourceLock, which the audio thread never
    // takes), the sound each track shows and the kit in force (message thread).
    int wantedKitNow() const;           // message thread
    grum::SampleEngine sampleEngines[grum::kNumLanes] {
        grum::SampleEngine { grum::KICK }, grum::SampleEngine { grum::HAT }, grum::SampleEngine { grum::CLICK },
        grum::SampleEngine { grum::PERC }, grum::SampleEngine { grum::BAS }, grum::SampleEngine { grum::STAB },
    };
    mutable std::mutex sourceLock;
    juce::String sourceText[grum::kNumLanes];
    std::string shown[grum::kNumLanes];
    int kitInForce = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (GrumProcessor)
};
